#include "kzembacommonwebwidget.h"

#include "interfaces/ikzembaaccount.h"
#include "interfaces/ikzembacorelite.h"
#include "interfaces/ikzembauserinfo.h"
#include "jsapi/kzembacommonjsapi.h"
#include "jsapi/kzembalibrary.h"
#include "resource/kzembapluginloader.h"
#include "webwidget/kzembaeventreporter.h"

#include <krt/kcoreapplication.h>
#include <krt/kdcinfoc.h>
#include <krt/kdomainmgr.h>
#include <krt/kpluginconfig.h>
#include <krt/krt.h>
#include <ui/kliteskeletonwaitingwidgetbase.h>
#include <ui/kskin.h>
#include <vdllite/jsonhelper.h>
#include <vdllite/kcefcacheloadingwidget.h>
#include <vdllite/kxjscore.h>
#include <vdllite/kxloggerlite.h>
#include <vdllite/kxurlutils.h>
#include <vdllite/kxwebviewcontainer.h>
#include <vdllite/kxwebviewhost.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkCookie>
#include <QStackedLayout>

namespace {
const char kModule[] = "KZembaCommonWebWidget";
const char kPageFlag[] = "ZembaPage";

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

QString productName()
{
    static const QString name = [] {
        const QString configured
            = krt::config::value(QStringLiteral("PluginPlatformProductName/value")).toString();
        return configured.isEmpty() ? QStringLiteral("qox") : configured;
    }();
    return name;
}

// Set by the first show of the process, whatever it reported.
bool& showReported()
{
    static bool reported = false;
    return reported;
}

KSkin* findSkin()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app ? app->findChild<KSkin*>(QString(), Qt::FindChildrenRecursively) : nullptr;
}

IKZembaAccount* accountService()
{
    IKZembaCoreLite* coreLite = kzemba::KZembaPluginLoader::getCoreLite();
    return coreLite ? coreLite->getAccount() : nullptr;
}
} // namespace

KZembaCommonWebWidget::KZembaCommonWebWidget(QWidget* parent, const QString& name,
                                             zemba::base::KZembaWidgetType type)
    : vdllite::KxCommonWebWidget(parent)
    , m_profiler(name)
    , m_widgetType(type)
    , m_name(name)
    , m_loadStartTime(now())
    , m_loadTimeout(krt::config::value(QStringLiteral("qoxoffice/plugins/webwidget/timeout"), 20000).toInt())
{
    setPageFlag(QString::fromLatin1(kPageFlag));
    setProperty("qtspyName", QStringLiteral("ZembaCommonWebWidget"));

    if (KSkin* skin = findSkin())
        connect(skin, &KSkin::skinChanged, this, &KZembaCommonWebWidget::onSkinChanged, Qt::UniqueConnection);
    if (IKZembaUserInfo* userInfo = kzemba::KZembaPluginLoader::getZembaUserInfo())
        userInfo->queryAllInfo(kzemba::libraryModuleName(), this);
    if (IKZembaAccount* account = accountService())
        account->notifyCookiesChanged(this, "1updateCookies()");
}

KZembaCommonWebWidget::~KZembaCommonWebWidget()
{
    if (IKZembaUserInfo* userInfo = kzemba::KZembaPluginLoader::getZembaUserInfo())
        userInfo->removeListener(this);
}

void KZembaCommonWebWidget::log(const QString& message) const
{
    KxLoggerLite::writeInfo(QString::fromLatin1(kModule), QStringLiteral("[%1] ").arg(m_name) + message);
}

void KZembaCommonWebWidget::init(const QString& url, const QString& appId, bool createBrowser,
                                 KxWebViewCefJsApiFlag jsApiFlag)
{
    m_loadStartTime = now();
    m_profiler.createStart = now();
    startLoadMonitor();
    log(QStringLiteral("init appid: %1, url: %2").arg(appId, url));
    vdllite::KxCommonWebWidget::init(url, appId, createBrowser, jsApiFlag);
}

QWidget* KZembaCommonWebWidget::createWaitingWidget()
{
    auto* waiting = new KCefCacheLoadingWidget(this, QString(), 0.0, true, false);
    m_waitingWidget = waiting;
    waiting->installEventFilter(this);
    m_loadStartTime = now();
    return waiting;
}

bool KZembaCommonWebWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_waitingWidget && event->type() == QEvent::Hide)
        watched->removeEventFilter(this);
    return vdllite::KxCommonWebWidget::eventFilter(watched, event);
}

void KZembaCommonWebWidget::initWebView()
{
    vdllite::KxCommonWebWidget::initWebView();
    // The restricted JS API objects have neither signal.
    connectIfPresent(jsApi(), SIGNAL(sig_notifyWebPerfCollect()), this, SLOT(onNotifyWebPerfCollect()));
    connectIfPresent(jsApi(), SIGNAL(sig_queryUserAccountInfoState()), this, SLOT(onQueryUserAccountInfoState()));
}

void KZembaCommonWebWidget::connectIfPresent(QObject* sender, const char* signal, QObject* receiver,
                                             const char* method, Qt::ConnectionType type)
{
    if (!sender || !receiver)
        return;
    // SIGNAL() and SLOT() texts start with a code digit.
    const QByteArray signalName = QMetaObject::normalizedSignature(signal + 1);
    const QByteArray methodName = QMetaObject::normalizedSignature(method + 1);
    if (sender->metaObject()->indexOfSignal(signalName.constData()) < 0
        || receiver->metaObject()->indexOfMethod(methodName.constData()) < 0) {
        return;
    }
    QObject::connect(sender, signal, receiver, method, type);
}

void KZembaCommonWebWidget::loadWebView()
{
    KxWebViewContainer* view = container();
    if (!view)
        return;
    const QString url = getMainUrl();
    const QNetworkProxy proxy(QNetworkProxy::DefaultProxy, QString(), 0, QString(), QString());
    const QString dataFolder
        = krt::dirs::officeHome() + QLatin1Char('/') + productName() + QStringLiteral("/addons/data/linux-x64");
    QDir().mkpath(dataFolder);
    const QString cacheFolder = QDir::toNativeSeparators(dataFolder + QDir::separator() + QStringLiteral("zembas"));
    QDir().mkpath(cacheFolder);
    view->createBrowser(url, KxWebViewLinkClickDelegate, KxWebViewCustomHeaderAll, proxy, cacheFolder,
                        getCookiePath());
    if (QWidget* viewWidget = view->viewWidget()) {
        viewWidget->setProperty("EnableMouseDownEditMenu", true);
        viewWidget->setProperty("ResetCocoaMenuBar", true);
    }
}

void KZembaCommonWebWidget::onBrowserCreated()
{
    log(QStringLiteral("onBrowserCreated"));
    KxWebViewHost::instance()->addInstance(pageFlag(), container(), QString());
    if (container()) {
        if (m_errorPageShown) {
            showTransit();
            startLoadMonitor();
            vdllite::KxCommonWebWidget::onBrowserCreated();
            m_errorPageShown = false;
        } else {
            m_profiler.createDone = now();
        }
        m_profiler.loadStart = now();
        m_profiler.loadDone = 0;
        m_profiler.scriptReady = 0;
        m_profiler.finished = 0;
    }
    updateCookies();
}

void KZembaCommonWebWidget::loadMainPage()
{
    log(QStringLiteral("loadMainPage"));
    if (KxWebViewContainer* view = container()) {
        if (takeFocus())
            view->setFocusPolicy(Qt::NoFocus);
        view->loadURL(QUrl(url()));
    }
}

void KZembaCommonWebWidget::onLoadedFinished(bool ok)
{
    const QString message = container() ? container()->getCurrentErrorMessage() : QString();
    log(QStringLiteral("onLoadedFinished status: %1, message: %2").arg(ok ? 1 : 0).arg(message));
    m_profiler.loadDone = now();
    if (!ok) {
        m_profiler.webLoadFailed(message);
        if (!container())
            return;
        if (m_errorPageShown) {
            log(QStringLiteral("load error page failed."));
            return;
        }
        loadErrorPage();
        return;
    }
    if (m_errorPageShown)
        showWebWidget();
}

void KZembaCommonWebWidget::onLoadedFinishedWithCode(const QUrl& url, int code)
{
    log(QStringLiteral("onLoadedFinishedWithCode code: %1 url: %2").arg(code).arg(url.toString()));
    KxWebViewContainer* view = container();
    if (!view || url.toString() != view->url().toString())
        return;
    if (code != 302 && code != 404 && code != 503)
        return;
    if (!m_errorPageShown) {
        m_profiler.webLoadFailed(QStringLiteral("error code: %1").arg(code));
        loadErrorPage();
    }
}

void KZembaCommonWebWidget::onLoadedTimeout()
{
    const QString status = m_pageReady ? QStringLiteral("ready") : QStringLiteral("loading");
    log(QStringLiteral("onLoadedTimeout timeout: %1ms, url: %2, status: %3").arg(m_loadTimeout).arg(url(), status));
    m_profiler.webLoadFailed(QStringLiteral("timeout %1").arg(m_loadTimeout));
    loadErrorPage();
}

void KZembaCommonWebWidget::loadErrorPage()
{
    log(QStringLiteral("loadErrorPage"));
    stopLoadMonitor();
    if (KxWebViewContainer* view = container()) {
        view->loadURL(QUrl(getErrorPage()));
        disconnect(view, SIGNAL(loadFinished(bool)), this, SLOT(onLoadedFinished(bool)));
        connect(view, SIGNAL(loadFinished(bool)), this, SLOT(onErrorPageLoadedFinished(bool)), Qt::UniqueConnection);
    }
    m_errorPageShown = true;
}

void KZembaCommonWebWidget::onErrorPageLoadedFinished(bool ok)
{
    if (!ok)
        return;
    showWebWidget();
    if (KxWebViewContainer* view = container()) {
        connect(view, SIGNAL(loadFinished(bool)), this, SLOT(onLoadedFinished(bool)), Qt::UniqueConnection);
        disconnect(view, SIGNAL(loadFinished(bool)), this, SLOT(onErrorPageLoadedFinished(bool)));
    }
}

QString KZembaCommonWebWidget::getErrorPage()
{
    const QString library = kpluginconfig::getPluginPath(QStringLiteral("kzembacore"))
        + QLatin1Char('/') + krt::getLibFileName(QStringLiteral("kzembacore"));
    const QString folder = QFileInfo(library).absoluteDir().absolutePath();
    const QStringList files = krt::i18n::getLocalizedFiles(QStringLiteral("res/web/common/error-net.html"),
                                                           folder + QStringLiteral("/mui/"), QString());
    if (!files.isEmpty() && !files.first().isEmpty())
        return QUrl::fromLocalFile(QDir::fromNativeSeparators(files.first())).toString();
    return vdllite::KxCommonWebWidget::getErrorPage();
}

void KZembaCommonWebWidget::onCefRenderProcAbnormalTerminate(int status)
{
    m_profiler.webLoadFailed(QStringLiteral("cef render error"));
    log(QStringLiteral("onCefRenderProcAbnormalTerminate type: %1").arg(status));
    loadErrorPage();
}

void KZembaCommonWebWidget::onBrowserException(int code)
{
    m_profiler.webLoadFailed(QStringLiteral("cef browser error"));
    vdllite::KxCommonWebWidget::onBrowserException(code);
}

void KZembaCommonWebWidget::showWebWidget()
{
    log(QStringLiteral("showWebWidget"));
    if (!showReported()) {
        showReported() = true;
        const qint64 startLoadTime = property("startLoadTime").toLongLong();
        if (startLoadTime != 0 && KDcInfoC::instance()) {
            const qint64 current = now();
            const QHash<QString, QString> params{
                {QStringLiteral("plugin_name"), m_name},
                {QStringLiteral("plugin_pageload"), QString::number(current - m_loadStartTime)},
                {QStringLiteral("contain_download"), property("needDownload").toString()},
                {QStringLiteral("plugin_total"), QString::number(current - startLoadTime)},
                {QStringLiteral("version"), QStringLiteral("1.0")}};
            kzemba::KZembaEventReporter::post(QStringLiteral("zemba_common_plugin_show"), params, 0, 0, true);
            setProperty("startLoadTime", QVariant());
        }
    }
    if (!m_errorPageShown)
        m_profiler.webLoadDone();
    auto* stack = qobject_cast<QStackedLayout*>(layout());
    QWidget* viewWidget = container() ? container()->viewWidget() : nullptr;
    if (stack && viewWidget)
        stack->setCurrentWidget(viewWidget);
    m_pageReady = true;
    runDelayClosure();
    stopLoadMonitor();
    emit loadFinished(true);
}

void KZembaCommonWebWidget::onScriptReady()
{
    log(QStringLiteral("onScriptReady"));
    m_profiler.scriptLoadDone();
    m_pageReady = true;
    runDelayClosure();
}

void KZembaCommonWebWidget::onNotifyWebPerfCollect()
{
    m_profiler.scriptLoadDone();
}

void KZembaCommonWebWidget::onQueryUserAccountInfoState()
{
    if (IKZembaUserInfo* userInfo = kzemba::KZembaPluginLoader::getZembaUserInfo())
        userInfo->queryAllInfo(kzemba::libraryModuleName(), this);
}

void KZembaCommonWebWidget::callOnLoadFinish(const std::function<void()>& closure)
{
    if (!closure)
        return;
    if (m_pageReady)
        closure();
    else
        m_delayedClosures.enqueue(closure);
}

void KZembaCommonWebWidget::runDelayClosure()
{
    // A closure may queue more work or change the state; take them one at a time.
    while (!m_delayedClosures.isEmpty()) {
        const std::function<void()> closure = m_delayedClosures.dequeue();
        closure();
    }
}

void KZembaCommonWebWidget::showTransit()
{
    auto* stack = qobject_cast<QStackedLayout*>(layout());
    if (stack && m_waitingWidget)
        stack->setCurrentWidget(m_waitingWidget);
}

void KZembaCommonWebWidget::setLoadInfo(QVariantMap info)
{
    for (auto it = info.begin(); it != info.end(); ++it)
        setProperty(it.key().toLatin1().constData(), it.value());
}

void KZembaCommonWebWidget::setWidgetType(zemba::base::KZembaWidgetType type)
{
    m_widgetType = type;
}

bool KZembaCommonWebWidget::isInZembaEmbedQhPanel() const
{
    return false;
}

zemba::base::KZembaWidgetType KZembaCommonWebWidget::widgetType() const
{
    return m_widgetType;
}

QString KZembaCommonWebWidget::getMainUrl()
{
    return url();
}

QString KZembaCommonWebWidget::getCookiePath()
{
    return QString();
}

void KZembaCommonWebWidget::startLoadMonitor()
{
}

void KZembaCommonWebWidget::stopLoadMonitor()
{
}

int KZembaCommonWebWidget::GetWidgetType()
{
    return widgetType();
}

void KZembaCommonWebWidget::OnBackGround()
{
    m_errorPageShown = false;
    m_pageReady = false;
    showTransit();
}

void KZembaCommonWebWidget::NotifyDisplay()
{
    if (m_pageReady)
        callbackToJS(QStringLiteral("notifyDisplay"), QString(), true);
}

void KZembaCommonWebWidget::callbackToJS(const QString& name, const QString& json, bool flag)
{
    QPointer<KZembaCommonWebWidget> self(this);
    auto deliver = [self, name, json, flag]() {
        if (self && self->jsApi())
            self->jsApi()->callbackToJS(name, json, flag);
    };
    if (m_pageReady)
        deliver();
    else
        m_delayedClosures.enqueue(deliver);
}

void KZembaCommonWebWidget::callbackToJS(const QString& name, const QString& json)
{
    callbackToJS(name, json, true);
}

void KZembaCommonWebWidget::callbackToJS(const QString& name, const QVariantMap& result)
{
    if (vdllite::KxCommonJsApi* api = jsApi())
        callbackToJS(name, api->formatResult(QVariant(result)), true);
}

void KZembaCommonWebWidget::onSkinChanged()
{
    if (vdllite::KxCommonJsApi* api = jsApi())
        api->callbackToJS(QStringLiteral("onSkinChanged"), QString(), true);
    if (auto* skeleton = qobject_cast<KLiteSkeletonWaitingWidgetBase*>(m_waitingWidget.data()))
        skeleton->applySkin();
}

void KZembaCommonWebWidget::allInfoUpdate(const QVariantMap& info)
{
    const QJsonObject answer{{QStringLiteral("callstatus"), QStringLiteral("ok")},
                             {QStringLiteral("result"), QJsonObject::fromVariantMap(info)}};
    callbackToJS(QStringLiteral("onAllInfoUpdate"),
                 QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Compact)), true);
    KxLoggerLite::writeInfo(kzemba::libraryModuleName(),
                            QStringLiteral("KZembaCommonWebWidget::onAllInfoUpdate callback to js ")
                                + JsonHelper::variantMapSerialize(info));
}

void KZembaCommonWebWidget::updateCookies()
{
    addCookies(QStringLiteral("home"));
}

void KZembaCommonWebWidget::addCookies(const QString& domainKey)
{
    IKZembaAccount* account = accountService();
    KxWebViewContainer* view = container();
    if (!account || !account->isActive() || domainKey.isEmpty() || !view)
        return;
    KDomainMgr* domains = KCoreApplication::getDomainMgr();
    if (!domains)
        return;
    const QString domainUrl = domainKey == QLatin1String("client-mall")
        ? domains->getDomainUrl(QStringLiteral("zembaapiqox")) + QStringLiteral("/proxy/client-mall")
        : domains->getDomainUrl(domainKey);
    if (domainUrl.isEmpty())
        return;
    QString domain = vdllite::getDomainFromUrl(domainUrl);
    if (domain.isEmpty()) {
        domain = domainUrl;
        if (domain.startsWith(QLatin1Char('.')))
            domain.remove(0, 1);
    }
    if (domain.isEmpty())
        return;

    const QStringList parts = account->getCookies().split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const int separator = part.indexOf(QLatin1Char('='));
        const QString name = separator < 0 ? part : part.left(separator);
        const QString value = separator < 0 ? QString() : part.mid(separator + 1);
        if (name.isEmpty() || value.isEmpty())
            continue;
        QNetworkCookie cookie(name.toUtf8(), value.toUtf8());
        cookie.setExpirationDate(QDateTime::currentDateTime().addDays(7));
        cookie.setDomain(domain);
        cookie.setPath(QStringLiteral("/"));
        cookie.setHttpOnly(true);
        cookie.setSecure(domainUrl.startsWith(QLatin1String("https")));
        view->deleteCookie(domainUrl, name);
        view->setCookie(domainUrl, cookie);
    }
}

void KZembaCommonWebWidget::injectJsObject(const QString& name, const QVariantMap& properties)
{
    vdllite::KxJsCore* core = vdllite::GetVDLJSCore();
    if (name.isEmpty() || properties.isEmpty() || !core)
        return;
    KxJsPropertyInjector injector = core->propertyInjector(container());
    for (auto it = properties.begin(); it != properties.end(); ++it) {
        injector.injectProperty(it.key(), QStringLiteral("%1=%2").arg(it.key(), it.value().toString()), name,
                                QStringLiteral("top"), QStringLiteral("false"));
    }
    injector.finish();
}
