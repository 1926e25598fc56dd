#include "kvantaapprunner.h"

KVantaAppRunner::KVantaAppRunner(QObject* parent)
    : QObject(parent)
{
}

KVantaAppRunner::~KVantaAppRunner() = default;

void KVantaAppRunner::on_processHost_vantaRunApp(const QString& appId, const QString& entry, const QString& params)
{
    m_runs.append({appId, entry, params});
    emit appRunRequested(appId, entry);
}
