#include "kstorehostwidget.h"

#include "open/kzembajsapilite.h"
#include "safe/kzembasafejsapilite.h"

#include <QTimer>

KStoreHostWidget::KStoreHostWidget(QWidget* parent)
    : KZembaWebWidgetLite(parent, QStringLiteral("zembastore"), zemba::base::KZembaWidgetTypeLite)
{
}

KStoreHostWidget::~KStoreHostWidget() = default;

vdllite::KxCommonJsApi* KStoreHostWidget::createJsApi(KxWebViewContainer* container)
{
    // The page's own ready report makes the page ready, and the window shows it then. The
    // restricted API has no script-ready method; its page reports through webLoadFinish.
    if (m_restricted) {
        auto* api = new KZembaSafeJSAPILite(container, this);
        connect(api, &KZembaSafeCommonJSAPI::webPageInitialed, this, &KStoreHostWidget::onPageReady);
        return api;
    }
    auto* api = new KZembaJsApiLite(container, this);
    connect(api, &KZembaCommonJsApi::webScriptReady, this, &KStoreHostWidget::onPageReady);
    return api;
}

void KStoreHostWidget::onPageReady()
{
    onScriptReady();
    showWebWidget();
}

void KStoreHostWidget::startLoadMonitor()
{
    if (!m_loadTimer) {
        m_loadTimer = new QTimer(this);
        m_loadTimer->setSingleShot(true);
        connect(m_loadTimer, &QTimer::timeout, this, &KStoreHostWidget::onLoadedTimeout);
    }
    m_loadTimer->start(loadTimeout());
}

void KStoreHostWidget::stopLoadMonitor()
{
    if (m_loadTimer)
        m_loadTimer->stop();
}

void KStoreHostWidget::onBrowserCreated()
{
    // Objects published on the page's channel must be there before the page connects.
    emit browserCreated();
    KZembaWebWidgetLite::onBrowserCreated();
}
