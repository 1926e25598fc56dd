// The loading placeholder: loading, waiting, failed and retry; its timers,
// retry button, error image, button style and animation; and pictures of the
// failed state in both skins.
#include "ktestapplication.h"
#include "ktestpicture.h"
#include "ktestruntime.h"

#include "webwidget/kzembavantaloadingwidget.h"

#include <ui/kiconset.h>
#include <ui/klitestyle.h>

#include <QPropertyAnimation>
#include <QPushButton>
#include <QSpacerItem>
#include <QtTest>

namespace {

const QString kLoading = QStringLiteral("Loading the store");
const QString kWaiting = QStringLiteral("Still loading, please wait");
const QString kFailure = QStringLiteral("The page could not be loaded");
const QString kRetry = QStringLiteral("Retry");

// Opens the protected slots and records what the subclass hooks see.
class KProbeLoadingWidget : public KZembaVantaLoadingWidget
{
public:
    KProbeLoadingWidget(int waitSeconds, int timeoutSeconds, const QString& errorIcon = QString(),
                        bool recordIndex = true)
        : KZembaVantaLoadingWidget(nullptr, kLoading, kWaiting, kFailure, kRetry, errorIcon, false, false,
                                   waitSeconds, timeoutSeconds)
        , m_recordIndex(recordIndex)
    {
    }

    void timeOutNow() { onTimeout(); }
    QPushButton* retryButton() const { return findChild<QPushButton*>(); }
    QString tips() { return getLoadingTips()->text(); }
    bool retryShown() const { return retryButton() && !retryButton()->isHidden(); }
    using KZembaVantaLoadingWidget::frameImages;

    QStringList shownTexts;
    QList<int> indexes;

protected:
    void setIndex(int index) override
    {
        if (m_recordIndex)
            indexes.append(index);
    }
    void onWaitTimerout() override
    {
        KZembaVantaLoadingWidget::onWaitTimerout();
        shownTexts.append(tips());
    }
    void onTimeout() override
    {
        KZembaVantaLoadingWidget::onTimeout();
        shownTexts.append(tips());
    }

private:
    bool m_recordIndex;
};

QString writeImage(const QString& dir, const QString& name, const QColor& color, const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    const QString path = dir + QLatin1Char('/') + name;
    return image.save(path, "PNG") ? path : QString();
}

QPixmap shownPixmap(KZembaVantaLoadingWidget& widget)
{
    return widget.getLoadingLabel()->pixmap(Qt::ReturnByValue);
}

QRgb centre(const QPixmap& pixmap)
{
    return pixmap.toImage().pixel(pixmap.width() / 2, pixmap.height() / 2);
}

} // namespace

class TstLoadingWidget : public QObject
{
    Q_OBJECT

private slots:
    void loadsWaitsFailsAndRetries()
    {
        KTestRuntime runtime;
        KProbeLoadingWidget widget(1, 2, KIconSet::iconPath(QStringLiteral("loading_failed")));
        QSignalSpy timeouts(&widget, &KZembaVantaLoadingWidget::signalTimeout);
        QSignalSpy reloads(&widget, &KZembaVantaLoadingWidget::signalReload);
        widget.resize(480, 480);
        widget.show();

        widget.showLoadingPage(true);
        QCOMPARE(widget.tips(), kLoading);
        QVERIFY(!widget.retryShown());
        QCOMPARE(widget.getLoadingAnim()->state(), QAbstractAnimation::Running);
        const qint64 stillImage = shownPixmap(widget).cacheKey();

        QTRY_COMPARE_WITH_TIMEOUT(widget.tips(), kWaiting, 1800);
        QCOMPARE(timeouts.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(widget.tips(), kFailure, 1800);
        QCOMPARE(timeouts.count(), 1);
        QCOMPARE(widget.shownTexts, QStringList({kWaiting, kFailure}));
        QVERIFY(widget.retryShown());
        QCOMPARE(widget.retryButton()->text(), kRetry);
        QCOMPARE(widget.retryButton()->size(), QSize(72, 32));
        QCOMPARE(widget.getLoadingAnim()->state(), QAbstractAnimation::Stopped);
        QCOMPARE(shownPixmap(widget).size(), QSize(100, 100));

        QVERIFY(!widget.isReloadClicked());
        QTest::mouseClick(widget.retryButton(), Qt::LeftButton);
        QCOMPARE(reloads.count(), 1);
        QVERIFY(widget.isReloadClicked());

        // The owner starts again: the button goes, the loading image comes back.
        widget.showLoadingPage(true);
        QCOMPARE(widget.tips(), kLoading);
        QVERIFY(!widget.retryShown());
        QCOMPARE(widget.getLoadingAnim()->state(), QAbstractAnimation::Running);
        QCOMPARE(shownPixmap(widget).cacheKey(), stillImage);

        widget.stopLoading();
        QCOMPARE(widget.getLoadingAnim()->state(), QAbstractAnimation::Stopped);
        QTest::qWait(1200);
        QCOMPARE(widget.tips(), kLoading);
        QCOMPARE(timeouts.count(), 1);
    }

    void periodsOfZeroNeverFire_data()
    {
        QTest::addColumn<int>("waitSeconds");
        QTest::addColumn<int>("timeoutSeconds");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("wait 0 never shows the waiting text") << 0 << 1 << QStringList({kFailure});
        QTest::newRow("time-out 0 never fails") << 1 << 0 << QStringList({kWaiting});
        QTest::newRow("negative periods do nothing") << -1 << -5 << QStringList();
    }

    void periodsOfZeroNeverFire()
    {
        QFETCH(int, waitSeconds);
        QFETCH(int, timeoutSeconds);
        QFETCH(QStringList, shown);
        KTestRuntime runtime;
        KProbeLoadingWidget widget(waitSeconds, timeoutSeconds);
        QSignalSpy timeouts(&widget, &KZembaVantaLoadingWidget::signalTimeout);
        widget.showLoadingPage(true);
        QTest::qWait(1500);
        QCOMPARE(widget.shownTexts, shown);
        QCOMPARE(timeouts.count(), shown.contains(kFailure) ? 1 : 0);
    }

    void reloadButtonSwitch_data()
    {
        QTest::addColumn<bool>("beforeTimeout");
        QTest::addColumn<bool>("shown");
        QTest::newRow("switched off before: stays hidden") << true << false;
        QTest::newRow("switched off after: stays shown") << false << true;
    }

    void reloadButtonSwitch()
    {
        QFETCH(bool, beforeTimeout);
        QFETCH(bool, shown);
        KTestRuntime runtime;
        KProbeLoadingWidget widget(0, 0);
        widget.showLoadingPage(false);
        if (beforeTimeout)
            widget.setReloadButtonVisible(false);
        widget.timeOutNow();
        if (!beforeTimeout)
            widget.setReloadButtonVisible(false);
        QCOMPARE(widget.retryShown(), shown);
        QCOMPARE(widget.tips(), kFailure);
    }

    void errorImageIsLoadedOnce()
    {
        KTestRuntime runtime;
        const QString red = writeImage(runtime.path(), QStringLiteral("red.png"), Qt::red, QSize(50, 25));
        const QString blue = writeImage(runtime.path(), QStringLiteral("blue.png"), Qt::blue, QSize(50, 25));
        QVERIFY(!red.isEmpty() && !blue.isEmpty());
        KProbeLoadingWidget widget(0, 0, red);
        widget.showLoadingPage(false);
        widget.timeOutNow();
        const QPixmap first = shownPixmap(widget);
        // Scaled into 100 x 100, keeping its shape.
        QCOMPARE(first.size(), QSize(100, 50));
        QCOMPARE(QColor(centre(first)), QColor(Qt::red));

        // Neither a new path nor a changed file replaces the loaded image.
        widget.setErrorIconPixmap(blue);
        QVERIFY(!writeImage(runtime.path(), QStringLiteral("red.png"), Qt::blue, QSize(50, 25)).isEmpty());
        widget.showLoadingPage(false);
        widget.timeOutNow();
        QCOMPARE(shownPixmap(widget).cacheKey(), first.cacheKey());
    }

    void missingErrorImageIsTriedAgain()
    {
        KTestRuntime runtime;
        const QString later = runtime.path() + QStringLiteral("/later.png");
        KProbeLoadingWidget widget(0, 0, later);
        widget.showLoadingPage(false);
        widget.timeOutNow();
        QVERIFY(shownPixmap(widget).isNull());
        QCOMPARE(widget.tips(), kFailure);
        QVERIFY(!writeImage(runtime.path(), QStringLiteral("later.png"), Qt::green, QSize(10, 10)).isEmpty());
        widget.showLoadingPage(false);
        widget.timeOutNow();
        QCOMPARE(QColor(centre(shownPixmap(widget))), QColor(Qt::green));
    }

    void retryButtonStyleSheet()
    {
        const QString expected = QStringLiteral(
            "QPushButton{ background-color:#1f69e0; color:#ffffff; border-radius:5px; font-size:13px;border-width:0px; "
            "border-color:#1e5fc7; border-style:solid;}QPushButton:hover{ background-color:#458bfa; color:#ffffff; "
            "border-radius:5px; font-size:13px }QPushButton:pressed{ background-color:#1e5fc7; color:#ffffff; "
            "border-radius:5px; font-size:13px }");
        QCOMPARE(KZembaVantaLoadingWidget::createButtonStyleSheet(QColor(31, 105, 224), QColor(69, 139, 250),
                                                                  QColor(30, 95, 199), QColor(255, 255, 255),
                                                                  QColor(30, 95, 199), 5, 13, 0),
                 expected);
        // Leading zeros are kept in every channel.
        QVERIFY(KZembaVantaLoadingWidget::createButtonStyleSheet(QColor(1, 2, 3), Qt::black, Qt::black, Qt::black,
                                                                 Qt::black, 1, 1, 1)
                    .startsWith(QStringLiteral("QPushButton{ background-color:#010203; color:#000000;")));

        KTestRuntime runtime;
        KProbeLoadingWidget widget(0, 0);
        widget.showLoadingPage(false);
        QCOMPARE(widget.retryButton()->styleSheet(), expected);
    }

    void tipsStyle()
    {
        KTestRuntime runtime;
        KProbeLoadingWidget widget(0, 0);
        widget.showLoadingPage(false);
        QLabel* tips = widget.getLoadingTips();
        QCOMPARE(tips->font().pixelSize(), 14);
        QVERIFY(!tips->wordWrap());
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            QCOMPARE(tips->palette().color(group, QPalette::WindowText), QColor(37, 37, 37));
    }

    void animationRunsThroughThirtyFrames()
    {
        KTestRuntime runtime;
        KProbeLoadingWidget widget(0, 0);
        QPropertyAnimation* animation = widget.getLoadingAnim();
        QCOMPARE(animation->propertyName(), QByteArray("index"));
        QCOMPARE(animation->startValue().toInt(), 0);
        QCOMPARE(animation->endValue().toInt(), 29);
        QCOMPARE(animation->duration(), 1000);
        QCOMPARE(animation->loopCount(), -1);

        widget.startLoadingAnim();
        QCOMPARE(widget.frameImages().size(), 30);
        for (const QPixmap& frame : widget.frameImages())
            QCOMPARE(frame.size(), QSize(72, 72));
        QTest::qWait(1100);
        widget.stopLoadingAnim();
        QVERIFY(widget.indexes.size() > 5);
        QCOMPARE(widget.indexes.first(), 0);
        int highest = 0;
        for (int i = 0; i < widget.indexes.size(); ++i) {
            QVERIFY(widget.indexes.at(i) >= 0 && widget.indexes.at(i) <= 29);
            highest = qMax(highest, widget.indexes.at(i));
        }
        QVERIFY2(highest >= 27, qPrintable(QString::number(highest)));
        QCOMPARE(widget.getIndex(), widget.indexes.last());
        // The frames really differ: the strip turns.
        QVERIFY(widget.frameImages().at(0).toImage() != widget.frameImages().at(15).toImage());
    }

    void baseWidgetShowsStillImage()
    {
        KTestRuntime runtime;
        KProbeLoadingWidget widget(0, 0, QString(), false);
        widget.showLoadingPage(false);
        const QPixmap shown = shownPixmap(widget);
        QVERIFY(!shown.isNull());
        const qint64 key = shown.cacheKey();
        QTest::qWait(300);
        QCOMPARE(shownPixmap(widget).cacheKey(), key);
        QCOMPARE(widget.getLoadingAnim()->state(), QAbstractAnimation::Running);
    }

    void layoutHooks_data()
    {
        QTest::addColumn<bool>("withBottom");
        QTest::addColumn<bool>("withTitle");
        QTest::newRow("spacers") << false << false;
        QTest::newRow("title and bottom areas") << true << true;
    }

    void layoutHooks()
    {
        QFETCH(bool, withBottom);
        QFETCH(bool, withTitle);
        KTestRuntime runtime;
        KZembaVantaLoadingWidget widget(nullptr, kLoading, kWaiting, kFailure, kRetry, QString(), withBottom, withTitle,
                                        0, 0);
        QCOMPARE(widget.getBottomLayout() != nullptr, withBottom);
        QCOMPARE(widget.getTitleLayout() != nullptr, withTitle);
        QCOMPARE(widget.getUpSpacerItem() != nullptr, !withTitle);
        if (!withTitle)
            QCOMPARE(widget.getUpSpacerItem()->sizeHint().height(), 155);
        QVERIFY(widget.testAttribute(Qt::WA_DontCreateNativeAncestors));
        QVERIFY(widget.testAttribute(Qt::WA_NativeWindow));
    }

    void shelllessModeKeepsTheWidgetAlien()
    {
        KTestRuntime runtime;
        runtime.setValue(QStringLiteral("product/vantaShelllessMode"), true);
        KZembaVantaLoadingWidget widget(nullptr, kLoading, kWaiting, kFailure, kRetry, QString(), false, false, 0, 0);
        QVERIFY(widget.testAttribute(Qt::WA_DontCreateNativeAncestors));
        QVERIFY(!widget.testAttribute(Qt::WA_NativeWindow));
    }

    void failedStatePicture_data()
    {
        QTest::addColumn<QString>("skin");
        QTest::addColumn<QColor>("background");
        QTest::newRow("light") << QStringLiteral("default") << QColor(Qt::white);
        QTest::newRow("dark") << QStringLiteral("dark") << QColor(0x2b, 0x2d, 0x33);
    }

    void failedStatePicture()
    {
        QFETCH(QString, skin);
        QFETCH(QColor, background);
        KTestRuntime runtime;
        runtime.setValue(QStringLiteral("ui/skinName"), skin);
        KProbeLoadingWidget widget(0, 0, KIconSet::iconPath(QStringLiteral("loading_failed")));
        widget.resize(480, 420);
        widget.show();
        widget.showLoadingPage(false);
        // The loading page came after the widget was shown: let its layout settle, as the event loop would.
        QTest::qWait(50);
        const QImage loading =
            KTestPicture::grab(&widget, QStringLiteral("widgets"), QStringLiteral("loading_") + skin);
        widget.timeOutNow();
        const QImage failed = KTestPicture::grab(&widget, QStringLiteral("widgets"), QStringLiteral("loading_failed_") + skin);

        QVERIFY(KTestPicture::near(failed.pixel(3, 3), background));
        QVERIFY(KTestPicture::near(loading.pixel(3, 3), background));
        // The retry button: its blue, left of the text.
        QPushButton* retry = widget.retryButton();
        const QPoint inButton = retry->mapTo(&widget, QPoint(5, retry->height() / 2));
        QVERIFY(KTestPicture::near(failed.pixel(inButton), QColor(0x1f, 0x69, 0xe0), 3));
        QVERIFY(KTestPicture::near(loading.pixel(inButton), background));
        // While loading, the first frame of the strip stands in the middle: its blue arc at the top.
        QLabel* image = widget.getLoadingLabel();
        const QRect imageRect(image->mapTo(&widget, QPoint(0, 0)), image->size());
        int bluish = 0;
        for (int y = imageRect.top(); y <= imageRect.bottom(); ++y)
            for (int x = imageRect.left(); x <= imageRect.right(); ++x) {
                const QRgb p = loading.pixel(x, y);
                bluish += (qBlue(p) > 200 && qRed(p) < 100) ? 1 : 0;
            }
        QVERIFY2(bluish > 100, qPrintable(QString::number(bluish)));
        // The error image, its red mark in the middle.
        int reddish = 0;
        for (int y = imageRect.top(); y <= imageRect.bottom(); ++y)
            for (int x = imageRect.left(); x <= imageRect.right(); ++x) {
                const QRgb p = failed.pixel(x, y);
                reddish += (qRed(p) > 200 && qGreen(p) < 130 && qBlue(p) < 110) ? 1 : 0;
            }
        QVERIFY2(reddish > 200, qPrintable(QString::number(reddish)));
        // The failure text, dark on the background.
        QLabel* tips = widget.getLoadingTips();
        const QRect tipsRect(tips->mapTo(&widget, QPoint(0, 0)), tips->size());
        int darkest = 255;
        for (int y = tipsRect.top(); y <= tipsRect.bottom(); ++y)
            for (int x = tipsRect.left(); x <= tipsRect.right(); ++x)
                darkest = qMin(darkest, qGray(failed.pixel(x, y)));
        QVERIFY2(darkest < 60, qPrintable(QString::number(darkest)));
    }
};

KZEMBA_TEST_MAIN(TstLoadingWidget)
#include "tst_loadingwidget.moc"
