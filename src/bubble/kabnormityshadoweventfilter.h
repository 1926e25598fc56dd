#ifndef KZEMBA_BUBBLE_KABNORMITYSHADOWEVENTFILTER_H
#define KZEMBA_BUBBLE_KABNORMITYSHADOWEVENTFILTER_H

#include "kzembajsapilite_export.h"

#include <QObject>
#include <QPainterPath>

class QWidget;

/// Where a bubble's arrow sits: on the top edge, its tip at the widget's
/// dynamic property "ArrowLeft", or on the left edge.
enum KShadowArrowType
{
    ShadowArrowTop = 0,
    ShadowArrowLeft = 1,
};

/// Paints the body of a bubble-shaped widget before the widget paints itself:
/// a rounded body in the theme's dialog colour with an arrow, an optional thin
/// border and a soft shadow of rings that fade outwards. Installed as the
/// widget's event filter; the widget keeps a margin of the shadow width free.
class KZEMBAJSAPILITE_EXPORT KAbnormityShadowEventFilter : public QObject
{
    Q_OBJECT
public:
    KAbnormityShadowEventFilter(QWidget* widget, KShadowArrowType type, int shadowWidth, int radius, int arrowShift,
                                bool border);

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    // The outline of the body rectangle grown by `offset` on every side, arrow included.
    QPainterPath _paintPath(const QRect& rect, int offset) const;

private:
    void paint(QWidget* widget);

    int m_radius;
    int m_shadowWidth;
    int m_arrowHeight;
    int m_arrowWidth;
    int m_arrowPos = 0;
    int m_arrowShift;
    bool m_border;
    KShadowArrowType m_arrowType;
};

#endif
