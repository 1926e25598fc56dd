// The account side of the reference plug-ins, through the library where it has a
// path: request decoration and account cookies on the page's httpGet, log-in
// and log-out, the user-info service, the core-lite page handlers, combined
// configuration, encoders and plug-in preparation.
#include "ktestapplication.h"
#include "ktestcommonjsapi.h"
#include "ktesthttpserver.h"
#include "ktestpagehost.h"
#include "ktestruntime.h"

#include "resource/kzembapluginloader.h"

#include "interfaces/ikzembaaccount.h"
#include "interfaces/ikzembabase.h"
#include "interfaces/ikzembacorelite.h"
#include "interfaces/ikzembanetwork.h"

#include <krt/krt.h>
#include <krt/kruntimeconfig.h>
#include <vanta/kvantapluginchecker.h>
#include <vdllite/kxwebviewjsapihandler.h>

#include <QtTest>

// Receives the account's cookie-change notification.
class TstCookieWatcher : public QObject
{
    Q_OBJECT
public:
    int changes = 0;
public slots:
    void updateCookies() { ++changes; }
};

// Receives combined-configuration changes.
class TstConfigWatcher : public QObject
{
    Q_OBJECT
public:
    QList<QPair<qint64, qint64>> changes;
public slots:
    void onFpcCombConfigNotify(qint64 project, qint64 group) { changes.append({project, group}); }
};

class TstRefAccount : public QObject
{
    Q_OBJECT

private:
    KxHeadlessPage* page() const { return m_host->page(); }
    IKZembaCoreLite* coreLite() const { return kzemba::KZembaPluginLoader::getCoreLite(); }

    // The request the server received for one httpGet of `path`.
    KTestHttpRequest get(const QString& url, const QJsonObject& cookies = QJsonObject())
    {
        const int before = m_server.requestCount();
        page()->call("httpGet", QJsonObject{{"url", url}, {"cookie", cookies}, {"callback", "got"}, {"timeout", 10000}});
        if (!m_server.waitForRequests(before + 1))
            return KTestHttpRequest();
        m_host->waitForDeliveries("got", page()->deliveriesTo("got").size() + 1);
        return m_server.lastRequest();
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        krt::KRuntimeConfig::remove("paths/plugins");
        QVERIFY(m_server.start());
        m_server.clearAnswers();
        m_server.clearRequests();
        m_server.setDefaultAnswer(KTestHttpAnswer(200, "{}").setHeader("Content-Type", "application/json"));
        m_runtime->setValue("domains/zembaapiqox", m_server.url("/").chopped(1));
        m_host = std::make_unique<KTestPageHost>();
        m_api = m_host->installApi<KTestCommonJsApi>();
        m_api->initHandlers();
        m_api->init();
    }

    void cleanup()
    {
        m_host.reset();
        m_runtime.reset();
    }

    void storeRequestsCarryHeadersAndAccountCookies()
    {
        m_runtime->setValue("account/cookies", "sid=abc;uid=7");
        m_runtime->setValue("requestHeaders/X-Channel", "beta");
        KTestHttpRequest request = get(m_server.url("/api/list"), QJsonObject{{"page", "p"}, {"uid", "page-wins"}});
        QCOMPARE(request.header("X-Zemba-Client"), krt::appName().toUtf8());
        QCOMPARE(request.header("X-Zemba-Operation"), QByteArray("GET"));
        QCOMPARE(request.header("X-Channel"), QByteArray("beta"));
        QCOMPARE(request.cookie("sid"), QByteArray("abc"));
        QCOMPARE(request.cookie("page"), QByteArray("p"));
        QCOMPARE(request.cookie("uid"), QByteArray("page-wins"));

        // Another server is not the store's: no store headers.
        KTestHttpServer other;
        QVERIFY(other.start());
        page()->call("httpGet", QJsonObject{{"url", other.url("/elsewhere")}, {"callback", "other"}, {"timeout", 10000}});
        QVERIFY(other.waitForRequests(1));
        QVERIFY(!other.lastRequest().hasHeader("X-Zemba-Client"));
        QVERIFY(!other.lastRequest().hasHeader("X-Channel"));
    }

    void otherHostsGetNoAccountCookies()
    {
        // Cookies belong to a host, not a port: the store is the other server this time, so the
        // page's jar has never seen the account on the host the request goes to.
        KTestHttpServer store;
        QVERIFY(store.start());
        m_runtime->setValue("domains/zembaapiqox", "http://localhost:" + QString::number(store.port()));
        m_runtime->setValue("account/cookies", "sid=abc");
        const KTestHttpRequest request = get(m_server.url("/elsewhere"));
        QCOMPARE(request.path(), QStringLiteral("/elsewhere"));
        QVERIFY(!request.hasCookie("sid"));
        QVERIFY(!request.hasHeader("X-Zemba-Client"));
    }

    void loginChangesTheCookiesOfTheNextRequest()
    {
        TstCookieWatcher watcher;
        IKZembaAccount* account = coreLite()->getAccount();
        QVERIFY(account);
        account->notifyCookiesChanged(&watcher, SLOT(updateCookies()));
        QVERIFY(!account->isActive());
        QVERIFY(!get(m_server.url("/a")).hasCookie("sid"));

        page()->call("login", QJsonObject{{"userid", "u1"}, {"nickname", "Ann"}, {"cookie", "sid=new;tok=t"}});
        QCOMPARE(watcher.changes, 1);
        QVERIFY(account->isActive());
        QCOMPARE(account->getCookies(), QStringLiteral("sid=new;tok=t"));
        QVERIFY(QFile::exists(m_runtime->path() + "/zemba/account.json"));
        KTestHttpRequest request = get(m_server.url("/b"));
        QCOMPARE(request.cookie("sid"), QByteArray("new"));
        QCOMPARE(request.cookie("tok"), QByteArray("t"));

        page()->call("login", QJsonObject{{"userid", "u2"}, {"cookies", QJsonObject{{"sid", "other"}}}});
        request = get(m_server.url("/c"));
        QCOMPARE(request.cookie("sid"), QByteArray("other"));
        QVERIFY(!request.hasCookie("tok"));

        page()->call("logout", QJsonObject{{"reason", "user"}});
        QCOMPARE(watcher.changes, 3);
        QVERIFY(!account->isActive());
        QVERIFY(!QFile::exists(m_runtime->path() + "/zemba/account.json"));
        request = get(m_server.url("/d"));
        QVERIFY(!request.hasCookie("sid"));

        // A log-in that names nobody changes nothing.
        page()->call("login", QJsonObject{{"nickname", "nobody"}});
        QCOMPARE(watcher.changes, 3);
        QVERIFY(!account->isActive());
    }

    void accountStateFromTheStoreServer_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("state");
        QTest::newRow("signed in") << QByteArray("{\"userid\":\"u9\",\"nickname\":\"N\"}") << 200 << "login";
        QTest::newRow("explicit state") << QByteArray("{\"state\":\"expired\"}") << 200 << "expired";
        QTest::newRow("nobody") << QByteArray("{}") << 200 << "logout";
        QTest::newRow("not json") << QByteArray("<html>") << 200 << "error";
        QTest::newRow("server error") << QByteArray("{}") << 500 << "error";
    }

    void accountStateFromTheStoreServer()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, status);
        QFETCH(QString, state);
        m_runtime->setValue("account/cookies", "sid=abc");
        m_server.setAnswer("/proxy/client/user/v1/all_info_v6", KTestHttpAnswer(status, answer));
        page()->call("getUserAccountInfoState", QJsonObject{{"callback", "acc"}, {"forceUpdate", true}});
        QVERIFY(m_host->waitForDeliveries("acc"));
        const QJsonObject delivered = page()->deliveriesTo("acc").first().json().toObject();
        QCOMPARE(delivered.value("callstatus").toString(), QStringLiteral("ok"));
        QCOMPARE(delivered.value("result").toObject().value("state").toString(), state);
        QCOMPARE(m_server.lastRequest().path(), QStringLiteral("/proxy/client/user/v1/all_info_v6"));
        QCOMPARE(m_server.lastRequest().cookie("sid"), QByteArray("abc"));
    }

    void accountStateWithoutAServer()
    {
        krt::KRuntimeConfig::remove("domains/zembaapiqox");
        m_runtime->setValue("account/userid", "local");
        page()->call("getUserAccountInfoState", QJsonObject{{"callback", "acc"}, {"forceUpdate", true}});
        QVERIFY(m_host->waitForDeliveries("acc"));
        QCOMPARE(page()->deliveriesTo("acc").first().json().toObject().value("result").toObject().value("state").toString(),
                 QStringLiteral("login"));
        QCOMPARE(m_server.requestCount(), 0);
    }

    void pageHandlers_data()
    {
        QTest::addColumn<QString>("handler");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QJsonObject>("result");
        QTest::newRow("payment") << "common.payment" << "getPayEnv" << QJsonObject()
                                 << QJsonObject{{"active", true}, {"payUrl", ""}, {"source", "store"}};
        QTest::newRow("safe account") << "common.safe.account" << "getAccountState" << QJsonObject()
                                      << QJsonObject{{"active", true}, {"userid", "u5"}, {"nickname", "Zed"}};
        QTest::newRow("safe profile") << "common.safe.profile" << "getProfile" << QJsonObject()
                                      << QJsonObject{{"userid", "u5"}, {"nickname", "Zed"}, {"avatar", ""}};
        QTest::newRow("safe skin") << "common.safe.skin" << "getSkinInfo" << QJsonObject()
                                   << QJsonObject{{"name", "dark"}, {"colors", QJsonObject{{"background", "#101010"}}}};
        QTest::newRow("ai") << "zemba.vanta.ai" << "isAiEnabled" << QJsonObject() << QJsonObject{{"enabled", true}};
        QTest::newRow("safe event") << "common.safe.event" << "report" << QJsonObject{{"event", "zemba_open"}}
                                    << QJsonObject{{"event", "zemba_open"}};
        QTest::newRow("plugin") << "common.plugin" << "isPluginAvailable" << QJsonObject{{"pluginName", "nothere"}}
                                << QJsonObject{{"available", false}};
    }

    void pageHandlers()
    {
        QFETCH(QString, handler);
        QFETCH(QString, method);
        QFETCH(QJsonObject, args);
        QFETCH(QJsonObject, result);
        m_runtime->setValue("account/userid", "u5");
        m_runtime->setValue("account/nickname", "Zed");
        m_runtime->setValue("account/cookies", "sid=secret");
        m_runtime->setValue("payment/source", "store");
        m_runtime->setValue("skin/name", "dark");
        m_runtime->setValue("skin/colors/background", "#101010");
        m_runtime->setValue("ai/enabled", true);
        // The restricted handlers are registered the way a restricted page object does it.
        if (handler.startsWith("common.safe."))
            m_api->setHandler(handler, coreLite()->createJsApiHandler(handler, m_api, m_api));
        const QJsonObject answer = page()->call(handler + "." + method, args).toObject();
        QCOMPARE(answer.value("callstatus").toString(), QStringLiteral("ok"));
        QCOMPARE(answer.value("result").toObject(), result);
        QVERIFY(!QJsonDocument(answer).toJson().contains("secret"));
    }

    void restrictedHandlersRefuseOtherEvents()
    {
        m_api->setHandler("common.report", coreLite()->createJsApiHandler("common.safe.report", m_api, m_api));
        const QJsonObject refused = page()->call("common.report.report", QJsonObject{{"event", "other_event"}}).toObject();
        QCOMPARE(refused.value("callstatus").toString(), QStringLiteral("error"));
        QCOMPARE(page()->call("common.event.report", QJsonObject{{"event", "other_event"}}).toObject().value("callstatus"),
                 QJsonValue("ok"));
        QCOMPARE(m_runtime->dcEvents().size(), 1);
        QCOMPARE(m_runtime->dcEvents().first().value("name").toString(), QStringLiteral("other_event"));
        QVERIFY(!coreLite()->createJsApiHandler("common.safe.unknown", m_api, m_api));
    }

    void combinedConfigurationFollowsItsFile()
    {
        const QString path = m_runtime->path() + "/fpccombconfig.json";
        const auto write = [&path](const QByteArray& text) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(text);
        };
        QVERIFY(!coreLite()->isFpcCombConfigReady());
        write("{\"5\": {\"a\": 1}, \"3/5\": {\"b\": 2}, \"6\": {}}");
        TstConfigWatcher watcher;
        coreLite()->watchFpcCombConfig(5, &watcher, SLOT(onFpcCombConfigNotify(qint64, qint64)));
        QTRY_VERIFY(coreLite()->isFpcCombConfigReady());
        QCOMPARE(coreLite()->getFpcCombConfig(5), (QJsonObject{{"a", 1}}));
        QCOMPARE(coreLite()->getFpcCombConfig(3, 5), (QJsonObject{{"b", 2}}));
        QCOMPARE(coreLite()->getFpcCombConfig(7), QJsonObject());
        watcher.changes.clear();

        write("{\"5\": {\"a\": 2}, \"3/5\": {\"b\": 2}, \"6\": {\"c\": 1}}");
        QTRY_COMPARE(watcher.changes, (QList<QPair<qint64, qint64>>{{0, 5}}));
        QCOMPARE(coreLite()->getFpcCombConfig(5), (QJsonObject{{"a", 2}}));
    }

    void encodersAreReversible_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("json") << QStringLiteral("{\"q\":\"a b&c=d\"}");
        QTest::newRow("unicode") << QString::fromUtf8("\xC3\xBC\xE2\x82\xAC");
    }

    void encodersAreReversible()
    {
        QFETCH(QString, text);
        IKZembaBase* base = kzemba::KZembaPluginLoader::getZembaBase();
        QVERIFY(base);
        const QString stored = base->encodeForStorage(text);
        QVERIFY(stored.startsWith("kzb1:"));
        QCOMPARE(base->decodeFromStorage(stored), text);
        const QString fragment = base->encodeRequestParams(text);
        QVERIFY(fragment.startsWith("data="));
        QVERIFY(!fragment.mid(5).contains('&') && !fragment.mid(5).contains('=') && !fragment.mid(5).contains('+'));
        QCOMPARE(QString::fromUtf8(QByteArray::fromBase64(QByteArray::fromPercentEncoding(fragment.mid(5).toLatin1()))), text);
        QCOMPARE(base->decodeFromStorage("plain"), QString());
    }

    void preparePluginInstallsFromItsPackage()
    {
        IKZembaNetWork* network = kzemba::KZembaPluginLoader::getZembaNetWork();
        QVERIFY(network);
        const QByteArray library("\x7f" "ELF not really a library");
        m_server.setAnswer("/packages/kshellnotes.so", KTestHttpAnswer(200, library));
        m_runtime->setValue("pluginPackages/kshellnotes", m_server.url("/packages/kshellnotes.so"));

        QList<bool> outcomes;
        QList<double> fractions;
        network->preparePlugin("kshellnotes", [&outcomes](bool ready) { outcomes.append(ready); },
                               [&fractions](double fraction) { fractions.append(fraction); });
        QVERIFY(outcomes.isEmpty());
        QTRY_COMPARE(outcomes, QList<bool>{true});
        QVERIFY(!fractions.isEmpty());
        QCOMPARE(fractions.last(), 1.0);
        QFile installed(KVantaPluginChecker::addonLibraryPath("kshellnotes"));
        QVERIFY(installed.open(QIODevice::ReadOnly));
        QCOMPARE(installed.readAll(), library);

        // Present now: ready at once, without a download.
        const int requests = m_server.requestCount();
        network->preparePlugin("kshellnotes", [&outcomes](bool ready) { outcomes.append(ready); }, nullptr);
        QCOMPARE(outcomes, (QList<bool>{true, true}));
        QCOMPARE(m_server.requestCount(), requests);

        // No package, a bad name, a failing package: not ready, and nothing written.
        for (const QString& name : {QStringLiteral("kmissing"), QStringLiteral("../evil"), QStringLiteral("kbroken")}) {
            m_runtime->setValue("pluginPackages/kbroken", m_server.url("/packages/none.so"));
            m_server.setAnswer("/packages/none.so", KTestHttpAnswer(404));
            outcomes.clear();
            network->preparePlugin(name, [&outcomes](bool ready) { outcomes.append(ready); }, nullptr);
            QTRY_COMPARE(outcomes, QList<bool>{false});
        }
        QCOMPARE(QDir(krt::dirs::frameworks() + "/addons").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"kshellnotes"});
    }

private:
    KTestHttpServer m_server;
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestPageHost> m_host;
    QPointer<KTestCommonJsApi> m_api;
};

KZEMBA_TEST_MAIN(TstRefAccount)
#include "tst_refaccount.moc"
