#ifndef KZEMBA_BROWSER_KXBROWSERPAGE_H
#define KZEMBA_BROWSER_KXBROWSERPAGE_H

#include "kzembaplatformbrowser_export.h"

#include <vdllite/kxwebviewpage.h>

#include <QList>
#include <QNetworkCookie>
#include <QPointer>
#include <QWebEngineProfile>
#include <QWebEngineView>

class KxBrowserBridge;
class QTimer;

/// The browser page: a QtWebEngine view whose page script reaches the
/// container's JS API object over QWebChannel. The bridge script is injected
/// at document creation, so a store page needs nothing of its own (see
/// kzembabridge.js for its API). The page's profile keeps its cache and
/// persistent storage in the folder given to createBrowser (the cookie folder,
/// when one is given, holds the persistent storage); pages with the same
/// folder share one profile. Cookie operations go to the profile's cookie
/// store and complete when the store reports the change.
///
/// Chromium does not tell Qt 5 the HTTP status of a document, so this page
/// never emits loadFinishedWithCode(); a main document that fails to load at
/// all ends with loadFinished(false). Browser exceptions are not reported
/// either: Qt 5 has no such event.
class KZEMBAPLATFORMBROWSER_EXPORT KxBrowserPage : public KxWebViewPage
{
    Q_OBJECT
public:
    explicit KxBrowserPage(QObject* parent = nullptr);
    ~KxBrowserPage() override;

    // Makes every container created from now on use a browser page.
    static void install();

    void load(const QUrl& url) override;
    QUrl url() const override;
    void createBrowser(const KxBrowserOptions& options) override;
    bool hasBrowser() const override { return !m_view.isNull(); }
    QWidget* view() const override;
    void setCookie(const QUrl& url, const QNetworkCookie& cookie, const KxCookieCallback& done) override;
    void deleteCookie(const QUrl& url, const QString& name, const KxCookieCallback& done) override;
    void injectProperties(const QString& objectName, const QVariantMap& properties) override;
    void deliverCallback(const QString& function, const QString& text, bool raw) override;
    void deliverResult(const KxWebViewJSContext& context, const QString& text) override;

    QWebEngineView* webView() const { return m_view.data(); }
    KxBrowserBridge* bridge() const { return m_bridge; }
    QWebEngineProfile* profile() const { return m_profile.data(); }
    // The cookies the profile's store holds, as it reported them.
    QList<QNetworkCookie> storedCookies() const { return m_cookies; }

    // The profile for pages whose storage lives in `folder` (off the record when empty).
    static QWebEngineProfile* profileFor(const QString& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct CookieWait
    {
        bool removal = false;
        QNetworkCookie cookie;
        KxCookieCallback done;
        QTimer* timer = nullptr;
    };
    void onCookieAdded(const QNetworkCookie& cookie);
    void onCookieRemoved(const QNetworkCookie& cookie);
    // `done` hears when the store reports the cookie set (or removed), or false after a while.
    void waitForCookie(const QNetworkCookie& cookie, bool removal, const KxCookieCallback& done);
    void settleCookieWaits(const QNetworkCookie& cookie, bool removal);
    void finishCookieWait(QTimer* timer, bool ok);
    static bool sameCookie(const QNetworkCookie& a, const QNetworkCookie& b);
    void watchInput(QObject* object);

    KxBrowserBridge* m_bridge;
    QPointer<QWebEngineView> m_view;
    QPointer<QWebEngineProfile> m_profile;
    QList<QNetworkCookie> m_cookies;
    QList<CookieWait> m_cookieWaits;
};

#endif
