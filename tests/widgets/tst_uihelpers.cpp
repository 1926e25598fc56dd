// The suite UI stand-ins the widgets draw with: theme lookup by skin, the
// skin switch, the icon set and the scaling.
#include "ktestapplication.h"
#include "ktestruntime.h"

#include <ui/kdrawhelper.h>
#include <ui/kiconset.h>
#include <ui/klitestyle.h>
#include <ui/kskin.h>

#include <QPainter>
#include <QSignalSpy>
#include <QStyleOption>
#include <QtTest>

class TstUiHelpers : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { KLiteStyle::setScaleFactor(0); }

    void themeColour_data()
    {
        QTest::addColumn<QString>("skin");
        QTest::addColumn<QVariant>("configured");
        QTest::addColumn<QColor>("expected");
        const QColor fallback(1, 2, 3);
        QTest::newRow("light skin: the default") << QStringLiteral("default") << QVariant() << fallback;
        QTest::newRow("dark skin: its own value") << QStringLiteral("dark") << QVariant() << QColor(0x2b, 0x2d, 0x33);
        QTest::newRow("configured wins over the skin")
            << QStringLiteral("dark") << QVariant(QStringLiteral("#102030")) << QColor(0x10, 0x20, 0x30);
        QTest::newRow("configured with alpha")
            << QStringLiteral("default") << QVariant(QStringLiteral("#80102030")) << QColor(0x10, 0x20, 0x30, 0x80);
        QTest::newRow("unreadable value: the default")
            << QStringLiteral("default") << QVariant(QStringLiteral("not a colour")) << fallback;
    }

    void themeColour()
    {
        QFETCH(QString, skin);
        QFETCH(QVariant, configured);
        QFETCH(QColor, expected);
        KTestRuntime runtime;
        runtime.setValue(QStringLiteral("ui/skinName"), skin);
        if (configured.isValid())
            runtime.setValue(QStringLiteral("theme/CommonPalette/dlg-background-01"), configured);
        QCOMPARE(KDrawHelper::getColorFromTheme(QStringLiteral("CommonPalette"), QStringLiteral("dlg-background-01"),
                                                QColor(1, 2, 3)),
                 expected);
    }

    void missingColourWithoutDefaultIsInvalid()
    {
        KTestRuntime runtime;
        QVERIFY(!KDrawHelper::getColorFromTheme(QStringLiteral("Nothing"), QStringLiteral("here"), Qt::red, false)
                     .isValid());
        QCOMPARE(KDrawHelper::getColorFromTheme(QStringLiteral("Nothing"), QStringLiteral("here"), Qt::red, true),
                 QColor(Qt::red));
    }

    void skinSwitch()
    {
        KTestRuntime runtime;
        KSkin skin;
        QSignalSpy changed(&skin, &KSkin::skinChanged);
        QCOMPARE(KSkin::currentSkinName(), QStringLiteral("default"));
        QVERIFY(!KSkin::isDarkSkin());
        QCOMPARE(KDrawHelper::getHintFromTheme(QStringLiteral("ZembaBaseConfig"), QStringLiteral("is-dark-skin"), 0)
                     .toInt(),
                 0);

        skin.setCurrentSkin(QStringLiteral("dark"));
        QCOMPARE(changed.count(), 1);
        QVERIFY(KSkin::isDarkSkin());
        QCOMPARE(KDrawHelper::getCurrentSkinNameFromTheme(), QStringLiteral("dark"));
        QVERIFY(KIconSet::iconPath(QStringLiteral("open_directly")).contains(QStringLiteral("/dark/")));

        // The same skin again, or no name, changes nothing.
        skin.setCurrentSkin(QStringLiteral("dark"));
        skin.setCurrentSkin(QString());
        QCOMPARE(changed.count(), 1);

        // A configured hint overrides the skin's own.
        runtime.setValue(QStringLiteral("theme/ZembaBaseConfig/is-dark-skin"), 0);
        QVERIFY(!KSkin::isDarkSkin());
    }

    void iconSet_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("known");
        for (const char* name : {"dialogbox_close_m_16", "dialogbox_close_m_16_hover", "dialogbox_close_m_16_click",
                                 "dialogbox_close_m_16_disable", "open_directly", "loading_failed"})
            QTest::newRow(name) << QString::fromLatin1(name) << true;
        QTest::newRow("unknown") << QStringLiteral("no_such_icon") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("a path is not a name") << QStringLiteral("../light/open_directly") << false;
    }

    void iconSet()
    {
        QFETCH(QString, name);
        QFETCH(bool, known);
        KTestRuntime runtime;
        QCOMPARE(!KIconSet::iconPath(name).isEmpty(), known);
        const QPixmap pixmap = KIconSet::pixmap(name, QSize(24, 24));
        QCOMPARE(!pixmap.isNull(), known);
        if (!known)
            return;
        QCOMPARE(pixmap.size(), QSize(24, 24));
        // Something is drawn: not every pixel is transparent.
        const QImage image = pixmap.toImage();
        bool drawn = false;
        for (int y = 0; y < image.height() && !drawn; ++y)
            for (int x = 0; x < image.width() && !drawn; ++x)
                drawn = qAlpha(image.pixel(x, y)) > 0;
        QVERIFY(drawn);
    }

    void iconModes()
    {
        KTestRuntime runtime;
        const QIcon icon = KIconSet::icon(QStringLiteral("dialogbox_close_m_16;dialogbox_close_m_16_hover"));
        QVERIFY(!icon.isNull());
        const QImage normal = icon.pixmap(QSize(32, 32), QIcon::Normal).toImage();
        const QImage hover = icon.pixmap(QSize(32, 32), QIcon::Active).toImage();
        QCOMPARE(icon.pixmap(QSize(32, 32)).size(), QSize(32, 32));
        QVERIFY(normal != hover);
        // Without its own pressed image the icon shows the normal one; without a disabled one it fades.
        QCOMPARE(icon.pixmap(QSize(32, 32), QIcon::Selected).toImage(), normal);
        const QImage disabled = icon.pixmap(QSize(32, 32), QIcon::Disabled).toImage();
        QVERIFY(qAlpha(disabled.pixel(16, 16)) < qAlpha(normal.pixel(16, 16)));
        QVERIFY(KIconSet::icon(QStringLiteral("no_such_icon;dialogbox_close_m_16")).isNull());
    }

    void drawIconPicksTheMode_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("mode");
        const int enabled = QStyle::State_Enabled;
        QTest::newRow("normal") << enabled << int(QIcon::Normal);
        QTest::newRow("hovered") << (enabled | QStyle::State_MouseOver) << int(QIcon::Active);
        QTest::newRow("pressed") << (enabled | QStyle::State_Sunken) << int(QIcon::Selected);
        QTest::newRow("pressed under the mouse") << (enabled | QStyle::State_Sunken | QStyle::State_MouseOver)
                                                 << int(QIcon::Selected);
        QTest::newRow("disabled") << int(QStyle::State_MouseOver) << int(QIcon::Disabled);
    }

    void drawIconPicksTheMode()
    {
        QFETCH(int, state);
        QFETCH(int, mode);
        KTestRuntime runtime;
        const QIcon icon = KIconSet::icon(
            QStringLiteral("dialogbox_close_m_16;dialogbox_close_m_16_hover;dialogbox_close_m_16_click"));
        auto draw = [&](bool fill) {
            QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            KDrawHelper::drawIcon(&painter, image.rect(), icon, QStyle::State(state), fill, QString());
            return image;
        };
        QCOMPARE(draw(true), icon.pixmap(QSize(32, 32), QIcon::Mode(mode)).toImage());
        // Not filling keeps the icon's own size, centred: here it is asked for the whole area anyway.
        QCOMPARE(draw(false), draw(true));
    }

    void drawIconLeavesRoomForText()
    {
        KTestRuntime runtime;
        const QIcon icon = KIconSet::icon(QStringLiteral("dialogbox_close_m_16_hover"));
        QImage image(96, 32, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setPen(Qt::black);
            KDrawHelper::drawIcon(&painter, image.rect(), icon, QStyle::State_Enabled, true, QStringLiteral("Close"));
        }
        // The icon takes the left square, the text the rest.
        QCOMPARE(image.copy(0, 0, 32, 32), icon.pixmap(QSize(32, 32)).toImage());
        bool text = false;
        for (int y = 0; y < 32 && !text; ++y)
            for (int x = 32; x < 96 && !text; ++x)
                text = qAlpha(image.pixel(x, y)) > 200;
        QVERIFY(text);
    }

    void backgroundByClass()
    {
        KTestRuntime runtime;
        runtime.setValue(QStringLiteral("theme/KProbeWidget/background"), QStringLiteral("#336699"));
        runtime.setValue(QStringLiteral("theme/KProbeWidget/background-disable"), QStringLiteral("#999999"));
        QImage image(10, 10, QImage::Format_ARGB32);
        QStyleOption option;
        option.state = QStyle::State_Enabled;
        {
            QPainter painter(&image);
            KDrawHelper::drawBackGround(&painter, image.rect(), QStringLiteral("KProbeWidget"), &option);
        }
        QCOMPARE(QColor(image.pixel(5, 5)), QColor(0x33, 0x66, 0x99));
        option.state = QStyle::State_None;
        {
            QPainter painter(&image);
            KDrawHelper::drawBackGround(&painter, image.rect(), QStringLiteral("KProbeWidget"), &option);
        }
        QCOMPARE(QColor(image.pixel(5, 5)), QColor(0x99, 0x99, 0x99));
        {
            QPainter painter(&image);
            KDrawHelper::drawBackGround(&painter, image.rect(), QStringLiteral("KOtherWidget"), nullptr);
        }
        QCOMPARE(QColor(image.pixel(5, 5)), QColor(Qt::white));
    }

    void colorizeByClass()
    {
        KTestRuntime runtime;
        QPixmap source(4, 4);
        source.fill(QColor(0, 0, 255, 128));
        QCOMPARE(KDrawHelper::colorizeByClass(source, QStringLiteral("KPlain")).cacheKey(), source.cacheKey());
        runtime.setValue(QStringLiteral("theme/KTinted/icon-color"), QStringLiteral("#ff0000"));
        const QImage tinted =
            KDrawHelper::colorizeByClass(source, QStringLiteral("KTinted")).toImage().convertToFormat(QImage::Format_ARGB32);
        const QRgb pixel = tinted.pixel(1, 1);
        QCOMPARE(qRed(pixel), 255);
        QCOMPARE(qBlue(pixel), 0);
        QVERIFY(qAbs(qAlpha(pixel) - 128) <= 1);
    }

    void scaling()
    {
        QCOMPARE(KLiteStyle::scaleFactor(), 1.0);
        KLiteStyle::setScaleFactor(1.5);
        QCOMPARE(KLiteStyle::dpiScaled(12.0), 18.0);
        QCOMPARE(KLiteStyle::dpiScaled(QSize(16, 15)), QSize(24, 22));
        QCOMPARE(KLiteStyle::dpiScaledMargins(QMargins(1, 2, 3, 4)), QMargins(1, 3, 4, 6));
        KLiteStyle::setScaleFactor(-1);
        QCOMPARE(KLiteStyle::scaleFactor(), 1.0);
    }
};

KZEMBA_TEST_MAIN(TstUiHelpers)
#include "tst_uihelpers.moc"
