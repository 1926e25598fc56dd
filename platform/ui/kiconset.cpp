#include "kiconset.h"

#include "kskin.h"

#include <QFile>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QStringList>
#include <QSvgRenderer>

namespace {

const qreal kFadedOpacity = 0.35;

QPixmap renderFile(const QString& path, const QSize& size)
{
    if (path.isEmpty() || size.isEmpty())
        return QPixmap();
    const QString key = QStringLiteral("kiconset:%1:%2x%3").arg(path).arg(size.width()).arg(size.height());
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return QPixmap();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    const QPixmap rendered = QPixmap::fromImage(image);
    QPixmapCache::insert(key, rendered);
    return rendered;
}

// Renders one drawing per icon mode at whatever size the icon is asked for.
class KIconSetEngine : public QIconEngine
{
public:
    explicit KIconSetEngine(const QStringList& paths)
        : m_paths(paths)
    {
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size() * painter->device()->devicePixelRatioF(), mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        const QString own = pathFor(mode);
        if (!own.isEmpty() || mode != QIcon::Disabled)
            return renderFile(own.isEmpty() ? m_paths.value(0) : own, size);
        // No drawing of its own for disabled: the normal one, faded.
        const QPixmap normal = renderFile(m_paths.value(0), size);
        if (normal.isNull())
            return normal;
        QPixmap faded(normal.size());
        faded.fill(Qt::transparent);
        QPainter painter(&faded);
        painter.setOpacity(kFadedOpacity);
        painter.drawPixmap(0, 0, normal);
        return faded;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

    QIconEngine* clone() const override { return new KIconSetEngine(m_paths); }

    QString key() const override { return QStringLiteral("KIconSetEngine"); }

private:
    QString pathFor(QIcon::Mode mode) const
    {
        switch (mode) {
        case QIcon::Active:
            return m_paths.value(1);
        case QIcon::Selected:
            return m_paths.value(2);
        case QIcon::Disabled:
            return m_paths.value(3);
        case QIcon::Normal:
            break;
        }
        return m_paths.value(0);
    }

    QStringList m_paths;
};

} // namespace

QString KIconSet::iconPath(const QString& name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return QString();
    const QString file = QStringLiteral("/%1.svg").arg(name);
    if (KSkin::isDarkSkin()) {
        const QString dark = QStringLiteral(":/kzemba/icons/dark") + file;
        if (QFile::exists(dark))
            return dark;
    }
    const QString light = QStringLiteral(":/kzemba/icons/light") + file;
    return QFile::exists(light) ? light : QString();
}

QIcon KIconSet::icon(const QString& stateList)
{
    QStringList paths;
    for (const QString& name : stateList.split(QLatin1Char(';')))
        paths.append(iconPath(name.trimmed()));
    if (paths.value(0).isEmpty())
        return QIcon();
    return QIcon(new KIconSetEngine(paths));
}

QPixmap KIconSet::pixmap(const QString& name, const QSize& size)
{
    return renderFile(iconPath(name), size);
}
