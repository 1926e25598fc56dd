#ifndef KZEMBA_UI_KLITESTYLE_H
#define KZEMBA_UI_KLITESTYLE_H

#include "kzembaplatform_export.h"

#include <QMargins>
#include <QSize>

/// The suite's device-pixel scaling: design lengths (in pixels at 96 dots per
/// inch) become logical pixels of the primary screen. A host may pin the factor
/// for the rest of the process, for instance to lay out for a known screen.
class KZEMBAPLATFORM_EXPORT KLiteStyle
{
public:
    // The pinned factor, else the primary screen's logical DPI over 96; 1 without a screen or
    // when the application takes every screen as 96 DPI (Qt::AA_Use96Dpi).
    static qreal scaleFactor();
    // Pins the factor; 0 or less goes back to the screen's.
    static void setScaleFactor(qreal factor);

    static qreal dpiScaled(qreal value);
    static QSize dpiScaled(const QSize& size);
    static QMargins dpiScaledMargins(const QMargins& margins);
};

#endif
