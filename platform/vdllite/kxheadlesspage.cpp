#include "kxheadlesspage.h"

#include "jsonhelper.h"
#include "kxwebviewcontainer.h"
#include "kxwebviewjscontext.h"

#include <QJsonDocument>

QJsonValue KxPageDelivery::json() const
{
    // A delivery's envelope wraps a value that was read within the usual depth.
    Json::Value value;
    const bool ok = JsonHelper::parseUntrusted(text, value, nullptr,
                                               JsonHelper::kMaxDepth + JsonHelper::kEnvelopeDepth);
    return ok ? JsonHelper::jsonValueToQJsonValue(value) : QJsonValue(QJsonValue::Null);
}

KxHeadlessPage::KxHeadlessPage(QObject* parent)
    : KxWebViewPage(parent)
{
}

KxHeadlessPage::~KxHeadlessPage() = default;

QJsonValue KxHeadlessPage::call(const QString& method, const QJsonObject& args, const QString& callback)
{
    return callWithText(method, QString::fromUtf8(QJsonDocument(args).toJson(QJsonDocument::Compact)), callback);
}

QJsonValue KxHeadlessPage::callWithText(const QString& method, const QString& argsText, const QString& callback)
{
    KxWebViewContainer* owner = container();
    if (!owner)
        return QJsonValue(QJsonValue::Null);
    const KxWebViewContainer::CallAnswer answer = owner->invokeJsApi(method, argsText, callback);
    m_lastCallId = answer.id;
    return JsonHelper::jsonValueToQJsonValue(answer.result);
}

QList<KxPageDelivery> KxHeadlessPage::deliveriesTo(const QString& function) const
{
    QList<KxPageDelivery> list;
    for (const KxPageDelivery& delivery : m_deliveries) {
        if (delivery.function == function)
            list.append(delivery);
    }
    return list;
}

void KxHeadlessPage::clearDeliveries()
{
    m_deliveries.clear();
}

void KxHeadlessPage::deliverCallback(const QString& function, const QString& text, bool raw)
{
    KxPageDelivery delivery;
    delivery.kind = raw ? KxPageDelivery::RawCallback : KxPageDelivery::Callback;
    delivery.function = function;
    delivery.text = text;
    record(delivery);
}

void KxHeadlessPage::deliverResult(const KxWebViewJSContext& context, const QString& text)
{
    KxPageDelivery delivery;
    delivery.kind = KxPageDelivery::Result;
    delivery.function = context.callback();
    delivery.text = text;
    delivery.contextId = context.id();
    record(delivery);
}

void KxHeadlessPage::record(const KxPageDelivery& delivery)
{
    m_deliveries.append(delivery);
    emit delivered(delivery);
}
