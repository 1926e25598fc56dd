#include "ktestaccount.h"

#include "ktestplugincontrol.h"

KTestAccount::KTestAccount(KTestPluginControl* control, QObject* parent)
    : QObject(parent)
    , m_control(control)
{
}

bool KTestAccount::isActive()
{
    return m_control->option(QStringLiteral("account/active"), true).toBool();
}

void KTestAccount::notifyCookiesChanged(QObject* receiver, const char* slot)
{
    m_control->record(QStringLiteral("account.notifyCookiesChanged"), {QString::fromLatin1(slot)});
    connect(this, SIGNAL(cookiesChanged()), receiver, slot);
}

QString KTestAccount::getCookies()
{
    return m_control->option(QStringLiteral("account/cookies")).toString();
}

void KTestAccount::login(const QVariantMap& args)
{
    m_control->record(QStringLiteral("account.login"), {args});
}

void KTestAccount::logout(const QVariantMap& args)
{
    m_control->record(QStringLiteral("account.logout"), {args});
}

QString KTestAccount::getUserId()
{
    return m_control->option(QStringLiteral("account/userId")).toString();
}
