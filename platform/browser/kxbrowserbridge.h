#ifndef KZEMBA_BROWSER_KXBROWSERBRIDGE_H
#define KZEMBA_BROWSER_KXBROWSERBRIDGE_H

#include "kzembaplatformbrowser_export.h"

#include <QJsonValue>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

class KxWebViewContainer;

/// The object that a browser page publishes to its page over QWebChannel as
/// "kzembaBridge". The page's script calls JS API methods through call(); the
/// native side reaches the page through the signals. Names and texts travel
/// as data only: the page-side script resolves a function name as a dotted
/// path on its window and never evaluates anything it receives.
class KZEMBAPLATFORMBROWSER_EXPORT KxBrowserBridge : public QObject
{
    Q_OBJECT
public:
    enum DeliveryKind { Callback = 0, RawCallback = 1, Result = 2 };
    Q_ENUM(DeliveryKind)

    explicit KxBrowserBridge(QObject* parent = nullptr);
    ~KxBrowserBridge() override;

    void setContainer(KxWebViewContainer* container);

    // One call of the page: {"id": call id, "answer": the synchronous answer or null} as JSON text.
    Q_INVOKABLE QString call(const QString& method, const QString& argsText, const QString& callback);
    // The page's script has connected to the signals; what waited for it goes out now.
    Q_INVOKABLE void attach();

    bool isAttached() const { return m_attached; }
    // A new document is coming: nothing may reach it before its script attaches.
    void detach();

    void deliver(DeliveryKind kind, const QString& function, const QString& text, qint64 contextId);
    void injectProperties(const QString& objectName, const QVariantMap& properties);

signals:
    void delivered(int kind, const QString& function, const QString& text, double contextId);
    void propertiesInjected(const QString& objectName, const QVariantMap& properties);
    void attached();
    // A call of the page has been answered (for a host's log): the synchronous answer, null
    // when the method answers nothing.
    void called(const QString& method, const QString& argsText, const QString& callback, const QJsonValue& answer);

private:
    struct Message
    {
        bool injection = false;
        int kind = Callback;
        QString name;
        QString text;
        qint64 contextId = 0;
        QVariantMap properties;
    };
    void send(const Message& message);

    QPointer<KxWebViewContainer> m_container;
    bool m_attached = false;
    QList<Message> m_waiting;
};

#endif
