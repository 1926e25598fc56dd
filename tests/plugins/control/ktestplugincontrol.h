#ifndef KZEMBA_TESTS_KTESTPLUGINCONTROL_H
#define KZEMBA_TESTS_KTESTPLUGINCONTROL_H

#include "kzembatestplugins_export.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

class KTestBase;
class KTestBatchDownload;
class KTestCoreLite;
class KTestNetWork;
class KTestResNetwork;
class KTestUserInfo;

struct KZEMBATESTPLUGINS_EXPORT KTestPluginCall
{
    QString name;
    QVariantList args;
};

/// The test's handle on the test plug-ins. The plug-in libraries are thin: their
/// entries hand out the services kept here, so a test scripts their behaviour
/// with options and reads back, in order, every call the library made on them.
/// Options are reset by reset(); a service whose option "<service>/present" is
/// false is not handed out by its entry.
class KZEMBATESTPLUGINS_EXPORT KTestPluginControl : public QObject
{
    Q_OBJECT
public:
    static KTestPluginControl* instance();

    void reset();

    QVariant option(const QString& key, const QVariant& defaultValue = QVariant()) const;
    void setOption(const QString& key, const QVariant& value);

    void record(const QString& name, const QVariantList& args = QVariantList());
    QList<KTestPluginCall> calls() const { return m_calls; }
    QList<KTestPluginCall> callsTo(const QString& name) const;
    void clearCalls() { m_calls.clear(); }

    KTestCoreLite* coreLite();
    KTestBatchDownload* batchDownload();
    KTestNetWork* netWork();
    KTestUserInfo* userInfo();
    KTestBase* base();
    KTestResNetwork* resNetwork();

    // What an entry hands out: the service, or null when the test says it is absent.
    template <typename Service>
    Service* handOut(const char* entryName, const QString& service, Service* object)
    {
        record(QStringLiteral("entry"), {QString::fromLatin1(entryName)});
        return option(service + QStringLiteral("/present"), true).toBool() ? object : nullptr;
    }

signals:
    void called(const QString& name);

private:
    explicit KTestPluginControl(QObject* parent);
    ~KTestPluginControl() override;

    QVariantMap m_options;
    QList<KTestPluginCall> m_calls;
    KTestCoreLite* m_coreLite = nullptr;
    KTestBatchDownload* m_batchDownload = nullptr;
    KTestNetWork* m_netWork = nullptr;
    KTestUserInfo* m_userInfo = nullptr;
    KTestBase* m_base = nullptr;
    KTestResNetwork* m_resNetwork = nullptr;
};

#endif
