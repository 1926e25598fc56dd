// The resource shop for the suite and its pages: opening the whole shop, the split
// shops as popups (the task pane has its own test), the auto-pop switch, the push
// texts, and the "common.zembaresource" page methods.
#include "ktestapplication.h"
#include "ktestruntime.h"

#include "open/kxsplitresourceshopopenlite.h"
#include "open/kxzembaresourcelitehandler.h"
#include "open/kzembaresourceutils.h"

#include <vanta/kvantaapplication.h>
#include <vanta/kvantaapprunner.h>
#include <vdllite/jsonhelper.h>
#include <vdllite/kxwebviewjscontext.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <memory>

// A runner whose slot of that name takes other arguments.
class KOtherRunner : public QObject
{
    Q_OBJECT
public slots:
    void on_processHost_vantaRunApp(const QString& appId) { runs.append(appId); }

public:
    QStringList runs;
};

namespace {

const char* const kShop = "picture_resourceshop";

QJsonObject answerOf(const KxWebViewJSContext& context)
{
    return QJsonDocument::fromJson(JsonHelper::jsonValueToString(context.result()).toUtf8()).object();
}

} // namespace

class TstResourceShop : public QObject
{
    Q_OBJECT

private:
    KVantaAppRunner* runner() const { return qobject_cast<KVantaAppRunner*>(m_shell->vantaAppRunner()); }

    // The run requests that reached the runner once the queued calls are through.
    QList<KVantaAppRun> runs() const
    {
        QCoreApplication::processEvents();
        return runner()->runs();
    }

    // Calls a page method of the handler by name, as the framework routes a page's call.
    QJsonObject call(KxZembaResourceHandler& handler, const QString& method, const QVariantMap& args)
    {
        KxWebViewJSContext context(1, method, JsonHelper::variantToJsonValue(args), QString());
        if (!handler.invokeJsMethod(method, context))
            return QJsonObject{{"unrouted", true}};
        return answerOf(context);
    }

    void makeShopAvailable()
    {
        m_runtime->setValue("pluginManager/plugins", QStringList{"kzembaresource"});
        m_runtime->setValue("appMgr/apps", QStringList{"zembaresourceshop"});
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        m_shell = std::make_unique<KVantaApplication>();
    }

    void cleanup()
    {
        m_shell.reset();
        m_runtime.reset();
    }

    void autoPopSwitch()
    {
        QVERIFY(KZembaResourceUtils::isCanAutoPopDocSimilar());
        KZembaResourceUtils::setCanAutoPopDocSmilar(false);
        QVERIFY(!KZembaResourceUtils::isCanAutoPopDocSimilar());
        KZembaResourceUtils::setCanAutoPopDocSmilar(true);
        QVERIFY(KZembaResourceUtils::isCanAutoPopDocSimilar());
    }

    void pushUiEventParams_data()
    {
        QTest::addColumn<QVariantMap>("request");
        QTest::addColumn<QString>("params");

        const QString iconList =
            R"({"path":"fixed_icon","product_entry":"insert_popup","routerName":"icon-list","targetResType":"icon"})";
        QTest::newRow("params win over extra")
            << QVariantMap{{"params", "a=1"}, {"extra", QVariantMap{{"routerName", "icon-list"}}}} << "a=1";
        QTest::newRow("empty params take extra") << QVariantMap{{"params", ""}, {"extra", R"({"k":"v"})"}}
                                                 << R"({"k":"v"})";
        QTest::newRow("extra as text") << QVariantMap{{"extra", R"({"k":"v","n":2})"}} << R"({"k":"v","n":2})";
        QTest::newRow("extra as map") << QVariantMap{{"extra", QVariantMap{{"k", "v"}, {"n", 2}}}}
                                      << R"({"k":"v","n":2})";
        QTest::newRow("icon-list as text") << QVariantMap{{"extra", R"({"routerName":"icon-list"})"}} << iconList;
        QTest::newRow("icon-list as map, values overwritten")
            << QVariantMap{{"extra", QVariantMap{{"routerName", "icon-list"}, {"path", "mine"}, {"targetResType", 3}}}}
            << iconList;
        QTest::newRow("other router") << QVariantMap{{"extra", R"({"routerName":"Icon-list"})"}}
                                      << R"({"routerName":"Icon-list"})";
        QTest::newRow("extra that is no JSON object") << QVariantMap{{"extra", "[1,2]"}} << "{}";
        QTest::newRow("no extra") << QVariantMap{{"action", "show"}} << QString();
    }

    void pushUiEventParams()
    {
        QFETCH(QVariantMap, request);
        QFETCH(QString, params);
        request.insert("action", "show");
        request.insert("entry", "insert");

        QString action = "stale", entry = "stale", text = "stale";
        KZembaResourceUtils::getPushUiEventParams(request, action, entry, text);
        QCOMPARE(action, QStringLiteral("show"));
        QCOMPARE(entry, QStringLiteral("insert"));
        QCOMPARE(text, params);
    }

    void openWholeShop_data()
    {
        QTest::addColumn<QVariantMap>("params");
        QTest::addColumn<bool>("available");
        QTest::addColumn<int>("runnerKind"); // 0 shell's runner, 1 none, 2 one that refuses the call
        QTest::addColumn<bool>("opened");

        const QVariantMap full{{"entry", "e"}, {"appType", "wps"}, {"action", "insert"}};
        QTest::newRow("opens") << full << true << 0 << true;
        QTest::newRow("application name stands in for appType")
            << QVariantMap{{"entry", "e"}, {"action", "insert"}} << true << 0 << true;
        QTest::newRow("not installed") << full << false << 0 << false;
        QTest::newRow("no entry") << QVariantMap{{"appType", "wps"}, {"action", "insert"}} << true << 0 << false;
        QTest::newRow("no action") << QVariantMap{{"entry", "e"}, {"appType", "wps"}} << true << 0 << false;
        QTest::newRow("no runner") << full << true << 1 << false;
        QTest::newRow("runner refuses") << full << true << 2 << false;
    }

    void openWholeShop()
    {
        QFETCH(QVariantMap, params);
        QFETCH(bool, available);
        QFETCH(int, runnerKind);
        QFETCH(bool, opened);
        if (available)
            makeShopAvailable();
        KOtherRunner other;
        if (runnerKind == 1)
            m_shell->setVantaAppRunner(nullptr);
        else if (runnerKind == 2)
            m_shell->setVantaAppRunner(&other);

        const QVariantMap before = params;
        QCOMPARE(KZembaResourceUtils::openZembaResourceShop(params), opened);
        QCOMPARE(params, before);
        QCoreApplication::processEvents();
        QVERIFY(other.runs.isEmpty());
        if (runnerKind != 0)
            return;
        const QList<KVantaAppRun> done = runner()->runs();
        QCOMPARE(done.size(), opened ? 1 : 0);
        if (!opened)
            return;
        QCOMPARE(done.first().appId, QStringLiteral("zembaresourceshop"));
        QCOMPARE(done.first().entry, QStringLiteral("e"));
        // The runner gets the request as it came: the application name is not added.
        QCOMPARE(JsonHelper::convertStringToQJson(done.first().params).toVariantMap(), params);
    }

    void openSplitShop_data()
    {
        QTest::addColumn<int>("mode"); // -1: never set
        QTest::addColumn<QVariantMap>("flags");
        QTest::addColumn<bool>("popup");

        const QVariantMap none;
        for (int mode : {-1, 0, 1, 2}) {
            const QByteArray name = mode < 0 ? QByteArray("never set") : "mode " + QByteArray::number(mode);
            const bool popupByMode = mode <= 0;
            QTest::newRow((name + ", no flag").constData()) << mode << none << popupByMode;
            QTest::newRow((name + ", forcePopup").constData()) << mode << QVariantMap{{"forcePopup", true}} << true;
            QTest::newRow((name + ", forcePopupMode").constData())
                << mode << QVariantMap{{"forcePopupMode", "true"}} << true;
            QTest::newRow((name + ", flags off").constData())
                << mode << QVariantMap{{"forcePopup", false}, {"forcePopupMode", "false"}} << popupByMode;
        }
    }

    // Without a document anywhere the task pane has no client and answers false.
    void openSplitShop()
    {
        QFETCH(int, mode);
        QFETCH(QVariantMap, flags);
        QFETCH(bool, popup);
        if (mode >= 0)
            setSplitResourceShopMode(kShop, mode);
        QVariantMap params = flags;
        params.insert("entry", "e");
        params.insert("extra", QVariantMap{{"k", "v"}});

        QCOMPARE(KxSplitResourceShopOpenLite::open(kShop, params), popup);
        const QList<KVantaAppRun> done = runs();
        QCOMPARE(done.size(), popup ? 1 : 0);
        if (!popup)
            return;
        QCOMPARE(done.first().appId, QStringLiteral("picture_resourceshop_split"));
        QCOMPARE(done.first().entry, QStringLiteral("e"));
        const QVariantMap sent = JsonHelper::convertStringToQJson(done.first().params).toVariantMap();
        QCOMPARE(sent.value("openmode").toString(), QStringLiteral("popup"));
        QCOMPARE(sent.value("appId").toString(), QStringLiteral("picture_resourceshop_split"));
        QCOMPARE(sent.value("extra").toString(), QStringLiteral(R"({"k":"v"})"));
        QCOMPARE(getSplitResourceShopMode(kShop), qMax(mode, 0));
    }

    void popupExtraText_data()
    {
        QTest::addColumn<QVariant>("extra");
        QTest::addColumn<QString>("text");
        QTest::newRow("map") << QVariant(QVariantMap{{"a", 1}, {"b", "x"}}) << R"({"a":1,"b":"x"})";
        QTest::newRow("absent") << QVariant() << "{}";
        QTest::newRow("text is no map") << QVariant(R"({"a":1})") << "{}";
    }

    void popupExtraText()
    {
        QFETCH(QVariant, extra);
        QFETCH(QString, text);
        QVariantMap params{{"entry", "e"}, {"openmode", "emedd"}};
        if (extra.isValid())
            params.insert("extra", extra);
        QVERIFY(KxSplitResourceShopOpenLite::open("wordart_resourceshop", params));
        const QList<KVantaAppRun> done = runs();
        QCOMPARE(done.size(), 1);
        const QVariantMap sent = JsonHelper::convertStringToQJson(done.first().params).toVariantMap();
        QCOMPARE(sent.value("extra").toString(), text);
        QCOMPARE(sent.value("openmode").toString(), QStringLiteral("popup"));
    }

    void popupFailureIsFalse()
    {
        // No entry: the store app cannot be run.
        QVERIFY(!KxSplitResourceShopOpenLite::open(kShop, {}));
        QVERIFY(runs().isEmpty());
    }

    void handleSplitResourceShop_data()
    {
        QTest::addColumn<QVariantMap>("params");
        QTest::addColumn<bool>("handled");
        QTest::addColumn<int>("runCount");

        const QVariantMap shop{{"appId", kShop}, {"entry", "e"}};
        QVariantMap asked = shop;
        asked.insert("split_zembaresourceshop", true);
        QVariantMap askedAsText = shop;
        askedAsText.insert("split_zembaresourceshop", "true");
        QVariantMap notAsked = shop;
        notAsked.insert("split_zembaresourceshop", false);
        QVariantMap askedNoEntry{{"appId", kShop}, {"split_zembaresourceshop", true}};

        QTest::newRow("asked") << asked << true << 1;
        QTest::newRow("asked as text") << askedAsText << true << 1;
        QTest::newRow("not asked") << notAsked << false << 0;
        QTest::newRow("flag missing") << shop << false << 0;
        QTest::newRow("asked, shop cannot open") << askedNoEntry << true << 0;
    }

    // A shop that was set to the task pane opens as a popup through this route, and stays so.
    void handleSplitResourceShop()
    {
        QFETCH(QVariantMap, params);
        QFETCH(bool, handled);
        QFETCH(int, runCount);
        setSplitResourceShopMode(kShop, 1);

        QCOMPARE(KxSplitResourceShopOpenLite::handleSplitResourceShop(params), handled);
        QCOMPARE(runs().size(), runCount);
        QCOMPARE(getSplitResourceShopMode(kShop), handled ? 0 : 1);
    }

    void handlerMethods_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantMap>("args");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("storedMode");
        QTest::addColumn<int>("runCount");

        // The app's mode is 2 before each call.
        const QString okTrue = R"({"callstatus":"ok","errormsg":"ok","result":true})";
        const QString noAppId = R"({"callstatus":"error","errormsg":"appId can not be empty."})";
        QTest::newRow("set") << "setOpenSplitResourceShopMode" << QVariantMap{{"appId", kShop}, {"mode", 1}} << okTrue
                             << 1 << 0;
        QTest::newRow("set, mode as text") << "setOpenSplitResourceShopMode"
                                           << QVariantMap{{"appId", kShop}, {"mode", "1"}} << okTrue << 1 << 0;
        QTest::newRow("set, mode empty stores 0") << "setOpenSplitResourceShopMode"
                                                  << QVariantMap{{"appId", kShop}, {"mode", ""}} << okTrue << 0 << 0;
        QTest::newRow("set, mode no number stores 0") << "setOpenSplitResourceShopMode"
                                                      << QVariantMap{{"appId", kShop}, {"mode", "popup"}}
                                                      << okTrue << 0 << 0;
        QTest::newRow("set, no mode") << "setOpenSplitResourceShopMode" << QVariantMap{{"appId", kShop}}
                                      << R"({"callstatus":"error","errormsg":"mode can not be empty."})" << 2 << 0;
        QTest::newRow("set, no appId")
            << "setOpenSplitResourceShopMode" << QVariantMap{{"mode", 1}} << noAppId << 2 << 0;
        QTest::newRow("set, empty appId") << "setOpenSplitResourceShopMode" << QVariantMap{{"appId", ""}, {"mode", 1}}
                                          << noAppId << 2 << 0;
        QTest::newRow("get") << "getOpenSplitResourceShopMode" << QVariantMap{{"appId", kShop}}
                             << R"({"callstatus":"ok","errormsg":"ok","result":2})" << 2 << 0;
        QTest::newRow("get, never set")
            << "getOpenSplitResourceShopMode" << QVariantMap{{"appId", "textbox_resourceshop"}}
            << R"({"callstatus":"ok","errormsg":"ok","result":0})" << 2 << 0;
        QTest::newRow("get, no appId") << "getOpenSplitResourceShopMode" << QVariantMap() << noAppId << 2 << 0;
        QTest::newRow("open, no appId") << "openSplitResourceShop" << QVariantMap{{"entry", "e"}} << noAppId << 2 << 0;
        QTest::newRow("open, mode refuses") << "openSplitResourceShop" << QVariantMap{{"appId", kShop}, {"entry", "e"}}
                                            << R"({"callstatus":"ok","errormsg":"ok","result":false})" << 2 << 0;
        QTest::newRow("open, forced popup")
            << "openSplitResourceShop" << QVariantMap{{"appId", kShop}, {"entry", "e"}, {"forcePopup", true}} << okTrue
            << 2 << 1;
    }

    void handlerMethods()
    {
        QFETCH(QString, method);
        QFETCH(QVariantMap, args);
        QFETCH(QString, answer);
        QFETCH(int, storedMode);
        QFETCH(int, runCount);
        setSplitResourceShopMode(kShop, 2);
        KxZembaResourceLiteHandler handler(nullptr, nullptr);
        QSignalSpy before(&handler, &KxZembaResourceHandler::beforeOpenResourceShop);

        QCOMPARE(call(handler, method, args), QJsonDocument::fromJson(answer.toUtf8()).object());
        QCOMPARE(getSplitResourceShopMode(kShop), storedMode);
        const bool opens = method == "openSplitResourceShop" && args.contains("appId");
        QCOMPARE(before.size(), opens ? 1 : 0);
        QCOMPARE(runs().size(), runCount);
    }

    // The signal goes out before the shop opens: a listener may still set the app's mode.
    void beforeOpenResourceShopComesFirst()
    {
        setSplitResourceShopMode(kShop, 2);
        KxZembaResourceLiteHandler handler(nullptr, nullptr);
        connect(&handler, &KxZembaResourceHandler::beforeOpenResourceShop, this,
                [] { setSplitResourceShopMode(kShop, 0); });

        QCOMPARE(call(handler, "openSplitResourceShop", {{"appId", kShop}, {"entry", "e"}}),
                 QJsonDocument::fromJson(R"({"callstatus":"ok","errormsg":"ok","result":true})").object());
        QCOMPARE(runs().size(), 1);
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KVantaApplication> m_shell;
};

KZEMBA_TEST_MAIN(TstResourceShop)
#include "tst_resourceshop.moc"
