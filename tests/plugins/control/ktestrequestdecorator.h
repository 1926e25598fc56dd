#ifndef KZEMBA_TESTS_KTESTREQUESTDECORATOR_H
#define KZEMBA_TESTS_KTESTREQUESTDECORATOR_H

#include "kzembatestplugins_export.h"

#include "interfaces/ikzembarequestdecorator.h"
#include "interfaces/ikzembarequestservice.h"

class KTestPluginControl;

/// The test request decorator, which is also its own sub-service. It records
/// the five calls and marks the request with the header "X-Zemba-Account" set to
/// the operation name it gave. Option "decorator/present" (default true).
class KZEMBATESTPLUGINS_EXPORT KTestRequestDecorator : public IKZembaRequestService, public IKZembaRequestDecorator
{
public:
    explicit KTestRequestDecorator(KTestPluginControl* control);

    IKZembaRequestDecorator* getRequestDecorator() override;

    void decorateCookies(QNetworkCookieJar* jar, const QVariantMap& pageCookies, const QUrl& url) override;
    void decorateHeaders(QNetworkCookieJar* jar, const QVariantMap& pageHeaders, const QUrl& url) override;
    void decorateAccount(QNetworkCookieJar* jar, const QUrl& url) override;
    QString operationName(QNetworkAccessManager::Operation operation) override;
    void decorateRequest(QNetworkRequest& request, const QString& operationName, const QUrl& url) override;

private:
    KTestPluginControl* m_control;
};

#endif
