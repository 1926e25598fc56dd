#include "kxbrowserbridge.h"

#include <vdllite/jsonhelper.h>
#include <vdllite/kxwebviewcontainer.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <utility>

KxBrowserBridge::KxBrowserBridge(QObject* parent)
    : QObject(parent)
{
}

KxBrowserBridge::~KxBrowserBridge() = default;

void KxBrowserBridge::setContainer(KxWebViewContainer* container)
{
    m_container = container;
}

QString KxBrowserBridge::call(const QString& method, const QString& argsText, const QString& callback)
{
    QJsonObject reply;
    if (!m_container) {
        reply.insert(QStringLiteral("answer"), JsonHelper::jsonValueToQJsonValue(
                                                   KxWebViewContainer::errorAnswer(QStringLiteral("the page is closing"))));
    } else {
        const KxWebViewContainer::CallAnswer answer = m_container->invokeJsApi(method, argsText, callback);
        reply.insert(QStringLiteral("id"), static_cast<double>(answer.id));
        reply.insert(QStringLiteral("answer"), JsonHelper::jsonValueToQJsonValue(answer.result));
    }
    emit called(method, argsText, callback, reply.value(QStringLiteral("answer")));
    return QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact));
}

void KxBrowserBridge::attach()
{
    m_attached = true;
    const QList<Message> waiting = std::exchange(m_waiting, {});
    for (const Message& message : waiting)
        send(message);
    emit attached();
}

void KxBrowserBridge::detach()
{
    m_attached = false;
    m_waiting.clear();
}

void KxBrowserBridge::deliver(DeliveryKind kind, const QString& function, const QString& text, qint64 contextId)
{
    Message message;
    message.kind = kind;
    message.name = function;
    message.text = text;
    message.contextId = contextId;
    send(message);
}

void KxBrowserBridge::injectProperties(const QString& objectName, const QVariantMap& properties)
{
    Message message;
    message.injection = true;
    message.name = objectName;
    message.properties = properties;
    send(message);
}

void KxBrowserBridge::send(const Message& message)
{
    if (!m_attached) {
        m_waiting.append(message);
        return;
    }
    if (message.injection)
        emit propertiesInjected(message.name, message.properties);
    else
        emit delivered(message.kind, message.name, message.text, static_cast<double>(message.contextId));
}
