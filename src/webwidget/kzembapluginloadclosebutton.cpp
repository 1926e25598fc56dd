#include "kzembapluginloadclosebutton.h"

#include <ui/kiconset.h>
#include <ui/klitestyle.h>

#include <QCoreApplication>
#include <QPainter>
#include <QVector>

namespace {

QVector<QPixmap>& closeImages()
{
    static QVector<QPixmap> images;
    return images;
}

// Pixmaps must go while the application still exists.
void releaseCloseImages()
{
    closeImages().clear();
}

void ensureCloseImages(const QSize& size)
{
    QVector<QPixmap>& images = closeImages();
    if (!images.isEmpty())
        return;
    for (const char* name : {"dialogbox_close_m_16", "dialogbox_close_m_16_hover", "dialogbox_close_m_16_click",
                             "dialogbox_close_m_16_disable"})
        images.append(KIconSet::pixmap(QLatin1String(name), size));
    qAddPostRoutine(releaseCloseImages);
}

} // namespace

KZembaPluginLoadCloseButton::KZembaPluginLoadCloseButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setFixedSize(sizeHint());
    setFocusPolicy(Qt::NoFocus);
    ensureCloseImages(sizeHint());
}

QSize KZembaPluginLoadCloseButton::sizeHint() const
{
    return KLiteStyle::dpiScaled(QSize(16, 16));
}

QPixmap KZembaPluginLoadCloseButton::getCloseImage(int index) const
{
    ensureCloseImages(sizeHint());
    const QVector<QPixmap>& images = closeImages();
    return (index >= 0 && index < images.size()) ? images.at(index) : images.value(0);
}

int KZembaPluginLoadCloseButton::getImageIndex() const
{
    if (isDown())
        return 1;
    if (underMouse())
        return 2;
    if (!isEnabled())
        return 3;
    return 0;
}

void KZembaPluginLoadCloseButton::enterEvent(QEvent* event)
{
    QAbstractButton::enterEvent(event);
    update();
}

void KZembaPluginLoadCloseButton::leaveEvent(QEvent* event)
{
    QAbstractButton::leaveEvent(event);
    update();
}

void KZembaPluginLoadCloseButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), getCloseImage(getImageIndex()));
}
