// zemba-jscall: a command-line store page. It hosts a JS API object on a
// headless page, plays a script of JSON lines against it and writes what
// happens as JSON lines; logs go to the runtime's log file, never to stdout.
#include "kjscallapi.h"
#include "kjscallrunner.h"

#include "open/kzembajsapilite.h"

#include <krt/kcoreapplication.h>
#include <krt/kpluginconfig.h>
#include <krt/kruntimeconfig.h>
#include <vdllite/kxheadlesspage.h>
#include <vdllite/kxwebviewcontainer.h>

#include <QCommandLineParser>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    KCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zemba-jscall"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Plays a store page script (JSON lines) against a JS API object."));
    parser.addHelpOption();
    const QCommandLineOption runtimeOption(QStringLiteral("runtime"), QStringLiteral("Runtime configuration folder."),
                                           QStringLiteral("dir"));
    const QCommandLineOption apiOption(
        QStringLiteral("api"),
        QStringLiteral("JS API object to host: lite (the one the suite creates for store pages) or common "
                       "(the common object with this tool's own skin, font and payment answers)."),
        QStringLiteral("name"), QStringLiteral("lite"));
    const QCommandLineOption noPluginsOption(QStringLiteral("no-plugins"),
                                             QStringLiteral("Run without any store plug-in, even those that ship with the library."));
    parser.addOption(runtimeOption);
    parser.addOption(apiOption);
    parser.addOption(noPluginsOption);
    parser.addPositionalArgument(QStringLiteral("script"), QStringLiteral("Script file; standard input when absent or \"-\"."));
    parser.process(app);

    QTextStream err(stderr);
    if (parser.isSet(runtimeOption))
        krt::KRuntimeConfig::setRuntimeDir(parser.value(runtimeOption));
    kpluginconfig::setPluginsDisabled(parser.isSet(noPluginsOption));
    const QString apiName = parser.value(apiOption);
    if (apiName != QLatin1String("lite") && apiName != QLatin1String("common")) {
        err << "unknown --api " << apiName << '\n';
        return 2;
    }

    const QStringList positional = parser.positionalArguments();
    QFile input;
    if (positional.isEmpty() || positional.first() == QLatin1String("-")) {
        if (!input.open(stdin, QIODevice::ReadOnly)) {
            err << "cannot read standard input\n";
            return 2;
        }
    } else {
        input.setFileName(positional.first());
        if (!input.open(QIODevice::ReadOnly)) {
            err << "cannot read " << positional.first() << '\n';
            return 2;
        }
    }
    const QStringList lines = QString::fromUtf8(input.readAll()).split(QLatin1Char('\n'));

    auto host = std::make_unique<QWidget>();
    auto* container = new KxWebViewContainer(host.get());
    KZembaCommonJsApi* api = nullptr;
    if (apiName == QLatin1String("lite"))
        api = new KZembaJsApiLite(container, host.get());
    else
        api = new KJsCallApi(container, host.get());
    container->setJsApiObject(api);
    api->initHandlers();
    api->init();

    QTextStream out(stdout);
    KJsCallRunner runner(qobject_cast<KxHeadlessPage*>(container->page()), api, &out);
    int exitCode = 0;
    QObject::connect(&runner, &KJsCallRunner::finished, &app, [&exitCode](int code) {
        exitCode = code;
        QCoreApplication::quit();
    });
    runner.start(lines);
    app.exec();
    return exitCode;
}
