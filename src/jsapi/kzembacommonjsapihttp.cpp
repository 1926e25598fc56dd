// KZembaCommonJsApi: the page's HTTP requests and encrypted request content.
#include "kzembacommonjsapi.h"

#include "network/khttpaccessencryptapicontent.h"
#include "network/kzembacommonhttpaccess.h"
#include "network/kzembahttplimits.h"
#include "network/kzembaservicekey.h"
#include "resource/kzembapluginloader.h"

#include "interfaces/ikzembacorelite.h"
#include "interfaces/ikzembanetwork.h"
#include "interfaces/ikzembarequestdecorator.h"
#include "interfaces/ikzembarequestservice.h"

#include <crypto/kaesencrypt.h>
#include <crypto/krsaencrypt.h>
#include <krt/krt.h>
#include <vdllite/jsonhelper.h>
#include <vdllite/kxjsapiconstants.h>
#include <vdllite/kxloggerlite.h>

#include <QJsonDocument>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>

namespace {

// Result codes of a page's HTTP answer.
enum HttpAnswerCode { AnswerOk = 0, AnswerNotJson = 1, AnswerNetworkError = 7, AnswerTimeout = 8 };

IKZembaRequestDecorator* requestDecorator()
{
    IKZembaCoreLite* coreLite = kzemba::KZembaPluginLoader::getCoreLite();
    IKZembaRequestService* service = coreLite ? coreLite->getRequestService() : nullptr;
    return service ? service->getRequestDecorator() : nullptr;
}

// The request URL as the page meant it: "bEncode" false takes the text as already encoded.
QUrl pageUrl(const QVariantMap& args)
{
    const QString text = args.value(QStringLiteral("url")).toString();
    return args.value(QStringLiteral("bEncode"), true).toBool() ? QUrl(text, QUrl::TolerantMode)
                                                                : QUrl::fromEncoded(text.toUtf8(), QUrl::StrictMode);
}

// Checks what a page wants sent before anything is: the URL, its headers and its cookies. A
// refusal is the call's answer, an error envelope with the reason; true when it was refused.
bool refusePageRequest(KxWebViewJSContext& context, const QString& method, const QUrl& url, const QVariantMap& args)
{
    QString reason = KZembaHttpLimits::checkUrl(url);
    if (reason.isEmpty())
        reason = KZembaHttpLimits::checkHeaders(args.value(QStringLiteral("header")).toMap());
    if (reason.isEmpty())
        reason = KZembaHttpLimits::checkCookies(args.value(QStringLiteral("cookie")).toMap());
    if (reason.isEmpty())
        return false;
    KxLoggerLite::writeWarning(QStringLiteral("KZembaCommonJsApi"),
                               QStringLiteral("%1 refused, nothing sent: %2").arg(method, reason));
    context.result() = Json::Value(Json::objectValue);
    context.result()[g_str_callstatus] = g_str_error;
    context.result()[g_str_errormsg] = reason.toStdString();
    return true;
}

} // namespace

QNetworkRequest KZembaCommonJsApi::getNetRequest(const QVariantMap& args, QNetworkAccessManager::Operation operation)
{
    return netRequest(args, pageUrl(args), operation);
}

QNetworkRequest KZembaCommonJsApi::netRequest(const QVariantMap& args, const QUrl& url,
                                              QNetworkAccessManager::Operation operation)
{
    const bool eraseHisCookie = args.value(QStringLiteral("eraseHisCookie"), false).toBool();
    const QVariantMap cookies = args.value(QStringLiteral("cookie")).toMap();
    const QVariantMap headers = args.value(QStringLiteral("header")).toMap();

    QNetworkRequest request(url);

    QNetworkCookieJar* jar = networkAccessManager()->cookieJar();
    if (!cookies.isEmpty()) {
        if (eraseHisCookie) {
            const QList<QNetworkCookie> old = jar->cookiesForUrl(url);
            for (const QNetworkCookie& cookie : old)
                jar->deleteCookie(cookie);
        }
        jar->setCookiesFromUrl(organizeCookieData(cookies), url);
    }

    request.setRawHeader("X-Requested-With", "XMLHttpRequest");
    for (auto it = headers.begin(); it != headers.end(); ++it)
        request.setRawHeader(it.key().toUtf8(), it.value().toString().toUtf8());
    // Without the page's own Accept-Encoding the transport would ask for gzip and deflate and
    // inflate the answer without any bound; asking for them here leaves the decoding to the
    // access, within the body limit.
    if (!request.hasRawHeader("Accept-Encoding")) {
        request.setRawHeader("Accept-Encoding", "gzip, deflate");
        request.setAttribute(KZembaCommonHttpAccess::transportDecodingAttribute(), true);
    }

    if (krt::product::isHttpsSecurityBypass()) {
        QSslConfiguration ssl = request.sslConfiguration();
        ssl.setPeerVerifyMode(QSslSocket::VerifyNone);
        request.setSslConfiguration(ssl);
    }

    if (IKZembaRequestDecorator* decorator = requestDecorator()) {
        decorator->decorateCookies(networkAccessManager()->cookieJar(), cookies, request.url());
        decorator->decorateHeaders(networkAccessManager()->cookieJar(), headers, request.url());
        decorator->decorateAccount(networkAccessManager()->cookieJar(), request.url());
        const QString operationName = decorator->operationName(operation);
        decorator->decorateRequest(request, operationName, request.url());
    }
    return request;
}

void KZembaCommonJsApi::httpGet(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    if (args.isEmpty())
        return;
    const QUrl url = pageUrl(args);
    if (refusePageRequest(context, QStringLiteral("httpGet"), url, args))
        return;
    const QNetworkRequest request = netRequest(args, url, QNetworkAccessManager::GetOperation);
    httpAction(networkAccessManager()->get(request), args, QStringLiteral("get"));
}

void KZembaCommonJsApi::httpPost(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    if (args.isEmpty())
        return;
    const QUrl url = pageUrl(args);
    if (refusePageRequest(context, QStringLiteral("httpPost"), url, args))
        return;
    const QByteArray body = args.value(QStringLiteral("bRawData"), false).toBool()
        ? args.value(QStringLiteral("data")).toString().toUtf8()
        : organizePostData(args.value(QStringLiteral("data")).toMap());
    QNetworkRequest request = netRequest(args, url, QNetworkAccessManager::PostOperation);
    // The type Qt would send anyway, named here so that Qt does not warn about it on every post.
    if (!request.hasRawHeader("Content-Type"))
        request.setRawHeader("Content-Type", "application/x-www-form-urlencoded");
    httpAction(networkAccessManager()->post(request, body), args, QStringLiteral("post"));
}

void KZembaCommonJsApi::httpDelete(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    if (args.isEmpty())
        return;
    const QUrl url = pageUrl(args);
    if (refusePageRequest(context, QStringLiteral("httpDelete"), url, args))
        return;
    const QNetworkRequest request = netRequest(args, url, QNetworkAccessManager::DeleteOperation);
    httpAction(networkAccessManager()->deleteResource(request), args, QStringLiteral("delete"));
}

void KZembaCommonJsApi::httpAction(QNetworkReply* reply, const QVariantMap& args, const QString& method)
{
    const QString callback = args.value(QStringLiteral("callback")).toString();
    const QString type = args.value(QStringLiteral("type"), QStringLiteral("json")).toString();
    const int timeout = KZembaHttpLimits::timeoutFrom(args.value(QStringLiteral("timeout"), 0));

    auto* access = new KZembaCommonHttpAccess(reply, callback, type, timeout);
    access->setMethod(method);
    connect(access, &KZembaCommonHttpAccess::done, this, &KZembaCommonJsApi::onHttpAccessDone);
    addHttpAccess(access);
    access->go();
}

void KZembaCommonJsApi::addHttpAccess(KZembaCommonHttpAccess* access)
{
    if (access && !m_httpAccessList.contains(access))
        m_httpAccessList.append(access);
}

void KZembaCommonJsApi::onHttpAccessDone(KZembaCommonHttpAccess* access)
{
    handleHttpAccess(access);
    releaseHttpAccess(access);
}

void KZembaCommonJsApi::releaseHttpAccess(KZembaCommonHttpAccess* access)
{
    if (m_httpAccessList.removeOne(access))
        access->deleteLater();
}

void KZembaCommonJsApi::handleHttpAccess(KZembaCommonHttpAccess* access)
{
    if (!access || access->callback().isEmpty())
        return;

    int code = access->isNetworkError() ? AnswerNetworkError : access->isTimeout() ? AnswerTimeout : AnswerOk;
    const QString startTime = QString::number(access->startTime());
    const QString endTime = QString::number(access->startTime() + access->elapsed());
    const QByteArray& raw = access->rawResult();

    if (access->type() == QLatin1String("json")) {
        QJsonValue data;
        Json::Value parsed;
        JsonHelper::parseUntrusted(raw, parsed);
        if ((parsed.isObject() || parsed.isArray()) && !parsed.empty()) {
            data = JsonHelper::jsonValueToQJsonValue(parsed);
        } else {
            data = access->result();
            if (code == AnswerOk)
                code = AnswerNotJson;
        }
        const QJsonObject answer{
            {QStringLiteral("data"), data},
            {QStringLiteral("error_code"), errorCodeString(code)},
            {QStringLiteral("network_error_code"), access->errorCode()},
            {QStringLiteral("network_start_time"), startTime},
            {QStringLiteral("network_end_time"), endTime},
        };
        callbackToJS(access->callback(), JsonHelper::convertQJsonToString({{QStringLiteral("result"), answer}}), true);
        return;
    }

    if (!access->isNetworkError() && !access->isTimeout()) {
        // Every byte, NULs included.
        callbackToJSRaw(access->callback(), QString::fromLatin1(raw.constData(), raw.size()), true);
        return;
    }
    const QVariantMap answer{
        {QStringLiteral("error_code"), errorCodeString(code)},
        {QStringLiteral("network_error_code"), access->errorCode()},
        {QStringLiteral("network_start_time"), startTime},
        {QStringLiteral("network_end_time"), endTime},
        {QStringLiteral("data"), raw},
    };
    callbackToJS(access->callback(), formatResult(QStringLiteral("result"), answer), true);
}

void KZembaCommonJsApi::rsaAesEncrypt(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    const QString json = QString::fromUtf8(
        QJsonDocument(QJsonObject::fromVariantMap(args.value(QStringLiteral("data")).toMap())).toJson());
    const bool urlEncode = args.value(QStringLiteral("urlEncode"), false).toBool();

    auto answerError = [this, &context](const char* message) {
        setResult(context, QVariantMap{{QStringLiteral("encrypted"), QStringLiteral("error")},
                                       {QStringLiteral("msg"), QString::fromLatin1(message)}});
    };
    if (json.isEmpty()) {
        answerError("param error");
        return;
    }
    QByteArray aesKey;
    if (!KAesEncrypt::generateAesKey(aesKey, 32)) {
        answerError("generateAesKey error");
        return;
    }
    QString sessionKey;
    if (!KRsaEncrypt::rsaEncrypt(kzembaServicePublicKey(), aesKey, sessionKey)) {
        answerError("rsaEncrypt error");
        return;
    }
    QByteArray plain = json.toUtf8();
    const int nul = plain.indexOf('\0');
    if (nul >= 0)
        plain.truncate(nul);
    QString encrypted;
    if (!KAesEncrypt::aesEncryptCBCMode(aesKey, KHttpAccessEncryptApiContent::zeroIv(), plain, encrypted)) {
        answerError("aesEncrypt error");
        return;
    }
    if (urlEncode) {
        sessionKey = KHttpAccessEncryptApiContent::percentEncoded(sessionKey);
        encrypted = KHttpAccessEncryptApiContent::percentEncoded(encrypted);
    }
    setResult(context, QVariantMap{
                           {QStringLiteral("encrypted"), QStringLiteral("ok")},
                           {QStringLiteral("kv"), KHttpAccessEncryptApiContent::keyVersion()},
                           {QStringLiteral("sk"), sessionKey},
                           {QStringLiteral("len"), QString::number(json.length())},
                           {QStringLiteral("en"), encrypted},
                       });
}

void KZembaCommonJsApi::ssePost(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    if (args.isEmpty())
        return;
    const QString url = args.value(QStringLiteral("url")).toString();
    // The stream's URL is always read tolerantly, whatever "bEncode" says.
    if (refusePageRequest(context, QStringLiteral("ssePost"), QUrl(url, QUrl::TolerantMode), args))
        return;
    const QVariantMap cookies = args.value(QStringLiteral("cookie")).toMap();
    QVariantMap headers = args.value(QStringLiteral("header")).toMap();
    const bool rawData = args.value(QStringLiteral("bRawData"), false).toBool();
    const QByteArray body = rawData ? args.value(QStringLiteral("data")).toString().toUtf8()
                                    : organizePostData(args.value(QStringLiteral("data")).toMap());

    headers.insert(QStringLiteral("Cookie"), cookies);
    const QVariantMap options{
        {QStringLiteral("data"), body},
        {QStringLiteral("header"), headers},
        {QStringLiteral("bRawData"), rawData},
    };

    IKZembaNetWork* network = kzemba::KZembaPluginLoader::getZembaNetWork();
    if (!network) {
        setResult(context, QVariantMap());
        return;
    }
    const QString sessionId = network->openStream(QUrl(url, QUrl::TolerantMode), options, 6, nullptr, nullptr,
                                                  nullptr, 0, 5000, 0, true);
    setResult(context, sessionId.isEmpty() ? QVariantMap() : QVariantMap{{QStringLiteral("session_id"), sessionId}});
}

void KZembaCommonJsApi::sseRead(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    const QString sessionId = args.value(QStringLiteral("session_id")).toString();
    if (sessionId.isEmpty())
        return;
    const QString callback = context.getValue(QStringLiteral("callback"), QString()).toString();
    IKZembaNetWork* network = kzemba::KZembaPluginLoader::getZembaNetWork();
    if (!network)
        return;
    // The stream may outlive the page's object; deliveries after it is gone are dropped.
    const QPointer<KZembaCommonJsApi> self(this);
    network->readStream(sessionId, [self, callback](const QVariantMap& delivery) {
        if (self)
            self->callbackToJS(callback, JsonHelper::variantMapSerialize(delivery), true);
    });
}

void KZembaCommonJsApi::sseClose(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    const QString sessionId = args.value(QStringLiteral("session_id")).toString();
    if (sessionId.isEmpty())
        return;
    if (IKZembaNetWork* network = kzemba::KZembaPluginLoader::getZembaNetWork())
        network->closeStream(sessionId);
}
