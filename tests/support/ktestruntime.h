#ifndef KZEMBA_TESTS_KTESTRUNTIME_H
#define KZEMBA_TESTS_KTESTRUNTIME_H

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

struct KTestLogRecord
{
    QString level;
    QString module;
    QString message;
};

/// A fresh runtime folder for one test: the process's runtime configuration
/// points at it while the object lives, so folders, settings, logs and
/// collected events land there and never in the real home.
class KTestRuntime
{
public:
    KTestRuntime();
    ~KTestRuntime();

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }

    void setValue(const QString& key, const QVariant& value);
    // Points the runtime at the built test plug-in `name` and lists it in the plug-in manager
    // when `managerKnowsIt`.
    void installPlugin(const QString& name, bool managerKnowsIt = false);
    static QString testPluginFolder(const QString& name);

    QList<KTestLogRecord> logRecords() const;
    bool hasLog(const QString& level, const QString& module, const QString& message) const;
    QList<QJsonObject> dcEvents() const;

private:
    QTemporaryDir m_dir;
};

#endif
