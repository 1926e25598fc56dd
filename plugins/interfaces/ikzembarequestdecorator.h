#ifndef KZEMBA_PLUGINS_IKZEMBAREQUESTDECORATOR_H
#define KZEMBA_PLUGINS_IKZEMBAREQUESTDECORATOR_H

#include "kzembapluginexport.h"

#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>
#include <QVariantMap>

class QNetworkCookieJar;
class QNetworkRequest;

/// Adds the store account's cookies and headers to a page's request. A request
/// is decorated by calling the five operations in their declaration order.
class KZEMBA_PLUGIN_INTERFACE IKZembaRequestDecorator
{
public:
    virtual ~IKZembaRequestDecorator() = default;

    virtual void decorateCookies(QNetworkCookieJar* jar, const QVariantMap& pageCookies, const QUrl& url) = 0;
    virtual void decorateHeaders(QNetworkCookieJar* jar, const QVariantMap& pageHeaders, const QUrl& url) = 0;
    virtual void decorateAccount(QNetworkCookieJar* jar, const QUrl& url) = 0;
    virtual QString operationName(QNetworkAccessManager::Operation operation) = 0;
    virtual void decorateRequest(QNetworkRequest& request, const QString& operationName, const QUrl& url) = 0;
};

#endif
