#include "kappmgr.h"

#include "kappobject.h"
#include "kapprunner.h"

#include <krt/kruntimeconfig.h>

KAppMgr::KAppMgr()
    : m_runner(new KAppRunner(this))
{
}

KAppMgr::~KAppMgr() = default;

KAppMgr* KAppMgr::getInstance()
{
    static KAppMgr manager;
    if (!krt::KRuntimeConfig::value(QStringLiteral("appMgr/enabled"), true).toBool())
        return nullptr;
    return &manager;
}

QStringList KAppMgr::knownApps() const
{
    return krt::KRuntimeConfig::value(QStringLiteral("appMgr/apps")).toStringList();
}

KAppObject* KAppMgr::getApp(const QString& appId)
{
    m_requests.append(appId);
    if (appId.isEmpty() || !knownApps().contains(appId))
        return nullptr;
    KAppObject*& app = m_apps[appId];
    if (!app)
        app = new KAppObject(appId, this);
    return app;
}

KAppRunner* KAppMgr::getAppRunner()
{
    if (!krt::KRuntimeConfig::value(QStringLiteral("appMgr/runnerEnabled"), true).toBool())
        return nullptr;
    return m_runner;
}
