#include "kstorehostwidget.h"

#include "open/kzembajsapilite.h"

#include <QTimer>

KStoreHostWidget::KStoreHostWidget(QWidget* parent)
    : KZembaWebWidgetLite(parent, QStringLiteral("zembastore"), zemba::base::KZembaWidgetTypeLite)
{
}

KStoreHostWidget::~KStoreHostWidget() = default;

vdllite::KxCommonJsApi* KStoreHostWidget::createJsApi(KxWebViewContainer* container)
{
    m_api = new KZembaJsApiLite(container, this);
    // The page's own ready report makes the page ready, and the window shows it then.
    connect(m_api.data(), &KZembaCommonJsApi::webScriptReady, this, [this] {
        onScriptReady();
        showWebWidget();
    });
    return m_api;
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
