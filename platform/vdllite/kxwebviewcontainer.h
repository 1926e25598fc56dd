#ifndef KZEMBA_VDLLITE_KXWEBVIEWCONTAINER_H
#define KZEMBA_VDLLITE_KXWEBVIEWCONTAINER_H

#include "kzembaplatform_export.h"
#include "kxwebviewtypes.h"

#include <QNetworkCookie>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <json/value.h>

#include <functional>

class KxWebViewAsynJSObject;
class KxWebViewJSContext;
class KxWebViewPage;

/// The widget that holds a page and exposes one JS API object to it. Calls
/// from the page arrive through invokeJsApi() whatever runs the page; answers
/// and callbacks go back to the page back end. Routing stays in the JS API
/// object, so a page back end only translates between the page and this class.
/// The container also drives its back end as a browser (create it, load URLs,
/// cookies, property injection) and relays what the back end reports; once the
/// browser exists the container itself is the view widget a host lays out.
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

    // The back end of containers made without one; the headless page when unset. A host
    // that shows real pages installs the browser page's factory here.
    using PageFactory = std::function<KxWebViewPage*()>;
    static void setPageFactory(const PageFactory& factory);

    // Creates the page's browser with these options and loads `url`; browserCreated() follows.
    void createBrowser(const QString& url, KxWebViewLinkClickPolicy linkPolicy,
                       KxWebViewCustomHeaderPolicy headerPolicy, const QNetworkProxy& proxy,
                       const QString& cachePath, const QString& cookiePath);
    bool hasBrowser() const;
    // This container once its browser exists, else null.
    QWidget* viewWidget() const;
    QString getCurrentErrorMessage() const;
    // Non-zero when the browser itself zooms pages for the screen scale `scale`, so that
    // lengths a page reports must be scaled to become widget lengths. Neither page back end
    // zooms: 0.
    virtual int browserZoomsForScale(qreal scale) const;

    // Cookie operations for the pages of `domainUrl`. `done` is told the outcome once the
    // back end has applied it, or at once (false) when the arguments are unusable.
    void setCookie(const QString& domainUrl, const QNetworkCookie& cookie, const KxCookieCallback& done = {});
    void deleteCookie(const QString& domainUrl, const QString& name, const KxCookieCallback& done = {});

    // Sets `properties` on the object `objectName` of the page's top frame.
    void injectProperties(const QString& objectName, const QVariantMap& properties);

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
    void browserCreated();
    void loadFinished(bool ok);
    // The HTTP status of a URL the page loaded (the main document or a sub-resource).
    void loadFinishedWithCode(const QUrl& url, int code);
    // The page's render process ended abnormally; `status` says how.
    void renderProcessTerminated(int status);
    void browserException(int code);
    // Input on the view in the browser's terms, as hosts connect to it by signature: a key as
    // the event type (0 key down, 2 key up), the virtual key code (27 for Esc) and the
    // modifiers; the mouse as moves and left-button releases on the view.
    void keyBoardEvent(int type, int key, int modifiers);
    void browserMouseMove(const QPoint& position);
    void browserLbuttonUp(const QPoint& position);

private:
    QPointer<KxWebViewPage> m_page;
    QPointer<KxWebViewAsynJSObject> m_jsApiObject;
    qint64 m_lastCallId = 0;
};

#endif
