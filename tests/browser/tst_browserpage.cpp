// The browser page in QtWebEngine against the local HTTP server: page calls and
// their callbacks, pushed events, cookies, the error page and a dying renderer.
// Screenshots go to the test output folder (KZEMBA_TEST_OUTPUT, else the
// working folder).
#include "ktestapplication.h"
#include "ktestcommonjsapi.h"
#include "ktesthttpserver.h"
#include "ktestruntime.h"
#include "ktestwebwidget.h"

#include <browser/kxbrowserpage.h>
#include <vdllite/kxwebviewcontainer.h>

#include <QImage>
#include <QSignalSpy>
#include <QStackedLayout>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>


namespace {
const QByteArray kStorePage = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>store</title>
<style>body { margin: 0; background: #2a9d8f; color: white; font: 24px sans-serif; }</style></head>
<body><p id="state">waiting</p>
<script>
window.results = [];
window.store = {
    onAnswer: function (value) { results.push({ kind: 'callback', value: value }); },
    onEvent: function (value) { results.push({ kind: 'event', value: value }); }
};
kzemba.call('registPushUIEventHandler', { handler: 'store.onEvent' })
    .then(function () { return kzemba.call('httpGet', { url: location.origin + '/data', callback: 'store.onAnswer', type: 'json', timeout: 10000 }); })
    .then(function (answer) {
        results.push({ kind: 'answer', value: answer });
        return kzemba.call('noSuchMethod', {});
    })
    .then(function (answer) {
        results.push({ kind: 'unknown', value: answer });
        document.getElementById('state').textContent = 'ready';
        return kzemba.call('onScriptReady');
    });
</script></body></html>)";

QString outputFolder()
{
    const QString folder = qEnvironmentVariable("KZEMBA_TEST_OUTPUT", QDir::currentPath());
    QDir().mkpath(folder);
    return folder;
}
} // namespace

class TstBrowserPage : public QObject
{
    Q_OBJECT

private:
    // Runs `script` (the test's own) in the page and returns its value.
    QVariant evaluate(QWebEnginePage* page, const QString& script)
    {
        QVariant value;
        bool done = false;
        page->runJavaScript(script, [&](const QVariant& result) {
            value = result;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, 10000))
            return QVariant();
        return value;
    }

    QJsonArray pageResults(QWebEnginePage* page)
    {
        return QJsonDocument::fromJson(evaluate(page, "JSON.stringify(window.results || [])").toString().toUtf8()).array();
    }

    QJsonObject resultOfKind(const QJsonArray& results, const QString& kind)
    {
        for (const QJsonValue& entry : results) {
            if (entry.toObject().value("kind").toString() == kind)
                return entry.toObject().value("value").toObject();
        }
        return QJsonObject();
    }

    // Grabs `widget` once Chromium has painted `color` at `point`, and saves the picture.
    QImage screenshot(QWidget* widget, const QString& name, const QPoint& point, const QColor& color)
    {
        QImage image;
        const bool painted = QTest::qWaitFor([&] {
            image = widget->grab().toImage();
            return image.pixelColor(point) == color;
        }, 10000);
        if (!painted)
            qWarning() << name << "never showed" << color.name() << "at" << point;
        image.save(outputFolder() + "/" + name + ".png");
        return image;
    }

    // The request the server got last for `path` (a browser also asks for its icon).
    KTestHttpRequest lastRequestFor(const QString& path) const
    {
        const QList<KTestHttpRequest> requests = m_server.requests();
        for (int i = requests.size() - 1; i >= 0; --i) {
            if (requests.at(i).path() == path)
                return requests.at(i);
        }
        return KTestHttpRequest();
    }

    // Waits until the widget shows its page, and a little for Chromium to paint it.
    bool waitForShown(QSignalSpy& shown)
    {
        if (!QTest::qWaitFor([&] { return shown.count() > 0; }, 20000))
            return false;
        QTest::qWait(500);
        return true;
    }

    KxBrowserPage* browserPage(KxWebViewContainer* container)
    {
        return qobject_cast<KxBrowserPage*>(container->page());
    }

private slots:
    void initTestCase()
    {
        KxBrowserPage::install();
        QVERIFY(m_server.start());
    }

    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        m_server.clearAnswers();
        m_server.clearRequests();
        m_server.setAnswer("/store", KTestHttpAnswer(200, kStorePage).setHeader("Content-Type", "text/html"));
        m_server.setAnswer("/data", KTestHttpAnswer(200, R"({"items":[1,2,3]})").setHeader("Content-Type", "application/json"));
    }

    void cleanup() { m_runtime.reset(); }

    void pageCallsAndEvents()
    {
        KTestWebWidget widget("store");
        widget.resize(480, 320);
        QSignalSpy shown(&widget, &KZembaCommonWebWidget::loadFinished);
        widget.init(m_server.url("/store"), "app1", false);
        // An event produced before the page registers its handler waits for it.
        widget.testApi()->ensureNotifyJsActionAndData("onSkinChanged", R"({"skin":"dark"})");
        widget.show();
        widget.recreateBrowser();
        KxBrowserPage* page = browserPage(widget.container());
        QVERIFY(page);

        // The page's script says it is ready; the widget shows the page then.
        QTRY_VERIFY_WITH_TIMEOUT(widget.isPageReady(), 20000);
        widget.showWebWidget();
        QWebEnginePage* web = page->webView()->page();
        QTRY_VERIFY_WITH_TIMEOUT(!resultOfKind(pageResults(web), "callback").isEmpty(), 10000);

        const QJsonArray results = pageResults(web);
        const QJsonObject event = resultOfKind(results, "event");
        QCOMPARE(event.value("action").toString(), QStringLiteral("onSkinChanged"));
        QCOMPARE(event.value("params").toObject().value("skin").toString(), QStringLiteral("dark"));
        const QJsonObject callback = resultOfKind(results, "callback");
        QVERIFY(QJsonDocument(callback.value("result").toObject()).toJson().contains("items"));
        QCOMPARE(resultOfKind(results, "unknown").value("callstatus").toString(), QStringLiteral("error"));

        // Events after registration go out at once.
        widget.testApi()->ensureNotifyJsActionAndData("onVipChanged", "{}");
        QTRY_COMPARE(pageResults(web).last().toObject().value("value").toObject().value("action").toString(),
                     QStringLiteral("onVipChanged"));

        // Properties reach the page's top frame; names never run as script.
        widget.injectJsObject("zembaEnv", {{"theme", "dark"}});
        QTRY_COMPARE(evaluate(web, "window.zembaEnv && window.zembaEnv.theme").toString(), QStringLiteral("dark"));
        widget.callbackToJS("alert('x');store.onAnswer", "{}", true);
        widget.callbackToJS("store.onAnswer", "\"after\"", true);
        QTRY_COMPARE(pageResults(web).last().toObject().value("value").toString(), QStringLiteral("after"));

        const QPoint middle(widget.width() / 2, widget.height() / 2);
        const QImage image = screenshot(&widget, "browser-store-page", middle, QColor("#2a9d8f"));
        QCOMPARE(image.pixelColor(middle), QColor("#2a9d8f"));
    }

    void cookiesReachTheServer()
    {
        auto host = std::make_unique<QWidget>();
        auto* container = new KxWebViewContainer(host.get());
        container->createBrowser(m_server.url("/store"), KxWebViewLinkClickInView, KxWebViewCustomHeaderNone,
                                 QNetworkProxy(), m_runtime->path() + "/cache", QString());
        QSignalSpy loaded(container, &KxWebViewContainer::loadFinished);
        QVERIFY(loaded.wait(20000));

        QNetworkCookie cookie("sid", "abc=1");
        cookie.setPath("/");
        bool set = false;
        container->setCookie(m_server.url("/"), cookie, [&](bool ok) { set = ok; });
        QTRY_VERIFY_WITH_TIMEOUT(set, 10000);

        m_server.setAnswer("/next", KTestHttpAnswer(200, "<html><body>next</body></html>"));
        container->loadURL(QUrl(m_server.url("/next")));
        QVERIFY(loaded.wait(20000));
        QCOMPARE(lastRequestFor("/next").cookie("sid"), QByteArray("abc=1"));

        bool deleted = false;
        container->deleteCookie(m_server.url("/"), "sid", [&](bool ok) { deleted = ok; });
        QTRY_VERIFY_WITH_TIMEOUT(deleted, 10000);
        m_server.setAnswer("/last", KTestHttpAnswer(200, "<html><body>last</body></html>"));
        container->loadURL(QUrl(m_server.url("/last")));
        QVERIFY(loaded.wait(20000));
        QCOMPARE(lastRequestFor("/last").path(), QStringLiteral("/last"));
        QVERIFY(!lastRequestFor("/last").hasCookie("sid"));
    }

    void unreachablePageShowsTheErrorPage()
    {
        KTestHttpServer closed;
        QVERIFY(closed.start());
        const QString deadUrl = closed.url("/store");
        closed.stop();

        KTestWebWidget widget("store");
        widget.resize(480, 320);
        QSignalSpy shown(&widget, &KZembaCommonWebWidget::loadFinished);
        widget.show();
        widget.init(deadUrl, "app1", true);
        QVERIFY(waitForShown(shown));
        QVERIFY(widget.isErrorPageShown());
        QCOMPARE(widget.container()->url().toString(), widget.getErrorPage());
        QVERIFY(widget.getErrorPage().endsWith("/mui/en_US/res/web/common/error-net.html"));
        QWebEnginePage* web = browserPage(widget.container())->webView()->page();
        QCOMPARE(evaluate(web, "document.getElementById('title').textContent").toString(),
                 QStringLiteral("The store could not be reached"));

        const QImage image = screenshot(&widget, "browser-error-page", QPoint(5, 5), QColor("#f5f7fa"));
        QCOMPARE(image.pixelColor(5, 5), QColor("#f5f7fa"));
    }

    void deadRendererShowsTheErrorPage()
    {
        KTestWebWidget widget("store");
        widget.resize(480, 320);
        widget.show();
        widget.init(m_server.url("/store"), "app1", true);
        QTRY_VERIFY_WITH_TIMEOUT(widget.isPageReady(), 20000);
        QWebEnginePage* web = browserPage(widget.container())->webView()->page();

        // Chromium's debug URL makes the page's renderer crash.
        QSignalSpy ended(widget.container(), &KxWebViewContainer::renderProcessTerminated);
        QSignalSpy shown(&widget, &KZembaCommonWebWidget::loadFinished);
        web->load(QUrl("chrome://crash"));
        QVERIFY(ended.wait(20000));
        QVERIFY(waitForShown(shown));
        QVERIFY(widget.isErrorPageShown());
        QCOMPARE(widget.container()->url().toString(), widget.getErrorPage());
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(web, "document.getElementById('title').textContent").toString(),
                                  QStringLiteral("The store could not be reached"), 10000);
    }

private:
    KTestHttpServer m_server;
    std::unique_ptr<KTestRuntime> m_runtime;
};

int main(int argc, char** argv)
{
    // QtWebEngine shares its OpenGL context with the application's; this must come first.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TstBrowserPage test;
    return kzembaRunTests(argc, argv, &test);
}

#include "tst_browserpage.moc"
