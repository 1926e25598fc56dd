#include "kabnormityshadoweventfilter.h"

#include "kzembalitebubblestyle.h"

#include <ui/kdrawhelper.h>

#include <QEasingCurve>
#include <QEvent>
#include <QPainter>
#include <QWidget>

using namespace kzemba::bubblestyle;

KAbnormityShadowEventFilter::KAbnormityShadowEventFilter(QWidget* widget, KShadowArrowType type, int shadowWidth,
                                                         int radius, int arrowShift, bool border)
    : QObject(widget)
    , m_radius(radius)
    , m_shadowWidth(shadowWidth)
    , m_arrowHeight(dpi(6))
    , m_arrowWidth(dpi(14))
    , m_arrowShift(arrowShift)
    , m_border(border)
    , m_arrowType(type)
{
}

bool KAbnormityShadowEventFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && watched->isWidgetType())
        paint(static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
}

void KAbnormityShadowEventFilter::paint(QWidget* widget)
{
    QPainter painter(widget);
    painter.setClipRect(widget->rect());
    painter.setRenderHint(QPainter::Antialiasing);

    const int sw = m_shadowWidth;
    m_arrowPos = widget->property("ArrowLeft").toInt() - sw;
    const QPoint bottomRight(widget->width() - 1 - sw, widget->height() - 1 - sw);
    QRect body;
    if (m_arrowType == ShadowArrowLeft) {
        body = QRect(QPoint(sw, sw), bottomRight);
        // The arrow's whole base stays on the straight part of the left edge,
        // clear of both rounded corners; a body too short for that centres it.
        const int half = m_arrowWidth / 2;
        const int lowest = m_radius + half;
        const int highest = body.bottom() - body.top() - m_radius - half;
        m_arrowPos = lowest <= highest ? qBound(lowest, m_arrowPos, highest) : (body.bottom() - body.top()) / 2;
    } else {
        body = QRect(QPoint(sw, sw - m_arrowHeight), bottomRight);
    }

    const QColor bodyColor = bubbleBodyColor();
    const bool dark = isDarkSkin();
    painter.fillPath(_paintPath(body, 0), bodyColor);

    if (m_border) {
        painter.strokePath(_paintPath(body, 1),
                           QPen(dark ? QColor(255, 255, 255, 77) : QColor(0x26, 0x2e, 0x3e, 38), 1));
    }

    const QEasingCurve fade(QEasingCurve::OutCirc);
    for (int i = 1; i < sw; ++i) {
        const int alpha = int((1.0 - fade.valueForProgress(qreal(i) / sw)) * 30);
        painter.strokePath(_paintPath(body, i), QPen(QColor(0, 0, 0, alpha), 1));
    }

    if (m_arrowType == ShadowArrowLeft) {
        const int h = m_arrowHeight;
        const int half = m_arrowWidth / 2;
        const int y = body.top() + m_arrowPos;
        QPainterPath arrow;
        arrow.moveTo(2 * h, y - half);
        arrow.lineTo(h, y);
        arrow.lineTo(2 * h, y + half);
        arrow.closeSubpath();
        painter.fillPath(arrow, bodyColor);
        if (dark)
            painter.strokePath(_paintPath(body, 1).united(arrow), QPen(QColor(255, 255, 255, 60), 1));
    }
}

QPainterPath KAbnormityShadowEventFilter::_paintPath(const QRect& rect, int offset) const
{
    const qreal left = rect.left() - offset;
    const qreal top = rect.top() - offset;
    const qreal right = rect.right() + offset;
    const qreal bottom = rect.bottom() + offset;
    const qreal r = m_radius + offset;
    if (m_arrowType == ShadowArrowLeft)
        return KDrawHelper::getBoundPath2(QRectF(QPointF(left, top), QPointF(right, bottom)), r);

    const qreal bodyTop = top + m_arrowHeight;
    const qreal d = 2 * r;
    const int half = m_arrowWidth / 2;
    const int tip = rect.left() + m_arrowPos + m_arrowShift;
    QPainterPath path;
    path.moveTo(left + r, bodyTop);
    path.arcTo(QRectF(left, bodyTop, d, d), 90, 90);
    path.lineTo(left, bottom - r);
    path.arcTo(QRectF(left, bottom - d, d, d), 180, 90);
    path.lineTo(right - r, bottom);
    path.arcTo(QRectF(right - d, bottom - d, d, d), 270, 90);
    path.lineTo(right, bodyTop + r);
    path.arcTo(QRectF(right - d, bodyTop, d, d), 0, 90);
    // The arrow's base is kept off the rounded corners of the unexpanded body.
    path.lineTo(qMin(tip + half, rect.right() - m_radius), bodyTop);
    path.lineTo(tip, top);
    path.lineTo(qMax(rect.left() + m_radius, tip - half), bodyTop);
    path.closeSubpath();
    return path;
}
