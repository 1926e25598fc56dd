// The frameless web dialog: its window, Esc and other keys from the page, the
// page's readiness and close-button reports reaching a concrete dialog, and a
// picture of a dialog with its close button.
#include "ktestapplication.h"
#include "ktestcommonjsapi.h"
#include "ktestpicture.h"
#include "ktestruntime.h"

#include "webwidget/kzembacommonwebdiaglog.h"
#include "webwidget/kzembadialogclosebutton.h"

#include <ui/klitestyle.h>
#include <vdllite/kxheadlesspage.h>
#include <vdllite/kxwebviewcontainer.h>

#include <QPointer>
#include <QResizeEvent>
#include <QSignalSpy>
#include <QtTest>

namespace {
const QString kMainUrl = QStringLiteral("http://127.0.0.1:9/store/dialog.html");

/// A store dialog as components build them: a close button in the top right
/// corner, hidden when the page asks, and a count of the page's ready reports.
class KTestWebDialog : public KZembaCommonWebDiaglog
{
    Q_OBJECT
public:
    KTestWebDialog()
        : KZembaCommonWebDiaglog(nullptr, QStringLiteral("dialogpage"), true)
        , m_closeButton(new KZembaDialogCloseButton(this))
    {
        connect(m_closeButton, &QAbstractButton::clicked, this, &KTestWebDialog::closeWindow);
    }

    vdllite::KxCommonJsApi* createJsApi(KxWebViewContainer* container) override
    {
        m_api = new KTestCommonJsApi(container, this);
        return m_api;
    }

    KTestCommonJsApi* api() const { return m_api.data(); }
    KxHeadlessPage* page() const { return container() ? qobject_cast<KxHeadlessPage*>(container()->page()) : nullptr; }
    KZembaDialogCloseButton* closeButton() const { return m_closeButton; }
    void createBrowser() { loadWebView(); }

    int readyReports = 0;

public slots:
    void onWebLoadFinished() { ++readyReports; }
    void onHideCloseBtn() { m_closeButton->hide(); }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        KZembaCommonWebDiaglog::resizeEvent(event);
        const int margin = int(KLiteStyle::dpiScaled(12));
        m_closeButton->resize(m_closeButton->sizeHint());
        m_closeButton->move(event->size().width() - m_closeButton->width() - margin, margin);
        m_closeButton->raise();
    }

private:
    QPointer<KTestCommonJsApi> m_api;
    KZembaDialogCloseButton* m_closeButton;
};

// A dialog whose subclass offers none of the page's slots.
class KTestBareDialog : public KZembaCommonWebDiaglog
{
public:
    KTestBareDialog()
        : KZembaCommonWebDiaglog(nullptr, QStringLiteral("barepage"))
    {
    }

    vdllite::KxCommonJsApi* createJsApi(KxWebViewContainer* container) override
    {
        return new KTestCommonJsApi(container, this);
    }
};
} // namespace

class TstWebDialog : public QObject
{
    Q_OBJECT

private:
    // A dialog whose browser exists; shown when `visible`. The dialog deletes itself when closed.
    void makeDialog(bool visible)
    {
        m_dialog = new KTestWebDialog;
        m_dialog->resize(360, 240);
        m_dialog->init(kMainUrl, QStringLiteral("app1"), false);
        QSignalSpy created(m_dialog->container(), &KxWebViewContainer::browserCreated);
        m_dialog->createBrowser();
        QVERIFY(created.wait());
        if (visible) {
            m_dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(m_dialog.data()));
        }
    }

private slots:
    void init() { m_runtime = std::make_unique<KTestRuntime>(); }

    void cleanup()
    {
        delete m_dialog.data();
        m_runtime.reset();
    }

    void isAFramelessDialogDeletedOnClose()
    {
        makeDialog(false);
        QCOMPARE(int(m_dialog->windowFlags()), int(Qt::Dialog | Qt::FramelessWindowHint));
        QVERIFY(m_dialog->testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(!m_dialog->needClone());
        QCOMPARE(m_dialog->GetWidgetType(), -1);
        QVERIFY(m_dialog->titleBarRect().isNull());
    }

    void keysFromThePage_data()
    {
        QTest::addColumn<bool>("visible");
        QTest::addColumn<int>("eventType");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Esc down, shown") << true << int(QEvent::KeyPress) << int(Qt::Key_Escape) << true;
        QTest::newRow("Esc down, hidden") << false << int(QEvent::KeyPress) << int(Qt::Key_Escape) << false;
        QTest::newRow("Esc up, shown") << true << int(QEvent::KeyRelease) << int(Qt::Key_Escape) << false;
        QTest::newRow("Enter down, shown") << true << int(QEvent::KeyPress) << int(Qt::Key_Return) << false;
        QTest::newRow("Space down, shown") << true << int(QEvent::KeyPress) << int(Qt::Key_Space) << false;
        QTest::newRow("A down, shown") << true << int(QEvent::KeyPress) << int(Qt::Key_A) << false;
        QTest::newRow("F4 down, shown") << true << int(QEvent::KeyPress) << int(Qt::Key_F4) << false;
    }

    void keysFromThePage()
    {
        QFETCH(bool, visible);
        QFETCH(int, eventType);
        QFETCH(int, key);
        QFETCH(bool, closes);
        makeDialog(visible);
        QSignalSpy keys(m_dialog->container(), SIGNAL(keyBoardEvent(int, int, int)));

        emit m_dialog->page()->keyboardEvent(eventType, key, int(Qt::NoModifier));
        QCOMPARE(keys.count(), 1);
        QTest::qWait(20);
        QCOMPARE(m_dialog.isNull(), closes);
        if (!closes)
            QCOMPARE(m_dialog->isVisible(), visible);
    }

    void escIsTheBrowsersKeyDownOf27()
    {
        makeDialog(true);
        QSignalSpy keys(m_dialog->container(), SIGNAL(keyBoardEvent(int, int, int)));
        emit m_dialog->page()->keyboardEvent(QEvent::KeyRelease, Qt::Key_Escape, int(Qt::ShiftModifier));
        emit m_dialog->page()->keyboardEvent(QEvent::KeyPress, Qt::Key_Escape, int(Qt::ShiftModifier));
        QCOMPARE(keys.count(), 2);
        QCOMPARE(keys.at(0), (QList<QVariant>{2, 27, int(Qt::ShiftModifier)}));
        QCOMPARE(keys.at(1), (QList<QVariant>{0, 27, int(Qt::ShiftModifier)}));
        QTRY_VERIFY(m_dialog.isNull());
    }

    void closeButtonClosesTheDialog()
    {
        makeDialog(true);
        QTest::mouseClick(m_dialog->closeButton(), Qt::LeftButton);
        QTRY_VERIFY(m_dialog.isNull());
    }

    void pageReportsReachTheConcreteDialog()
    {
        makeDialog(true);
        emit m_dialog->api()->webPageInitialed();
        emit m_dialog->api()->webScriptReady();
        QCOMPARE(m_dialog->readyReports, 2);
        QVERIFY(m_dialog->closeButton()->isVisible());
        emit m_dialog->api()->hideCloseButton();
        QVERIFY(!m_dialog->closeButton()->isVisible());
    }

    void dialogWithoutThePageSlotsStillClosesOnEsc()
    {
        QPointer<KTestBareDialog> dialog = new KTestBareDialog;
        dialog->init(kMainUrl, QStringLiteral("app1"), true);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));
        auto* page = qobject_cast<KxHeadlessPage*>(dialog->container()->page());
        QVERIFY(page);
        QTRY_VERIFY(page->hasBrowser());
        emit page->keyboardEvent(QEvent::KeyPress, Qt::Key_Escape, 0);
        QTRY_VERIFY(dialog.isNull());
    }

    void pictureWithTheCloseButton()
    {
        makeDialog(true);
        m_dialog->showWebWidget();
        const QImage image = KTestPicture::grab(m_dialog.data(), QStringLiteral("widgets"), QStringLiteral("webdialog"));
        QCOMPARE(image.size(), QSize(360, 240));

        const QRect button = m_dialog->closeButton()->geometry();
        QVERIFY(button.right() < image.width() && button.top() > 0);
        const QRgb background = image.pixel(20, 120);
        int darkInButton = 0;
        for (int y = button.top(); y <= button.bottom(); ++y)
            for (int x = button.left(); x <= button.right(); ++x)
                darkInButton += qGray(image.pixel(x, y)) < qGray(background) - 80;
        QVERIFY2(darkInButton > 8, qPrintable(QString::number(darkInButton)));
        // Nothing of the cross outside the button.
        for (int x = 0; x < button.left() - 1; ++x)
            QCOMPARE(image.pixel(x, button.center().y()), background);
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    QPointer<KTestWebDialog> m_dialog;
};

KZEMBA_TEST_MAIN(TstWebDialog)
#include "tst_webdialog.moc"
