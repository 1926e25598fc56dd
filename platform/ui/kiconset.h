#ifndef KZEMBA_UI_KICONSET_H
#define KZEMBA_UI_KICONSET_H

#include "kzembaplatform_export.h"

#include <QIcon>
#include <QPixmap>
#include <QString>

/// The suite's icon set: named vector images shipped with the platform layer,
/// one drawing per skin (light, and dark for the dark skin). Icons scale to any
/// size without blur.
class KZEMBAPLATFORM_EXPORT KIconSet
{
public:
    // The image file of `name` for the current skin (the light drawing when the
    // skin has none of its own); empty for an unknown name.
    static QString iconPath(const QString& name);

    // An icon from a state list "normal;hover;pressed;disabled" (later names
    // optional): hover is the icon's active mode, pressed its selected mode.
    // A missing disabled image is the normal one, faded.
    static QIcon icon(const QString& stateList);

    // `name` rendered at `size` logical pixels; null for an unknown name.
    static QPixmap pixmap(const QString& name, const QSize& size);
};

#endif
