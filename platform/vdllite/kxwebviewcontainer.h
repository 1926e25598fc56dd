#ifndef KZEMBA_VDLLITE_KXWEBVIEWCONTAINER_H
#define KZEMBA_VDLLITE_KXWEBVIEWCONTAINER_H

#include "kzembaplatform_export.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <json/value.h>

class KxWebViewAsynJSObject;
class KxWebViewJSContext;
class KxWebViewPage;

/// The widget that holds a page and exposes one JS API object to it. Calls
/// from the page arrive through invokeJsApi() whatever runs the page; answers
/// and callbacks go back to the page back end. Routing stays in the JS API
/// object, so a page back end only translates between the page and this class.
class KZEMBAPLATFORM_EXPORT KxWebViewContainer : public QWidget
{
    Q_OBJECT
public:
    struct CallAnswer
    {
        qint64 id = 0;
        Json::Value result; // null when the method answered nothing
    };

    // Without a page back end the container starts with a headless page.
    explicit KxWebViewContainer(QWidget* parent = nullptr, KxWebViewPage* page = nullptr);
    ~KxWebViewContainer() override;

    KxWebViewPage* page() const;
    // Takes ownership of `page`; the previous one is deleted.
    void setPage(KxWebViewPage* page);

    void setJsApiObject(KxWebViewAsynJSObject* object);
    KxWebViewAsynJSObject* jsApiObject() const;

    void loadURL(const QUrl& url);
    QUrl url() const;

    // One call of the page. Arguments that are not a JSON object, and names nobody
    // answers to, get an "error" envelope as the answer.
    CallAnswer invokeJsApi(const QString& method, const QString& argsText, const QString& callback = QString());

    // Every answer to the page passes here. A callback name is never evaluated as script: a
    // page back end resolves it as a path on the page's window, and a name that is not such a
    // path is refused (logged, nothing delivered).
    void deliverCallback(const QString& function, const QString& text, bool raw);
    void deliverResult(const KxWebViewJSContext& context);

    // True only for a dotted path of JavaScript identifiers ("onDone", "app.cb.done"), at most
    // 256 characters long.
    static bool isValidCallbackName(const QString& name);

    static Json::Value errorAnswer(const QString& message);

signals:
    void loadFinished(bool ok);

private:
    QPointer<KxWebViewPage> m_page;
    QPointer<KxWebViewAsynJSObject> m_jsApiObject;
    qint64 m_lastCallId = 0;
};

#endif
