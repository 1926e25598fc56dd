#include "kdrawhelper.h"

#include "krt/kruntimeconfig.h"

#include <QHash>
#include <QPainter>
#include <QStyleOption>

namespace {

const QString& darkSkinName()
{
    static const QString name = QStringLiteral("dark");
    return name;
}

// The dark skin's own values; the default skin has none, so callers' defaults hold there.
const QHash<QString, QVariant>& darkSkinTable()
{
    static const QHash<QString, QVariant> table = {
        {QStringLiteral("CommonPalette/dlg-background-01"), QStringLiteral("#2b2d33")},
        {QStringLiteral("ZembaBaseConfig/is-dark-skin"), 1},
    };
    return table;
}

QVariant themeValue(const QString& group, const QString& key)
{
    const QString path = group + QLatin1Char('/') + key;
    const QVariant configured = krt::KRuntimeConfig::value(QStringLiteral("theme/") + path);
    if (configured.isValid())
        return configured;
    if (KDrawHelper::getCurrentSkinNameFromTheme() == darkSkinName())
        return darkSkinTable().value(path);
    return QVariant();
}

} // namespace

QString KDrawHelper::getCurrentSkinNameFromTheme()
{
    return krt::KRuntimeConfig::value(QStringLiteral("ui/skinName"), QStringLiteral("default")).toString();
}

QColor KDrawHelper::getColorFromTheme(const QString& group, const QString& key, const QColor& defaultColor,
                                      bool useDefault)
{
    // Colours are written as text ("#rrggbb" or "#aarrggbb"); anything else counts as missing.
    const QColor color(themeValue(group, key).toString());
    if (color.isValid())
        return color;
    return useDefault ? defaultColor : QColor();
}

QVariant KDrawHelper::getHintFromTheme(const QString& group, const QString& key, const QVariant& defaultValue)
{
    const QVariant value = themeValue(group, key);
    return value.isValid() ? value : defaultValue;
}

void KDrawHelper::drawIcon(QPainter* painter, const QRect& rect, const QIcon& icon, QStyle::State state, bool fill,
                           const QString& text)
{
    if (!painter || rect.isEmpty())
        return;
    QIcon::Mode mode = QIcon::Normal;
    if (!(state & QStyle::State_Enabled))
        mode = QIcon::Disabled;
    else if (state & QStyle::State_Sunken)
        mode = QIcon::Selected;
    else if (state & QStyle::State_MouseOver)
        mode = QIcon::Active;
    const QIcon::State iconState = (state & QStyle::State_On) ? QIcon::On : QIcon::Off;

    QRect iconArea = rect;
    if (!text.isEmpty())
        iconArea.setWidth(qMin(rect.width(), rect.height()));
    const QRect iconRect =
        fill ? iconArea
             : QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, icon.actualSize(iconArea.size(), mode, iconState),
                                   iconArea);
    icon.paint(painter, iconRect, Qt::AlignCenter, mode, iconState);

    if (!text.isEmpty()) {
        const QRect textRect = rect.adjusted(iconArea.width(), 0, 0, 0);
        painter->drawText(textRect, int(Qt::AlignLeft | Qt::AlignVCenter), text);
    }
}

void KDrawHelper::drawBackGround(QPainter* painter, const QRect& rect, const QString& className,
                                 const QStyleOption* option, int radius, bool withBorder)
{
    if (!painter || rect.isEmpty())
        return;
    const QColor common = getColorFromTheme(QStringLiteral("CommonPalette"), QStringLiteral("dlg-background-01"),
                                            QColor(Qt::white));
    QColor background = getColorFromTheme(className, QStringLiteral("background"), common);
    if (option && !(option->state & QStyle::State_Enabled))
        background = getColorFromTheme(className, QStringLiteral("background-disable"), background);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, radius > 0);
    painter->setPen(withBorder ? QPen(getColorFromTheme(className, QStringLiteral("border"), QColor(0, 0, 0, 30)), 1)
                               : QPen(Qt::NoPen));
    painter->setBrush(background);
    if (radius > 0)
        painter->drawPath(getBoundPath2(withBorder ? QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5) : QRectF(rect), radius));
    else if (withBorder)
        painter->drawRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5));
    else
        painter->fillRect(rect, background);
    painter->restore();
}

QPixmap KDrawHelper::colorizeByClass(const QPixmap& pixmap, const QString& className)
{
    const QColor color = getColorFromTheme(className, QStringLiteral("icon-color"), QColor(), false);
    if (!color.isValid() || pixmap.isNull())
        return pixmap;
    QPixmap tinted = pixmap;
    QPainter painter(&tinted);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(tinted.rect(), color);
    return tinted;
}

QPainterPath KDrawHelper::getBoundPath2(const QRectF& rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}
