// zemba-storehost: a store page in a desktop window. It hosts the page in the lite web
// widget with the lite JS API object (or the restricted one with --api safe) through the
// browser page, with the store plug-ins that ship with the library. As the suite's
// components do, it checks the page's host before the page gets the JS API; a page whose
// host is not trusted is still shown, with the restricted API. Without --url it starts the
// sample store's own server on 127.0.0.1 and shows the sample store, which exercises the JS
// API and reports a self-check.
#include "kstorehostwidget.h"
#include "kstorepagewatcher.h"
#include "kstoreserver.h"
#include "safe/kzembapagehosthelper.h"

#include <browser/kxbrowserpage.h>
#include <krt/kcoreapplication.h>
#include <krt/kruntimeconfig.h>
#include <vdllite/kxwebviewcontainer.h>

#include <QCommandLineParser>
#include <QPointer>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// Ctrl+C and SIGTERM end the event loop like closing the window does.
void quitOnTerminationSignals(QCoreApplication* app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(g_signalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });
    std::signal(SIGINT, onTerminationSignal);
    std::signal(SIGTERM, onTerminationSignal);
}

// Chromium's sandbox cannot run as root; without a GPU it must not try one.
void prepareChromium()
{
    if (::geteuid() != 0)
        return;
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox");
}
} // namespace

int main(int argc, char** argv)
{
    prepareChromium();
    // QtWebEngine shares its OpenGL context with the application's; this must come first.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    KCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zemba-storehost"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows a store page in a window, through the lite JS API."));
    parser.addHelpOption();
    const QCommandLineOption urlOption(QStringLiteral("url"),
                                       QStringLiteral("Store page to show (default: the sample store, served on 127.0.0.1)."),
                                       QStringLiteral("url"));
    const QCommandLineOption runtimeOption(QStringLiteral("runtime"),
                                           QStringLiteral("Runtime configuration folder (default: a temporary one)."),
                                           QStringLiteral("dir"));
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"),
        QStringLiteral("Wait until the page reports its self-check (or a time-out), write a PNG of the window "
                       "and exit; 0 only when the page reported success."),
        QStringLiteral("file"));
    const QCommandLineOption timeoutOption(QStringLiteral("timeout"),
                                           QStringLiteral("Seconds to wait for the page in screenshot mode."),
                                           QStringLiteral("seconds"), QStringLiteral("90"));
    const QCommandLineOption apiOption(QStringLiteral("api"),
                                       QStringLiteral("JS API the page gets: lite (default) or safe, the restricted one."),
                                       QStringLiteral("lite|safe"), QStringLiteral("lite"));
    const QCommandLineOption logOption(QStringLiteral("log"),
                                       QStringLiteral("Print the page's calls, answers and deliveries as JSON lines."));
    parser.addOptions({urlOption, runtimeOption, screenshotOption, timeoutOption, apiOption, logOption});
    parser.process(app);

    QTextStream err(stderr);
    QTextStream out(stdout);
    const QString api = parser.value(apiOption);
    if (api != QLatin1String("lite") && api != QLatin1String("safe")) {
        err << "--api is lite or safe, not " << api << '\n';
        return 2;
    }

    // The user's runtime folder is used only when named, else a folder of the host's own that
    // goes away with it. The sample store adds its domains, its demo app and the address of
    // its sign file to either.
    QTemporaryDir scratch;
    if (parser.isSet(runtimeOption)) {
        krt::KRuntimeConfig::setRuntimeDir(parser.value(runtimeOption));
    } else if (scratch.isValid()) {
        krt::KRuntimeConfig::setRuntimeDir(scratch.path());
    } else {
        err << "cannot make a temporary runtime folder\n";
        return 2;
    }

    std::unique_ptr<KStoreServer> server;
    QString url = parser.value(urlOption);
    if (url.isEmpty()) {
        server = std::make_unique<KStoreServer>();
        if (!server->start()) {
            err << "cannot start the sample store's server on 127.0.0.1\n";
            return 2;
        }
        server->configureRuntime();
        url = server->storeUrl();
    }

    KxBrowserPage::install();
    quitOnTerminationSignals(&app);

    const bool screenshotMode = parser.isSet(screenshotOption);
    KStorePageWatcher watcher(parser.isSet(logOption) ? &out : nullptr);
    watcher.setApi(api);
    KStoreHostWidget widget;
    widget.setWindowTitle(QStringLiteral("Zemba store"));
    widget.resize(1120, 760);
    QObject::connect(&widget, &KStoreHostWidget::browserCreated, &watcher, [&widget, &watcher] {
        if (KxWebViewContainer* container = widget.container())
            watcher.watch(qobject_cast<KxBrowserPage*>(container->page()));
    });

    int exitCode = 0;
    bool finished = false;
    const QString file = parser.value(screenshotOption);
    // Screenshot mode ends here; Chromium paints a moment after the page's last change.
    const auto finish = [&](const QString& outcome, bool ok) {
        if (finished)
            return;
        finished = true;
        QTimer::singleShot(700, &app, [&, outcome, ok] {
            const bool saved = widget.grab().toImage().save(file, "PNG");
            out << "screenshot: " << (saved ? file : QStringLiteral("could not be written to ") + file) << '\n';
            out << "page host: " << (watcher.pageHostTrusted() ? QStringLiteral("trusted") : QStringLiteral("not trusted"))
                << " (" << watcher.pageHost() << "), " << watcher.api() << " JS API\n";
            out << "self-check: " << outcome << '\n';
            out.flush();
            exitCode = ok && saved ? 0 : 1;
            QCoreApplication::quit();
        });
    };
    if (screenshotMode) {
        QObject::connect(&watcher, &KStorePageWatcher::reported, &app, [&](bool passed) {
            finish(QStringLiteral("%1 (%2)").arg(passed ? "passed" : "FAILED", watcher.summary()), passed);
        });
        QObject::connect(&widget, &KZembaCommonWebWidget::loadFinished, &app, [&](bool) {
            if (widget.isErrorPageShown())
                finish(QStringLiteral("FAILED (the page could not be loaded: %1)").arg(url), false);
        });
        QTimer::singleShot(parser.value(timeoutOption).toInt() * 1000, &app, [&] {
            finish(QStringLiteral("FAILED (no report from the page in time)"), false);
        });
    }

    widget.show();
    // The page gets its JS API only after its host has been checked. The trust cache lives
    // in the runtime's data folder, so with the default (temporary) runtime every run checks.
    const QString appId = KStoreServer::appId();
    const QPointer<KStoreHostWidget> window(&widget);
    const QPointer<KStorePageWatcher> host(&watcher);
    KZembaPageHostHelper::checkPageHostSignValid(appId, url, [=, &err](KZembaPageHostHelper::Error result) {
        if (!window || !host)
            return;
        host->setPageHostResult(appId, url, result);
        const bool trusted = host->pageHostTrusted();
        // A demo host shows an untrusted page too, but never with the full API.
        window->setRestricted(api == QLatin1String("safe") || !trusted);
        host->setApi(window->isRestricted() ? QStringLiteral("safe") : QStringLiteral("lite"));
        if (!trusted) {
            window->setWindowTitle(QStringLiteral("Zemba store (untrusted page: restricted JS API)"));
            err << "the page's host is not trusted (" << host->pageHost() << "); it gets the restricted JS API\n";
            err.flush();
        }
        window->init(url, appId, true);
    });
    const int code = app.exec();
    return screenshotMode ? exitCode : code;
}
