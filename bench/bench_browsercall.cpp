// Round trip of a page call through the browser page and the common JS API
// frame, side by side with a bare QWebChannel echo object in the same page.
// Needs a display (run it under xvfb-run); prints both times and their ratio.
//   bench_browsercall [--quick]
#include "jsapi/kzembacommonjsapi.h"

#include <browser/kxbrowserpage.h>
#include <krt/kcoreapplication.h>
#include <krt/kruntimeconfig.h>
#include <vdllite/kxwebviewcontainer.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>
#include <memory>

namespace {

// The smallest concrete JS API object: the frame's routing and answers, nothing else.
class BenchJsApi : public KZembaCommonJsApi
{
public:
    BenchJsApi(KxWebViewContainer* container, QWidget* host)
        : KZembaCommonJsApi(container, host)
    {
    }
    QWidget* widgetParent() override { return hostWidget(); }

protected:
    void initZembaResourceHandler() override {}
    void getSkinColorConfig(KxWebViewJSContext&) override {}
    void getSkinHintConfig(KxWebViewJSContext&) override {}
    void openZembaUnifyPayDlg(KxWebViewJSContext&) override {}
    void checkFontsExist(KxWebViewJSContext&) override {}
};

class Echo : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE QString echo(const QString& text) const { return text; }
};

const char kPage[] = R"(<!DOCTYPE html><html><body><script>
window.runBench = async function (count) {
    const objects = await kzemba.ready;
    const echoOnce = () => new Promise((resolve) => objects.echo.echo('{"n":1}', resolve));
    const apiOnce = () => kzemba.call('dispatchMethod', { n: 1 });
    for (let i = 0; i < 20; ++i) { await apiOnce(); await echoOnce(); }
    let start = performance.now();
    for (let i = 0; i < count; ++i) await apiOnce();
    const api = performance.now() - start;
    start = performance.now();
    for (let i = 0; i < count; ++i) await echoOnce();
    const bare = performance.now() - start;
    document.title = JSON.stringify({ api: api, bare: bare, count: count });
};
</script></body></html>)";

} // namespace

int main(int argc, char** argv)
{
    // Made before the application, so that it outlives the browser profile that writes into it.
    QTemporaryDir runtime;
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    KCoreApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    const int count = quick ? 50 : 2000;

    krt::KRuntimeConfig::setRuntimeDir(runtime.path());
    QFile page(runtime.filePath(QStringLiteral("bench.html")));
    if (!page.open(QIODevice::WriteOnly) || page.write(kPage) < 0)
        return 2;
    page.close();

    KxBrowserPage::install();
    auto host = std::make_unique<QWidget>();
    host->resize(320, 200);
    auto* container = new KxWebViewContainer(host.get());
    auto* api = new BenchJsApi(container, host.get());
    container->setJsApiObject(api);
    api->initHandlers();
    container->createBrowser(QUrl::fromLocalFile(page.fileName()).toString(), KxWebViewLinkClickInView,
                             KxWebViewCustomHeaderNone, QNetworkProxy(), runtime.filePath(QStringLiteral("cache")),
                             QString());
    auto* browser = qobject_cast<KxBrowserPage*>(container->page());
    Echo echo;
    browser->webView()->page()->webChannel()->registerObject(QStringLiteral("echo"), &echo);
    host->show();

    int exitCode = 1;
    QTextStream out(stdout);
    QObject::connect(container, &KxWebViewContainer::loadFinished, &app, [&](bool ok) {
        if (!ok) {
            out << "the bench page did not load\n";
            app.exit(1);
            return;
        }
        browser->webView()->page()->runJavaScript(QStringLiteral("runBench(%1)").arg(count));
    });
    QObject::connect(browser->webView()->page(), &QWebEnginePage::titleChanged, &app, [&](const QString& title) {
        const QJsonObject times = QJsonDocument::fromJson(title.toUtf8()).object();
        if (times.isEmpty())
            return;
        const double apiUs = times.value(QStringLiteral("api")).toDouble() * 1000.0 / count;
        const double bareUs = times.value(QStringLiteral("bare")).toDouble() * 1000.0 / count;
        out << QStringLiteral("page call round trip, %1 calls each\n").arg(count);
        out << QStringLiteral("  JS API frame (dispatchMethod): %1 us/call\n").arg(apiUs, 0, 'f', 1);
        out << QStringLiteral("  bare QWebChannel echo:         %1 us/call\n").arg(bareUs, 0, 'f', 1);
        out << QStringLiteral("  ratio frame/echo:              %1\n").arg(bareUs > 0 ? apiUs / bareUs : 0.0, 0, 'f', 2);
        out.flush();
        exitCode = 0;
        app.quit();
    });
    QTimer::singleShot(120000, &app, [&]() {
        out << "timed out\n";
        app.exit(1);
    });
    app.exec();
    return exitCode;
}

#include "bench_browsercall.moc"
