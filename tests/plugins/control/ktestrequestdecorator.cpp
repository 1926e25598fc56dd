#include "ktestrequestdecorator.h"

#include "ktestplugincontrol.h"

#include <QNetworkCookieJar>
#include <QNetworkRequest>

KTestRequestDecorator::KTestRequestDecorator(KTestPluginControl* control)
    : m_control(control)
{
}

IKZembaRequestDecorator* KTestRequestDecorator::getRequestDecorator()
{
    return m_control->option(QStringLiteral("decorator/present"), true).toBool() ? this : nullptr;
}

static QVariant jarOf(QNetworkCookieJar* jar)
{
    return QVariant::fromValue(static_cast<QObject*>(jar));
}

void KTestRequestDecorator::decorateCookies(QNetworkCookieJar* jar, const QVariantMap& pageCookies, const QUrl& url)
{
    m_control->record(QStringLiteral("decorator.decorateCookies"), {jarOf(jar), pageCookies, url});
}

void KTestRequestDecorator::decorateHeaders(QNetworkCookieJar* jar, const QVariantMap& pageHeaders, const QUrl& url)
{
    m_control->record(QStringLiteral("decorator.decorateHeaders"), {jarOf(jar), pageHeaders, url});
}

void KTestRequestDecorator::decorateAccount(QNetworkCookieJar* jar, const QUrl& url)
{
    m_control->record(QStringLiteral("decorator.decorateAccount"), {jarOf(jar), url});
}

QString KTestRequestDecorator::operationName(QNetworkAccessManager::Operation operation)
{
    m_control->record(QStringLiteral("decorator.operationName"), {static_cast<int>(operation)});
    switch (operation) {
    case QNetworkAccessManager::GetOperation:
        return QStringLiteral("GET");
    case QNetworkAccessManager::PostOperation:
        return QStringLiteral("POST");
    case QNetworkAccessManager::DeleteOperation:
        return QStringLiteral("DELETE");
    default:
        return QStringLiteral("OTHER");
    }
}

void KTestRequestDecorator::decorateRequest(QNetworkRequest& request, const QString& operationName, const QUrl& url)
{
    m_control->record(QStringLiteral("decorator.decorateRequest"), {operationName, url});
    request.setRawHeader("X-Zemba-Account", operationName.toUtf8());
}
