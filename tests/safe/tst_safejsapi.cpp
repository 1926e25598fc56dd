// The restricted JS API of partly trusted pages: what it refuses (with no side
// effect), what it lets through to the framework, its restricted name spaces,
// its short util name space with screened downloads, and its push channel
// through an owned inner API object.
#include "ktestapplication.h"
#include "ktestcorelite.h"
#include "ktesthttpserver.h"
#include "ktestpagehost.h"
#include "ktestplugincontrol.h"
#include "ktestruntime.h"

#include "open/kzembajsapilite.h"
#include "safe/kzembasafejsapilite.h"
#include "webwidget/kzembawebwidgetlite.h"

#include <vdllite/kxjsapiskinhandler.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QMetaMethod>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

// The safe API with its restriction lifted, as nothing in the library does, to show that the
// account methods then fall through to the framework.
class KUnrestrictedSafeApi : public KZembaSafeJSAPILite
{
    Q_OBJECT
public:
    using KZembaSafeJSAPILite::KZembaSafeJSAPILite;
    void liftRestriction() { m_nRestrict = 0; }
};

// A page widget of the suite that gives its page the restricted API.
class KSafePageWidget : public KZembaWebWidgetLite
{
    Q_OBJECT
public:
    KSafePageWidget()
        : KZembaWebWidgetLite(nullptr, QStringLiteral("safepage"), zemba::base::KZembaWidgetTypeLite)
    {
    }
    vdllite::KxCommonJsApi* createJsApi(KxWebViewContainer* container) override
    {
        return new KZembaSafeJSAPILite(container, this);
    }
};

namespace {

QStringList& capturedWarnings()
{
    static QStringList warnings;
    return warnings;
}

const char* const kIllegal = "parameter of 'url' is empty or is not legal";
const char* const kEmptyInterface = "empty interface";

const QStringList& safeNamespaces()
{
    static const QStringList names{"common.payment", "common.report",    "common.account", "common.event",
                                   "common.skin",    "common.qoxoffice", "common.profile", "common.network"};
    return names;
}

const QStringList& utilMethods()
{
    static const QStringList names{"canOpenApp", "openApp",            "isFileExist",   "innerOpenUrl", "openUrl",
                                   "support",    "getPrivilegeSwitch", "openZembaPage", "download",     "reportTaskCenterInfo"};
    return names;
}

QJsonObject error(const char* message)
{
    return QJsonObject{{"callstatus", "error"}, {"errormsg", message}};
}

} // namespace

class TstSafeJsApi : public QObject
{
    Q_OBJECT

private:
    KxHeadlessPage* page() const { return m_host->page(); }
    KTestPluginControl* control() const { return KTestPluginControl::instance(); }

    void makeApi()
    {
        m_host = std::make_unique<KTestPageHost>();
        m_api = m_host->installApi<KUnrestrictedSafeApi>();
        m_api->initHandlers();
        m_api->init();
    }

    // The URLs every gated method is tried with; "accepted" is the local server.
    QString urlOf(const QString& kind) const
    {
        if (kind == "accepted")
            return m_server.url("/probe");
        static const QHash<QString, QString> urls{{"empty", ""},
                                                  {"javascript", "javascript:alert(1)"},
                                                  {"file", "file:///etc/passwd"},
                                                  {"refused host", "http://blocked.example/probe"}};
        return urls.value(kind);
    }

    // Gives a request that was wrongly sent the time to reach the server.
    void settle() { QTest::qWait(150); }

    // The names of the page methods the handler has.
    static QStringList pageMethods(const QObject* handler)
    {
        QStringList names;
        const QMetaObject* meta = handler->metaObject();
        for (int i = 0; i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            if (method.methodType() != QMetaMethod::Signal && method.parameterCount() == 1
                && method.parameterTypes().first() == "KxWebViewJSContext&")
                names.append(QString::fromLatin1(method.name()));
        }
        return names;
    }

private slots:
    void initTestCase() { QVERIFY(m_server.start()); }

    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        m_runtime->setValue("ksafe/allowedHostSuffixes", QStringList{"127.0.0.1"});
        control()->reset();
        m_server.clearAnswers();
        m_server.clearRequests();
        m_server.setDefaultAnswer(KTestHttpAnswer(200, "probe body"));
    }

    void cleanup()
    {
        m_host.reset();
        m_runtime.reset();
    }

    // Runs first: the plug-in entries stay cached for the process once found.
    void withoutCoreLiteOnlyTheUtilAndFrameworkNamespaces()
    {
        makeApi();
        QVERIFY(control()->callsTo("corelite.createJsApiHandler").isEmpty());
        // Only the framework's own skin name space fills one of the eight names.
        QCOMPARE(m_api->handlerNames(), (QStringList{"common.skin", "common.util"}));
        QVERIFY(qobject_cast<KxJSApiSkinHandler*>(m_api->findHandler("common.skin")));
        for (const QString& name : safeNamespaces()) {
            if (name != "common.skin")
                QCOMPARE(page()->call(name + ".ping").toObject().value("errormsg").toString(),
                         QStringLiteral("no such method: %1.ping").arg(name));
        }
        QVERIFY(!m_api->createNewUrlWidget(m_host->hostWidget(), 100, 100, false, true));
        QVERIFY(!m_api->KZembaSafeCommonJSAPI::widgetParent());
        // No shell main window holds this page.
        QVERIFY(!m_api->widgetParent());
    }

    void coreLiteMakesTheEightRestrictedNamespaces()
    {
        m_runtime->installPlugin("kzembacorelite");
        makeApi();
        QStringList asked;
        for (const KTestPluginCall& call : control()->callsTo("corelite.createJsApiHandler")) {
            asked.append(call.args.at(0).toString());
            QCOMPARE(call.args.at(1).value<QObject*>(), static_cast<QObject*>(m_api));
            QCOMPARE(call.args.at(2).value<QObject*>(), static_cast<QObject*>(m_api));
        }
        QStringList expected;
        for (const QString& name : safeNamespaces())
            expected.append(QString(name).replace("common.", "common.safe."));
        QCOMPARE(asked, expected);
        for (const QString& name : safeNamespaces()) {
            QCOMPARE(page()->call(name + ".ping").toObject().value("handler").toString(),
                     QString(name).replace("common.", "common.safe."));
        }
        QVERIFY(m_api->findHandler("common.util"));

        // A second initialisation changes nothing.
        m_api->initHandlers();
        QCOMPARE(control()->callsTo("corelite.createJsApiHandler").size(), safeNamespaces().size());
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QJsonValue>("answer");

        const QStringList kinds{"empty", "javascript", "file", "refused host", "accepted"};
        const auto rows = [&](const char* method, const QJsonValue& refused, const QJsonValue& accepted) {
            for (const QString& kind : kinds) {
                QTest::addRow("%s, %s", method, qPrintable(kind))
                    << QString::fromLatin1(method) << kind << (kind == "accepted" ? accepted : refused);
            }
        };
        // Gated new windows: refused silently; an accepted URL reaches the framework, which gets
        // no widget from this object.
        const QJsonValue noWidget = error("can not create widget.");
        rows("navigateOnNewWidget", QJsonValue::Null, noWidget);
        rows("openZembaUnifyPayDlg", QJsonValue::Null, noWidget);
        for (const char* method : {"httpDelete", "checkNetworkUrl", "drovOpenVipAutoLoginUrl", "navigateOnNewCefWidget",
                                   "checkUserLogin", "getUserInfoCookie", "getUserLoginInfo"})
            rows(method, error(kEmptyInterface), error(kEmptyInterface));
        for (const char* method : {"httpGet", "httpPost"}) {
            for (const QString& kind : kinds.mid(0, 4))
                QTest::addRow("%s, %s", method, qPrintable(kind)) << QString::fromLatin1(method) << kind
                                                                  << QJsonValue(error(kIllegal));
        }
    }

    void refusals()
    {
        QFETCH(QString, method);
        QFETCH(QString, url);
        QFETCH(QJsonValue, answer);
        makeApi();
        const int windows = QApplication::topLevelWidgets().size();

        QCOMPARE(page()->call(method, {{"url", urlOf(url)}, {"callback", "onAnswer"}}), answer);
        settle();
        QCOMPARE(m_server.requestCount(), 0);
        QCOMPARE(QApplication::topLevelWidgets().size(), windows);
        QVERIFY(page()->deliveries().isEmpty());
    }

    void acceptedRequestsReachTheServer_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QByteArray>("verb");
        QTest::newRow("httpGet") << "httpGet" << QByteArray("GET");
        QTest::newRow("httpPost") << "httpPost" << QByteArray("POST");
    }

    void acceptedRequestsReachTheServer()
    {
        QFETCH(QString, method);
        QFETCH(QByteArray, verb);
        makeApi();
        const QJsonObject args{{"url", m_server.url("/probe")}, {"callback", "onAnswer"}, {"data", QJsonObject{{"a", "1"}}}};
        QCOMPARE(page()->call(method, args), QJsonValue(QJsonObject{{"callstatus", "ok"}}));
        QVERIFY(m_host->waitForDeliveries("onAnswer"));
        QCOMPARE(m_server.requestCount(), 1);
        QCOMPARE(m_server.lastRequest().method(), verb);
        QCOMPARE(page()->deliveriesTo("onAnswer").first().json().toObject(),
                 (QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"status", 200}, {"response", "probe body"}}}}));
    }

    void accountMethodsFollowTheRestriction_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QJsonValue>("unrestricted");
        QTest::newRow("checkUserLogin") << "checkUserLogin" << QJsonValue(false);
        QTest::newRow("getUserInfoCookie") << "getUserInfoCookie" << QJsonValue("");
        QTest::newRow("getUserLoginInfo") << "getUserLoginInfo" << QJsonValue(QJsonObject());
    }

    void accountMethodsFollowTheRestriction()
    {
        QFETCH(QString, method);
        QFETCH(QJsonValue, unrestricted);
        makeApi();
        QCOMPARE(page()->call(method), QJsonValue(error(kEmptyInterface)));
        m_api->liftRestriction();
        QCOMPARE(page()->call(method), QJsonValue(QJsonObject{{"callstatus", "ok"}, {"result", unrestricted}}));
    }

    void onlyTheTenUtilMethods()
    {
        makeApi();
        QStringList reachable = pageMethods(m_api->findHandler("common.util"));
        QStringList expected = utilMethods();
        reachable.sort();
        expected.sort();
        QCOMPARE(reachable, expected);
        QCOMPARE(page()->call("common.util.getPrivilegeSwitch", {{"name", "x"}}),
                 QJsonValue(QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"name", "x"}, {"enabled", false}}}}));
    }

    void utilMethodsOutsideTheList_data()
    {
        QTest::addColumn<QString>("method");
        // The store's own util name spaces have these; the safe one does not.
        for (const char* method : {"openVantaPluginPage", "creatDesktopShortCut", "resolveDesktopShortCut",
                                   "deleteDesktopShortCut", "getPluginFeatureList", "postErrorResult"})
            QTest::newRow(method) << QString::fromLatin1(method);
    }

    void utilMethodsOutsideTheList()
    {
        QFETCH(QString, method);
        makeApi();
        const QString name = "common.util." + method;
        QCOMPARE(page()->call(name, {{"name", "x"}}).toObject().value("errormsg").toString(),
                 QStringLiteral("no such method: %1").arg(name));
    }

    void downloadScreening_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QJsonObject>("answer");

        const QJsonObject badUrl{{"callstatus", "error"}, {"msg", "empty url or is not legal"}};
        const QJsonObject badPath{{"callstatus", "error"}, {"message", "select file is not legal"}};
        QTest::newRow("empty url, bad path") << "empty" << "/etc/zemba.txt" << badUrl;
        QTest::newRow("javascript url") << "javascript" << "out.txt" << badUrl;
        QTest::newRow("file url") << "file" << "out.txt" << badUrl;
        QTest::newRow("refused host") << "refused host" << "out.txt" << badUrl;
        QTest::newRow("forbidden folder") << "accepted" << "/etc/zemba.txt" << badPath;
        QTest::newRow("escape with ..") << "accepted" << "downloads/../../zemba.txt" << badPath;
        QTest::newRow("empty path") << "accepted" << "" << badPath;
    }

    void downloadScreening()
    {
        QFETCH(QString, url);
        QFETCH(QString, path);
        QFETCH(QJsonObject, answer);
        makeApi();
        const QJsonObject args{{"url", urlOf(url)}, {"path", path}, {"callback", "onDownload"}};
        QCOMPARE(page()->call("common.util.download", args), QJsonValue(answer));
        settle();
        QCOMPARE(m_server.requestCount(), 0);
        QVERIFY(page()->deliveries().isEmpty());
    }

    void downloadFromAnAcceptedUrlIntoAFolder()
    {
        m_server.setAnswer("/files/theme.txt", KTestHttpAnswer(200, "downloaded content"));
        makeApi();
        const QString folder = m_runtime->path() + "/downloads";
        QVERIFY(QDir().mkpath(folder));
        const QJsonObject args{{"url", m_server.url("/files/theme.txt")}, {"path", folder}, {"callback", "onDownload"}};
        QCOMPARE(page()->call("common.util.download", args), QJsonValue(QJsonObject{{"callstatus", "ok"}}));
        QVERIFY(QTest::qWaitFor([&] {
            const QList<KxPageDelivery> answers = page()->deliveriesTo("onDownload");
            return !answers.isEmpty()
                && answers.last().json().toObject().value("result").toObject().value("status").toString() == "finished";
        }));
        QCOMPARE(m_server.requestCount(), 1);
        QFile file(folder + "/theme.txt");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("downloaded content"));
    }

    void secondRegistrationReplacesTheInnerApi()
    {
        makeApi();
        page()->call("registPushUIEventHandler", {{"handler", "firstHandler"}});
        QPointer<KZembaJsApiLite> first = m_api->innerApi();
        QVERIFY(first);
        QCOMPARE(first->parent(), static_cast<QObject*>(m_api));
        QCOMPARE(first->container(), m_host->container());

        page()->call("registPushUIEventHandler", {{"handler", "secondHandler"}});
        QPointer<KZembaJsApiLite> second = m_api->innerApi();
        QVERIFY(second);
        QVERIFY(second != first);
        QCOMPARE(second->parent(), static_cast<QObject*>(m_api));
        // The first one can push nothing more: it is gone.
        QVERIFY(!first);
        QCOMPARE(m_api->findChildren<KZembaJsApiLite*>().size(), 1);

        second->ensureNotifyJsActionAndData("themeChanged", "{\"id\":7}");
        QVERIFY(page()->deliveriesTo("firstHandler").isEmpty());
        const QList<KxPageDelivery> pushes = page()->deliveriesTo("secondHandler");
        QCOMPARE(pushes.size(), 1);
        QCOMPARE(pushes.first().json().toObject(),
                 (QJsonObject{{"action", "themeChanged"}, {"params", QJsonObject{{"id", 7}}}}));

        delete m_api.data();
        QVERIFY(!first);
        QVERIFY(!second);
    }

    void webLoadFinishSignalsTheInitialisedPage()
    {
        makeApi();
        QSignalSpy spy(m_api.data(), &KZembaSafeCommonJSAPI::webPageInitialed);
        QCOMPARE(page()->call("webLoadFinish"), QJsonValue());
        QCOMPARE(spy.count(), 1);
    }

    // The common web widget hosts the restricted API as well; it connects only the signals
    // the API has, so hosting it leaves no warning about the full API's signals.
    void hostedByTheCommonWebWidget()
    {
        capturedWarnings().clear();
        const QtMessageHandler previous
            = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
                  if (type == QtWarningMsg)
                      capturedWarnings().append(text);
              });
        KSafePageWidget widget;
        widget.init(QStringLiteral("http://127.0.0.1:9/store/index.html"), QStringLiteral("app1"), false);
        qInstallMessageHandler(previous);
        QVERIFY(qobject_cast<KZembaSafeJSAPILite*>(widget.jsApi()));
        QCOMPARE(capturedWarnings(), QStringList());
    }

    void commandLinePageHostsTheSafeApi()
    {
        QProcess process;
        process.setProgram(QStringLiteral(ZEMBA_JSCALL_PATH));
        process.setArguments({"--runtime", m_runtime->path(), "--api", "safe"});
        process.start();
        process.write("{\"call\":\"httpDelete\",\"args\":{\"url\":\"http://127.0.0.1/\"}}\n"
                      "{\"call\":\"registPushUIEventHandler\",\"args\":{\"handler\":\"first\"}}\n"
                      "{\"call\":\"registPushUIEventHandler\",\"args\":{\"handler\":\"second\"}}\n"
                      "{\"push\":{\"action\":\"a\",\"data\":{\"n\":1}}}\n"
                      "{\"call\":\"common.util.openVantaPluginPage\",\"args\":{\"name\":\"x\"}}\n");
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QList<QJsonObject> lines;
        for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty())
                lines.append(QJsonDocument::fromJson(line).object());
        }
        const QList<QJsonObject> expected{
            {{"call", "httpDelete"}, {"answer", error(kEmptyInterface)}},
            {{"call", "registPushUIEventHandler"}, {"answer", QJsonValue::Null}},
            {{"call", "registPushUIEventHandler"}, {"answer", QJsonValue::Null}},
            {{"deliver", "second"},
             {"text", "{\"action\":\"a\",\"params\":{\"n\":1}}"},
             {"json", QJsonObject{{"action", "a"}, {"params", QJsonObject{{"n", 1}}}}}},
            {{"call", "common.util.openVantaPluginPage"},
             {"answer", error("no such method: common.util.openVantaPluginPage")}},
        };
        QCOMPARE(lines, expected);
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestPageHost> m_host;
    QPointer<KUnrestrictedSafeApi> m_api;
    KTestHttpServer m_server;
};

KZEMBA_TEST_MAIN(TstSafeJsApi)
#include "tst_safejsapi.moc"
