#include "kzembalitebubblestyle.h"

#include "webwidget/kzembapluginloadclosebutton.h"

#include <ui/kdrawhelper.h>
#include <ui/klitestyle.h>
#include <ui/kskin.h>

#include <QEvent>
#include <QHBoxLayout>
#include <QWidget>

namespace kzemba::bubblestyle {

int dpi(qreal value)
{
    return int(KLiteStyle::dpiScaled(value));
}

bool isDarkSkin()
{
    return KSkin::isDarkSkin();
}

QColor bubbleBodyColor()
{
    return KDrawHelper::getColorFromTheme(QStringLiteral("CommonPalette"), QStringLiteral("dlg-background-01"),
                                          QColor(Qt::white), true);
}

QColor bubbleTagColor()
{
    return KDrawHelper::getColorFromTheme(QStringLiteral("CommonThemePalette"), QStringLiteral("zvip-01"),
                                          QColor(0xff, 0x4e, 0x37), true);
}

QColor bubbleTextColor()
{
    return isDarkSkin() ? QColor(255, 255, 255, 153) : QColor(0x44, 0x4e, 0x63);
}

void setupWindow(QWidget* bubble, QWidget* target)
{
    bubble->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    bubble->setAutoFillBackground(false);
    bubble->setAttribute(Qt::WA_TranslucentBackground);
    bubble->setAttribute(Qt::WA_DontCreateNativeAncestors);
    bubble->setAttribute(Qt::WA_NativeWindow);
    bubble->setAttribute(Qt::WA_DeleteOnClose);
    bubble->setAttribute(Qt::WA_MouseTracking);
    if (target)
        target->installEventFilter(bubble);
}

void installShadow(QWidget* bubble, KShadowArrowType type, int shadowWidth)
{
    if (type == ShadowArrowTop)
        bubble->setProperty("ArrowLeft", KLiteStyle::dpiScaled(32));
    bubble->installEventFilter(new KAbnormityShadowEventFilter(bubble, type, shadowWidth, 4, 0, false));
}

KZembaPluginLoadCloseButton* ensureCloseButton(QWidget* bubble, KZembaPluginLoadCloseButton*& button)
{
    if (!button) {
        button = new KZembaPluginLoadCloseButton(bubble);
        button->setVisible(true);
    }
    return button;
}

void placeCloseButton(const QWidget* bubble, QWidget* button, int margin)
{
    if (!button)
        return;
    const qreal inset = margin + KLiteStyle::dpiScaled(8);
    button->move(QPoint(int(bubble->width() - button->sizeHint().width() - inset), int(inset)));
}

QHBoxLayout* createContentLayout(QWidget* bubble)
{
    bubble->setCursor(Qt::PointingHandCursor);
    auto* layout = new QHBoxLayout(bubble);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

void followTarget(QWidget* bubble, QEvent* event)
{
    if (event->type() == QEvent::Hide) {
        bubble->hide();
    } else if (event->type() == QEvent::ParentChange) {
        bubble->hide();
        bubble->deleteLater();
    }
}

} // namespace kzemba::bubblestyle
