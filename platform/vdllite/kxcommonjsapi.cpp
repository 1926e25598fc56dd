#include "kxcommonjsapi.h"

#include "jsonhelper.h"
#include "kxjsapiconstants.h"
#include "kxwebviewjscontext.h"
#include "krt/krt.h"

#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
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

} // namespace vdllite
