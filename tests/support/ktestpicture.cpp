#include "ktestpicture.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

#ifndef KZEMBA_TEST_OUTPUT_DIR
#error "KZEMBA_TEST_OUTPUT_DIR must name the folder for test pictures"
#endif

QString KTestPicture::outputDir(const QString& area)
{
    QString root = qEnvironmentVariable("KZEMBA_TEST_OUTPUT");
    if (root.isEmpty())
        root = QStringLiteral(KZEMBA_TEST_OUTPUT_DIR);
    const QString dir = root + QLatin1Char('/') + area;
    QDir().mkpath(dir);
    return dir;
}

QImage KTestPicture::grab(QWidget* widget, const QString& area, const QString& name)
{
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    save(image, area, name);
    return image;
}

bool KTestPicture::save(const QImage& image, const QString& area, const QString& name)
{
    return image.save(outputDir(area) + QLatin1Char('/') + name + QStringLiteral(".png"), "PNG");
}

bool KTestPicture::near(QRgb pixel, const QColor& expected, int tolerance)
{
    return qAbs(qRed(pixel) - expected.red()) <= tolerance && qAbs(qGreen(pixel) - expected.green()) <= tolerance
        && qAbs(qBlue(pixel) - expected.blue()) <= tolerance && qAbs(qAlpha(pixel) - expected.alpha()) <= tolerance;
}
