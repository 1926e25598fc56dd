#ifndef KZEMBA_PLUGINS_KZEMBAUSERINFOSERVICE_H
#define KZEMBA_PLUGINS_KZEMBAUSERINFOSERVICE_H

#include "interfaces/ikzembauserinfo.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>

#include <functional>

class KZembaNetworkService;

/// The base plug-in's user-info service. Account information comes from the
/// store server: the module's registered query URL, else the domain of
/// "zembaapiqox" followed by "/proxy/client/user/v1/all_info_v6", asked with a
/// GET that carries the account's cookies. The answer is a JSON object; its
/// "state" is the account state, else "login" when it names a "userid" and
/// "logout" when not. Without a configured server the account itself (the
/// shared account file, or the runtime configuration's group "account")
/// answers, without its cookies. The last answer per module is kept and given
/// again unless an update is forced. Answers always come after the call.
class KZembaUserInfoService : public QObject, public IKZembaUserInfo
{
    Q_OBJECT
public:
    explicit KZembaUserInfoService(KZembaNetworkService* network, QObject* parent = nullptr);

    static QString accountInfoPath();

    bool isRegistered(const QString& moduleName, KZembaUserInfoRegistration& registration) override;
    void registerModule(const KZembaUserInfoRegistration& registration) override;
    void queryAllInfo(const QString& moduleName, IKUserInfoEvent* listener) override;
    void removeListener(IKUserInfoEvent* listener) override;
    void queryAccountState(const QString& moduleName, const KZembaUserInfoQueryHandler& done,
                           bool forceUpdate) override;

private:
    using Answer = std::function<void(const KZembaUserInfoQueryResult& result)>;

    void query(const QString& moduleName, const Answer& answer);
    QString queryUrl(const QString& moduleName) const;

    QPointer<KZembaNetworkService> m_network;
    QMap<QString, KZembaUserInfoRegistration> m_registered;
    QMap<QString, KZembaUserInfoQueryResult> m_last;
    QList<IKUserInfoEvent*> m_listeners;
};

#endif
