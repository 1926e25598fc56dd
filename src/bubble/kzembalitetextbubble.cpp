#include "kzembalitetextbubble.h"

#include "kzembalitebubblehandler.h"
#include "kzembalitebubblestyle.h"
#include "kzembalitebubbletextcontent.h"
#include "webwidget/kzembapluginloadclosebutton.h"

#include <QHBoxLayout>

using namespace kzemba::bubblestyle;

KZembaLiteTextBubble::KZembaLiteTextBubble(QWidget* parent, KZembaLiteBubbleHandler* handler,
                                           KShadowArrowType arrowType)
    : QWidget(parent)
    , m_handler(handler)
    , m_margin(dpi(12))
    , m_shadowWidth(dpi(12))
    , m_target(parent)
    , m_arrowType(arrowType)
{
    setupWindow(this, parent);
    setFixedWidth(dpi(204) + 2 * m_shadowWidth);
}

void KZembaLiteTextBubble::setContent(const QString& text)
{
    // Kept, so that text given before the first show is not lost.
    m_text = text;
    if (m_content)
        m_content->setContent(text);
}

KZembaLiteBubbleHandler* KZembaLiteTextBubble::handler() const
{
    return m_handler;
}

KZembaLiteBubbleTextContent* KZembaLiteTextBubble::content() const
{
    return m_content;
}

void KZembaLiteTextBubble::showItSelf()
{
    if (m_showPending && adjustPos())
        show();
}

KZembaPluginLoadCloseButton* KZembaLiteTextBubble::closeButton()
{
    return ensureCloseButton(this, m_closeButton);
}

void KZembaLiteTextBubble::updateCloseButtonPos()
{
    placeCloseButton(this, m_closeButton, m_margin);
}

void KZembaLiteTextBubble::ensureInited()
{
    if (m_inited)
        return;
    QHBoxLayout* layout = createContentLayout(this);
    if (!m_content) {
        m_content = new KZembaLiteBubbleTextContent(this);
        m_content->setupUi();
        if (!m_text.isEmpty())
            m_content->setContent(m_text);
    }
    layout->addWidget(m_content, 0, Qt::AlignCenter);
    // Shown now, not later by the layout, so that the first show already measures it.
    m_content->show();
    setupMaterial();
    installShadow(this, m_arrowType, m_shadowWidth);
    m_inited = true;
}

bool KZembaLiteTextBubble::adjustPos()
{
    return true;
}

void KZembaLiteTextBubble::setupMaterial()
{
}

void KZembaLiteTextBubble::showEvent(QShowEvent* event)
{
    m_showPending = false;
    ensureInited();
    // Only the width is fixed and the window was sized before its text existed: the height follows the text.
    const int textHeight = heightForWidth(width());
    resize(width(), textHeight > 0 ? textHeight : sizeHint().height());
    connect(closeButton(), &KZembaPluginLoadCloseButton::clicked, this, &QWidget::close, Qt::UniqueConnection);
    updateCloseButtonPos();
    adjustPos();
    QWidget::showEvent(event);
}

bool KZembaLiteTextBubble::eventFilter(QObject* watched, QEvent* event)
{
    if (m_target && watched == m_target)
        followTarget(this, event);
    return QWidget::eventFilter(watched, event);
}
