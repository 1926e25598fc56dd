#include "kxcommonjsapi.h"

#include "jsonhelper.h"
#include "kxjsapiconstants.h"
#include "kxjsapiutilhandler.h"
#include "kxwebviewcontainer.h"
#include "kxwebviewjscontext.h"
#include "krt/krt.h"

#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QWidget>
#include <QUrl>
#include <QUuid>

namespace vdllite {

KxCommonJsApi::KxCommonJsApi(KxWebViewContainer* container)
    : KxWebViewAsynJSObject(container)
    , m_networkAccessManager(new QNetworkAccessManager(this))
{
    m_networkAccessManager->setCookieJar(new QNetworkCookieJar(m_networkAccessManager));
}

KxCommonJsApi::~KxCommonJsApi() = default;

void KxCommonJsApi::init()
{
}

QWidget* KxCommonJsApi::createNewUrlWidget(QWidget*, int, int, bool, bool)
{
    return nullptr;
}

QString KxCommonJsApi::getLocalStoragePath() const
{
    return krt::dirs::officeData() + QStringLiteral("/KZembaCommon/localstorage.db");
}

QString KxCommonJsApi::getSkinConfigPath() const
{
    return QString();
}

void KxCommonJsApi::setResult(KxWebViewJSContext& context, const QVariantMap& result)
{
    context.result() = JsonHelper::variantToJsonValue(result);
}

void KxCommonJsApi::setResult(KxWebViewJSContext& context, const QVariant& result)
{
    context.result() = JsonHelper::variantToJsonValue(result);
}

QString KxCommonJsApi::formatResult(const QVariant& value) const
{
    return formatResult(QString::fromLatin1(g_str_result), value);
}

QString KxCommonJsApi::formatResult(const QString& key, const QVariant& value) const
{
    Json::Value answer(Json::objectValue);
    answer[g_str_callstatus] = g_str_ok;
    answer[key.toStdString()] = JsonHelper::variantToJsonValue(value);
    return JsonHelper::jsonValueToString(answer);
}

QList<QNetworkCookie> KxCommonJsApi::organizeCookieData(const QVariantMap& cookies) const
{
    QList<QNetworkCookie> list;
    for (auto it = cookies.begin(); it != cookies.end(); ++it) {
        if (it.key().isEmpty())
            continue;
        list.append(QNetworkCookie(it.key().toUtf8(), it.value().toString().toUtf8()));
    }
    return list;
}

static QByteArray formValue(const QVariant& value)
{
    const int type = static_cast<int>(value.type());
    if (type == QMetaType::QVariantMap || type == QMetaType::QVariantHash || type == QMetaType::QVariantList
        || type == QMetaType::QStringList) {
        return JsonHelper::jsonValueToString(JsonHelper::variantToJsonValue(value)).toUtf8();
    }
    if (type == QMetaType::QByteArray)
        return value.toByteArray();
    return value.toString().toUtf8();
}

QByteArray KxCommonJsApi::organizePostData(const QVariantMap& data) const
{
    QByteArray body;
    for (auto it = data.begin(); it != data.end(); ++it) {
        if (!body.isEmpty())
            body.append('&');
        body.append(it.key().toUtf8().toPercentEncoding());
        body.append('=');
        body.append(formValue(it.value()).toPercentEncoding());
    }
    return body;
}

QString KxCommonJsApi::errorCodeString(int code)
{
    return QString::number(code);
}

QNetworkAccessManager* KxCommonJsApi::networkAccessManager() const
{
    return m_networkAccessManager;
}

void KxCommonJsApi::onVipInfoChange(const QVariantMap&)
{
}

void KxCommonJsApi::login(KxWebViewJSContext&)
{
    m_confirmId = QUuid::createUuid().toString(QUuid::WithoutBraces);
}

void KxCommonJsApi::logout(KxWebViewJSContext&)
{
}

namespace {
const int kHttpTimeoutMs = 30000;
const qint64 kHttpBodyLimit = 8 * 1024 * 1024;
} // namespace

static void answerOk(KxWebViewJSContext& context, const Json::Value& value)
{
    KxJSApiUtilHandler::setOk(context);
    context.result()[g_str_result] = value;
}

void KxCommonJsApi::checkUserLogin(KxWebViewJSContext& context)
{
    answerOk(context, false);
}

void KxCommonJsApi::getUserInfoCookie(KxWebViewJSContext& context)
{
    answerOk(context, "");
}

void KxCommonJsApi::getUserLoginInfo(KxWebViewJSContext& context)
{
    answerOk(context, Json::Value(Json::objectValue));
}

void KxCommonJsApi::httpGet(KxWebViewJSContext& context)
{
    sendHttpRequest(context, false);
}

void KxCommonJsApi::httpPost(KxWebViewJSContext& context)
{
    sendHttpRequest(context, true);
}

void KxCommonJsApi::sendHttpRequest(KxWebViewJSContext& context, bool post)
{
    const QVariantMap args = parseContextArgs(context, true);
    const QUrl url(args.value(QStringLiteral("url")).toString().trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        KxJSApiUtilHandler::setError(context, QStringLiteral("url is not valid."));
        return;
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(kHttpTimeoutMs);

    QNetworkReply* reply = nullptr;
    if (post) {
        const QVariant data = args.value(QStringLiteral("data"));
        const QByteArray body = data.type() == QVariant::Map ? organizePostData(data.toMap()) : data.toString().toUtf8();
        if (!request.header(QNetworkRequest::ContentTypeHeader).isValid())
            request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
        reply = m_networkAccessManager->post(request, body);
    } else {
        reply = m_networkAccessManager->get(request);
    }
    // A page gets at most kHttpBodyLimit bytes; a longer answer is cut off and reported.
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kHttpBodyLimit)
            reply->abort();
    });
    const QString callback = args.value(QStringLiteral("callback")).toString();
    connect(reply, &QNetworkReply::finished, this, [this, reply, callback]() {
        reply->deleteLater();
        if (callback.isEmpty())
            return;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        QVariantMap answer;
        // An HTTP status is an answer for the page; a failed transfer is an error.
        if (reply->error() == QNetworkReply::OperationCanceledError
            || (reply->error() != QNetworkReply::NoError && !status.isValid())) {
            answer.insert(QLatin1String(g_str_callstatus), QLatin1String(g_str_error));
            answer.insert(QLatin1String(g_str_errormsg), reply->errorString());
        } else {
            answer.insert(QLatin1String(g_str_callstatus), QLatin1String(g_str_ok));
            answer.insert(QLatin1String(g_str_result),
                          QVariantMap{{QStringLiteral("status"), status.toInt()},
                                      {QStringLiteral("response"), QString::fromUtf8(reply->readAll())}});
        }
        callbackToJS(callback, JsonHelper::variantMapSerialize(answer), true);
    });
    KxJSApiUtilHandler::setOk(context);
}

void KxCommonJsApi::navigateOnNewWidget(KxWebViewJSContext& context)
{
    openUrlWidget(context);
}

void KxCommonJsApi::openZembaUnifyPayDlg(KxWebViewJSContext& context)
{
    openUrlWidget(context);
}

void KxCommonJsApi::openUrlWidget(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context, true);
    const QUrl url(args.value(QStringLiteral("url")).toString().trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.isEmpty()) {
        KxJSApiUtilHandler::setError(context, QStringLiteral("url is not valid."));
        return;
    }
    QWidget* widget = createNewUrlWidget(widgetParent(), args.value(QStringLiteral("width"), 800).toInt(),
                                         args.value(QStringLiteral("height"), 600).toInt(),
                                         args.value(QStringLiteral("modal")).toBool(),
                                         args.value(QStringLiteral("resizable"), true).toBool());
    if (!widget) {
        KxJSApiUtilHandler::setError(context, QStringLiteral("can not create widget."));
        return;
    }
    auto* view = qobject_cast<KxWebViewContainer*>(widget);
    if (!view)
        view = widget->findChild<KxWebViewContainer*>();
    if (view)
        view->loadURL(url);
    widget->show();
    KxJSApiUtilHandler::setOk(context);
}

} // namespace vdllite
