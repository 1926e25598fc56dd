#ifndef KZEMBA_VDLLITE_KXHEADLESSPAGE_H
#define KZEMBA_VDLLITE_KXHEADLESSPAGE_H

#include "kxwebviewpage.h"

#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMetaType>
#include <QString>

/// One thing the native side sent to a page.
struct KZEMBAPLATFORM_EXPORT KxPageDelivery
{
    enum Kind { Callback, RawCallback, Result };

    Kind kind = Callback;
    QString function;    // page function called (for a result: the call's callback name)
    QString text;        // JSON text, or plain text for a raw callback
    qint64 contextId = 0; // for a result: the id of the answered call

    // The JSON value of `text`, or null when it is not JSON.
    QJsonValue json() const;
};

Q_DECLARE_METATYPE(KxPageDelivery)

/// How the headless page finishes a load of one URL.
struct KZEMBAPLATFORM_EXPORT KxHeadlessLoadOutcome
{
    bool ok = true;
    QString errorMessage; // the container's error message when the load fails
    int httpCode = 0;     // reported with loadFinishedWithCode() before the load ends; 0: none
};

/// A page without a browser: a test or a command-line host plays its script.
/// It calls methods by name with a JSON argument object and gets the synchronous
/// answer back, and it records, in order, everything delivered to it later.
/// It also behaves as a browser does, on the event loop: the browser is created
/// and loads finish on a later turn (with the outcome scripted for the URL, or
/// held until the script finishes them), a new load replaces one in flight, and
/// HTTP codes, render-process ends and browser errors happen when the script
/// says so. Cookies and injected properties are kept for the script to read.
class KZEMBAPLATFORM_EXPORT KxHeadlessPage : public KxWebViewPage
{
    Q_OBJECT
public:
    explicit KxHeadlessPage(QObject* parent = nullptr);
    ~KxHeadlessPage() override;

    // The synchronous answer of the call, or null when the method set none.
    QJsonValue call(const QString& method, const QJsonObject& args = QJsonObject(), const QString& callback = QString());
    // The same with the arguments as the page's raw text, which need not be an object.
    QJsonValue callWithText(const QString& method, const QString& argsText, const QString& callback = QString());
    qint64 lastCallId() const { return m_lastCallId; }

    const QList<KxPageDelivery>& deliveries() const { return m_deliveries; }
    QList<KxPageDelivery> deliveriesTo(const QString& function) const;
    void clearDeliveries();

    void deliverCallback(const QString& function, const QString& text, bool raw) override;
    void deliverResult(const KxWebViewJSContext& context, const QString& text) override;

    // Browser behaviour.
    void load(const QUrl& url) override;
    void createBrowser(const KxBrowserOptions& options) override;
    bool hasBrowser() const override { return m_browserCreated; }
    void setCookie(const QUrl& url, const QNetworkCookie& cookie, const KxCookieCallback& done) override;
    void deleteCookie(const QUrl& url, const QString& name, const KxCookieCallback& done) override;
    void injectProperties(const QString& objectName, const QVariantMap& properties) override;

    // The script's side. An outcome scripted for a URL (compared without fragment) is used
    // by every load of it; other URLs load fine.
    void setLoadOutcome(const QUrl& url, const KxHeadlessLoadOutcome& outcome);
    // While held, loads stay in flight until finishLoad().
    void setHoldLoads(bool hold);
    bool isLoading() const { return m_loading; }
    // Ends the load in flight with this outcome; false when none is in flight.
    bool finishLoad(const KxHeadlessLoadOutcome& outcome = KxHeadlessLoadOutcome());
    QList<QUrl> loadedUrls() const { return m_loadedUrls; }
    KxBrowserOptions browserOptions() const { return m_options; }
    void reportHttpCode(const QUrl& url, int code);
    void endRenderProcess(int status);
    void raiseBrowserException(int code);
    // What the page's script does when it is ready: it calls "onScriptReady".
    QJsonValue reportScriptReady();
    QList<QNetworkCookie> cookies() const { return m_cookies; }
    // The cookies that a request to `url` would carry.
    QList<QNetworkCookie> cookiesFor(const QUrl& url) const;
    QVariantMap injectedProperties(const QString& objectName) const { return m_injected.value(objectName); }

signals:
    void delivered(const KxPageDelivery& delivery);

private:
    void record(const KxPageDelivery& delivery);
    void finish(quint64 loadId, const KxHeadlessLoadOutcome& outcome);
    KxHeadlessLoadOutcome outcomeFor(const QUrl& url) const;
    static bool domainMatches(const QNetworkCookie& cookie, const QString& host);

    QList<KxPageDelivery> m_deliveries;
    qint64 m_lastCallId = 0;

    KxBrowserOptions m_options;
    bool m_browserCreated = false;
    bool m_holdLoads = false;
    bool m_loading = false;
    quint64 m_loadId = 0;
    QList<QUrl> m_loadedUrls;
    QHash<QUrl, KxHeadlessLoadOutcome> m_outcomes;
    QList<QNetworkCookie> m_cookies;
    QHash<QString, QVariantMap> m_injected;
};

#endif
