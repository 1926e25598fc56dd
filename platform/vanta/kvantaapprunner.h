#ifndef KZEMBA_VANTA_KVANTAAPPRUNNER_H
#define KZEMBA_VANTA_KVANTAAPPRUNNER_H

#include "kzembaplatform_export.h"

#include <QList>
#include <QObject>
#include <QString>

/// One run request that reached the app runner.
struct KZEMBAPLATFORM_EXPORT KVantaAppRun
{
    QString appId;
    QString entry;
    QString params;
};

/// The shell's app runner. Components hand it store apps to run by calling its
/// slot by name, queued, so that the app starts from the runner's event loop.
/// The runner keeps every request it received and announces each one.
class KZEMBAPLATFORM_EXPORT KVantaAppRunner : public QObject
{
    Q_OBJECT
public:
    explicit KVantaAppRunner(QObject* parent = nullptr);
    ~KVantaAppRunner() override;

    QList<KVantaAppRun> runs() const { return m_runs; }

public slots:
    // `params` is the parameter map in the text form of KAppContext::switchMapToString.
    void on_processHost_vantaRunApp(const QString& appId, const QString& entry, const QString& params);

signals:
    void appRunRequested(const QString& appId, const QString& entry);

private:
    QList<KVantaAppRun> m_runs;
};

#endif
