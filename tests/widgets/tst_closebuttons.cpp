// The two close buttons: which image each state shows, the images shared by
// every button of the process, and grabs that tell the states apart.
#include "ktestapplication.h"
#include "ktestpicture.h"
#include "ktestruntime.h"

#include "webwidget/kzembadialogclosebutton.h"
#include "webwidget/kzembapluginloadclosebutton.h"

#include <ui/klitestyle.h>

#include <QSet>
#include <QtTest>

namespace {

enum ButtonState
{
    Normal,
    Hovered,
    Pressed,
    Disabled,
};

const char* stateName(ButtonState state)
{
    switch (state) {
    case Hovered:
        return "hover";
    case Pressed:
        return "pressed";
    case Disabled:
        return "disabled";
    case Normal:
        break;
    }
    return "normal";
}

void putInState(QAbstractButton* button, ButtonState state)
{
    button->setEnabled(state != Disabled);
    button->setAttribute(Qt::WA_UnderMouse, state == Hovered);
    button->setDown(state == Pressed);
}

// Grabs of the four states, each written to the output folder.
QList<QImage> grabStates(QAbstractButton* button, const QString& prefix)
{
    QList<QImage> images;
    for (ButtonState state : {Normal, Hovered, Pressed, Disabled}) {
        putInState(button, state);
        images.append(KTestPicture::grab(button, QStringLiteral("widgets"),
                                         prefix + QLatin1Char('_') + QLatin1String(stateName(state))));
    }
    return images;
}

int darkestValue(const QImage& image)
{
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            darkest = qMin(darkest, qGray(image.pixel(x, y)));
    return darkest;
}

} // namespace

class TstCloseButtons : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { KLiteStyle::setScaleFactor(0); }

    void imageIndexFollowsState_data()
    {
        QTest::addColumn<bool>("down");
        QTest::addColumn<bool>("underMouse");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("index");
        QTest::newRow("normal") << false << false << true << 0;
        QTest::newRow("pressed") << true << false << true << 1;
        QTest::newRow("hovered") << false << true << true << 2;
        QTest::newRow("disabled") << false << false << false << 3;
        QTest::newRow("pressed under the mouse") << true << true << true << 1;
        QTest::newRow("pressed while disabled") << true << false << false << 1;
        QTest::newRow("hovered while disabled") << false << true << false << 2;
    }

    void imageIndexFollowsState()
    {
        QFETCH(bool, down);
        QFETCH(bool, underMouse);
        QFETCH(bool, enabled);
        QFETCH(int, index);
        KTestRuntime runtime;
        KZembaPluginLoadCloseButton button;
        button.setEnabled(enabled);
        button.setAttribute(Qt::WA_UnderMouse, underMouse);
        button.setDown(down);
        QCOMPARE(button.getImageIndex(), index);
    }

    void imageTableIsBuiltOnce()
    {
        KTestRuntime runtime;
        KZembaPluginLoadCloseButton first;
        const QPixmap normal = first.getCloseImage(0);
        QVERIFY(!normal.isNull());
        QCOMPARE(first.size(), KLiteStyle::dpiScaled(QSize(16, 16)));

        // A later button on a screen twice as dense is bigger, but shares the first images.
        KLiteStyle::setScaleFactor(KLiteStyle::scaleFactor() * 2);
        KZembaPluginLoadCloseButton later;
        QCOMPARE(later.size(), first.size() * 2);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(later.getCloseImage(i).cacheKey(), first.getCloseImage(i).cacheKey());
            QCOMPARE(later.getCloseImage(i).size(), normal.size());
        }
        // The four images are four different drawings.
        QSet<qint64> keys;
        for (int i = 0; i < 4; ++i)
            keys.insert(first.getCloseImage(i).cacheKey());
        QCOMPARE(keys.size(), 4);
        // Outside 0..3 the normal image stands in.
        QCOMPARE(first.getCloseImage(-1).cacheKey(), normal.cacheKey());
        QCOMPARE(first.getCloseImage(4).cacheKey(), normal.cacheKey());
    }

    void pluginLoadButtonDrawsItsStateImage()
    {
        KTestRuntime runtime;
        KZembaPluginLoadCloseButton button;
        const QList<QImage> grabs = grabStates(&button, QStringLiteral("pluginloadclose"));
        for (int i = 0; i < grabs.size(); ++i)
            for (int j = i + 1; j < grabs.size(); ++j)
                QVERIFY2(grabs.at(i) != grabs.at(j), qPrintable(QStringLiteral("states %1 and %2").arg(i).arg(j)));
        // The hover drawing has a filled backdrop (light grey) where the normal one shows the window.
        const QPoint side(2, button.height() / 2);
        QVERIFY(KTestPicture::near(grabs.at(Hovered).pixel(side), QColor(0xcd, 0xd1, 0xd8)));
        QVERIFY(KTestPicture::near(grabs.at(Pressed).pixel(side), QColor(0xe3, 0xe6, 0xeb)));
        QCOMPARE(grabs.at(Normal).pixel(side), grabs.at(Disabled).pixel(side));
        // The disabled cross is fainter than the normal one.
        QVERIFY(darkestValue(grabs.at(Disabled)) > darkestValue(grabs.at(Normal)) + 40);
    }

    void dialogButtonDrawsEveryState()
    {
        KTestRuntime runtime;
        KZembaDialogCloseButton button;
        QCOMPARE(button.sizeHint(), KLiteStyle::dpiScaled(QSize(16, 16)));
        QCOMPARE(button.focusPolicy(), Qt::NoFocus);
        QVERIFY(button.hasMouseTracking());
        QCOMPARE(button.cursor().shape(), Qt::PointingHandCursor);
        button.resize(button.sizeHint());
        const QList<QImage> grabs = grabStates(&button, QStringLiteral("dialogclose"));
        for (int i = 0; i < grabs.size(); ++i)
            for (int j = i + 1; j < grabs.size(); ++j)
                QVERIFY2(grabs.at(i) != grabs.at(j), qPrintable(QStringLiteral("states %1 and %2").arg(i).arg(j)));
        const QPoint side(2, button.height() / 2);
        QVERIFY(KTestPicture::near(grabs.at(Hovered).pixel(side), QColor(0xe3, 0xe6, 0xeb), 3));
        QVERIFY(KTestPicture::near(grabs.at(Pressed).pixel(side), QColor(0xcd, 0xd1, 0xd8), 3));
        QVERIFY(darkestValue(grabs.at(Disabled)) > darkestValue(grabs.at(Normal)) + 40);
    }

    void darkSkinDrawsLightCross()
    {
        KTestRuntime runtime;
        runtime.setValue(QStringLiteral("ui/skinName"), QStringLiteral("dark"));
        QWidget backdrop;
        backdrop.setAutoFillBackground(true);
        QPalette palette = backdrop.palette();
        palette.setColor(QPalette::Window, Qt::black);
        backdrop.setPalette(palette);
        auto* button = new KZembaDialogCloseButton(&backdrop);
        button->resize(button->sizeHint());
        backdrop.resize(button->size());
        const QImage image = KTestPicture::grab(&backdrop, QStringLiteral("widgets"), QStringLiteral("dialogclose_dark"));
        int lightest = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                lightest = qMax(lightest, qGray(image.pixel(x, y)));
        QVERIFY2(lightest > 150, qPrintable(QString::number(lightest)));
    }
};

KZEMBA_TEST_MAIN(TstCloseButtons)
#include "tst_closebuttons.moc"
