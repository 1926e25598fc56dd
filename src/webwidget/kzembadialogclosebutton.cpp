#include "kzembadialogclosebutton.h"

#include <ui/kdrawhelper.h>
#include <ui/kiconset.h>
#include <ui/klitestyle.h>

#include <QPainter>
#include <QStyleOption>

KZembaDialogCloseButton::KZembaDialogCloseButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setIcon(KIconSet::icon(
        QStringLiteral("dialogbox_close_m_16;dialogbox_close_m_16_hover;dialogbox_close_m_16_click")));
}

QSize KZembaDialogCloseButton::sizeHint() const
{
    return KLiteStyle::dpiScaled(QSize(16, 16));
}

void KZembaDialogCloseButton::enterEvent(QEvent* event)
{
    QAbstractButton::enterEvent(event);
    update();
}

void KZembaDialogCloseButton::leaveEvent(QEvent* event)
{
    QAbstractButton::leaveEvent(event);
    update();
}

void KZembaDialogCloseButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Almost transparent, so that the whole square takes the mouse on every platform.
    painter.fillRect(rect(), QColor(0, 0, 0, 1));
    QStyleOptionButton option;
    option.initFrom(this);
    if (isDown())
        option.state |= QStyle::State_Sunken;
    KDrawHelper::drawIcon(&painter, rect(), icon(), option.state, true, QString());
}
