#include "kcefcacheloadingwidget.h"

#include <QPainter>
#include <QTimerEvent>

namespace {
const int kSpokes = 12;
const int kFrameMs = 80;
const int kRadius = 18;
} // namespace

KCefCacheLoadingWidget::KCefCacheLoadingWidget(QWidget* parent, const QString& text, double scale, bool animate,
                                               bool translucent)
    : QWidget(parent)
    , m_text(text)
    , m_scale(scale > 0 ? scale : 1.0)
    , m_animate(animate)
    , m_translucent(translucent)
{
    setAttribute(Qt::WA_TranslucentBackground, translucent);
}

KCefCacheLoadingWidget::~KCefCacheLoadingWidget() = default;

QColor KCefCacheLoadingWidget::spokeColor()
{
    return QColor(0x2f, 0x7d, 0xf6);
}

void KCefCacheLoadingWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!m_translucent)
        painter.fillRect(rect(), Qt::white);

    const qreal radius = kRadius * m_scale;
    painter.translate(width() / 2.0, height() / 2.0);
    QPen pen(spokeColor());
    pen.setCapStyle(Qt::RoundCap);
    pen.setWidthF(3.0 * m_scale);
    for (int i = 0; i < kSpokes; ++i) {
        // The spoke at the current step is the darkest; the trail fades behind it.
        const int age = (m_step - i + kSpokes) % kSpokes;
        QColor color = spokeColor();
        color.setAlphaF(1.0 - 0.75 * age / (kSpokes - 1));
        pen.setColor(color);
        painter.setPen(pen);
        painter.save();
        painter.rotate(360.0 * i / kSpokes);
        painter.drawLine(QPointF(0, -radius * 0.5), QPointF(0, -radius));
        painter.restore();
    }
    if (!m_text.isEmpty()) {
        painter.setPen(Qt::darkGray);
        const QRectF textRect(-width() / 2.0, radius + 8, width(), fontMetrics().height() * 1.5);
        painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop, m_text);
    }
}

void KCefCacheLoadingWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_animate)
        m_timer.start(kFrameMs, this);
}

void KCefCacheLoadingWidget::hideEvent(QHideEvent* event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}

void KCefCacheLoadingWidget::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    m_step = (m_step + 1) % kSpokes;
    update();
}
