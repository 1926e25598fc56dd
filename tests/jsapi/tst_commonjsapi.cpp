// The common JS API frame: construction with and without the store plug-ins,
// the push channel and its queue, callbacks and the small page methods.
#include "ktestaccount.h"
#include "ktestapplication.h"
#include "ktestbatchdownload.h"
#include "ktestcommonjsapi.h"
#include "ktestcorelite.h"
#include "ktestpagehost.h"
#include "ktestplugincontrol.h"
#include "ktestruntime.h"

#include "resource/kzembapluginloader.h"

#include <vdllite/kxjsapiconstants.h>

#include <QSignalSpy>
#include <QJsonArray>
#include <QtTest>

class TstCommonJsApi : public QObject
{
    Q_OBJECT

private:
    void makeApi()
    {
        m_host = std::make_unique<KTestPageHost>();
        m_api = m_host->installApi<KTestCommonJsApi>();
        m_api->initHandlers();
        m_api->init();
    }

    KxHeadlessPage* page() const { return m_host->page(); }
    KTestPluginControl* control() const { return KTestPluginControl::instance(); }

    QList<QJsonObject> pushesTo(const QString& handler) const
    {
        QList<QJsonObject> list;
        for (const KxPageDelivery& delivery : page()->deliveriesTo(handler))
            list.append(delivery.json().toObject());
        return list;
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        control()->reset();
    }

    void cleanup()
    {
        m_host.reset();
        m_runtime.reset();
    }

    // Runs first: the plug-in entries stay cached for the process once found.
    void withoutPluginsTheFeaturesAreAbsent()
    {
        makeApi();
        QCOMPARE(m_api->resourceHandlerInits, 1);
        QCOMPARE(m_api->handlerNames(), QStringList{"common.skin"});
        QVERIFY(control()->calls().isEmpty());
        QCOMPARE(page()->call("common.payment.ping").toObject().value("callstatus").toString(), QStringLiteral("error"));
    }

    void coreLiteHandlersAreRegisteredInOrder()
    {
        m_runtime->installPlugin("kzembacorelite");
        m_runtime->installPlugin("kzembabase");
        control()->setOption("corelite/handlers", QStringList{"common.payment", "common.plugin", "zemba.vanta.ai"});
        makeApi();

        QStringList asked;
        for (const KTestPluginCall& call : control()->callsTo("corelite.createJsApiHandler")) {
            asked.append(call.args.at(0).toString());
            QCOMPARE(call.args.at(1).value<QObject*>(), static_cast<QObject*>(m_api));
            QCOMPARE(call.args.at(2).value<QObject*>(), static_cast<QObject*>(m_api));
        }
        QCOMPARE(asked, (QStringList{"common.payment", "common.event", "common.plugin", "zemba.vanta.ai"}));
        // The plug-in made no "common.event" handler, so none is registered under it.
        QCOMPARE(m_api->handlerNames(), (QStringList{"common.payment", "common.plugin", "common.skin", "zemba.vanta.ai"}));
        QCOMPARE(page()->call("common.payment.ping").toObject().value("handler").toString(), QStringLiteral("common.payment"));
        QCOMPARE(page()->call("zemba.vanta.ai.ping").toObject().value("handler").toString(), QStringLiteral("zemba.vanta.ai"));
        QCOMPARE(page()->call("common.event.ping").toObject().value("callstatus").toString(), QStringLiteral("error"));
    }

    void initRegistersTheModuleWithTheTheme()
    {
        m_runtime->installPlugin("kzembacorelite");
        makeApi();
        const QList<KTestPluginCall> calls = control()->callsTo("theme.registerModule");
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.first().args, (QVariantList{"zemba", QString()}));

        control()->setOption("theme/present", false);
        m_api->init();
        QCOMPARE(control()->callsTo("theme.registerModule").size(), 1);
    }

    void constructionConnectsTheDownloadNotifications()
    {
        m_runtime->installPlugin("kzembabase");
        makeApi();
        const QList<KTestPluginCall> calls = control()->calls();
        QStringList connects;
        for (const KTestPluginCall& call : calls) {
            if (call.name.startsWith("batch.connect")) {
                connects.append(call.name + " " + call.args.at(0).toString());
                QCOMPARE(call.args.at(1).toInt(), 0);
            }
        }
        QCOMPARE(connects, (QStringList{"batch.connectDownloadSuccess 1onResDownloadSuccess(const QString&)",
                                        "batch.connectDownloadError 1onResDownloadError(const QString&, DownloadFailInfo)",
                                        "batch.connectDownloadProgress 1onUpdateResDownloadProgress(const QString&, int)"}));
    }

    void noDownloadNotificationsWithoutTheService()
    {
        m_runtime->installPlugin("kzembabase");
        control()->setOption("batch/present", false);
        makeApi();
        int asked = 0;
        for (const KTestPluginCall& call : control()->callsTo("entry"))
            asked += call.args.value(0).toString() == "GetZembaBatchDownload" ? 1 : 0;
        QCOMPARE(asked, 1);
        for (const KTestPluginCall& call : control()->calls())
            QVERIFY(!call.name.startsWith("batch."));
    }

    void eventsQueuedBeforeRegistrationArriveInOrder()
    {
        makeApi();
        m_api->ensureNotifyJsActionAndData("first", "{\"n\":1}");
        m_api->ensureNotifyJsActionAndData("second", "not json");
        m_api->ensureNotifyJsActionAndData("third", "[1]");
        QVERIFY(page()->deliveries().isEmpty());
        QCOMPARE(m_api->pendingNotificationCount(), 3);

        QVERIFY(page()->call("registPushUIEventHandler", QJsonObject{{"handler", "onPush"}}).isNull());
        QCOMPARE(pushesTo("onPush"),
                 (QList<QJsonObject>{QJsonObject{{"action", "first"}, {"params", QJsonObject{{"n", 1}}}},
                                     QJsonObject{{"action", "second"}, {"params", QJsonObject()}},
                                     QJsonObject{{"action", "third"}, {"params", QJsonObject()}}}));
        QCOMPARE(m_api->pendingNotificationCount(), 0);

        m_api->ensureNotifyJsActionAndData("fourth", "{}");
        QCOMPARE(pushesTo("onPush").size(), 4);
        QCOMPARE(pushesTo("onPush").last().value("action").toString(), QStringLiteral("fourth"));
        QCOMPARE(page()->deliveries().size(), 4);
    }

    void registrationWithoutHandlerChangesNothing_data()
    {
        QTest::addColumn<QJsonObject>("args");
        QTest::newRow("empty map") << QJsonObject();
        QTest::newRow("empty handler") << QJsonObject{{"handler", ""}};
        QTest::newRow("no handler key") << QJsonObject{{"other", "x"}};
        QTest::newRow("number") << QJsonObject{{"handler", 5}};
        QTest::newRow("bool") << QJsonObject{{"handler", true}};
        QTest::newRow("list") << QJsonObject{{"handler", QJsonArray{"onPush"}}};
        QTest::newRow("map") << QJsonObject{{"handler", QJsonObject{{"name", "onPush"}}}};
        QTest::newRow("script, not a name") << QJsonObject{{"handler", "alert(1)"}};
    }

    void registrationWithoutHandlerChangesNothing()
    {
        QFETCH(QJsonObject, args);
        makeApi();
        m_api->ensureNotifyJsActionAndData("queued", "{}");
        QVERIFY(page()->call("registPushUIEventHandler", args).isNull());
        QVERIFY(!m_api->isPushHandlerRegistered());
        QVERIFY(m_api->pushHandler().isEmpty());
        QCOMPARE(m_api->pendingNotificationCount(), 1);
        QVERIFY(page()->deliveries().isEmpty());
    }

    void secondRegistrationReplacesTheName()
    {
        makeApi();
        page()->call("registPushUIEventHandler", QJsonObject{{"handler", "old"}});
        page()->call("registPushUIEventHandler", QJsonObject{{"handler", "new"}});
        m_api->ensureNotifyJsActionAndData("a", "{}");
        QVERIFY(pushesTo("old").isEmpty());
        QCOMPARE(pushesTo("new").size(), 1);
        QVERIFY(m_api->isPushHandlerRegistered());
    }

    void directEventWithoutHandlerIsLost()
    {
        makeApi();
        m_api->notifyJsActionAndDataObject("lost", "{}");
        page()->call("registPushUIEventHandler", QJsonObject{{"handler", "h"}});
        QVERIFY(page()->deliveries().isEmpty());
    }

    void notifyCallbackSendsTheSuccessEnvelope()
    {
        makeApi();
        m_api->notifyCallback("done", {{"a", 1}});
        QCOMPARE(page()->deliveries().size(), 1);
        QCOMPARE(page()->deliveries().first().function, QStringLiteral("done"));
        QCOMPARE(page()->deliveries().first().json().toObject(),
                 (QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"a", 1}}}}));
    }

    void publishApplyResultWithoutSavedContext_data()
    {
        QTest::addColumn<int>("errorCode");
        QTest::addColumn<bool>("status");
        QTest::newRow("applied") << 0 << true;
        QTest::newRow("failed") << 3 << false;
    }

    void publishApplyResultWithoutSavedContext()
    {
        QFETCH(int, errorCode);
        QFETCH(bool, status);
        makeApi();
        ApplyResultInfo info{"font", "12", {}, errorCode};
        QVERIFY(QMetaObject::invokeMethod(m_api, "onPublishApplyResult", Q_ARG(ApplyResultInfo, info)));
        QCOMPARE(page()->deliveries().size(), 1);
        const KxPageDelivery delivery = page()->deliveries().first();
        QCOMPARE(delivery.kind, KxPageDelivery::Callback);
        QCOMPARE(delivery.function, QStringLiteral("onPublishApplyResult"));
        QCOMPARE(delivery.json().toObject().value("result").toObject(),
                 (QJsonObject{{"resType", "font"}, {"status", status}, {"errorCode", errorCode}, {"id", "12"}}));
    }

    void publishApplyResultAnswersTheSavedCall()
    {
        makeApi();
        page()->call("dispatchMethod", QJsonObject{{"x", 1}}, "applyCb");
        KxWebViewJSContext saved(page()->lastCallId(), "apply", Json::Value(Json::objectValue), "applyCb");

        ApplyResultInfo info{"template", "t1", {{"jsContextJsonIn", saved.toJson()}}, 3};
        QVERIFY(QMetaObject::invokeMethod(m_api, "onPublishApplyResult", Q_ARG(ApplyResultInfo, info)));
        QCOMPARE(page()->deliveries().size(), 1);
        const KxPageDelivery delivery = page()->deliveries().first();
        QCOMPARE(delivery.kind, KxPageDelivery::Result);
        QCOMPARE(delivery.contextId, saved.id());
        QCOMPARE(delivery.function, QStringLiteral("applyCb"));
        // The call itself succeeded; the failed apply is in the result.
        QCOMPARE(delivery.json().toObject(),
                 (QJsonObject{{"callstatus", "ok"},
                              {"errormsg", "success"},
                              {"result", QJsonObject{{"resType", "template"}, {"status", false}, {"errorCode", 3}, {"id", "t1"}}}}));
    }

    void publishApplyResultWithAnUnreadableContextAnswersNobody()
    {
        makeApi();
        ApplyResultInfo info{"template", "t1", {{"jsContextJsonIn", "{broken"}}, 0};
        QVERIFY(QMetaObject::invokeMethod(m_api, "onPublishApplyResult", Q_ARG(ApplyResultInfo, info)));
        QVERIFY(page()->deliveries().isEmpty());
        QVERIFY(m_runtime->hasLog("WARNING", "KZembaCommonJsApi", "onPublishApplyResult: saved context unreadable, id t1"));
    }

    void publishApplyResultWithADeepContextAnswersNobody_data()
    {
        QTest::addColumn<int>("depth");
        QTest::newRow("999 levels") << 999;
        QTest::newRow("1000 levels") << 1000;
        QTest::newRow("5000 levels") << 5000;
    }

    void publishApplyResultWithADeepContextAnswersNobody()
    {
        QFETCH(int, depth);
        makeApi();
        const QString context = "{\"id\":1,\"method\":\"downloadAndApplyOnlineRes\",\"callback\":\"cb\",\"args\":{\"a\":"
            + QString(depth - 1, '[') + QString(depth - 1, ']') + "}}";
        ApplyResultInfo info{"template", "t1", {{"jsContextJsonIn", context}}, 0};
        QVERIFY(QMetaObject::invokeMethod(m_api, "onPublishApplyResult", Q_ARG(ApplyResultInfo, info)));
        QVERIFY(page()->deliveries().isEmpty());
        QVERIFY(m_runtime->hasLog("WARNING", "KZembaCommonJsApi", "onPublishApplyResult: saved context unreadable, id t1"));
    }

    void hostWidgetIsHeldWeakly()
    {
        m_host = std::make_unique<KTestPageHost>();
        auto host = std::make_unique<QWidget>();
        m_api = new KTestCommonJsApi(m_host->container(), host.get());
        QWidget* answer = nullptr;
        QVERIFY(QMetaObject::invokeMethod(m_api, "GetHostWidget", Q_RETURN_ARG(QWidget*, answer)));
        QCOMPARE(answer, host.get());
        host.reset();
        QVERIFY(QMetaObject::invokeMethod(m_api, "GetHostWidget", Q_RETURN_ARG(QWidget*, answer)));
        QCOMPARE(answer, static_cast<QWidget*>(nullptr));
        QCOMPARE(m_api->hostWidget(), static_cast<QWidget*>(nullptr));
    }

    void invokablesForOtherComponents()
    {
        makeApi();
        QString module;
        QVERIFY(QMetaObject::invokeMethod(m_api, "GetModuleName", Q_RETURN_ARG(QString, module)));
        QCOMPARE(module, QStringLiteral("zemba"));
        QVERIFY(QMetaObject::invokeMethod(m_api, "CallbackToJS", Q_ARG(QString, "fn"), Q_ARG(QString, "{\"a\":2}"),
                                          Q_ARG(bool, true)));
        QCOMPARE(page()->deliveries().size(), 1);
        QCOMPARE(page()->deliveries().first().json().toObject(), QJsonObject({{"a", 2}}));
        QVERIFY(QMetaObject::invokeMethod(m_api, "NotifyJsHidePreview"));
    }

    void defaults()
    {
        makeApi();
        QCOMPARE(m_api->getModuleName(), QStringLiteral("zemba"));
        QCOMPARE(m_api->getModuleVersion(), QStringLiteral("0.0.0.0"));
        QVERIFY(m_api->getFeedBackUrl().isEmpty());
        QVERIFY(m_api->getSkinConfigPath().isEmpty());
        QVERIFY(!m_api->createNewUrlWidget(nullptr, 10, 10, false, false));
    }

    void noOpMethodsAnswerNothing_data()
    {
        QTest::addColumn<QString>("method");
        QTest::newRow("dispatchMethod") << "dispatchMethod";
        QTest::newRow("showUserInfoTips") << "showUserInfoTips";
        QTest::newRow("localStorageBatchGet") << "localStorageBatchGet";
        QTest::newRow("localStorageBatchDelete") << "localStorageBatchDelete";
    }

    void noOpMethodsAnswerNothing()
    {
        QFETCH(QString, method);
        makeApi();
        QVERIFY(page()->call(method, QJsonObject{{"key", "v"}}).isNull());
        QVERIFY(page()->deliveries().isEmpty());
    }

    void methodsThatOnlySignal_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QByteArray>("signal");
        QTest::newRow("showWindow") << "showWindow" << QByteArray(SIGNAL(showView()));
        QTest::newRow("notifyWebPageInitialed") << "notifyWebPageInitialed" << QByteArray(SIGNAL(webPageInitialed()));
        QTest::newRow("webLoadFinish") << "webLoadFinish" << QByteArray(SIGNAL(webPageInitialed()));
        QTest::newRow("onScriptReady") << "onScriptReady" << QByteArray(SIGNAL(webScriptReady()));
        QTest::newRow("notifyWebPerfCollect") << "notifyWebPerfCollect" << QByteArray(SIGNAL(sig_notifyWebPerfCollect()));
    }

    void methodsThatOnlySignal()
    {
        QFETCH(QString, method);
        QFETCH(QByteArray, signal);
        makeApi();
        QSignalSpy spy(m_api, signal.constData());
        QVERIFY(page()->call(method).isNull());
        QCOMPARE(spy.count(), 1);
    }

    void userInfoChangeRecordsTheTime()
    {
        makeApi();
        QCOMPARE(m_api->lastUserInfoChangeTime(), 0);
        const qint64 before = QDateTime::currentMSecsSinceEpoch();
        auto* app = static_cast<KTestApplication*>(QCoreApplication::instance());
        emit app->testUserInfoSource()->userInfoChange(7);
        QVERIFY(m_api->lastUserInfoChangeTime() >= before);
        QVERIFY(m_api->lastUserInfoChangeTime() <= QDateTime::currentMSecsSinceEpoch());
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestPageHost> m_host;
    QPointer<KTestCommonJsApi> m_api;
};

KZEMBA_TEST_MAIN(TstCommonJsApi)
#include "tst_commonjsapi.moc"
