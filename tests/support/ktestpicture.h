#ifndef KZEMBA_TESTS_KTESTPICTURE_H
#define KZEMBA_TESTS_KTESTPICTURE_H

#include <QColor>
#include <QImage>
#include <QString>

class QWidget;

/// Pictures of widgets for tests: a grab as an image whose pixels a test can
/// read, saved as PNG to the test output folder so that a person can look at
/// it. The folder is "test-output/<area>" in the build tree, or the folder named
/// by the environment variable KZEMBA_TEST_OUTPUT.
class KTestPicture
{
public:
    static QString outputDir(const QString& area);
    // Grabs `widget` (at device pixel ratio 1) and writes "<area>/<name>.png"; the image is returned.
    static QImage grab(QWidget* widget, const QString& area, const QString& name);
    static bool save(const QImage& image, const QString& area, const QString& name);
    // Channels each within `tolerance` (alpha included).
    static bool near(QRgb pixel, const QColor& expected, int tolerance = 2);
};

#endif
