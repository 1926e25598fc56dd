#ifndef KZEMBA_APPMGR_KAPPRUNNER_H
#define KZEMBA_APPMGR_KAPPRUNNER_H

#include "kzembaplatform_export.h"

#include <QList>
#include <QObject>
#include <QSharedPointer>
#include <QString>

class KAppContext;

/// The app manager's runner: it starts a store app with its launch context. A
/// run is handed to the shell's app runner (KVantaApplication's runner, called
/// by name and queued, with the context's command line as entry and its
/// parameters as text); without a shell there is nothing to start the app in
/// and the run fails. The runner keeps the launch contexts of its latest runs.
class KZEMBAPLATFORM_EXPORT KAppRunner : public QObject
{
    Q_OBJECT
public:
    explicit KAppRunner(QObject* parent = nullptr);
    ~KAppRunner() override;

    // False when the app id or context is missing or no shell runner takes the run.
    // `parentContext` and `flags` are the manager's and are not used here.
    bool runApp(const QString& appId, const QSharedPointer<KAppContext>& context,
                const QSharedPointer<KAppContext>& parentContext, int flags);

    QList<QSharedPointer<KAppContext>> runs() const { return m_runs; }
    void clearRuns() { m_runs.clear(); }

signals:
    void appRunRequested(const QString& appId);

private:
    QList<QSharedPointer<KAppContext>> m_runs;
};

#endif
