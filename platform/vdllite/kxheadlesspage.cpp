#include "kxheadlesspage.h"

#include "jsonhelper.h"
#include "kxwebviewcontainer.h"
#include "kxwebviewjscontext.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QTimer>

QJsonValue KxPageDelivery::json() const
{
    bool ok = false;
    const Json::Value value = JsonHelper::parseJsonValue(text, &ok);
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

void KxHeadlessPage::load(const QUrl& url)
{
    KxWebViewPage::load(url);
    m_loadedUrls.append(url);
    m_loading = true;
    // A new load replaces the one in flight, which then never reports.
    const quint64 loadId = ++m_loadId;
    if (m_holdLoads)
        return;
    const KxHeadlessLoadOutcome outcome = outcomeFor(url);
    QTimer::singleShot(0, this, [this, loadId, outcome]() { finish(loadId, outcome); });
}

void KxHeadlessPage::createBrowser(const KxBrowserOptions& options)
{
    m_options = options;
    m_browserCreated = true;
    // As in a browser, creation is reported before the first load ends.
    QTimer::singleShot(0, this, &KxHeadlessPage::browserCreated);
    load(QUrl(options.url));
}

void KxHeadlessPage::setLoadOutcome(const QUrl& url, const KxHeadlessLoadOutcome& outcome)
{
    m_outcomes.insert(url.adjusted(QUrl::RemoveFragment), outcome);
}

KxHeadlessLoadOutcome KxHeadlessPage::outcomeFor(const QUrl& url) const
{
    return m_outcomes.value(url.adjusted(QUrl::RemoveFragment));
}

void KxHeadlessPage::setHoldLoads(bool hold)
{
    m_holdLoads = hold;
}

bool KxHeadlessPage::finishLoad(const KxHeadlessLoadOutcome& outcome)
{
    if (!m_loading)
        return false;
    finish(m_loadId, outcome);
    return true;
}

void KxHeadlessPage::finish(quint64 loadId, const KxHeadlessLoadOutcome& outcome)
{
    if (loadId != m_loadId || !m_loading)
        return;
    if (outcome.httpCode != 0) {
        emit loadFinishedWithCode(m_url, outcome.httpCode);
        // A receiver may have started another load; this one then ends unreported.
        if (loadId != m_loadId)
            return;
    }
    m_loading = false;
    m_errorMessage = outcome.ok ? QString() : outcome.errorMessage;
    emit loadFinished(outcome.ok);
}

void KxHeadlessPage::reportHttpCode(const QUrl& url, int code)
{
    emit loadFinishedWithCode(url, code);
}

void KxHeadlessPage::endRenderProcess(int status)
{
    m_loading = false;
    ++m_loadId;
    emit renderProcessTerminated(status);
}

void KxHeadlessPage::raiseBrowserException(int code)
{
    emit browserException(code);
}

QJsonValue KxHeadlessPage::reportScriptReady()
{
    return call(QStringLiteral("onScriptReady"));
}

bool KxHeadlessPage::domainMatches(const QNetworkCookie& cookie, const QString& host)
{
    QString domain = cookie.domain();
    if (domain.startsWith(QLatin1Char('.')))
        domain.remove(0, 1);
    return domain.compare(host, Qt::CaseInsensitive) == 0
        || host.endsWith(QLatin1Char('.') + domain, Qt::CaseInsensitive);
}

void KxHeadlessPage::setCookie(const QUrl& url, const QNetworkCookie& cookie, const KxCookieCallback& done)
{
    QNetworkCookie stored = cookie;
    if (stored.domain().isEmpty())
        stored.setDomain(url.host());
    if (stored.path().isEmpty())
        stored.setPath(QStringLiteral("/"));
    const bool accepted = domainMatches(stored, url.host());
    if (accepted) {
        for (int i = m_cookies.size() - 1; i >= 0; --i) {
            if (m_cookies.at(i).hasSameIdentifier(stored))
                m_cookies.removeAt(i);
        }
        m_cookies.append(stored);
    }
    if (done)
        QTimer::singleShot(0, this, [done, accepted]() { done(accepted); });
}

void KxHeadlessPage::deleteCookie(const QUrl& url, const QString& name, const KxCookieCallback& done)
{
    for (int i = m_cookies.size() - 1; i >= 0; --i) {
        const QNetworkCookie& cookie = m_cookies.at(i);
        if (cookie.name() == name.toUtf8() && domainMatches(cookie, url.host()))
            m_cookies.removeAt(i);
    }
    if (done)
        QTimer::singleShot(0, this, [done]() { done(true); });
}

QList<QNetworkCookie> KxHeadlessPage::cookiesFor(const QUrl& url) const
{
    QList<QNetworkCookie> list;
    for (const QNetworkCookie& cookie : m_cookies) {
        if (!domainMatches(cookie, url.host()) || (cookie.isSecure() && url.scheme() != QLatin1String("https")))
            continue;
        if (!cookie.expirationDate().isValid() || cookie.expirationDate() > QDateTime::currentDateTimeUtc())
            list.append(cookie);
    }
    return list;
}

void KxHeadlessPage::injectProperties(const QString& objectName, const QVariantMap& properties)
{
    QVariantMap& object = m_injected[objectName];
    for (auto it = properties.begin(); it != properties.end(); ++it)
        object.insert(it.key(), it.value());
}
