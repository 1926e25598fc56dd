#include "kzembauserinfoservice.h"

#include "kzembaaccountfile.h"
#include "kzembanetworkservice.h"

#include "interfaces/ikuserinfoevent.h"

#include <krt/kdomainmgr.h>
#include <vdllite/jsonhelper.h>

#include <QTimer>

namespace {

constexpr int kTimeoutMs = 10000;

QString stateOf(const QVariantMap& info)
{
    const QString state = info.value(QStringLiteral("state")).toString();
    if (!state.isEmpty())
        return state;
    return info.value(QStringLiteral("userid")).toString().isEmpty() ? QStringLiteral("logout") : QStringLiteral("login");
}

} // namespace

KZembaUserInfoService::KZembaUserInfoService(KZembaNetworkService* network, QObject* parent)
    : QObject(parent)
    , m_network(network)
{
}

QString KZembaUserInfoService::accountInfoPath()
{
    return QStringLiteral("/proxy/client/user/v1/all_info_v6");
}

bool KZembaUserInfoService::isRegistered(const QString& moduleName, KZembaUserInfoRegistration& registration)
{
    const auto it = m_registered.constFind(moduleName);
    if (it == m_registered.constEnd())
        return false;
    registration = it.value();
    return true;
}

void KZembaUserInfoService::registerModule(const KZembaUserInfoRegistration& registration)
{
    if (!registration.moduleName.isEmpty())
        m_registered.insert(registration.moduleName, registration);
}

QString KZembaUserInfoService::queryUrl(const QString& moduleName) const
{
    // The store's own account endpoint follows the domain configured now; another URL a module
    // registered is its own.
    const QString registered = m_registered.value(moduleName).queryUrls.value(0);
    if (!registered.isEmpty() && !QUrl(registered).path().endsWith(accountInfoPath()))
        return registered;
    const QString domain = KDomainMgr().getDomainUrl(QStringLiteral("zembaapiqox"));
    return domain.isEmpty() ? QString() : domain + accountInfoPath();
}

void KZembaUserInfoService::query(const QString& moduleName, const Answer& answer)
{
    const QString url = queryUrl(moduleName);
    if (url.isEmpty() || !m_network) {
        QVariantMap info = kzembaaccountfile::current();
        info.remove(QStringLiteral("cookies"));
        KZembaUserInfoQueryResult result;
        result.queryResult = stateOf(info);
        result.respInfo = info;
        QTimer::singleShot(0, this, [answer, result]() { answer(result); });
        return;
    }
    const QVariantMap headers{{QStringLiteral("Cookie"), kzembaaccountfile::current().value(QStringLiteral("cookies")).toMap()}};
    m_network->request(
        QUrl(url), headers, 0,
        [answer](const QByteArray& body) {
            KZembaUserInfoQueryResult result;
            bool ok = false;
            const Json::Value value = JsonHelper::parseJsonValue(QString::fromUtf8(body), &ok);
            result.failed = !ok || !value.isObject();
            result.respInfo = result.failed ? QVariantMap() : JsonHelper::jsonValueToVariant(value).toMap();
            result.queryResult = result.failed ? QStringLiteral("error") : stateOf(result.respInfo);
            answer(result);
        },
        [answer](const kzembanetwork::FailInfo& failure) {
            KZembaUserInfoQueryResult result;
            result.failed = true;
            result.queryResult = QStringLiteral("error");
            result.respInfo = {{QStringLiteral("errorCode"), failure.errorCode},
                               {QStringLiteral("httpStatusCode"), failure.httpStatusCode},
                               {QStringLiteral("errormsg"), failure.errorString}};
            answer(result);
        },
        kTimeoutMs, 0, 0);
}

void KZembaUserInfoService::queryAllInfo(const QString& moduleName, IKUserInfoEvent* listener)
{
    if (listener && !m_listeners.contains(listener))
        m_listeners.append(listener);
    const QPointer<KZembaUserInfoService> self(this);
    query(moduleName, [self, moduleName](const KZembaUserInfoQueryResult& result) {
        if (!self)
            return;
        if (!result.failed)
            self->m_last.insert(moduleName, result);
        // A listener may remove itself, or others, while being told.
        const QList<IKUserInfoEvent*> listeners = self->m_listeners;
        for (IKUserInfoEvent* listener : listeners) {
            if (self && self->m_listeners.contains(listener))
                listener->allInfoUpdate(result.respInfo);
        }
    });
}

void KZembaUserInfoService::removeListener(IKUserInfoEvent* listener)
{
    m_listeners.removeAll(listener);
}

void KZembaUserInfoService::queryAccountState(const QString& moduleName, const KZembaUserInfoQueryHandler& done,
                                              bool forceUpdate)
{
    const auto last = m_last.constFind(moduleName);
    if (!forceUpdate && last != m_last.constEnd()) {
        const KZembaUserInfoQueryResult result = last.value();
        QTimer::singleShot(0, this, [done, result]() {
            if (done)
                done(result);
        });
        return;
    }
    const QPointer<KZembaUserInfoService> self(this);
    query(moduleName, [self, moduleName, done](const KZembaUserInfoQueryResult& result) {
        if (self && !result.failed)
            self->m_last.insert(moduleName, result);
        if (done)
            done(result);
    });
}
