#include "kapprunner.h"

#include "kappcontext.h"

#include <vanta/kvantaapplication.h>

KAppRunner::KAppRunner(QObject* parent)
    : QObject(parent)
{
}

KAppRunner::~KAppRunner() = default;

bool KAppRunner::runApp(const QString& appId, const QSharedPointer<KAppContext>& context,
                        const QSharedPointer<KAppContext>&, int)
{
    if (appId.isEmpty() || !context)
        return false;
    // Pages start runs; only the latest are kept so that the record stays small.
    const int keptRuns = 64;
    m_runs.append(context);
    while (m_runs.size() > keptRuns)
        m_runs.removeFirst();
    emit appRunRequested(appId);

    KVantaApplication* shell = KVantaApplication::instance();
    QObject* shellRunner = shell ? shell->vantaAppRunner() : nullptr;
    if (!shellRunner)
        return false;
    return QMetaObject::invokeMethod(shellRunner, "on_processHost_vantaRunApp", Qt::QueuedConnection,
                                     Q_ARG(QString, appId), Q_ARG(QString, context->commandLine),
                                     Q_ARG(QString, KAppContext::switchMapToString(context->params)));
}
