#ifndef KZEMBA_BUBBLE_KZEMBALITEBUBBLESTYLE_H
#define KZEMBA_BUBBLE_KZEMBALITEBUBBLESTYLE_H

#include "kabnormityshadoweventfilter.h"

#include <QColor>
#include <QPoint>

class QEvent;
class QWidget;

// What both bubble kinds share: theme colours, scaling, the window set-up, the
// shadow and the way a bubble follows its target widget.
namespace kzemba::bubblestyle {

// A design length scaled to the screen, truncated.
int dpi(qreal value);

bool isDarkSkin();
QColor bubbleBodyColor();
QColor bubbleTagColor();
// Colour of titles and paragraphs: soft white in the dark skin, slate otherwise.
QColor bubbleTextColor();

// Frameless translucent tool window that deletes itself on close and watches `target`.
void setupWindow(QWidget* bubble, QWidget* target);
// Sets the arrow position and installs the shadow painter.
void installShadow(QWidget* bubble, KShadowArrowType type, int shadowWidth);
// Top-right corner position of a close button of `buttonWidth` inside the body.
QPoint closeButtonPos(const QWidget* bubble, int buttonWidth, int margin);
// A hidden target hides the bubble; a target that changes parent hides and deletes it.
void followTarget(QWidget* bubble, QEvent* event);

} // namespace kzemba::bubblestyle

#endif
