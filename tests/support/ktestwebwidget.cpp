#include "ktestwebwidget.h"

#include "ktestcommonjsapi.h"

#include <vdllite/kxheadlesspage.h>
#include <vdllite/kxwebviewcontainer.h>

#include <QTimer>

KTestWebWidget::KTestWebWidget(const QString& name, QWidget* parent)
    : KZembaWebWidgetLite(parent, name, zemba::base::KZembaWidgetTypeLite)
{
}

KTestWebWidget::~KTestWebWidget() = default;

vdllite::KxCommonJsApi* KTestWebWidget::createJsApi(KxWebViewContainer* container)
{
    m_api = new KTestCommonJsApi(container, this);
    // As a page host does: the page's own ready report makes the page ready.
    connect(m_api.data(), &KZembaCommonJsApi::webScriptReady, this, &KTestWebWidget::onScriptReady);
    return m_api;
}

KxHeadlessPage* KTestWebWidget::headlessPage() const
{
    return container() ? qobject_cast<KxHeadlessPage*>(container()->page()) : nullptr;
}

void KTestWebWidget::startLoadMonitor()
{
    if (!m_loadTimer) {
        m_loadTimer = new QTimer(this);
        m_loadTimer->setSingleShot(true);
        connect(m_loadTimer, &QTimer::timeout, this, &KTestWebWidget::onLoadedTimeout);
    }
    m_loadTimer->start(loadTimeout());
}

void KTestWebWidget::stopLoadMonitor()
{
    if (m_loadTimer)
        m_loadTimer->stop();
}

bool KTestWebWidget::isLoadMonitorRunning() const
{
    return m_loadTimer && m_loadTimer->isActive();
}

void KTestWebWidget::recreateBrowser()
{
    loadWebView();
}
