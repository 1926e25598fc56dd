#include "kzembaaccount.h"

#include "kzembaaccountfile.h"

#include <vdllite/kxloggerlite.h>

#include <QDateTime>

namespace {
const QString kLogModule = QStringLiteral("KZembaCoreLite");
}

KZembaAccount::KZembaAccount(QObject* parent)
    : QObject(parent)
{
}

bool KZembaAccount::isActive()
{
    const QVariantMap account = kzembaaccountfile::current();
    return !account.value(QStringLiteral("userid")).toString().isEmpty()
        || !account.value(QStringLiteral("cookies")).toMap().isEmpty();
}

void KZembaAccount::notifyCookiesChanged(QObject* receiver, const char* slot)
{
    if (receiver && slot)
        connect(this, SIGNAL(cookiesChanged()), receiver, slot, Qt::UniqueConnection);
}

QString KZembaAccount::getUserId()
{
    return kzembaaccountfile::current().value(QStringLiteral("userid")).toString();
}

QString KZembaAccount::getCookies()
{
    return kzembaaccountfile::cookieString(cookies());
}

QVariantMap KZembaAccount::cookies() const
{
    return kzembaaccountfile::current().value(QStringLiteral("cookies")).toMap();
}

QVariantMap KZembaAccount::profile() const
{
    QVariantMap account = kzembaaccountfile::current();
    account.remove(QStringLiteral("cookies"));
    return account;
}

void KZembaAccount::login(const QVariantMap& args)
{
    QVariantMap cookies = args.value(QStringLiteral("cookies")).toMap();
    if (cookies.isEmpty())
        cookies = kzembaaccountfile::parseCookieString(args.value(QStringLiteral("cookie")).toString());
    const QString userId = args.value(QStringLiteral("userid")).toString();
    if (userId.isEmpty() && cookies.isEmpty()) {
        KxLoggerLite::writeWarning(kLogModule, QStringLiteral("login without user id or cookies ignored"));
        return;
    }
    QVariantMap account{{QStringLiteral("userid"), userId},
                        {QStringLiteral("nickname"), args.value(QStringLiteral("nickname")).toString()},
                        {QStringLiteral("avatar"), args.value(QStringLiteral("avatar")).toString()},
                        {QStringLiteral("cookies"), cookies},
                        {QStringLiteral("loginTime"), QDateTime::currentMSecsSinceEpoch()}};
    if (!kzembaaccountfile::write(account)) {
        KxLoggerLite::writeError(kLogModule, QStringLiteral("cannot write %1").arg(kzembaaccountfile::path()));
        return;
    }
    emit cookiesChanged();
}

void KZembaAccount::logout(const QVariantMap&)
{
    if (!kzembaaccountfile::remove()) {
        KxLoggerLite::writeError(kLogModule, QStringLiteral("cannot remove %1").arg(kzembaaccountfile::path()));
        return;
    }
    emit cookiesChanged();
}
