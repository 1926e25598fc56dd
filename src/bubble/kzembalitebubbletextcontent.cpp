#include "kzembalitebubbletextcontent.h"

#include "kzembalitebubblestyle.h"
#include "kzembalitetextbubble.h"

#include <ui/klitestyle.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace kzemba::bubblestyle;

KZembaLiteBubbleTextContent::KZembaLiteBubbleTextContent(KZembaLiteTextBubble* bubble)
    : QWidget(bubble)
    , m_bubble(bubble)
{
}

void KZembaLiteBubbleTextContent::setupUi()
{
    if (m_text)
        return;
    const int margin = m_bubble ? m_bubble->margin() : dpi(12);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(KLiteStyle::dpiScaledMargins(QMargins(margin, margin, margin, margin)));
    layout->setSpacing(0);
    auto* row = new QHBoxLayout;
    m_text = new QLabel(this);
    m_text->setWordWrap(true);
    m_text->setMargin(margin);
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(dpi(12));
    m_text->setFont(font);
    row->addWidget(m_text);
    row->addSpacing(dpi(8));
    layout->addLayout(row);
}

void KZembaLiteBubbleTextContent::setContent(const QString& text)
{
    if (!m_text)
        return;
    m_text->setText(QStringLiteral("<p style=\"line-height:%1px;\">%2</p>")
                        .arg(KLiteStyle::dpiScaled(22), 0, 'g', -1)
                        .arg(text));
}

void KZembaLiteBubbleTextContent::setupBgColor()
{
    if (!m_text)
        return;
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::WindowText, bubbleTextColor());
    m_text->setPalette(palette);
}

void KZembaLiteBubbleTextContent::paintEvent(QPaintEvent* event)
{
    setupBgColor();
    QWidget::paintEvent(event);
}
