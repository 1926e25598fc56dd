// The page's environment, account and configuration methods: answers, the
// account-state query with its usage report, log-in, VIP changes, the combined
// configuration with its change pushes, and the operations configuration.
#include "ktestapplication.h"
#include "ktestbase.h"
#include "ktestcommonjsapi.h"
#include "ktestcorelite.h"
#include "ktestpagehost.h"
#include "ktestplugincontrol.h"
#include "ktestruntime.h"
#include "ktestuserinfo.h"

#include "profession/kuserprofessionhelper.h"

#include <krt/kpluginssettings.h>
#include <krt/krt.h>
#include <privilege/kprivilegeresource.h>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

namespace {
const char kLibraryModule[] = "kzembajsapilite";
}

// A page whose widget is the container inside the host, so that the screen is found
// through the widget's parents.
class KContainerPageJsApi : public KTestCommonJsApi
{
    Q_OBJECT
public:
    using KTestCommonJsApi::KTestCommonJsApi;
    QWidget* widgetParent() override { return container(); }
};

class TstEnvMethods : public QObject
{
    Q_OBJECT

private:
    KTestPluginControl* control() const { return KTestPluginControl::instance(); }
    KxHeadlessPage* page() const { return m_host->page(); }

    void makeApi()
    {
        m_host = std::make_unique<KTestPageHost>();
        m_api = m_host->installApi<KContainerPageJsApi>();
        m_api->initHandlers();
        m_api->init();
    }

    // A page URL that no other test function used: the usage report is once per URL and process.
    static QString pageUrl(const QString& suffix = QString())
    {
        return QStringLiteral("https://store.example/%1%2").arg(QString::fromLatin1(QTest::currentTestFunction()), suffix);
    }

    static QVariantList usageRecord(const QString& url)
    {
        return {QStringLiteral("zemba_legacy_web_api"),
                QStringLiteral("getUserAccountInfoState"),
                QString(),
                QVariantMap{{"web_version", "web1"}, {"url", url}},
                QString(),
                QString(),
                0,
                4,
                3,
                0};
    }

    QList<KTestPluginCall> monitorPosts() const { return control()->callsTo("monitor.post"); }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        control()->reset();
        KPrivilegeResource::clearRequests();
        m_runtime->installPlugin("kzembabase");
        m_runtime->installPlugin("kzembacorelite");
        m_runtime->installPlugin("kappesstoolbox");
        m_runtime->setValue("domains/zembaapiqox", "https://api.example");
        makeApi();
    }

    void cleanup()
    {
        m_host.reset();
        m_runtime.reset();
    }

    void fixedAnswers_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QJsonValue>("answer");
        QTest::newRow("online") << "checkNetworkOnline" << QJsonObject() << QJsonValue(QJsonObject{{"online", 1}});
        QTest::newRow("online with arguments")
            << "checkNetworkOnline" << QJsonObject{{"x", 1}} << QJsonValue(QJsonObject{{"online", 1}});
        QTest::newRow("match parameters") << "getMatchParams" << QJsonObject()
                                          << QJsonValue(QJsonObject{{"callstatus", "error"}, {"errormsg", "not support."}});
    }

    void fixedAnswers()
    {
        QFETCH(QString, method);
        QFETCH(QJsonObject, args);
        QFETCH(QJsonValue, answer);
        QCOMPARE(page()->call(method, args), answer);
    }

    void currentSkinNameIsUtf8()
    {
        m_runtime->setValue("ui/skinName", QStringLiteral("Nuit d\u2019\u00e9t\u00e9"));
        QCOMPARE(page()->call("getCurrentSkinName"), QJsonValue(QJsonObject{{"result", QStringLiteral("Nuit d\u2019\u00e9t\u00e9")}}));
    }

    void getConfig_data()
    {
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QJsonValue>("answer");
        const QJsonValue error(QJsonObject{{"message", "error"}});
        QTest::newRow("capitals") << QJsonObject{{"key", "Theme.Mode"}, {"defaultValue", "DARK Blue"}}
                                  << QJsonValue(QJsonObject{{"message", "success"}, {"value", "dark blue"}});
        QTest::newRow("empty key") << QJsonObject{{"key", ""}, {"defaultValue", "X"}} << error;
        QTest::newRow("empty default value") << QJsonObject{{"key", "a"}, {"defaultValue", ""}} << error;
        QTest::newRow("no default value") << QJsonObject{{"key", "a"}} << error;
        QTest::newRow("no arguments") << QJsonObject() << QJsonValue(QJsonValue::Null);
    }

    void getConfig()
    {
        QFETCH(QJsonObject, args);
        QFETCH(QJsonValue, answer);
        QCOMPARE(page()->call("getConfig", args), answer);
    }

    void writeLogInfo_data()
    {
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QString>("level");
        QTest::newRow("error") << QJsonObject{{"text", "boom"}, {"level", "error"}} << "ERROR";
        QTest::newRow("error in capitals") << QJsonObject{{"text", "boom"}, {"level", "Error"}} << "INFO";
        QTest::newRow("warning") << QJsonObject{{"text", "boom"}, {"level", "warning"}} << "INFO";
        QTest::newRow("no level") << QJsonObject{{"text", "boom"}} << "INFO";
        QTest::newRow("empty text") << QJsonObject{{"text", ""}, {"level", "error"}} << QString();
        QTest::newRow("no arguments") << QJsonObject() << QString();
    }

    void writeLogInfo()
    {
        QFETCH(QJsonObject, args);
        QFETCH(QString, level);
        QVERIFY(page()->call("writeLogInfo", args).isNull());
        int lines = 0;
        for (const KTestLogRecord& record : m_runtime->logRecords())
            lines += record.module == "KZembaCommonJsApi" ? 1 : 0;
        QCOMPARE(lines, level.isEmpty() ? 0 : 1);
        if (!level.isEmpty())
            QVERIFY(m_runtime->hasLog(level, "KZembaCommonJsApi", "--XX jscall XX-- boom"));
    }

    void screenResolutionNeedsAWindow()
    {
        QCOMPARE(page()->call("getScreenResolution"), QJsonValue(QJsonObject()));

        // The page's widget has no window of its own; the host's window is found above it.
        m_host->hostWidget()->winId();
        QVERIFY(!m_host->container()->windowHandle());
        QScreen* screen = m_host->hostWidget()->windowHandle()->screen();
        QVERIFY(screen);
        QCOMPARE(page()->call("getScreenResolution"),
                 QJsonValue(QJsonObject{{"dpi", screen->logicalDotsPerInch() / 96.0},
                                        {"width", screen->availableGeometry().width()},
                                        {"height", screen->availableGeometry().height()}}));
    }

    void isHitABTest_data()
    {
        // The bucket is the last byte of the MD5 of the hardware id: below 128 is in.
        QTest::addColumn<QString>("hdid");
        QTest::addColumn<bool>("hit");
        QTest::newRow("0x1b") << "hd-0004" << true;
        QTest::newRow("0xce") << "hd-0001" << false;
        QTest::newRow("0x7f") << "hd-227" << true;
        QTest::newRow("0x80") << "hd-292" << false;
    }

    void isHitABTest()
    {
        QFETCH(QString, hdid);
        QFETCH(bool, hit);
        m_runtime->setValue("identity/hdid", hdid);
        const QJsonValue expected(QJsonObject{{"devabtest", hit}});
        QCOMPARE(page()->call("isHitABTest"), expected);
        QCOMPARE(page()->call("isHitABTest"), expected);
    }

    void userProfessionComesFromTheStoredAnswer()
    {
        KTestBase* base = control()->base();
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        const QString groups = base->encodeForStorage("a;b");
        const QString tag = base->encodeForStorage("designer");
        krt::KPluginsSettings settings;
        settings.beginGroup("kuserprofession");
        settings.setValue("timestamp", now);
        settings.setValue("groups", QStringList{groups});
        settings.setValue("tag", tag);
        settings.setValue("md5", QString::fromLatin1(QCryptographicHash::hash((groups + tag + QString::number(now)).toUtf8(),
                                                                              QCryptographicHash::Md5)
                                                         .toHex()
                                                         .toUpper()));
        settings.endGroup();
        QCOMPARE(page()->call("getUserProfessionNew"), QJsonValue(QJsonObject{{"profession", "designer_a;b"}}));
    }

    void usageIsReportedOncePerPageUrl()
    {
        m_host->container()->loadURL(QUrl(pageUrl()));
        page()->call("getUserAccountInfoState", QJsonObject{{"callback", "cb"}});
        page()->call("getUserAccountInfoState", QJsonObject{{"callback", "cb"}});
        QCOMPARE(monitorPosts().size(), 1);
        QCOMPARE(monitorPosts().first().args, usageRecord(pageUrl()));

        // The set of reported pages belongs to the process, not to the page object.
        KTestPageHost other;
        other.installApi<KTestCommonJsApi>();
        other.container()->loadURL(QUrl(pageUrl()));
        other.page()->call("getUserAccountInfoState", QJsonObject{{"callback", "cb"}});
        QCOMPARE(monitorPosts().size(), 1);

        other.container()->loadURL(QUrl(pageUrl("/other")));
        other.page()->call("getUserAccountInfoState");
        QCOMPARE(monitorPosts().size(), 2);
        QCOMPARE(monitorPosts().last().args, usageRecord(pageUrl("/other")));
    }

    void usageIsNotReportedOnFirebase()
    {
        m_runtime->setValue("identity/firebase", true);
        m_host->container()->loadURL(QUrl(pageUrl()));
        page()->call("getUserAccountInfoState", QJsonObject{{"callback", "cb"}});
        QVERIFY(monitorPosts().isEmpty());
        QCOMPARE(control()->callsTo("userinfo.queryAccountState").size(), 1);
    }

    void withoutCallbackOnlyTheUsageIsReported()
    {
        QSignalSpy queried(m_api, &KZembaCommonJsApi::sig_queryUserAccountInfoState);
        m_host->container()->loadURL(QUrl(pageUrl()));
        QVERIFY(page()->call("getUserAccountInfoState", QJsonObject{{"forceUpdate", true}}).isNull());
        QCOMPARE(monitorPosts().size(), 1);
        QCOMPARE(queried.count(), 0);
        QVERIFY(control()->callsTo("userinfo.isRegistered").isEmpty());
        QVERIFY(control()->callsTo("userinfo.queryAccountState").isEmpty());
    }

    void accountStateAnswersThroughTheCallback_data()
    {
        QTest::addColumn<bool>("failed");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("success") << false
                                 << "KZembaCommonJsApi::getUserAccountInfoState:result queryResult: vip";
        QTest::newRow("failure") << true
                                 << "KZembaCommonJsApi::getUserAccountInfoState:result error queryResult: vip "
                                    "respInfo: {\"code\":7}";
    }

    void accountStateAnswersThroughTheCallback()
    {
        QFETCH(bool, failed);
        QFETCH(QString, logLine);
        QSignalSpy queried(m_api, &KZembaCommonJsApi::sig_queryUserAccountInfoState);
        QVERIFY(page()->call("getUserAccountInfoState", QJsonObject{{"callback", "onState"}, {"forceUpdate", true}}).isNull());
        QCOMPARE(queried.count(), 1);

        const QString module = QString::fromLatin1(kLibraryModule);
        QCOMPARE(control()->callsTo("userinfo.isRegistered").size(), 1);
        QCOMPARE(control()->callsTo("userinfo.isRegistered").first().args, QVariantList{module});
        QCOMPARE(control()->callsTo("userinfo.register").size(), 1);
        QCOMPARE(control()->callsTo("userinfo.register").first().args,
                 (QVariantList{module, module, "0.0.0.0", QString(), QStringList(),
                               QStringList{"https://api.example/proxy/client/user/v1/all_info_v6"}}));
        QCOMPARE(control()->callsTo("userinfo.queryAccountState").first().args, (QVariantList{module, true}));
        QVERIFY(page()->deliveries().isEmpty());

        control()->userInfo()->completeAccountStateQueries({failed, "vip", {{"code", 7}}});
        QCOMPARE(page()->deliveriesTo("onState").size(), 1);
        // The page hears "ok" even when the service failed.
        QCOMPARE(page()->deliveriesTo("onState").first().json(),
                 QJsonValue(QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"state", "vip"}}}}));
        QVERIFY(m_runtime->hasLog("INFO", module, logLine));
    }

    void registrationHappensOnce()
    {
        page()->call("getUserAccountInfoState", QJsonObject{{"callback", "a"}});
        page()->call("getUserAccountInfoState", QJsonObject{{"callback", "b"}});
        QCOMPARE(control()->callsTo("userinfo.isRegistered").size(), 2);
        QCOMPARE(control()->callsTo("userinfo.register").size(), 1);
        QCOMPARE(control()->callsTo("userinfo.queryAccountState").last().args.value(1).toBool(), false);
        control()->userInfo()->completeAccountStateQueries({false, "free", {}});
        QCOMPARE(page()->deliveriesTo("a").size(), 1);
        QCOMPARE(page()->deliveriesTo("b").size(), 1);
    }

    void answerAfterThePageIsGoneIsDropped()
    {
        page()->call("getUserAccountInfoState", QJsonObject{{"callback", "onState"}});
        QCOMPARE(control()->userInfo()->pendingAccountStateQueries(), 1);
        m_host.reset();
        control()->userInfo()->completeAccountStateQueries({false, "vip", {}});
        for (const KTestLogRecord& record : m_runtime->logRecords())
            QVERIFY(!record.message.startsWith("KZembaCommonJsApi::getUserAccountInfoState"));
    }

    void withoutUserInfoServiceNothingAnswers()
    {
        control()->setOption("userinfo/present", false);
        QSignalSpy queried(m_api, &KZembaCommonJsApi::sig_queryUserAccountInfoState);
        QVERIFY(page()->call("getUserAccountInfoState", QJsonObject{{"callback", "onState"}}).isNull());
        QCOMPARE(queried.count(), 1);
        QVERIFY(control()->callsTo("userinfo.isRegistered").isEmpty());
        QVERIFY(page()->deliveries().isEmpty());
    }

    void loginAndLogoutGoToTheAccountService()
    {
        QVERIFY(page()->call("login", QJsonObject{{"from", "store"}}).isNull());
        const QString confirmId = m_api->confirmId();
        QVERIFY(!confirmId.isEmpty());
        QCOMPARE(control()->callsTo("account.login").size(), 1);
        QCOMPARE(control()->callsTo("account.login").first().args.value(0).toMap(),
                 (QVariantMap{{"from", "store"}, {"confirmId", confirmId}}));

        QVERIFY(page()->call("logout", QJsonObject{{"from", "store"}}).isNull());
        QCOMPARE(control()->callsTo("account.logout").size(), 1);
        QCOMPARE(control()->callsTo("account.logout").first().args.value(0).toMap(), (QVariantMap{{"from", "store"}}));

        control()->setOption("account/present", false);
        page()->call("login", QJsonObject{{"from", "store"}});
        page()->call("logout");
        QCOMPARE(control()->callsTo("account.login").size(), 1);
        QCOMPARE(control()->callsTo("account.logout").size(), 1);
    }

    void vipChangeWithAUserChangeIsNotPushed()
    {
        auto* app = static_cast<KTestApplication*>(QCoreApplication::instance());
        QElapsedTimer sinceUserChange;
        emit app->testUserInfoSource()->userInfoChange(1);
        sinceUserChange.start();

        QTest::qWait(800);
        if (sinceUserChange.elapsed() >= 1001)
            QSKIP("the machine is too slow to place a call 800 ms after the change");
        m_api->onVipInfoChange({{"level", "gold"}});
        QVERIFY(page()->deliveriesTo("onVipInfoChange").isEmpty());

        QTest::qWait(int(qMax<qint64>(0, 2000 - sinceUserChange.elapsed())));
        m_api->onVipInfoChange({{"level", "gold"}});
        QCOMPARE(page()->deliveriesTo("onVipInfoChange").size(), 1);
        const KxPageDelivery delivery = page()->deliveriesTo("onVipInfoChange").first();
        QCOMPARE(delivery.kind, KxPageDelivery::Callback);
        QCOMPARE(delivery.text, QString());
    }

    void onlyRealVipChangesArePushed()
    {
        m_api->onVipInfoChange({{"byPush", true}});
        QCOMPARE(page()->deliveriesTo("onVipInfoChange").size(), 0);
        m_api->onVipInfoChange({{"level", "gold"}, {"byPush", false}});
        QCOMPARE(page()->deliveriesTo("onVipInfoChange").size(), 1);
        m_api->onVipInfoChange({{"level", "gold"}, {"byPush", true}});
        m_api->onVipInfoChange({{"level", "gold"}});
        QCOMPARE(page()->deliveriesTo("onVipInfoChange").size(), 1);
        m_api->onVipInfoChange({{"level", "platinum"}});
        QCOMPARE(page()->deliveriesTo("onVipInfoChange").size(), 2);

        control()->setOption("account/active", false);
        m_api->onVipInfoChange({{"level", "none"}});
        QCOMPARE(page()->deliveriesTo("onVipInfoChange").size(), 2);
    }

    void fpcFailures_data()
    {
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("message");
        QTest::newRow("group not a number") << QJsonObject{{"moduleGroupId", "abc"}} << QString()
                                            << "moduleGroupId is not valid";
        QTest::newRow("group missing") << QJsonObject{{"projectId", 3}} << QString() << "moduleGroupId is not valid";
        QTest::newRow("group past 32 bits") << QJsonObject{{"moduleGroupId", 4294967303LL}} << QString()
                                            << "moduleGroupId is not valid";
        QTest::newRow("group below 32 bits") << QJsonObject{{"moduleGroupId", -4294967303LL}} << QString()
                                             << "moduleGroupId is not valid";
        QTest::newRow("group 1e12") << QJsonObject{{"moduleGroupId", 1e12}} << QString() << "moduleGroupId is not valid";
        QTest::newRow("group text past 32 bits") << QJsonObject{{"moduleGroupId", "4294967303"}} << QString()
                                                 << "moduleGroupId is not valid";
        QTest::newRow("project past 32 bits") << QJsonObject{{"projectId", 4294967303LL}, {"moduleGroupId", 12}}
                                              << QString() << "projectId is not valid";
        QTest::newRow("no core-lite") << QJsonObject{{"moduleGroupId", 12}} << "corelite/present"
                                      << "zembaCoreLite is not valid";
        QTest::newRow("not ready") << QJsonObject{{"moduleGroupId", 12}} << "corelite/fpcReady"
                                   << "zembaCoreLite fpc init is not finished";
    }

    void fpcFailures()
    {
        QFETCH(QJsonObject, args);
        QFETCH(QString, option);
        QFETCH(QString, message);
        if (!option.isEmpty())
            control()->setOption(option, false);
        QCOMPARE(page()->call("getFpcCombConfig", args), QJsonValue(QJsonObject{{"msg", message}}));
        QVERIFY(m_runtime->hasLog("WARNING", "KZembaCommonJsApi", message));
        QVERIFY(control()->callsTo("corelite.getFpcCombConfig").isEmpty());
    }

    void fpcAnswersTheConfiguration()
    {
        control()->setOption("corelite/fpc/12", QVariantMap{{"a", 1}});
        control()->setOption("corelite/fpc/3/12", QVariantMap{{"b", 2}});
        QCOMPARE(page()->call("getFpcCombConfig", QJsonObject{{"moduleGroupId", 12}}), QJsonValue(QJsonObject{{"a", 1}}));
        QCOMPARE(page()->call("getFpcCombConfig", QJsonObject{{"projectId", 3}, {"moduleGroupId", 12}}),
                 QJsonValue(QJsonObject{{"b", 2}}));
        QCOMPARE(page()->call("getFpcCombConfig", QJsonObject{{"moduleGroupId", 13}}), QJsonValue(QJsonObject()));
        QVERIFY(page()->call("getFpcCombConfig").isNull());
        QVERIFY(control()->callsTo("corelite.watchFpcCombConfig").isEmpty());
    }

    void fpcWatchIsRegisteredOnceAndPushesChanges()
    {
        page()->call("registPushUIEventHandler", QJsonObject{{"handler", "onPush"}});
        control()->setOption("corelite/fpc/12", QVariantMap{{"a", 1}});
        page()->call("getFpcCombConfig", QJsonObject{{"moduleGroupId", 12}, {"addWatch", true}});
        page()->call("getFpcCombConfig", QJsonObject{{"moduleGroupId", 12}, {"addWatch", true}});
        const QList<KTestPluginCall> watches = control()->callsTo("corelite.watchFpcCombConfig");
        QCOMPARE(watches.size(), 1);
        QCOMPARE(watches.first().args, (QVariantList{qint64(12), "1onFpcCombConfigNotify(qint64, qint64)"}));

        control()->coreLite()->changeFpcCombConfig(99, 12);
        QCOMPARE(page()->deliveriesTo("onPush").size(), 1);
        const KxPageDelivery push = page()->deliveriesTo("onPush").first();
        QCOMPARE(push.kind, KxPageDelivery::RawCallback);
        QCOMPARE(push.json(), QJsonValue(QJsonObject{
                                  {"action", "onFpcCombConfigNotify"},
                                  {"param", QJsonObject{{"params", QJsonObject{{"a", 1}}}, {"moduleId", 12}}}}));

        // Nothing to tell: an empty configuration, a group nobody watches, a service not ready.
        m_api->onFpcCombConfigNotify(0, 13);
        control()->setOption("corelite/fpcReady", false);
        control()->coreLite()->changeFpcCombConfig(0, 12);
        control()->setOption("corelite/fpcReady", true);
        control()->setOption("corelite/fpc/12", QVariantMap());
        control()->coreLite()->changeFpcCombConfig(0, 12);
        QCOMPARE(page()->deliveries().size(), 1);
    }

    void fpcChangeWithoutPushHandlerGoesNowhere()
    {
        control()->setOption("corelite/fpc/12", QVariantMap{{"a", 1}});
        page()->call("getFpcCombConfig", QJsonObject{{"moduleGroupId", 12}, {"addWatch", true}});
        control()->coreLite()->changeFpcCombConfig(0, 12);
        QVERIFY(page()->deliveries().isEmpty());
    }

    void insufficientSorvelConfigErrors_data()
    {
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("no arguments") << QJsonObject() << "contextArgs is empty";
        QTest::newRow("no channel code") << QJsonObject{{"from", "store"}} << "channelCode is empty";
        QTest::newRow("empty channel code") << QJsonObject{{"channelCode", ""}} << "channelCode is empty";
    }

    void insufficientSorvelConfigErrors()
    {
        QFETCH(QJsonObject, args);
        QFETCH(QString, message);
        QCOMPARE(page()->call("getInsufficientSorvelConfig", args),
                 QJsonValue(QJsonObject{{"callstatus", "error"}, {"errormsg", message}}));
        QVERIFY(KPrivilegeResource::requests().isEmpty());
    }

    void insufficientSorvelConfigGoesToTheService()
    {
        QVERIFY(page()->call("getInsufficientSorvelConfig",
                             QJsonObject{{"channelCode", "c1"},
                                         {"from", "store"},
                                         {"noCache", true},
                                         {"timeOut", 300},
                                         {"extraData", QJsonObject{{"k", "v"}}}})
                    .isNull());
        page()->call("getInsufficientSorvelConfig", QJsonObject{{"channelCode", "c2"}});
        const QList<KPrivilegeResource::Request> requests = KPrivilegeResource::requests();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests.at(0).channelCode, QStringLiteral("c1"));
        QCOMPARE(requests.at(0).from, QStringLiteral("store"));
        QCOMPARE(requests.at(0).extraData, (QVariantMap{{"k", "v"}}));
        QCOMPARE(requests.at(0).noCache, true);
        QCOMPARE(requests.at(0).timeOut, 300);
        QVERIFY(requests.at(0).options.isEmpty());
        QCOMPARE(requests.at(0).flag, true);
        QCOMPARE(requests.at(1).from, QString());
        QCOMPARE(requests.at(1).noCache, false);
        QCOMPARE(requests.at(1).timeOut, 0);
    }

    void localStorageLivesInTheModuleFolder()
    {
        const QString folder = krt::dirs::officeData() + "/" + kLibraryModule;
        QVERIFY(!QDir(folder).exists());
        QCOMPARE(m_api->getLocalStoragePath(), folder + "/localstorage.db");
        QVERIFY(QDir(folder).exists());
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestPageHost> m_host;
    KTestCommonJsApi* m_api = nullptr;
};

KZEMBA_TEST_MAIN(TstEnvMethods)
#include "tst_envmethods.moc"
