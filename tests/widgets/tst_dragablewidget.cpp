// The dragable web widget: its title area on resize and from the page, the
// load monitor, and drags started by the page or prepared by a press in the
// title area and ended by the left-button release.
#include "ktestapplication.h"
#include "ktestcommonjsapi.h"
#include "ktestruntime.h"

#include "webwidget/kzembacommondragablewidget.h"

#include <ui/klitestyle.h>
#include <vdllite/kxheadlesspage.h>
#include <vdllite/kxwebviewcontainer.h>

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {
const QString kMainUrl = QStringLiteral("http://127.0.0.1:9/store/dialog.html");

/// A page's JS API object that also offers the drag signals.
class KTestDragJsApi : public KTestCommonJsApi
{
    Q_OBJECT
public:
    using KTestCommonJsApi::KTestCommonJsApi;

signals:
    void dragWidget();
    void setDragArea(const QRect& rect);
};

class KTestDragableWidget : public KZembaCommonDragableWidget
{
    Q_OBJECT
public:
    explicit KTestDragableWidget(int titleHeight)
        : KZembaCommonDragableWidget(nullptr, QStringLiteral("dragpage"), titleHeight)
    {
    }

    vdllite::KxCommonJsApi* createJsApi(KxWebViewContainer* container) override
    {
        m_api = new KTestDragJsApi(container, this);
        return m_api;
    }

    KTestDragJsApi* api() const { return m_api.data(); }
    KxHeadlessPage* page() const { return container() ? qobject_cast<KxHeadlessPage*>(container()->page()) : nullptr; }
    bool hasLoadTimer() const { return m_loadTimer != nullptr; }
    bool isLoadMonitorRunning() const { return m_loadTimer && m_loadTimer->isActive(); }
    void createBrowser() { loadWebView(); }

    int dragStarts = 0;

protected:
    void startDragWidget() override
    {
        ++dragStarts;
        KZembaCommonDragableWidget::startDragWidget();
    }

private:
    QPointer<KTestDragJsApi> m_api;
};

// Moves are sent with the left button held, as while dragging.
void sendMouse(QWidget* target, QEvent::Type type, const QPoint& position, Qt::MouseButton button)
{
    Qt::MouseButtons buttons = button;
    if (type == QEvent::MouseMove)
        buttons = Qt::LeftButton;
    else if (type == QEvent::MouseButtonRelease)
        buttons = Qt::NoButton;
    QMouseEvent event(type, position, target->mapToGlobal(position), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}
} // namespace

class TstDragableWidget : public QObject
{
    Q_OBJECT

private:
    // A shown widget whose browser exists and whose main page is loading.
    void makeWidget(int titleHeight = 40, const QSize& size = QSize(800, 300))
    {
        m_widget = std::make_unique<KTestDragableWidget>(titleHeight);
        m_widget->resize(size);
        m_widget->init(kMainUrl, QStringLiteral("app1"), false);
        m_widget->page()->setHoldLoads(true);
        QSignalSpy created(m_widget->container(), &KxWebViewContainer::browserCreated);
        m_widget->createBrowser();
        QVERIFY(created.wait());
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget.get()));
    }

    QWidget* view() const { return m_widget->container()->viewWidget(); }

    // A point one pixel beyond the start-drag distance from `from`, or just at it.
    static QPoint cursorAway(const QPoint& from, bool beyond)
    {
        const int step = QApplication::startDragDistance() + (beyond ? 1 : 0);
        return from + QPoint(step, 0);
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        QCursor::setPos(100, 100);
    }

    void cleanup()
    {
        m_widget.reset();
        m_runtime.reset();
        KLiteStyle::setScaleFactor(0);
    }

    void titleAreaOnResize_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<int>("titleHeight");
        QTest::addColumn<int>("width");
        QTest::addColumn<QRect>("before");
        QTest::addColumn<QRect>("expected");

        const QRect earlier(5, 6, 70, 20);
        QTest::newRow("wide") << 1.0 << 40 << 800 << earlier << QRect(0, 0, 500, 40);
        QTest::newRow("wide, scaled") << 2.0 << 40 << 1000 << earlier << QRect(0, 0, 400, 80);
        QTest::newRow("one pixel beyond the buttons") << 1.0 << 40 << 301 << earlier << QRect(0, 0, 1, 40);
        QTest::newRow("no wider than the buttons") << 1.0 << 40 << 300 << earlier << earlier;
        QTest::newRow("no wider than the scaled buttons") << 2.0 << 40 << 600 << earlier << earlier;
        QTest::newRow("narrow, never set") << 1.0 << 40 << 200 << QRect() << QRect();
        QTest::newRow("no title") << 1.0 << 0 << 800 << earlier << earlier;
    }

    void titleAreaOnResize()
    {
        QFETCH(qreal, scale);
        QFETCH(int, titleHeight);
        QFETCH(int, width);
        QFETCH(QRect, before);
        QFETCH(QRect, expected);
        KLiteStyle::setScaleFactor(scale);

        KTestDragableWidget widget(titleHeight);
        QVERIFY(widget.titleBarRect().isNull());
        if (!before.isNull())
            widget.setTitleBarRect(before);
        widget.resize(width, 300);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QCOMPARE(widget.titleBarRect(), expected);
    }

    void titleAreaFollowsLaterResizes()
    {
        makeWidget(40, QSize(800, 300));
        QCOMPARE(m_widget->titleBarRect(), QRect(0, 0, 500, 40));
        m_widget->resize(1000, 300);
        QCOMPARE(m_widget->titleBarRect(), QRect(0, 0, 700, 40));
        // Too narrow for a title area: the last one stays.
        m_widget->resize(250, 300);
        QCOMPARE(m_widget->titleBarRect(), QRect(0, 0, 700, 40));
    }

    void dragAreaFromThePage_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("unscaled") << 1.0 << QRect(10, 20, 100, 30);
        QTest::newRow("below 1.5") << 1.25 << QRect(10, 20, 100, 30);
        QTest::newRow("1.5") << 1.5 << QRect(15, 30, 150, 45);
        QTest::newRow("2") << 2.0 << QRect(20, 40, 200, 60);
    }

    void dragAreaFromThePage()
    {
        QFETCH(qreal, scale);
        QFETCH(QRect, expected);
        makeWidget();
        KLiteStyle::setScaleFactor(scale);
        emit m_widget->api()->setDragArea(QRect(10, 20, 100, 30));
        QCOMPARE(m_widget->titleBarRect(), expected);
    }

    void loadMonitor_data()
    {
        QTest::addColumn<int>("timeout");
        QTest::addColumn<bool>("errorPage");
        QTest::newRow("50 ms") << 50 << true;
        QTest::newRow("0") << 0 << false;
        QTest::newRow("negative") << -20 << false;
    }

    void loadMonitor()
    {
        QFETCH(int, timeout);
        QFETCH(bool, errorPage);
        m_runtime->setValue(QStringLiteral("config/qoxoffice/plugins/webwidget/timeout"), timeout);
        makeWidget();
        QCOMPARE(m_widget->loadTimeout(), timeout);
        QCOMPARE(m_widget->hasLoadTimer(), errorPage);

        // The main page never finishes loading.
        if (errorPage)
            QTRY_VERIFY(m_widget->isErrorPageShown());
        else
            QTest::qWait(300);
        QCOMPARE(m_widget->isErrorPageShown(), errorPage);
        QCOMPARE(m_widget->page()->loadedUrls().contains(QUrl(m_widget->getErrorPage())), errorPage);
        if (!errorPage)
            QCOMPARE(m_widget->page()->loadedUrls(), QList<QUrl>{QUrl(kMainUrl)});
    }

    void loadMonitorStopsWhenShown()
    {
        m_runtime->setValue(QStringLiteral("config/qoxoffice/plugins/webwidget/timeout"), 60000);
        makeWidget();
        QVERIFY(m_widget->isLoadMonitorRunning());
        m_widget->showWebWidget();
        QVERIFY(!m_widget->isLoadMonitorRunning());
        QVERIFY(!m_widget->isErrorPageShown());
    }

    void dragFromThePageSignal_data()
    {
        QTest::addColumn<bool>("movesAsEvents");
        QTest::addColumn<bool>("releaseAsEvent");
        QTest::newRow("view signals") << false << false;
        QTest::newRow("view events") << true << true;
        QTest::newRow("signal moves, release event") << false << true;
        QTest::newRow("event moves, release signal") << true << false;
    }

    void dragFromThePageSignal()
    {
        QFETCH(bool, movesAsEvents);
        QFETCH(bool, releaseAsEvent);
        makeWidget();
        const QPoint start(100, 100);
        auto moveCursorTo = [&](const QPoint& global) {
            QCursor::setPos(global);
            const QPoint local = view()->mapFromGlobal(global);
            if (movesAsEvents)
                sendMouse(view(), QEvent::MouseMove, local, Qt::NoButton);
            else
                emit m_widget->page()->mouseMoved(local);
        };

        // Moves before the page asks for a drag do nothing.
        moveCursorTo(cursorAway(start, true));
        QCOMPARE(m_widget->dragStarts, 0);
        QCursor::setPos(start);

        emit m_widget->api()->dragWidget();
        QVERIFY(m_widget->isDragging());
        QCOMPARE(m_widget->dragStartPos(), start);

        moveCursorTo(cursorAway(start, false));
        QCOMPARE(m_widget->dragStarts, 0);
        moveCursorTo(cursorAway(start, true));
        QCOMPARE(m_widget->dragStarts, 1);
        QCOMPARE(m_widget->dragStartPos(), cursorAway(start, true));

        if (releaseAsEvent)
            sendMouse(view(), QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton);
        else
            emit m_widget->page()->leftButtonReleased(QPoint(5, 5));
        QVERIFY(!m_widget->isDragging());
        moveCursorTo(QPoint(400, 400));
        QCOMPARE(m_widget->dragStarts, 1);
    }

    void pressOnlyRecordsTheStart_data()
    {
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("recorded");
        QTest::newRow("left, in the title area") << QPoint(10, 10) << int(Qt::LeftButton) << true;
        QTest::newRow("left, last pixel of the area") << QPoint(499, 39) << int(Qt::LeftButton) << true;
        QTest::newRow("left, over the buttons") << QPoint(500, 10) << int(Qt::LeftButton) << false;
        QTest::newRow("left, below the title") << QPoint(10, 40) << int(Qt::LeftButton) << false;
        QTest::newRow("right, in the title area") << QPoint(10, 10) << int(Qt::RightButton) << false;
    }

    void pressOnlyRecordsTheStart()
    {
        QFETCH(QPoint, press);
        QFETCH(int, button);
        QFETCH(bool, recorded);
        makeWidget();
        QCOMPARE(m_widget->titleBarRect(), QRect(0, 0, 500, 40));
        const QPoint cursor(250, 260);
        QCursor::setPos(cursor);

        sendMouse(view(), QEvent::MouseButtonPress, press, Qt::MouseButton(button));
        QCOMPARE(m_widget->dragStartPos(), recorded ? cursor : QPoint());
        QVERIFY(!m_widget->isDragging());

        // Without the page's signal, moving away drags nothing.
        QCursor::setPos(cursorAway(cursor, true) + QPoint(50, 50));
        sendMouse(view(), QEvent::MouseMove, press + QPoint(60, 50), Qt::NoButton);
        emit m_widget->page()->mouseMoved(press + QPoint(60, 50));
        QCOMPARE(m_widget->dragStarts, 0);
        QVERIFY(!m_widget->isDragging());
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestDragableWidget> m_widget;
};

KZEMBA_TEST_MAIN(TstDragableWidget)
#include "tst_dragablewidget.moc"
