// The "common.util" name space of a store page: whether a store app can be
// opened, opening it through the app manager with the launch monitor's events,
// the status texts, whether a file exists, and opening a URL behind the check.
#include "ktestapplication.h"
#include "ktestcommonjsapi.h"
#include "ktestpagehost.h"
#include "ktestruntime.h"
#include "ktesturlcatcher.h"

#include "util/apprunstatus.h"
#include "util/kzembaapprunmonitor.h"
#include "util/kzembacommonutilhandler.h"

#include <appmgr/kappcontext.h>
#include <appmgr/kappmgr.h>
#include <appmgr/kapprunner.h>
#include <krt/kdirs.h>
#include <krt/kpluginssettings.h>
#include <krt/krt.h>
#include <vanta/kvantaapplication.h>
#include <vanta/kvantaapprunner.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include <memory>

class TstCommonUtilHandler : public QObject
{
    Q_OBJECT

private:
    KxHeadlessPage* page() const { return m_host->page(); }

    QJsonObject call(const QString& method, const QJsonObject& args)
    {
        return page()->call(QStringLiteral("common.util.") + method, args).toObject();
    }

    QList<QJsonObject> monitorEvents() const
    {
        QList<QJsonObject> events;
        for (const QJsonObject& event : m_runtime->dcEvents()) {
            if (event.value("name").toString() == QLatin1String(kzemba::KZembaAppRunMonitor::kEventName))
                events.append(event.value("params").toObject());
        }
        return events;
    }

    // App "app1" as the runtime declares it.
    void declareApp(bool available, const QString& webAppUrl = QString())
    {
        m_runtime->setValue("appMgr/apps", QStringList{"app1"});
        m_runtime->setValue("appMgr/app/app1/available", available);
        m_runtime->setValue("appMgr/app/app1/pluginName", "p1");
        m_runtime->setValue("appMgr/app/app1/pluginDependParams/x", "1");
        m_runtime->setValue("appMgr/app/app1/pluginDependParams/y", "");
        if (!webAppUrl.isEmpty())
            m_runtime->setValue("appMgr/app/app1/webAppUrl", webAppUrl);
    }

    KAppRunner* runner() const { return KAppMgr::getInstance()->getAppRunner(); }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        // This installation reports launches.
        m_runtime->setValue("identity/uuid", "user-0004");
        m_runtime->setValue("paths/frameworks", "frameworks");
        m_host = std::make_unique<KTestPageHost>();
        m_api = m_host->installApi<KTestCommonJsApi>();
        m_handler = new KZembaCommonUtilHandler(m_api, m_api);
        m_api->setHandler("common.util", m_handler);
        runner()->clearRuns();
        QDir().mkpath(krt::dirs::desktop());
    }

    void cleanup()
    {
        m_host.reset();
        m_runtime.reset();
    }

    void canOpenApp_data()
    {
        QTest::addColumn<bool>("declared");
        QTest::addColumn<bool>("available");
        QTest::addColumn<bool>("pluginInstalled");
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QJsonObject>("answer");

        const QJsonObject notFound{{"callstatus", "ok"},
                                   {"result", QJsonObject{{"status", "false"}, {"message", "plugin not found."}}}};
        const QJsonObject asked{{"appId", "app1"}, {"dependParams", QJsonArray{"x", "y", "z"}}};
        QTest::newRow("empty appId") << true << true << false << QJsonObject{{"appId", ""}}
                                     << QJsonObject{{"callstatus", "error"}, {"errormsg", "appId can not be empty."}};
        QTest::newRow("unknown app") << false << true << false << QJsonObject{{"appId", "nope"}} << notFound;
        QTest::newRow("app not available") << true << false << false << asked << notFound;
        QTest::newRow("without plug-in folder: only names with values")
            << true << true << false << asked
            << QJsonObject{{"callstatus", "ok"},
                           {"result", QJsonObject{{"status", "true"}, {"dependParams", QJsonObject{{"x", "1"}}}}}};
        QTest::newRow("with plug-in folder: every name is met")
            << true << true << true << asked
            << QJsonObject{{"callstatus", "ok"},
                           {"result", QJsonObject{{"status", "true"},
                                                  {"dependParams", QJsonObject{{"x", "0"}, {"y", "0"}, {"z", "0"}}}}}};
        QTest::newRow("no names asked")
            << true << true << true << QJsonObject{{"appId", "app1"}}
            << QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"status", "true"}, {"dependParams", QJsonObject()}}}};
    }

    void canOpenApp()
    {
        QFETCH(bool, declared);
        QFETCH(bool, available);
        QFETCH(bool, pluginInstalled);
        QFETCH(QJsonObject, args);
        QFETCH(QJsonObject, answer);
        if (declared)
            declareApp(available);
        if (pluginInstalled)
            QVERIFY(QDir().mkpath(krt::dirs::frameworks() + "/addons/p1"));

        QCOMPARE(call("canOpenApp", args), answer);
        QVERIFY(monitorEvents().isEmpty());
    }

    void anAppWithoutPluginHasNoPluginFolder()
    {
        declareApp(true);
        m_runtime->setValue("appMgr/app/app1/pluginName", "");
        QVERIFY(QDir().mkpath(krt::dirs::frameworks() + "/addons"));
        const QJsonObject result = call("canOpenApp", {{"appId", "app1"}, {"dependParams", QJsonArray{"x", "z"}}})
                                       .value("result").toObject();
        QCOMPARE(result.value("dependParams").toObject(), (QJsonObject{{"x", "1"}}));
    }

    void openApp_data()
    {
        QTest::addColumn<bool>("available");
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QJsonObject>("answer");
        QTest::addColumn<QVariant>("fullUrl");        // invalid: no run, or no "fullUrl"
        QTest::addColumn<QStringList>("eventResults"); // operation: result, in order
        QTest::addColumn<QString>("eventSource");

        const QJsonObject opened{{"callstatus", "ok"}, {"result", QJsonObject{{"status", "true"}}}};
        const QJsonObject notFound{{"callstatus", "ok"},
                                   {"result", QJsonObject{{"status", "false"}, {"message", "plugin not found."}}}};
        const QStringList launched{"openApp: success"};

        QTest::newRow("empty appId: no event")
            << true << QJsonObject{{"appId", ""}, {"src", "store"}}
            << QJsonObject{{"callstatus", "error"}, {"errormsg", "appId can not be empty."}} << QVariant() << QStringList()
            << QString();
        QTest::newRow("empty src: one event")
            << true << QJsonObject{{"appId", "app1"}}
            << QJsonObject{{"callstatus", "error"}, {"errormsg", "src can not be empty."}} << QVariant()
            << QStringList{"openApp: failed, no src"} << QString();
        QTest::newRow("unknown app") << true << QJsonObject{{"appId", "nope"}, {"src", "store"}} << notFound << QVariant()
                                     << QStringList{"openApp: failed, app object is null"} << "store";
        QTest::newRow("app not available")
            << false << QJsonObject{{"appId", "app1"}, {"src", "store"}} << notFound << QVariant()
            << QStringList{"openApp: failed, app object is null"} << "store";
        QTest::newRow("no url parameters: no fullUrl")
            << true << QJsonObject{{"appId", "app1"}, {"src", "store"}} << opened << QVariant(QString()) << launched
            << "store";
        QTest::newRow("urlParams are appended as they are, urlQueryParams ignored")
            << true
            << QJsonObject{{"appId", "app1"}, {"src", "store"}, {"urlParams", "&from=store#top"},
                           {"urlQueryParams", QJsonObject{{"a", "9"}}}}
            << opened << QVariant("https://app.example/run?a=1&from=store#top") << launched << "store";
        QTest::newRow("urlQueryParams replace a=1 by a=2 and drop an empty b")
            << true
            << QJsonObject{{"appId", "app1"}, {"src", "store"}, {"urlQueryParams", QJsonObject{{"a", 2}, {"b", ""}}}}
            << opened << QVariant("https://app.example/run?a=2") << launched << "store";
        QTest::newRow("urlQueryParams add a key")
            << true
            << QJsonObject{{"appId", "app1"}, {"src", "store"}, {"urlQueryParams", QJsonObject{{"c", "x y"}}}}
            << opened << QVariant("https://app.example/run?a=1&c=x y") << launched << "store";
    }

    void openApp()
    {
        QFETCH(bool, available);
        QFETCH(QJsonObject, args);
        QFETCH(QJsonObject, answer);
        QFETCH(QVariant, fullUrl);
        QFETCH(QStringList, eventResults);
        QFETCH(QString, eventSource);
        declareApp(available, "https://app.example/run?a=1");

        QCOMPARE(call("openApp", args), answer);

        QStringList results;
        for (const QJsonObject& event : monitorEvents()) {
            results.append(event.value("operation").toString() + ": " + event.value("result").toString());
            QCOMPARE(event.value("appid").toString(), args.value("appId").toString());
            QCOMPARE(event.value("source").toString(), eventSource);
        }
        QCOMPARE(results, eventResults);

        const QList<QSharedPointer<KAppContext>> runs = runner()->runs();
        QCOMPARE(runs.size(), fullUrl.isValid() ? 1 : 0);
        if (runs.isEmpty())
            return;
        QCOMPARE(runs.first()->params.value("fullUrl", QString()).toString(), fullUrl.toString());
    }

    void oneShotEventHasNoSession()
    {
        call("openApp", {{"appId", "app1"}, {"src", "store"}});
        const QList<QJsonObject> events = monitorEvents();
        QCOMPARE(events.size(), 1);
        const QJsonObject event = events.first();
        // A fresh session in the braced form.
        QVERIFY(!QUuid(event.value("sessionid").toString()).isNull());
        QVERIFY(event.value("sessionid").toString().startsWith('{'));
        QCOMPARE(event.value("lastoperation").toString(), QString());
        QCOMPARE(event.value("timeconsumption").toString(), QString());
        QCOMPARE(event.value("issuccess").toString(), QString());
        QVERIFY(qAbs(event.value("timestamp").toString().toLongLong() - QDateTime::currentMSecsSinceEpoch()) < 60000);
    }

    void launchContextCarriesThePageRequest()
    {
        declareApp(true);
        KVantaApplication shell;
        auto* shellRunner = qobject_cast<KVantaAppRunner*>(shell.vantaAppRunner());
        QVERIFY(shellRunner);
        const QJsonObject appParams{{"cmdLine", "--open doc"}, {"entrance", 3}, {"k", "v"}};

        QCOMPARE(call("openApp", {{"appId", "app1"}, {"src", "store"}, {"appParams", appParams}}),
                 (QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"status", "true"}}}}));

        QCOMPARE(runner()->runs().size(), 1);
        const QSharedPointer<KAppContext> context = runner()->runs().first();
        QCOMPARE(context->appId, QStringLiteral("app1"));
        QCOMPARE(context->source, QStringLiteral("store"));
        QCOMPARE(context->commandLine, QStringLiteral("--open doc"));
        QCOMPARE(context->entrance, 3);
        QCOMPARE(context->hostWidget.data(), static_cast<QWidget*>(m_host->container()));
        QCOMPARE(context->params.value("k").toString(), QStringLiteral("v"));
        // The runner continues the session that the handler started.
        QCOMPARE(context->params.value("lastoperation").toString(), QStringLiteral("openApp"));
        QCOMPARE(context->params.value("sessionid").toString(), monitorEvents().first().value("sessionid").toString());

        // The shell's runner gets the run from its event loop.
        QVERIFY(shellRunner->runs().isEmpty());
        QTRY_COMPARE(shellRunner->runs().size(), 1);
        QCOMPARE(shellRunner->runs().first().appId, QStringLiteral("app1"));
        QCOMPARE(shellRunner->runs().first().entry, QStringLiteral("--open doc"));
        QCOMPARE(QJsonDocument::fromJson(shellRunner->runs().first().params.toUtf8()).object().value("k").toString(),
                 QStringLiteral("v"));
    }

    void stepEventsChainOneSession()
    {
        declareApp(true);
        // Without a runner the launch ends in a second step of the same session.
        m_runtime->setValue("appMgr/runnerEnabled", false);

        QCOMPARE(call("openApp", {{"appId", "app1"}, {"src", "store"}}).value("result").toObject().value("status"),
                 QJsonValue("true"));

        const QList<QJsonObject> events = monitorEvents();
        QCOMPARE(events.size(), 2);
        QCOMPARE(events.at(0).value("operation").toString(), QStringLiteral("openApp"));
        QCOMPARE(events.at(0).value("result").toString(), QStringLiteral("success"));
        QCOMPARE(events.at(0).value("lastoperation").toString(), QString());
        QCOMPARE(events.at(0).value("timeconsumption").toString(), QStringLiteral("0"));
        QCOMPARE(events.at(0).value("issuccess").toString(), QStringLiteral("1"));
        QCOMPARE(events.at(1).value("operation").toString(), QStringLiteral("runApp"));
        QCOMPARE(events.at(1).value("result").toString(), QStringLiteral("failed, app manager is null"));
        QCOMPARE(events.at(1).value("lastoperation").toString(), QStringLiteral("openApp"));
        QCOMPARE(events.at(1).value("issuccess").toString(), QStringLiteral("0"));
        QCOMPARE(events.at(1).value("sessionid").toString(), events.at(0).value("sessionid").toString());
        QCOMPARE(events.at(1).value("source").toString(), QStringLiteral("store"));
        const qint64 spent = events.at(1).value("timeconsumption").toString().toLongLong();
        QCOMPARE(spent, events.at(1).value("timestamp").toString().toLongLong()
                            - events.at(0).value("timestamp").toString().toLongLong());
    }

    void stepEventMeasuresTheTimeSinceThePreviousStep()
    {
        QVariantMap state{{"app_id", "app1"}};
        kzemba::KZembaAppRunMonitor::postStepEvent(state, QString(), "openApp", "success", "store");
        const QString session = state.value("sessionid").toString();
        QVERIFY(!session.isEmpty());
        // The first step was two seconds ago.
        state.insert("timestamp", QVariant::fromValue<qint64>(QDateTime::currentMSecsSinceEpoch() - 2000));
        kzemba::KZembaAppRunMonitor::postStepEvent(state, QString(), "runApp", "success, launch end", "store");
        // Nothing to say: no event, and the session is left as it was.
        kzemba::KZembaAppRunMonitor::postStepEvent(state, QString(), "runApp", QString(), "store");
        QVariantMap anonymous;
        kzemba::KZembaAppRunMonitor::postStepEvent(anonymous, QString(), "runApp", "success", "store");
        QVERIFY(anonymous.isEmpty());

        const QList<QJsonObject> events = monitorEvents();
        QCOMPARE(events.size(), 2);
        QCOMPARE(events.at(1).value("appid").toString(), QStringLiteral("app1"));
        QCOMPARE(events.at(1).value("sessionid").toString(), session);
        QCOMPARE(events.at(1).value("lastoperation").toString(), QStringLiteral("openApp"));
        const qint64 spent = events.at(1).value("timeconsumption").toString().toLongLong();
        QVERIFY2(spent >= 2000 && spent < 60000, qPrintable(QString::number(spent)));
        QCOMPARE(state.value("lastoperation").toString(), QStringLiteral("runApp"));
        QCOMPARE(state.value("timestamp").type(), QVariant::LongLong);
    }

    void reportingSwitch_data()
    {
        QTest::addColumn<QVariant>("isNeedReport");
        QTest::addColumn<QString>("uuid");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("asked for") << QVariant(true) << "" << true;
        QTest::newRow("asked for, any user") << QVariant(true) << "user-0005" << true;
        QTest::newRow("user id ends with 4") << QVariant(false) << "user-0004" << true;
        QTest::newRow("user id is 4") << QVariant() << "4" << true;
        QTest::newRow("user id ends otherwise") << QVariant(false) << "user-0005" << false;
        QTest::newRow("4 elsewhere in the user id") << QVariant() << "user-4005" << false;
        QTest::newRow("no user id") << QVariant() << "" << false;
    }

    // Reading the setting; the process keeps its first answer (see tst_apprunreportoff).
    void reportingSwitch()
    {
        QFETCH(QVariant, isNeedReport);
        QFETCH(QString, uuid);
        QFETCH(bool, enabled);
        m_runtime->setValue("identity/uuid", uuid);
        if (isNeedReport.isValid()) {
            krt::KPluginsSettings settings;
            settings.setValue("kappmgr/isNeedReport", isNeedReport);
        }
        QCOMPARE(kzemba::KZembaAppRunMonitor::readAppRunReportSetting(), enabled);
        QVERIFY(kzemba::KZembaAppRunMonitor::isAppRunReportEnabled());
    }

    void statusTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const QStringList failures{
            "app object is null", "app runner is null", "app manager is null", "app center app runner is null",
            "app center module is null", "appId is empty", "params is valid",
            "load cef failed or user cancel the operation", "cannot use app store", "have no pending task",
            "there are pending tasks", "callchain runner is null", "need login", "launcher was not found",
            "authenticate fail", "entry object is null", "pre-running environment check failed", "task is null",
            "plugin manager is null", "load app object failed", "cancel load app object", "app object is loading",
            "load plugin failed", "app store main window is null", "app store proxy is null",
            "target command is null", "main window is null", "launch mode is silent", "app center delegate is null",
            "zemba core implement is null", "command object is null", "child process or client is null",
            "zemba core manager is null", "app load window is null", "file is null", "search app handler is null",
            "framework dll is null", "load open app manager dll failed", "app entry object is null",
            "start process failed", "invoke method failed", "launch app failed", "no exe", "plugin path is invalid",
            "launch widget is null", "host window is null", "content area is null", "launch end",
            "launch app timeout", "no clientWidget"};
        const QStringList successes{"start load app object", "start run app object", "app runner start run app",
                                    "load app object success", "launch end", "is ai preview mode",
                                    "start function operation", "function operation end", "start prepare",
                                    "prepare end"};
        for (int i = 0; i < failures.size(); ++i)
            QTest::addRow("%d", i) << i << "failed, " + failures.at(i);
        for (int i = 0; i < successes.size(); ++i)
            QTest::addRow("%d", 1000 + i) << 1000 + i << "success, " + successes.at(i);
        for (int unknown : {-1, 50, 999, 1010})
            QTest::addRow("unknown %d", unknown) << unknown << "failed";
    }

    void statusTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(kzemba::AppRunStatus::text(code), text);
        QCOMPARE(kzemba::AppRunStatus::texts().size(), 60);
    }

    void isFileExist_data()
    {
        QTest::addColumn<QString>("path");       // "<desktop>" is replaced by the desktop folder
        QTest::addColumn<QJsonObject>("answer"); // the same in "filePath"

        QTest::newRow("bare name on the desktop")
            << "notes.txt" << QJsonObject{{"callstatus", "ok"}, {"bexist", 1}, {"filePath", "<desktop>/notes.txt"}};
        QTest::newRow("full path") << "<desktop>/notes.txt"
                                   << QJsonObject{{"callstatus", "ok"}, {"bexist", 1}, {"filePath", "<desktop>/notes.txt"}};
        QTest::newRow("bare name missing") << "missing.txt" << QJsonObject{{"callstatus", "ok"}, {"bexist", 0}};
        QTest::newRow("directory") << "<desktop>/folder" << QJsonObject{{"callstatus", "ok"}, {"bexist", 0}};
        QTest::newRow("bare name of a directory") << "folder" << QJsonObject{{"callstatus", "ok"}, {"bexist", 0}};
        QTest::newRow("missing file") << "<desktop>/gone/missing.txt"
                                      << QJsonObject{{"callstatus", "ok"}, {"bexist", 0}};
        QTest::newRow("empty path") << ""
                                    << QJsonObject{{"callstatus", "error"}, {"errormsg", "path can not be empty."}};
    }

    void isFileExist()
    {
        QFETCH(QString, path);
        QFETCH(QJsonObject, answer);
        const QString desktop = krt::dirs::desktop();
        QVERIFY(desktop.startsWith(m_runtime->path()));
        QVERIFY(QDir().mkpath(desktop + "/folder"));
        QFile file(desktop + "/notes.txt");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        path.replace("<desktop>", desktop);
        if (answer.contains("filePath"))
            answer.insert("filePath", answer.value("filePath").toString().replace("<desktop>", desktop));

        QCOMPARE(call("isFileExist", {{"path", path}}), answer);
    }

    void innerOpenUrl_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("opened");
        QTest::newRow("https") << "https://store.example/app?id=1" << true;
        QTest::newRow("javascript") << "javascript:alert(1)" << false;
        QTest::newRow("file") << "file:///etc/passwd" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("host outside the allowed suffixes") << "https://elsewhere.test/" << false;
    }

    void innerOpenUrl()
    {
        QFETCH(QString, url);
        QFETCH(bool, opened);
        m_runtime->setValue("ksafe/allowedHostSuffixes", QStringList{"example"});
        const KTestUrlCatcher catcher({"http", "https", "file", "javascript"});
        const QJsonValue answer = page()->call("common.util.innerOpenUrl", {{"url", url}});
        QCOMPARE(catcher.urls.size(), opened ? 1 : 0);
        if (opened) {
            QCOMPARE(catcher.urls.first(), QUrl(url));
            QCOMPARE(answer.toObject(), (QJsonObject{{"callstatus", "ok"}}));
        } else {
            // A refused URL is not answered at all.
            QVERIFY(answer.isNull() || answer.toObject().isEmpty());
        }
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestPageHost> m_host;
    KTestCommonJsApi* m_api = nullptr;
    KZembaCommonUtilHandler* m_handler = nullptr;
};

KZEMBA_TEST_MAIN(TstCommonUtilHandler)
#include "tst_commonutilhandler.moc"
