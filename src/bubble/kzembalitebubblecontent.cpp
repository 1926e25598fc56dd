#include "kzembalitebubblecontent.h"

#include "kzembalitebubble.h"
#include "kzembalitebubblestyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

using namespace kzemba::bubblestyle;

namespace {

QFont titleFont()
{
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(dpi(12));
    return font;
}

void setTextColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

} // namespace

KZembaLiteBubbleContent::KZembaLiteBubbleContent(KZembaLiteBubble* bubble)
    : QWidget(bubble)
    , m_bubble(bubble)
{
}

void KZembaLiteBubbleContent::setupUi()
{
    if (layout())
        return;
    const int margin = m_bubble ? m_bubble->margin() : dpi(12);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(0);
    auto* row = new QHBoxLayout;

    if (!m_subTitle) {
        m_subTitle = new QLabel(this);
        m_subTitle->setWordWrap(true);
        m_subTitle->setFixedHeight(dpi(20));
        m_subTitle->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        m_subTitle->setContentsMargins(dpi(4), dpi(4), dpi(4), dpi(4));
        m_subTitle->setFont(titleFont());
    }
    row->addWidget(m_subTitle);
    row->addSpacing(dpi(8));

    if (!m_mainTitle) {
        m_mainTitle = new QLabel(this);
        m_mainTitle->setWordWrap(true);
        m_mainTitle->setFixedHeight(dpi(20));
        m_mainTitle->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        m_mainTitle->setFont(titleFont());
    }
    row->addWidget(m_mainTitle);
    row->addStretch();

    layout->addLayout(row);
    layout->addSpacing(dpi(8));
    setFixedSize(dpi(234), dpi(142));
}

void KZembaLiteBubbleContent::setTagVisible(bool visible)
{
    m_tag = visible;
    update();
}

void KZembaLiteBubbleContent::setupBgColor()
{
    if (m_subTitle)
        setTextColor(m_subTitle, Qt::white);
    if (m_mainTitle)
        setTextColor(m_mainTitle, bubbleTextColor());
}

QString KZembaLiteBubbleContent::localResPath(const QString&) const
{
    return QString();
}

void KZembaLiteBubbleContent::paintEvent(QPaintEvent* event)
{
    setupBgColor();
    {
        QPainter painter(this);
        painter.setPen(Qt::NoPen);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal radius = dpi(2);
        painter.setBrush(bubbleBodyColor());
        painter.drawRoundedRect(rect(), radius, radius);
        if (m_tag && m_subTitle) {
            painter.setBrush(bubbleTagColor());
            painter.drawRoundedRect(m_subTitle->geometry(), radius, radius);
        }
    }
    QWidget::paintEvent(event);
}
