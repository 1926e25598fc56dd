#ifndef KZEMBA_UI_KDRAWHELPER_H
#define KZEMBA_UI_KDRAWHELPER_H

#include "kzembaplatform_export.h"

#include <QColor>
#include <QIcon>
#include <QPainterPath>
#include <QString>
#include <QStyle>
#include <QVariant>

class QPainter;
class QStyleOption;

/// The suite's drawing helpers, as far as store pages and their widgets need
/// them. The theme is a table of colours and hints by group and key: a value in
/// the runtime configuration ("theme/<group>/<key>") wins, then the current
/// skin's own table (the skin named by "ui/skinName", default "default"; the
/// skin "dark" carries the dark values), then the caller's default.
class KZEMBAPLATFORM_EXPORT KDrawHelper
{
public:
    static QString getCurrentSkinNameFromTheme();

    // A colour from the theme. Without a usable value: the default when
    // `useDefault`, else an invalid colour so that the caller can tell.
    static QColor getColorFromTheme(const QString& group, const QString& key, const QColor& defaultColor = QColor(),
                                    bool useDefault = true);
    static QVariant getHintFromTheme(const QString& group, const QString& key,
                                     const QVariant& defaultValue = QVariant());

    // Draws `icon` in the mode that `state` asks for: disabled, pressed (the
    // icon's selected mode), hovered (its active mode) or normal. With `fill`
    // the icon covers the whole icon area, else it keeps its own size, centred.
    // A non-empty `text` takes the area right of a square icon area.
    static void drawIcon(QPainter* painter, const QRect& rect, const QIcon& icon, QStyle::State state, bool fill,
                         const QString& text);

    // Fills `rect` with the theme's background for widgets of `className`
    // ("<className>/background", then the common dialog background, white by
    // default); a disabled option uses "<className>/background-disable" when the
    // theme has it. A radius above 0 rounds the corners, `withBorder` strokes
    // "<className>/border".
    static void drawBackGround(QPainter* painter, const QRect& rect, const QString& className,
                               const QStyleOption* option, int radius = 0, bool withBorder = false);

    // The pixmap in the icon colour of `className` ("<className>/icon-color");
    // unchanged when the theme has none.
    static QPixmap colorizeByClass(const QPixmap& pixmap, const QString& className);

    // A rounded rectangle outline.
    static QPainterPath getBoundPath2(const QRectF& rect, qreal radius);
};

#endif
