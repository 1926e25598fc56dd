#include "klitestyle.h"

#include <QGuiApplication>
#include <QScreen>

#include <atomic>

namespace {
// Scale factors are read on every paint, so the pin is a plain atomic, not a setting.
std::atomic<double> g_pinnedFactor{0.0};
} // namespace

qreal KLiteStyle::scaleFactor()
{
    const double pinned = g_pinnedFactor.load();
    if (pinned > 0.0)
        return pinned;
    // The application may ask to take every screen as 96 DPI.
    if (QCoreApplication::testAttribute(Qt::AA_Use96Dpi))
        return 1.0;
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    if (!screen || screen->logicalDotsPerInch() <= 0.0)
        return 1.0;
    return screen->logicalDotsPerInch() / 96.0;
}

void KLiteStyle::setScaleFactor(qreal factor)
{
    g_pinnedFactor.store(factor > 0.0 ? factor : 0.0);
}

qreal KLiteStyle::dpiScaled(qreal value)
{
    return value * scaleFactor();
}

QSize KLiteStyle::dpiScaled(const QSize& size)
{
    const qreal factor = scaleFactor();
    return QSize(int(size.width() * factor), int(size.height() * factor));
}

QMargins KLiteStyle::dpiScaledMargins(const QMargins& margins)
{
    const qreal factor = scaleFactor();
    return QMargins(int(margins.left() * factor), int(margins.top() * factor), int(margins.right() * factor),
                    int(margins.bottom() * factor));
}
