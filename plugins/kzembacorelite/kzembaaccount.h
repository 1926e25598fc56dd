#ifndef KZEMBA_PLUGINS_KZEMBAACCOUNT_H
#define KZEMBA_PLUGINS_KZEMBAACCOUNT_H

#include "interfaces/ikzembaaccount.h"

#include <QObject>

/// The core-lite plug-in's account service on the shared account file
/// (kzembaaccountfile). Log-in takes "userid", "nickname", "avatar" and the
/// cookies as a "cookies" map or a "cookie" string ("a=1;b=2"); it needs a user
/// id or cookies. Log-out forgets the account. Both persist at once and tell
/// every receiver that the cookies changed.
class KZembaAccount : public QObject, public IKZembaAccount
{
    Q_OBJECT
public:
    explicit KZembaAccount(QObject* parent = nullptr);

    bool isActive() override;
    void notifyCookiesChanged(QObject* receiver, const char* slot) override;
    QString getCookies() override;
    void login(const QVariantMap& args) override;
    void logout(const QVariantMap& args) override;
    QString getUserId() override;

    QVariantMap cookies() const;
    // The account without its cookies: what a restricted page may see.
    QVariantMap profile() const;

signals:
    void cookiesChanged();
};

#endif
