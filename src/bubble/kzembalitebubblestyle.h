#ifndef KZEMBA_BUBBLE_KZEMBALITEBUBBLESTYLE_H
#define KZEMBA_BUBBLE_KZEMBALITEBUBBLESTYLE_H

#include "kabnormityshadoweventfilter.h"

#include <QColor>
#include <QPoint>

class KZembaPluginLoadCloseButton;
class QEvent;
class QHBoxLayout;
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
// The bubble's close button, made on first use and kept in `button`.
KZembaPluginLoadCloseButton* ensureCloseButton(QWidget* bubble, KZembaPluginLoadCloseButton*& button);
// Puts `button` (if any) in the body's top-right corner.
void placeCloseButton(const QWidget* bubble, QWidget* button, int margin);
// The clickable bubble's layout that centres its content.
QHBoxLayout* createContentLayout(QWidget* bubble);
// A hidden target hides the bubble; a target that changes parent hides and deletes it.
void followTarget(QWidget* bubble, QEvent* event);

} // namespace kzemba::bubblestyle

#endif
