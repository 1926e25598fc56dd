#include "ktestuserinfo.h"

#include "ktestplugincontrol.h"

#include "interfaces/ikuserinfoevent.h"

KTestUserInfo::KTestUserInfo(KTestPluginControl* control)
    : m_control(control)
{
}

KTestUserInfo::~KTestUserInfo() = default;

void KTestUserInfo::reset()
{
    m_registered.clear();
    m_listeners.clear();
    m_pendingQueries.clear();
}

bool KTestUserInfo::isRegistered(const QString& moduleName, KZembaUserInfoRegistration& registration)
{
    m_control->record(QStringLiteral("userinfo.isRegistered"), {moduleName});
    auto it = m_registered.constFind(moduleName);
    if (it == m_registered.constEnd())
        return false;
    registration = it.value();
    return true;
}

void KTestUserInfo::registerModule(const KZembaUserInfoRegistration& registration)
{
    m_control->record(QStringLiteral("userinfo.register"),
                      {registration.moduleId, registration.moduleName, registration.version, registration.description,
                       registration.scopes, registration.queryUrls});
    m_registered.insert(registration.moduleName, registration);
}

void KTestUserInfo::queryAllInfo(const QString& moduleName, IKUserInfoEvent* listener)
{
    m_control->record(QStringLiteral("userinfo.queryAllInfo"), {moduleName});
    if (listener && !m_listeners.contains(listener))
        m_listeners.append(listener);
}

void KTestUserInfo::removeListener(IKUserInfoEvent* listener)
{
    m_control->record(QStringLiteral("userinfo.removeListener"));
    m_listeners.removeAll(listener);
}

void KTestUserInfo::queryAccountState(const QString& moduleName, const KZembaUserInfoQueryHandler& done,
                                      bool forceUpdate)
{
    m_control->record(QStringLiteral("userinfo.queryAccountState"), {moduleName, forceUpdate});
    if (done)
        m_pendingQueries.append(done);
}

void KTestUserInfo::completeAccountStateQueries(const KZembaUserInfoQueryResult& result)
{
    const QList<KZembaUserInfoQueryHandler> queries = m_pendingQueries;
    m_pendingQueries.clear();
    for (const KZembaUserInfoQueryHandler& done : queries)
        done(result);
}

void KTestUserInfo::notifyAllInfo(const QVariantMap& info)
{
    const QList<IKUserInfoEvent*> listeners = m_listeners;
    for (IKUserInfoEvent* listener : listeners) {
        if (m_listeners.contains(listener))
            listener->allInfoUpdate(info);
    }
}
