#include "kxbrowserpage.h"

#include "kxbrowserbridge.h"

#include <vdllite/kxloggerlite.h>
#include <vdllite/kxwebviewcontainer.h>
#include <vdllite/kxwebviewjscontext.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWebChannel>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

namespace {
const char kModule[] = "KxBrowserPage";
// How long a cookie operation may wait for the store before it counts as failed.
const int kCookieWaitMs = 5000;

QHash<QString, QPointer<QWebEngineProfile>>& profiles()
{
    static QHash<QString, QPointer<QWebEngineProfile>> registry;
    return registry;
}

// Runs before QtWebEngine's own clean-up (post routines run last-added first), so that
// no profile outlives the engine.
void releaseProfiles()
{
    for (const QPointer<QWebEngineProfile>& profile : profiles())
        delete profile.data();
    profiles().clear();
}

QString readResource(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// qwebchannel.js followed by the bridge, run in the page's own world before its scripts.
QWebEngineScript bridgeScript()
{
    static const QString source = readResource(QStringLiteral(":/qtwebchannel/qwebchannel.js"))
        + QLatin1Char('\n') + readResource(QStringLiteral(":/kzembabrowser/kzembabridge.js"));
    QWebEngineScript script;
    script.setName(QStringLiteral("kzembabridge"));
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    return script;
}

QString bareDomain(const QString& domain)
{
    return domain.startsWith(QLatin1Char('.')) ? domain.mid(1).toLower() : domain.toLower();
}
} // namespace

KxBrowserPage::KxBrowserPage(QObject* parent)
    : KxWebViewPage(parent)
    , m_bridge(new KxBrowserBridge(this))
{
}

KxBrowserPage::~KxBrowserPage()
{
    // The view and its page go before anything they use.
    delete m_view.data();
    for (const CookieWait& wait : m_cookieWaits)
        delete wait.timer;
}

void KxBrowserPage::install()
{
    KxWebViewContainer::setPageFactory([]() { return new KxBrowserPage(); });
}

QWebEngineProfile* KxBrowserPage::profileFor(const QString& folder)
{
    const QString key = folder.isEmpty() ? QString() : QDir(folder).absolutePath();
    QPointer<QWebEngineProfile>& slot = profiles()[key];
    if (slot)
        return slot;
    if (profiles().size() == 1)
        qAddPostRoutine(releaseProfiles);
    if (key.isEmpty()) {
        slot = new QWebEngineProfile(QCoreApplication::instance());
    } else {
        const QString storageName = QString::fromLatin1(
            QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
        slot = new QWebEngineProfile(QStringLiteral("kzemba-") + storageName, QCoreApplication::instance());
        QDir().mkpath(key);
        slot->setCachePath(key + QStringLiteral("/cache"));
        slot->setPersistentStoragePath(key + QStringLiteral("/storage"));
        slot->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    }
    slot->scripts()->insert(bridgeScript());
    return slot;
}

void KxBrowserPage::createBrowser(const KxBrowserOptions& options)
{
    if (!m_view) {
        const QString storage = options.cookiePath.isEmpty() ? options.cachePath : options.cookiePath;
        m_profile = profileFor(storage);
        if (!options.cookiePath.isEmpty() && !options.cachePath.isEmpty())
            m_profile->setCachePath(QDir(options.cachePath).absolutePath());

        m_view = new QWebEngineView();
        auto* page = new QWebEnginePage(m_profile, m_view);
        auto* channel = new QWebChannel(page);
        channel->registerObject(QStringLiteral("kzembaBridge"), m_bridge);
        page->setWebChannel(channel);
        m_view->setPage(page);
        m_bridge->setContainer(container());
        m_view->installEventFilter(this);

        connect(page, &QWebEnginePage::loadStarted, this, [this]() { m_bridge->detach(); });
        connect(page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
            m_errorMessage = ok ? QString() : QStringLiteral("the page could not be loaded: %1").arg(m_url.toString());
            emit loadFinished(ok);
        });
        connect(page, &QWebEnginePage::renderProcessTerminated, this,
                [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                    if (status == QWebEnginePage::NormalTerminationStatus)
                        return;
                    m_errorMessage = QStringLiteral("render process ended (status %1, exit code %2)")
                                         .arg(int(status))
                                         .arg(exitCode);
                    KxLoggerLite::writeWarning(QString::fromLatin1(kModule), m_errorMessage);
                    // Chromium must not be asked to navigate while it reports the loss, so
                    // receivers hear of it on the next turn.
                    QTimer::singleShot(0, this, [this, status]() { emit renderProcessTerminated(int(status)); });
                });

        QWebEngineCookieStore* store = m_profile->cookieStore();
        connect(store, &QWebEngineCookieStore::cookieAdded, this, &KxBrowserPage::onCookieAdded);
        connect(store, &QWebEngineCookieStore::cookieRemoved, this, &KxBrowserPage::onCookieRemoved);
        store->loadAllCookies();
    }
    // Creation is reported on a later turn, as a browser does, and before the first load ends.
    QTimer::singleShot(0, this, &KxBrowserPage::browserCreated);
    load(QUrl(options.url));
}

QWidget* KxBrowserPage::view() const
{
    return m_view.data();
}

void KxBrowserPage::load(const QUrl& url)
{
    KxWebViewPage::load(url);
    if (m_view)
        m_view->setUrl(url);
}

QUrl KxBrowserPage::url() const
{
    return m_url;
}

void KxBrowserPage::deliverCallback(const QString& function, const QString& text, bool raw)
{
    m_bridge->deliver(raw ? KxBrowserBridge::RawCallback : KxBrowserBridge::Callback, function, text, 0);
}

void KxBrowserPage::deliverResult(const KxWebViewJSContext& context, const QString& text)
{
    m_bridge->deliver(KxBrowserBridge::Result, context.callback(), text, context.id());
}

void KxBrowserPage::injectProperties(const QString& objectName, const QVariantMap& properties)
{
    m_bridge->injectProperties(objectName, properties);
}

bool KxBrowserPage::sameCookie(const QNetworkCookie& a, const QNetworkCookie& b)
{
    return a.name() == b.name() && bareDomain(a.domain()) == bareDomain(b.domain())
        && (a.path().isEmpty() ? QStringLiteral("/") : a.path()) == (b.path().isEmpty() ? QStringLiteral("/") : b.path());
}

void KxBrowserPage::setCookie(const QUrl& url, const QNetworkCookie& cookie, const KxCookieCallback& done)
{
    if (!m_profile) {
        if (done)
            QTimer::singleShot(0, this, [done]() { done(false); });
        return;
    }
    QNetworkCookie wanted = cookie;
    if (wanted.domain().isEmpty())
        wanted.setDomain(url.host());
    if (wanted.path().isEmpty())
        wanted.setPath(QStringLiteral("/"));
    if (done)
        waitForCookie(wanted, false, done);
    m_profile->cookieStore()->setCookie(cookie, url);
}

void KxBrowserPage::waitForCookie(const QNetworkCookie& cookie, bool removal, const KxCookieCallback& done)
{
    CookieWait wait;
    wait.cookie = cookie;
    wait.removal = removal;
    wait.done = done;
    wait.timer = new QTimer(this);
    wait.timer->setSingleShot(true);
    QTimer* timer = wait.timer;
    connect(timer, &QTimer::timeout, this, [this, timer]() { finishCookieWait(timer, false); });
    m_cookieWaits.append(wait);
    timer->start(kCookieWaitMs);
}

void KxBrowserPage::deleteCookie(const QUrl& url, const QString& name, const KxCookieCallback& done)
{
    QList<QNetworkCookie> doomed;
    const QString host = url.host().toLower();
    for (const QNetworkCookie& cookie : qAsConst(m_cookies)) {
        const QString domain = bareDomain(cookie.domain());
        if (cookie.name() == name.toUtf8() && (domain == host || host.endsWith(QLatin1Char('.') + domain)))
            doomed.append(cookie);
    }
    if (doomed.isEmpty() || !m_profile) {
        if (done)
            QTimer::singleShot(0, this, [done, ok = !!m_profile]() { done(ok); });
        return;
    }
    for (int i = 0; i < doomed.size(); ++i) {
        // The caller hears once, when the last of them is gone.
        if (done && i == doomed.size() - 1)
            waitForCookie(doomed.at(i), true, done);
        m_profile->cookieStore()->deleteCookie(doomed.at(i), url);
    }
}

void KxBrowserPage::onCookieAdded(const QNetworkCookie& cookie)
{
    for (int i = m_cookies.size() - 1; i >= 0; --i) {
        if (sameCookie(m_cookies.at(i), cookie))
            m_cookies.removeAt(i);
    }
    m_cookies.append(cookie);
    settleCookieWaits(cookie, false);
}

void KxBrowserPage::onCookieRemoved(const QNetworkCookie& cookie)
{
    for (int i = m_cookies.size() - 1; i >= 0; --i) {
        if (sameCookie(m_cookies.at(i), cookie))
            m_cookies.removeAt(i);
    }
    settleCookieWaits(cookie, true);
}

void KxBrowserPage::settleCookieWaits(const QNetworkCookie& cookie, bool removal)
{
    QList<QTimer*> settled;
    for (const CookieWait& wait : qAsConst(m_cookieWaits)) {
        if (wait.removal == removal && sameCookie(wait.cookie, cookie))
            settled.append(wait.timer);
    }
    for (QTimer* timer : settled)
        finishCookieWait(timer, true);
}

void KxBrowserPage::finishCookieWait(QTimer* timer, bool ok)
{
    for (int i = 0; i < m_cookieWaits.size(); ++i) {
        if (m_cookieWaits.at(i).timer != timer)
            continue;
        const KxCookieCallback done = m_cookieWaits.takeAt(i).done;
        timer->deleteLater();
        done(ok);
        return;
    }
}

void KxBrowserPage::watchInput(QObject* object)
{
    if (object && object->isWidgetType())
        object->installEventFilter(this);
}

bool KxBrowserPage::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        // Chromium draws into a child widget of the view; input arrives there.
        if (watched == m_view)
            watchInput(static_cast<QChildEvent*>(event)->child());
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        emit keyboardEvent(int(event->type()), key->key(), int(key->modifiers()));
        break;
    }
    case QEvent::MouseMove:
        emit mouseMoved(static_cast<QMouseEvent*>(event)->pos());
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            emit leftButtonReleased(static_cast<QMouseEvent*>(event)->pos());
        break;
    default:
        break;
    }
    return KxWebViewPage::eventFilter(watched, event);
}
