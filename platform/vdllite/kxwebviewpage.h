#ifndef KZEMBA_VDLLITE_KXWEBVIEWPAGE_H
#define KZEMBA_VDLLITE_KXWEBVIEWPAGE_H

#include "kzembaplatform_export.h"
#include "kxwebviewtypes.h"

#include <QNetworkCookie>
#include <QObject>
#include <QPoint>
#include <QUrl>
#include <QVariantMap>

class KxWebViewContainer;
class KxWebViewJSContext;
class QWidget;

/// The page side of a web view container: what runs the page's script. A back
/// end hands the page's calls to the container (KxWebViewContainer::invokeJsApi)
/// and receives what the native side sends back; it reports what a browser
/// reports (browser created, load results, HTTP codes, renderer and browser
/// failures, input on its view) through its signals. The headless page plays a
/// page for tests and command-line hosts; the browser page does it in Chromium.
class KZEMBAPLATFORM_EXPORT KxWebViewPage : public QObject
{
    Q_OBJECT
public:
    explicit KxWebViewPage(QObject* parent = nullptr);
    ~KxWebViewPage() override;

    KxWebViewContainer* container() const;

    virtual void load(const QUrl& url);
    virtual QUrl url() const;

    // Creates the browser and loads options.url; browserCreated() follows.
    virtual void createBrowser(const KxBrowserOptions& options) = 0;
    virtual bool hasBrowser() const = 0;
    // The widget that shows the page inside the container; null when nothing is shown.
    virtual QWidget* view() const { return nullptr; }
    // Why the last load failed; empty after a successful one.
    virtual QString errorMessage() const { return m_errorMessage; }

    virtual void setCookie(const QUrl& url, const QNetworkCookie& cookie, const KxCookieCallback& done) = 0;
    // Removes every cookie named `name` that `url` would send.
    virtual void deleteCookie(const QUrl& url, const QString& name, const KxCookieCallback& done) = 0;

    // Sets `properties` on the object `objectName` of the page's top frame.
    virtual void injectProperties(const QString& objectName, const QVariantMap& properties) = 0;

    // A call of the page function `function` with `text`: a JSON value, or, when `raw`, plain text.
    virtual void deliverCallback(const QString& function, const QString& text, bool raw) = 0;
    // The later answer of the call that `context` saved.
    virtual void deliverResult(const KxWebViewJSContext& context, const QString& text) = 0;

signals:
    void browserCreated();
    void loadFinished(bool ok);
    void loadFinishedWithCode(const QUrl& url, int code);
    void renderProcessTerminated(int status);
    void browserException(int code);
    void keyboardEvent(int type, int key, int modifiers);
    void mouseMoved(const QPoint& position);
    void leftButtonReleased(const QPoint& position);

protected:
    QUrl m_url;
    QString m_errorMessage;
};

#endif
