// Bubbles: geometry, arrow and shadow in pixels, both skins, the handler's
// life cycle, and texts given before the first show.
#include "ktestapplication.h"
#include "ktestpicture.h"
#include "ktestruntime.h"

#include "bubble/kabnormityshadoweventfilter.h"
#include "bubble/kzembalitebubble.h"
#include "bubble/kzembalitebubblecontent.h"
#include "bubble/kzembalitebubblehandler.h"
#include "bubble/kzembalitebubbletextcontent.h"
#include "bubble/kzembalitetextbubble.h"
#include "webwidget/kzembapluginloadclosebutton.h"

#include <ui/klitestyle.h>

#include <QLabel>
#include <QtTest>

namespace {

const QString kArea = QStringLiteral("bubble");
const QColor kDarkBody(0x2b, 0x2d, 0x33);

// A pixel of the (light) body: opaque enough and white.
bool isBody(QRgb pixel)
{
    return qAlpha(pixel) >= 120 && qRed(pixel) >= 235 && qGreen(pixel) >= 235 && qBlue(pixel) >= 235;
}

// The colour of text drawn at full coverage over the body.
QColor blended(const QColor& text, const QColor& body)
{
    const qreal a = text.alphaF();
    return QColor(qRound(text.red() * a + body.red() * (1 - a)), qRound(text.green() * a + body.green() * (1 - a)),
                  qRound(text.blue() * a + body.blue() * (1 - a)));
}

// Smallest channel distance from `color` over the pixels of `rect`.
int closestDistance(const QImage& image, const QRect& rect, const QColor& color)
{
    int best = 255;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            best = qMin(best, qMax(qAbs(qRed(p) - color.red()),
                                   qMax(qAbs(qGreen(p) - color.green()), qAbs(qBlue(p) - color.blue()))));
        }
    return best;
}

// Shows the widget and lets its layout settle, as the event loop would before the first paint.
void showNow(QWidget* widget)
{
    widget->show();
    QCoreApplication::sendPostedEvents();
}

QRect rectIn(QWidget* child, QWidget* top)
{
    return QRect(child->mapTo(top, QPoint(0, 0)), child->size());
}

// A bare widget painted by the shadow filter alone.
class KShadowProbe : public QWidget
{
public:
    KShadowProbe(const QSize& size, KShadowArrowType type, int shadowWidth)
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setWindowFlags(Qt::FramelessWindowHint);
        setFixedSize(size);
        installEventFilter(new KAbnormityShadowEventFilter(this, type, shadowWidth, 4, 0, false));
    }
};

class KCountingHandler : public KZembaLiteBubbleHandler
{
public:
    using KZembaLiteBubbleHandler::KZembaLiteBubbleHandler;
    void onBubbleClicked() override { ++clicks; }
    int clicks = 0;
};

} // namespace

class TstBubbles : public QObject
{
    Q_OBJECT

private slots:
    void bubbleGeometryAndArrow()
    {
        KTestRuntime runtime;
        KZembaLiteBubble bubble(nullptr, nullptr, ShadowArrowTop);
        showNow(&bubble);
        QCOMPARE(bubble.size(), QSize(258, 166));
        QCOMPARE(bubble.margin(), 12);
        QCOMPARE(bubble.shadowWidth(), 12);
        QVERIFY(bubble.content());
        QCOMPARE(bubble.content()->geometry(), QRect(12, 12, 234, 142));
        QCOMPARE(bubble.property("ArrowLeft").toDouble(), 32.0);

        const QImage image = KTestPicture::grab(&bubble, kArea, QStringLiteral("bubble_geometry"));
        // Body corners and edges: inside is body, one pixel out is shadow.
        QVERIFY(isBody(image.pixel(12, 80)));
        QVERIFY(!isBody(image.pixel(11, 80)));
        QVERIFY(isBody(image.pixel(245, 80)));
        QVERIFY(!isBody(image.pixel(246, 80)));
        QVERIFY(isBody(image.pixel(130, 153)));
        QVERIFY(!isBody(image.pixel(130, 154)));
        QVERIFY(isBody(image.pixel(130, 12)));
        QVERIFY(!isBody(image.pixel(130, 11)));
        // The arrow: its tip six pixels above the body at x = 32, its base centred there.
        QVERIFY(isBody(image.pixel(32, 6)));
        QVERIFY(!isBody(image.pixel(32, 5)));
        QVERIFY(!isBody(image.pixel(28, 6)));
        QVERIFY(!isBody(image.pixel(36, 6)));
        int left = -1;
        int right = -1;
        for (int x = 12; x < 60; ++x) {
            if (isBody(image.pixel(x, 9))) {
                if (left < 0)
                    left = x;
                right = x;
            }
        }
        QVERIFY(left > 12 && right < 60);
        QVERIFY2(qAbs(left + right - 64) <= 1, qPrintable(QStringLiteral("%1..%2").arg(left).arg(right)));
    }

    void textBubbleWidth()
    {
        KTestRuntime runtime;
        KZembaLiteTextBubble bubble(nullptr, nullptr, ShadowArrowTop);
        QCOMPARE(bubble.minimumWidth(), 228);
        QCOMPARE(bubble.maximumWidth(), 228);
        bubble.setContent(QStringLiteral("Short"));
        showNow(&bubble);
        QCOMPARE(bubble.width(), 228);
        // The close button sits in the body's top-right corner.
        QVERIFY(bubble.closeButton()->isVisible());
        QCOMPARE(bubble.closeButton()->pos(), QPoint(228 - 16 - 20, 20));
    }

    void sizesFollowTheScale_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<QSize>("bubble");
        QTest::addColumn<int>("textWidth");
        QTest::newRow("1") << 1.0 << QSize(258, 166) << 228;
        QTest::newRow("1.5") << 1.5 << QSize(351 + 36, 213 + 36) << 306 + 36;
        QTest::newRow("1.25 truncates") << 1.25 << QSize(292 + 30, 177 + 30) << 255 + 30;
    }

    void sizesFollowTheScale()
    {
        QFETCH(qreal, scale);
        QFETCH(QSize, bubble);
        QFETCH(int, textWidth);
        KTestRuntime runtime;
        KLiteStyle::setScaleFactor(scale);
        KZembaLiteBubble card(nullptr, nullptr, ShadowArrowTop);
        KZembaLiteTextBubble text(nullptr, nullptr, ShadowArrowTop);
        KLiteStyle::setScaleFactor(0);
        QCOMPARE(card.size(), bubble);
        QCOMPARE(text.minimumWidth(), textWidth);
        QCOMPARE(text.maximumWidth(), textWidth);
    }

    void textBubbleHeightFollowsItsText()
    {
        KTestRuntime runtime;
        KZembaLiteTextBubble shortText(nullptr, nullptr, ShadowArrowTop);
        shortText.setContent(QStringLiteral("One line."));
        showNow(&shortText);
        KZembaLiteTextBubble longText(nullptr, nullptr, ShadowArrowTop);
        longText.setContent(QStringLiteral("A paragraph long enough to need several lines inside the bubble, so that "
                                           "its body must grow downwards to hold all of them."));
        showNow(&longText);
        QVERIFY(longText.height() > shortText.height() + 40);
        for (KZembaLiteTextBubble* bubble : {&shortText, &longText}) {
            // The text stays inside the body, which ends a shadow width above the bottom.
            const QRect label = rectIn(bubble->content()->textLabel(), bubble);
            QVERIFY(label.top() >= bubble->shadowWidth());
            QVERIFY2(label.bottom() <= bubble->height() - 1 - bubble->shadowWidth(),
                     qPrintable(QStringLiteral("%1 in %2").arg(label.bottom()).arg(bubble->height())));
        }
    }

    void shadowFadesOutwards()
    {
        KTestRuntime runtime;
        KZembaLiteBubble bubble(nullptr, nullptr, ShadowArrowTop);
        showNow(&bubble);
        const QImage image = KTestPicture::grab(&bubble, kArea, QStringLiteral("bubble_shadow"));
        for (const QPoint& step : {QPoint(1, 0), QPoint(0, 1), QPoint(-1, 0)}) {
            // From just outside the body's right, bottom and left edges out to the widget's edge. The
            // rings are stroked on whole coordinates, so on the left the pixel next to the body gets
            // only half of the first ring; the fall starts one pixel further out there.
            QPoint at = step.x() > 0 ? QPoint(246, 80) : step.x() < 0 ? QPoint(10, 80) : QPoint(130, 154);
            int previous = 256;
            QList<int> alphas;
            while (bubble.rect().contains(at)) {
                const int alpha = qAlpha(image.pixel(at));
                QVERIFY2(alpha <= previous, qPrintable(QStringLiteral("alpha rises at %1,%2").arg(at.x()).arg(at.y())));
                alphas.append(alpha);
                previous = alpha;
                at += step;
            }
            QCOMPARE(alphas.size(), step.x() < 0 ? 11 : 12);
            QVERIFY(alphas.first() > 0);
            QVERIFY(alphas.first() > alphas.at(6));
            QCOMPARE(alphas.last(), 0);
        }
    }

    void shadowRings_data()
    {
        QTest::addColumn<int>("shadowWidth");
        QTest::addColumn<bool>("ring");
        QTest::newRow("width 1 draws no ring") << 1 << false;
        QTest::newRow("width 0 draws no ring") << 0 << false;
        QTest::newRow("width 2 draws one") << 2 << true;
    }

    void shadowRings()
    {
        QFETCH(int, shadowWidth);
        QFETCH(bool, ring);
        KTestRuntime runtime;
        KShadowProbe probe(QSize(100, 60), ShadowArrowTop, shadowWidth);
        showNow(&probe);
        const QImage image = probe.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        // Right of the body's right edge (x = 99 - shadow width) only rings may paint.
        int outside = 0;
        for (int y = 20; y < 50; ++y)
            for (int x = 99 - shadowWidth; x < 100; ++x)
                outside = qMax(outside, qAlpha(image.pixel(x, y)));
        QCOMPARE(outside > 0, ring);
        // The body itself is drawn either way.
        QVERIFY(isBody(image.pixel(50, 30)));
    }

    void leftArrowStaysOffTheCorners_data()
    {
        QTest::addColumn<int>("arrowLeft");
        QTest::newRow("asked for above the top") << -40;
        QTest::newRow("near the top") << 14;
        QTest::newRow("middle") << 60;
        QTest::newRow("near the bottom") << 104;
        QTest::newRow("asked for below the bottom") << 1000;
    }

    void leftArrowStaysOffTheCorners()
    {
        QFETCH(int, arrowLeft);
        KTestRuntime runtime;
        KShadowProbe probe(QSize(200, 120), ShadowArrowLeft, 12);
        probe.setProperty("ArrowLeft", arrowLeft);
        showNow(&probe);
        const QImage image = probe.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        KTestPicture::save(image, kArea, QStringLiteral("leftarrow_%1").arg(arrowLeft));
        // The body spans rows 12..107 with corners of radius 4; the arrow lies left of x = 12.
        int top = -1;
        int bottom = -1;
        for (int y = 0; y < image.height(); ++y) {
            if (isBody(image.pixel(10, y))) {
                if (top < 0)
                    top = y;
                bottom = y;
            }
        }
        QVERIFY2(top >= 0, "no arrow drawn");
        QVERIFY2(top >= 12 + 4 && bottom <= 107 - 4, qPrintable(QStringLiteral("arrow rows %1..%2").arg(top).arg(bottom)));
        // The arrow points left: its tip column holds fewer body pixels than its base.
        int tipRows = 0;
        int baseRows = 0;
        for (int y = 0; y < image.height(); ++y) {
            tipRows += isBody(image.pixel(7, y)) ? 1 : 0;
            baseRows += isBody(image.pixel(11, y)) ? 1 : 0;
        }
        QVERIFY(baseRows > tipRows);
    }

    void skinColours_data()
    {
        QTest::addColumn<QString>("skin");
        QTest::addColumn<QColor>("body");
        QTest::addColumn<QColor>("text");
        QTest::newRow("light") << QStringLiteral("default") << QColor(Qt::white) << QColor(0x44, 0x4e, 0x63);
        QTest::newRow("dark") << QStringLiteral("dark") << kDarkBody << blended(QColor(255, 255, 255, 153), kDarkBody);
    }

    void skinColours()
    {
        QFETCH(QString, skin);
        QFETCH(QColor, body);
        QFETCH(QColor, text);
        KTestRuntime runtime;
        runtime.setValue(QStringLiteral("ui/skinName"), skin);
        const QColor tag(0xff, 0x4e, 0x37);

        KZembaLiteBubble bubble(nullptr, nullptr, ShadowArrowTop);
        bubble.setSubTitle(QStringLiteral("NEW"));
        bubble.setMainTitle(QStringLiteral("Hello templates"));
        showNow(&bubble);
        const QImage image = KTestPicture::grab(&bubble, kArea, QStringLiteral("bubble_") + skin);

        QVERIFY(KTestPicture::near(image.pixel(200, 140), body));
        QVERIFY(KTestPicture::near(image.pixel(20, 150), body));
        QLabel* sub = bubble.content()->subTitleLabel();
        QLabel* title = bubble.content()->mainTitleLabel();
        const QRect subRect = rectIn(sub, &bubble);
        QVERIFY(KTestPicture::near(image.pixel(subRect.left() + 2, subRect.center().y()), tag));
        QCOMPARE(closestDistance(image, subRect, Qt::white), 0);
        QVERIFY2(closestDistance(image, rectIn(title, &bubble), text) <= 3,
                 qPrintable(QString::number(closestDistance(image, rectIn(title, &bubble), text))));

        KZembaLiteTextBubble textBubble(nullptr, nullptr, ShadowArrowTop);
        textBubble.setContent(QStringLiteral("Pick a template from the store and it opens in your document at once."));
        showNow(&textBubble);
        const QImage textImage = KTestPicture::grab(&textBubble, kArea, QStringLiteral("textbubble_") + skin);
        QVERIFY(KTestPicture::near(textImage.pixel(14, textImage.height() - 15), body));
        QLabel* label = textBubble.content()->textLabel();
        QVERIFY2(closestDistance(textImage, rectIn(label, &textBubble), text) <= 3,
                 qPrintable(QString::number(closestDistance(textImage, rectIn(label, &textBubble), text))));
    }

    void textsGivenBeforeTheFirstShowAppear()
    {
        KTestRuntime runtime;
        KZembaLiteBubble bubble(nullptr, nullptr, ShadowArrowTop);
        bubble.setMainTitle(QStringLiteral("Main"));
        bubble.setSubTitle(QStringLiteral("Tag"));
        QVERIFY(!bubble.content());
        bubble.showItSelf();
        QVERIFY(bubble.isVisible());
        QCOMPARE(bubble.content()->mainTitleLabel()->text(), QStringLiteral("Main"));
        QCOMPARE(bubble.content()->subTitleLabel()->text(), QStringLiteral("Tag"));
        // Later changes go straight to the labels.
        bubble.setMainTitle(QStringLiteral("Changed"));
        QCOMPARE(bubble.content()->mainTitleLabel()->text(), QStringLiteral("Changed"));

        KZembaLiteTextBubble textBubble(nullptr, nullptr, ShadowArrowTop);
        textBubble.setContent(QStringLiteral("Before"));
        textBubble.showItSelf();
        QCOMPARE(textBubble.content()->textLabel()->text(),
                 QStringLiteral("<p style=\"line-height:22px;\">Before</p>"));
        textBubble.setContent(QStringLiteral("After"));
        QCOMPARE(textBubble.content()->textLabel()->text(), QStringLiteral("<p style=\"line-height:22px;\">After</p>"));
    }

    void showItSelfOnlyBeforeTheFirstShow()
    {
        KTestRuntime runtime;
        KZembaLiteBubble bubble(nullptr, nullptr, ShadowArrowTop);
        showNow(&bubble);
        bubble.hide();
        bubble.showItSelf();
        QVERIFY(!bubble.isVisible());
    }

    void closeButtonClosesAndDeletes()
    {
        KTestRuntime runtime;
        QPointer<KZembaLiteBubble> bubble = new KZembaLiteBubble(nullptr, nullptr, ShadowArrowTop);
        bubble->setShowCloseButton(true);
        bubble->show();
        KZembaPluginLoadCloseButton* button = bubble->closeButton();
        QCOMPARE(button->pos(), QPoint(258 - 16 - 20, 20));
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(bubble.isNull());
    }

    void handlerHidesAfterTheInterval()
    {
        KTestRuntime runtime;
        QWidget target;
        target.show();
        KZembaLiteBubbleHandler handler(&target, true);
        handler.setTimeInterval(50);
        handler.prepareBubble();
        QPointer<KZembaLiteBubble> bubble = handler.bubble();
        QVERIFY(bubble);
        QCOMPARE(bubble->parentWidget(), &target);
        QCOMPARE(bubble->handler(), &handler);
        bubble->installEventFilter(&handler);
        bubble->show();
        QVERIFY(bubble->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(bubble.isNull(), 2000);
        QVERIFY(!handler.bubble());
        // Once per handler: no second bubble.
        handler.prepareBubble();
        QVERIFY(!handler.bubble());
    }

    void handlerWithoutAutoHideKeepsTheBubble()
    {
        KTestRuntime runtime;
        QWidget target;
        KZembaLiteBubbleHandler handler(&target, false);
        handler.setTimeInterval(10);
        handler.prepareBubble();
        KZembaLiteBubble* first = handler.bubble();
        handler.prepareBubble();
        QCOMPARE(handler.bubble(), first);
        first->installEventFilter(&handler);
        first->show();
        QTest::qWait(100);
        QVERIFY(handler.bubble() && handler.bubble()->isVisible());
        handler.hideBubble();
        QVERIFY(!handler.bubble());
    }

    void handlerWithoutWidgetAncestor()
    {
        KTestRuntime runtime;
        QObject owner;
        KZembaLiteBubbleHandler handler(&owner, true);
        handler.prepareBubble();
        QVERIFY(handler.bubble());
        QVERIFY(!handler.bubble()->parentWidget());
        QPointer<KZembaLiteBubble> bubble = handler.bubble();
        handler.hideBubble();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(bubble.isNull());
    }

    void clickCallsTheHandler()
    {
        KTestRuntime runtime;
        QWidget target;
        KCountingHandler handler(&target, false);
        handler.prepareBubble();
        handler.bubble()->installEventFilter(&handler);
        handler.bubble()->show();
        QTest::mouseClick(handler.bubble(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QCOMPARE(handler.clicks, 1);
    }

    void hiddenTargetHidesWithoutDeleting()
    {
        KTestRuntime runtime;
        QWidget target;
        target.show();
        QPointer<KZembaLiteBubble> bubble = new KZembaLiteBubble(&target, nullptr, ShadowArrowTop);
        bubble->show();
        target.hide();
        QVERIFY(!bubble->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!bubble.isNull());
    }

    void targetChangingParentDeletesTheBubble()
    {
        KTestRuntime runtime;
        QWidget other;
        auto* target = new QWidget;
        target->show();
        QPointer<KZembaLiteBubble> bubble = new KZembaLiteBubble(target, nullptr, ShadowArrowTop);
        QPointer<KZembaLiteTextBubble> textBubble = new KZembaLiteTextBubble(target, nullptr, ShadowArrowLeft);
        bubble->show();
        textBubble->show();
        target->setParent(&other);
        QVERIFY(!bubble->isVisible());
        QVERIFY(!textBubble->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(bubble.isNull());
        QVERIFY(textBubble.isNull());
    }
};

KZEMBA_TEST_MAIN(TstBubbles)
#include "tst_bubbles.moc"
