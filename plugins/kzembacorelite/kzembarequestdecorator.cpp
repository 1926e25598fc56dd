#include "kzembarequestdecorator.h"

#include "kzembaaccount.h"

#include <krt/krt.h>
#include <krt/kruntimeconfig.h>

#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkRequest>
#include <QSettings>

KZembaRequestDecorator::KZembaRequestDecorator(KZembaAccount* account)
    : m_account(account)
{
}

IKZembaRequestDecorator* KZembaRequestDecorator::getRequestDecorator()
{
    return this;
}

bool KZembaRequestDecorator::isStoreUrl(const QUrl& url)
{
    if (url.host().isEmpty())
        return false;
    QSettings settings(krt::KRuntimeConfig::configFilePath(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("domains"));
    const QStringList services = settings.childKeys();
    for (const QString& service : services) {
        const QUrl domain(settings.value(service).toString());
        if (!domain.host().isEmpty() && domain.host().compare(url.host(), Qt::CaseInsensitive) == 0
            && domain.port(domain.scheme() == QLatin1String("https") ? 443 : 80)
                == url.port(url.scheme() == QLatin1String("https") ? 443 : 80)
            && domain.scheme() == url.scheme()) {
            return true;
        }
    }
    return false;
}

void KZembaRequestDecorator::decorateCookies(QNetworkCookieJar*, const QVariantMap& pageCookies, const QUrl&)
{
    m_pageCookies = pageCookies.keys();
}

void KZembaRequestDecorator::decorateHeaders(QNetworkCookieJar*, const QVariantMap& pageHeaders, const QUrl&)
{
    m_pageHeaders.clear();
    for (auto it = pageHeaders.constBegin(); it != pageHeaders.constEnd(); ++it)
        m_pageHeaders.append(it.key().toLower());
}

void KZembaRequestDecorator::decorateAccount(QNetworkCookieJar* jar, const QUrl& url)
{
    if (!jar || !isStoreUrl(url))
        return;
    const QVariantMap cookies = m_account->cookies();
    // Cookies of an earlier account leave the jar, so a log-out or switch takes effect at once.
    const QList<QNetworkCookie> inJar = jar->cookiesForUrl(url);
    for (const QNetworkCookie& cookie : inJar) {
        const QString name = QString::fromUtf8(cookie.name());
        if (m_accountCookies.contains(name) && !cookies.contains(name) && !m_pageCookies.contains(name))
            jar->deleteCookie(cookie);
    }
    QList<QNetworkCookie> fresh;
    for (auto it = cookies.constBegin(); it != cookies.constEnd(); ++it) {
        if (m_pageCookies.contains(it.key()))
            continue;
        QNetworkCookie cookie(it.key().toUtf8(), it.value().toString().toUtf8());
        cookie.setPath(QStringLiteral("/"));
        fresh.append(cookie);
        m_accountCookies.insert(it.key());
    }
    if (!fresh.isEmpty())
        jar->setCookiesFromUrl(fresh, url);
}

QString KZembaRequestDecorator::operationName(QNetworkAccessManager::Operation operation)
{
    switch (operation) {
    case QNetworkAccessManager::HeadOperation:
        return QStringLiteral("HEAD");
    case QNetworkAccessManager::GetOperation:
        return QStringLiteral("GET");
    case QNetworkAccessManager::PutOperation:
        return QStringLiteral("PUT");
    case QNetworkAccessManager::PostOperation:
        return QStringLiteral("POST");
    case QNetworkAccessManager::DeleteOperation:
        return QStringLiteral("DELETE");
    default:
        return QStringLiteral("CUSTOM");
    }
}

void KZembaRequestDecorator::decorateRequest(QNetworkRequest& request, const QString& operationName, const QUrl& url)
{
    if (!isStoreUrl(url))
        return;
    const auto setUnlessPageDid = [this, &request](const QString& name, const QString& value) {
        const QByteArray bytes = value.toUtf8();
        if (m_pageHeaders.contains(name.toLower()) || bytes.contains('\n') || bytes.contains('\r'))
            return;
        request.setRawHeader(name.toUtf8(), bytes);
    };
    setUnlessPageDid(QStringLiteral("X-Zemba-Client"), krt::appName());
    setUnlessPageDid(QStringLiteral("X-Zemba-Operation"), operationName);
    QSettings settings(krt::KRuntimeConfig::configFilePath(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("requestHeaders"));
    const QStringList names = settings.childKeys();
    for (const QString& name : names)
        setUnlessPageDid(name, settings.value(name).toString());
}
