#ifndef KZEMBA_PLUGINS_KZEMBAREQUESTDECORATOR_H
#define KZEMBA_PLUGINS_KZEMBAREQUESTDECORATOR_H

#include "interfaces/ikzembarequestdecorator.h"
#include "interfaces/ikzembarequestservice.h"

#include <QSet>
#include <QStringList>

class KZembaAccount;

/// The core-lite plug-in's request decorator. Only requests to the store's
/// own hosts (the hosts of the runtime configuration's "domains") are touched:
/// they carry the account's cookies and the store headers "X-Zemba-Client"
/// (the application name), "X-Zemba-Operation" (GET, POST, ...) and every
/// entry of the runtime configuration's group "requestHeaders". What the page
/// set itself (a cookie or header of the same name) is kept; cookies that an
/// earlier account put into the page's jar go when the account changes.
class KZembaRequestDecorator : public IKZembaRequestService, public IKZembaRequestDecorator
{
public:
    explicit KZembaRequestDecorator(KZembaAccount* account);

    IKZembaRequestDecorator* getRequestDecorator() override;

    void decorateCookies(QNetworkCookieJar* jar, const QVariantMap& pageCookies, const QUrl& url) override;
    void decorateHeaders(QNetworkCookieJar* jar, const QVariantMap& pageHeaders, const QUrl& url) override;
    void decorateAccount(QNetworkCookieJar* jar, const QUrl& url) override;
    QString operationName(QNetworkAccessManager::Operation operation) override;
    void decorateRequest(QNetworkRequest& request, const QString& operationName, const QUrl& url) override;

    static bool isStoreUrl(const QUrl& url);

private:
    KZembaAccount* m_account;
    // The page's own names for the request being decorated.
    QStringList m_pageCookies;
    QStringList m_pageHeaders;
    QSet<QString> m_accountCookies;
};

#endif
