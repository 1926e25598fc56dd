#include "kzembalitebubble.h"

#include "kzembalitebubblecontent.h"
#include "kzembalitebubblehandler.h"
#include "kzembalitebubblestyle.h"
#include "webwidget/kzembapluginloadclosebutton.h"

#include <QHBoxLayout>
#include <QLabel>

using namespace kzemba::bubblestyle;

KZembaLiteBubble::KZembaLiteBubble(QWidget* parent, KZembaLiteBubbleHandler* handler, KShadowArrowType arrowType)
    : QWidget(parent)
    , m_handler(handler)
    , m_margin(dpi(12))
    , m_shadowWidth(dpi(12))
    , m_target(parent)
    , m_arrowType(arrowType)
{
    setupWindow(this, parent);
    setFixedSize(dpi(234) + 2 * m_shadowWidth, dpi(142) + 2 * m_shadowWidth);
}

void KZembaLiteBubble::setMainTitle(const QString& title)
{
    m_mainTitle = title;
    if (m_content && m_content->mainTitleLabel())
        m_content->mainTitleLabel()->setText(title);
}

void KZembaLiteBubble::setSubTitle(const QString& title)
{
    m_subTitle = title;
    if (m_content && m_content->subTitleLabel())
        m_content->subTitleLabel()->setText(title);
}

KZembaLiteBubbleHandler* KZembaLiteBubble::handler() const
{
    return m_handler;
}

KZembaLiteBubbleContent* KZembaLiteBubble::content() const
{
    return m_content;
}

void KZembaLiteBubble::showItSelf()
{
    if (m_showPending && adjustPos())
        show();
}

void KZembaLiteBubble::setShowCloseButton(bool show)
{
    m_showCloseButton = show;
}

KZembaPluginLoadCloseButton* KZembaLiteBubble::closeButton()
{
    return ensureCloseButton(this, m_closeButton);
}

void KZembaLiteBubble::updateCloseButtonPos()
{
    placeCloseButton(this, m_closeButton, m_margin);
}

void KZembaLiteBubble::ensureInited()
{
    if (m_inited)
        return;
    QHBoxLayout* layout = createContentLayout(this);
    if (!m_content) {
        m_content = new KZembaLiteBubbleContent(this);
        m_content->setupUi();
        // Titles given before the content existed are not lost.
        m_content->mainTitleLabel()->setText(m_mainTitle);
        m_content->subTitleLabel()->setText(m_subTitle);
    }
    layout->addWidget(m_content, 0, Qt::AlignCenter);
    // Shown now, not later by the layout, so that the first show already measures it.
    m_content->show();
    setupMaterial();
    installShadow(this, m_arrowType, m_shadowWidth);
    m_inited = true;
}

bool KZembaLiteBubble::adjustPos()
{
    return true;
}

void KZembaLiteBubble::setupMaterial()
{
}

void KZembaLiteBubble::showEvent(QShowEvent* event)
{
    m_showPending = false;
    ensureInited();
    if (m_showCloseButton) {
        connect(closeButton(), &KZembaPluginLoadCloseButton::clicked, this, &QWidget::close, Qt::UniqueConnection);
        updateCloseButtonPos();
    }
    adjustPos();
    QWidget::showEvent(event);
}

bool KZembaLiteBubble::eventFilter(QObject* watched, QEvent* event)
{
    if (m_target && watched == m_target)
        followTarget(this, event);
    return QWidget::eventFilter(watched, event);
}
