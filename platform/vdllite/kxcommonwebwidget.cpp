#include "kxcommonwebwidget.h"

#include "kxcommonjsapi.h"
#include "kxloggerlite.h"
#include "kxwebviewcontainer.h"

#include <QStackedLayout>

namespace vdllite {

namespace {
const char kModule[] = "KxCommonWebWidget";
}

KxCommonWebWidget::KxCommonWebWidget(QWidget* parent)
    : QWidget(parent)
    , m_stack(new QStackedLayout(this))
{
    m_stack->setContentsMargins(0, 0, 0, 0);
}

KxCommonWebWidget::~KxCommonWebWidget() = default;

void KxCommonWebWidget::init(const QString& url, const QString& appId, bool createBrowser,
                             KxWebViewCefJsApiFlag jsApiFlag)
{
    m_url = url;
    m_appId = appId;
    m_jsApiFlag = jsApiFlag;
    if (QWidget* waiting = createWaitingWidget()) {
        m_stack->addWidget(waiting);
        m_stack->setCurrentWidget(waiting);
    }
    initWebView();
    if (createBrowser)
        loadWebView();
}

KxWebViewContainer* KxCommonWebWidget::container() const
{
    return m_container.data();
}

KxCommonJsApi* KxCommonWebWidget::jsApi() const
{
    return m_jsApi.data();
}

QString KxCommonWebWidget::getErrorPage()
{
    return defaultErrorPage();
}

QString KxCommonWebWidget::defaultErrorPage()
{
    return QStringLiteral("qrc:/vdllite/kxerrorpage.html");
}

bool KxCommonWebWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched && watched == m_container)
        return webViewEventFilter(watched, event);
    return QWidget::eventFilter(watched, event);
}

bool KxCommonWebWidget::webViewEventFilter(QObject*, QEvent*)
{
    return false;
}

void KxCommonWebWidget::closeWindow()
{
    if (QWidget* top = window())
        top->close();
}

QWidget* KxCommonWebWidget::createWaitingWidget()
{
    return nullptr;
}

void KxCommonWebWidget::initWebView()
{
    if (m_container)
        return;
    m_container = new KxWebViewContainer(this);
    if (m_jsApiFlag != KxWebViewCefJsApiNone) {
        m_jsApi = createJsApi(m_container);
        if (m_jsApi) {
            m_container->setJsApiObject(m_jsApi);
            m_jsApi->initHandlers();
            m_jsApi->init();
        }
    }
    m_stack->addWidget(m_container);
    // The container is the view once its browser exists.
    m_container->installEventFilter(this);
    // Connected by signature, so that subclasses can move a report to another slot.
    connect(m_container, SIGNAL(browserCreated()), this, SLOT(onBrowserCreated()));
    connect(m_container, SIGNAL(loadFinished(bool)), this, SLOT(onLoadedFinished(bool)));
    connect(m_container, SIGNAL(loadFinishedWithCode(QUrl, int)), this, SLOT(onLoadedFinishedWithCode(QUrl, int)));
    connect(m_container, SIGNAL(renderProcessTerminated(int)), this, SLOT(onCefRenderProcAbnormalTerminate(int)));
    connect(m_container, SIGNAL(browserException(int)), this, SLOT(onBrowserException(int)));
}

void KxCommonWebWidget::loadWebView()
{
    if (m_container) {
        m_container->createBrowser(m_url, KxWebViewLinkClickInView, KxWebViewCustomHeaderNone, QNetworkProxy(),
                                   QString(), QString());
    }
}

void KxCommonWebWidget::onBrowserCreated()
{
    if (m_container && m_container->url() != QUrl(m_url))
        m_container->loadURL(QUrl(m_url));
}

void KxCommonWebWidget::onLoadedFinished(bool)
{
}

void KxCommonWebWidget::onLoadedFinishedWithCode(const QUrl&, int)
{
}

void KxCommonWebWidget::onCefRenderProcAbnormalTerminate(int)
{
}

void KxCommonWebWidget::onBrowserException(int code)
{
    KxLoggerLite::writeError(QString::fromLatin1(kModule), QStringLiteral("browser exception %1").arg(code));
}

} // namespace vdllite
