// Downloading and applying online resources for a page: the key-table flow of
// insertOnlineResource and the request flow of downloadAndApplyOnlineRes.
#include "ktestapplication.h"
#include "ktestbatchdownload.h"
#include "ktestcommonjsapi.h"
#include "ktesthttpserver.h"
#include "ktestpagehost.h"
#include "ktestplugincontrol.h"
#include "ktestruntime.h"

#include "interfaces/ikzembabatchdownload.h"

#include <QtTest>

// A page object of a host that builds download requests itself and records the hooks.
class KDownloadingJsApi : public KTestCommonJsApi
{
    Q_OBJECT
public:
    using KTestCommonJsApi::KTestCommonJsApi;

    bool suppliesDownloadData = false;
    QStringList hooks;

protected:
    void applyLocalRes(const ResourceInfo& info) override { hooks.append("apply " + info.resType + info.id); }
    void beforeApplyLocalRes(const ResourceInfo& info) override { hooks.append("beforeApply " + info.resType + info.id); }
    void beforeDownloadAndApplyOnlineRes(const QVariantMap& args) override
    {
        hooks.append("beforeDownload " + args.value("id").toString());
    }
    void afterDownloadAndApplyOnlineRes(const ResourceInfo& info) override
    {
        hooks.append("after " + info.resType + info.id);
    }
    bool getDownloadResData(const QVariantMap& args, KZembaBatchDownloadParam& param) override
    {
        if (!suppliesDownloadData)
            return KTestCommonJsApi::getDownloadResData(args, param);
        param.id = args.value("downloadId").toString();
        param.name = "request";
        param.extra = "third";
        param.flag = 0;
        KZembaBatchDownloadItem item;
        item.param.resourceArgs.urls = args.value("urls").toStringList();
        param.items.append(item);
        return true;
    }
};

class TstDownloadApply : public QObject
{
    Q_OBJECT

private:
    KTestPluginControl* control() const { return KTestPluginControl::instance(); }
    KTestBatchDownload* batch() const { return control()->batchDownload(); }
    KxHeadlessPage* page() const { return m_host->page(); }

    QJsonObject insert(const QString& resType, const QString& id, const QJsonObject& extra = {})
    {
        QJsonObject resInfo = extra;
        resInfo.insert("id", id);
        return page()->call("insertOnlineResource", QJsonObject{{"resType", resType}, {"resInfo", resInfo}}).toObject();
    }

    QJsonObject lastTo(const QString& function) const
    {
        const QList<KxPageDelivery> list = page()->deliveriesTo(function);
        return list.isEmpty() ? QJsonObject() : list.last().json().toObject();
    }

    static QJsonObject ok(const QJsonObject& result) { return QJsonObject{{"callstatus", "ok"}, {"result", result}}; }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        m_runtime->installPlugin("kzembabase");
        m_runtime->installPlugin("kzembacorelite");
        control()->reset();
        control()->setOption("corelite/resourceTypes", QStringList{"font", "font1", "template", "commercial"});
        m_host = std::make_unique<KTestPageHost>();
        m_api = m_host->installApi<KDownloadingJsApi>();
        m_api->initHandlers();
    }

    void cleanup()
    {
        m_host.reset();
        m_runtime.reset();
    }

    void refusedInserts_data()
    {
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QString>("errormsg");
        QTest::newRow("empty") << QJsonObject() << "input json empty";
        QTest::newRow("no type") << QJsonObject{{"resInfo", QJsonObject{{"id", "1"}}}} << "input json invalid. no restype.";
        QTest::newRow("no id") << QJsonObject{{"resType", "font"}, {"resInfo", QJsonObject{{"name", "x"}}}}
                               << "input json invalid. no id.";
        QTest::newRow("resInfo not a map") << QJsonObject{{"resType", "font"}, {"resInfo", "12"}}
                                           << "input json invalid. no id.";
        QTest::newRow("no handler, no request data") << QJsonObject{{"resType", "picture"}, {"resInfo", QJsonObject{{"id", "1"}}}}
                                                      << "input json invalid: param is wrong.";
    }

    void refusedInserts()
    {
        QFETCH(QJsonObject, args);
        QFETCH(QString, errormsg);
        const QJsonObject answer = page()->call("insertOnlineResource", args).toObject();
        QCOMPARE(answer, (QJsonObject{{"callstatus", "error"}, {"errormsg", errormsg}}));
        QVERIFY(batch()->items("font1").isEmpty());
        QVERIFY(control()->callsTo("batch.startDownload").isEmpty());
    }

    void handlerValidationTextIsTheAnswer()
    {
        control()->setOption("res/template/invalid", "template needs a newer version");
        QCOMPARE(insert("template", "7"),
                 (QJsonObject{{"callstatus", "error"}, {"errormsg", "template needs a newer version"}}));
        QVERIFY(control()->callsTo("res.isLocalResource").isEmpty());
        QVERIFY(control()->callsTo("batch.startDownload").isEmpty());
    }

    void localResourceIsAppliedAtOnce()
    {
        control()->setOption("res/font/local", true);
        m_host->hostWidget()->setProperty("klmInfo", QVariantMap{{"doc", "d1"}});
        QVERIFY(insert("font", "12").isEmpty());

        QCOMPARE(m_api->hooks, (QStringList{"beforeDownload 12", "beforeApply font12", "apply font12", "after font12"}));
        QStringList handlerCalls;
        for (const KTestPluginCall& call : control()->calls()) {
            if (call.name.startsWith("res."))
                handlerCalls.append(call.name);
        }
        QCOMPARE(handlerCalls, (QStringList{"res.validateResource", "res.prepareResource", "res.isLocalResource"}));
        const QVariantMap resInfo = control()->callsTo("res.prepareResource").first().args.at(2).toMap();
        QCOMPARE(resInfo.value("hostKLMInfo").toMap(), (QVariantMap{{"doc", "d1"}}));
        QVERIFY(control()->callsTo("batch.startDownload").isEmpty());
        QVERIFY(page()->deliveries().isEmpty());
    }

    void secondInsertWhileDownloadingStartsNothing()
    {
        QVERIFY(insert("font", "12", {{"download_key", "dk-1"}, {"urls", QJsonArray{"http://127.0.0.1:1/a"}}}).isEmpty());
        QVERIFY(insert("font", "12").isEmpty());
        const QList<KTestPluginCall> starts = control()->callsTo("batch.startDownload");
        QCOMPARE(starts.size(), 1);
        QCOMPARE(starts.first().args, (QVariantList{"font12", "batch font12", 1, 0, QString(), QVariantMap()}));

        const QList<KZembaBatchDownloadItem> items = batch()->items("font12");
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.first().param.resourceArgs.downloadKey, QStringLiteral("dk-1"));
        QCOMPARE(items.first().param.commonArgs.plgName, QStringLiteral("kzembajsapilite"));
        QCOMPARE(items.first().param.commonArgs.plgVer, QStringLiteral("0.0.0.0"));
    }

    void keyIsAPlainConcatenation()
    {
        insert("font", "12");
        insert("font1", "2");
        QCOMPARE(control()->callsTo("batch.startDownload").size(), 1);
    }

    void missingServiceLeavesTheKeyBehind()
    {
        control()->setOption("batch/present", false);
        QCOMPARE(insert("font", "12"), (QJsonObject{{"callstatus", "error"}, {"errormsg", "getZembaBatchDownload failed"}}));
        control()->setOption("batch/present", true);
        QVERIFY(insert("font", "12").isEmpty());
        QVERIFY(control()->callsTo("batch.startDownload").isEmpty());
    }

    void keyTableCallbacks()
    {
        insert("font", "12");
        batch()->progress("font12", 40);
        QCOMPARE(lastTo("onDownloadProgress"), ok({{"resType", "font"}, {"id", "12"}, {"percent", 40}}));
        batch()->progress("unknown", 50);
        QCOMPARE(page()->deliveriesTo("onDownloadProgress").size(), 1);

        m_api->hooks.clear();
        control()->setOption("res/font/local", true);
        batch()->succeed("font12");
        QCOMPARE(lastTo("onDownloadSuccess"), ok({{"resType", "font"}, {"id", "12"}}));
        QCOMPARE(m_api->hooks, (QStringList{"apply font12", "after font12"}));

        // The entry is gone, so the same resource downloads again.
        control()->setOption("res/font/local", false);
        insert("font", "12");
        QCOMPARE(control()->callsTo("batch.startDownload").size(), 2);
    }

    void successOfAResourceStillMissingIsNotApplied()
    {
        insert("template", "9");
        batch()->succeed("template9");
        QCOMPARE(lastTo("onDownloadSuccess"), ok({{"resType", "template"}, {"id", "9"}}));
        QVERIFY(!m_api->hooks.contains("apply template9"));
        QVERIFY(m_api->hooks.contains("after template9"));
    }

    void keyTableFailure_data()
    {
        QTest::addColumn<QString>("resType");
        QTest::addColumn<bool>("published");
        QTest::newRow("template") << "template" << true;
        QTest::newRow("commercial") << "commercial" << false;
    }

    void keyTableFailure()
    {
        QFETCH(QString, resType);
        QFETCH(bool, published);
        insert(resType, "5");
        DownloadFailInfo info;
        info.errorCode = 203;
        info.httpStatusCode = 404;
        info.description = "Not Found";
        info.url = "http://127.0.0.1:1/a";
        info.bMd5Err = true;
        info.errorMsg = "msg";
        info.content = QByteArray("abc\0def", 7);
        batch()->fail(resType + "5", info);

        QCOMPARE(lastTo("onDownloadError"), ok({{"resType", resType},
                                                {"id", "5"},
                                                {"errorCode", 203},
                                                {"description", "Not Found url: http://127.0.0.1:1/a"}}));
        QCOMPARE(m_api->publishedMessages.size(), published ? 1 : 0);
        if (published)
            QCOMPARE(m_api->publishedMessages.first(), qMakePair(1, QString()));
        QVERIFY(m_runtime->hasLog("INFO", "kzembajsapilite",
                                  "resId " + resType + "5, errorInfo errorCode: 203, httpStatusCode: 404, description: "
                                  "Not Found, url : http://127.0.0.1:1/a, bMd5Err 1, bUnzipErr 0, errorMsg: msg, content: abc"));
        insert(resType, "5");
        QCOMPARE(control()->callsTo("batch.startDownload").size(), 2);
    }

    void cancelRemovesTheEntryAndTellsTheService()
    {
        insert("font", "12");
        m_api->cancelDownload("unknown");
        QVERIFY(control()->callsTo("batch.cancelDownload").isEmpty());
        m_api->cancelDownload("font12");
        QCOMPARE(control()->callsTo("batch.cancelDownload").size(), 1);
        batch()->progress("font12", 10);
        QVERIFY(page()->deliveriesTo("onDownloadProgress").isEmpty());
        insert("font", "12");
        QCOMPARE(control()->callsTo("batch.startDownload").size(), 2);
    }

    void requestFormEndToEnd()
    {
        m_api->suppliesDownloadData = true;
        const QJsonObject answer = page()->call("downloadAndApplyOnlineRes",
                                                QJsonObject{{"downloadId", "req-1"}, {"id", "r"}, {"callback", "onReq"},
                                                            {"urls", QJsonArray{"http://127.0.0.1:1/x"}}})
                                       .toObject();
        QCOMPARE(answer, (QJsonObject{{"callstatus", "ok"}, {"errormsg", "success"}}));
        QCOMPARE(control()->callsTo("batch.startDownload").first().args,
                 (QVariantList{"req-1", "request", 1, 1, "third", QVariantMap()}));
        QCOMPARE(batch()->items("req-1").first().param.commonArgs.plgName, QStringLiteral("kzembajsapilite"));
        QVERIFY(batch()->items("req-1").first().param.resourceArgs.downloadKey.isEmpty());
        QCOMPARE(m_api->hooks, (QStringList{"beforeDownload r", "after req-1"}));

        batch()->progress("req-1", 70);
        QCOMPARE(lastTo("onDownloadProgress"), ok({{"id", "req-1"}, {"percent", 70}}));
        batch()->succeed("req-1");
        QCOMPARE(lastTo("onDownloadSuccess"), ok({{"id", "req-1"}}));
        batch()->succeed("req-1");
        QCOMPARE(page()->deliveriesTo("onDownloadSuccess").size(), 1);
    }

    void requestFormFailure()
    {
        m_api->suppliesDownloadData = true;
        page()->call("downloadAndApplyOnlineRes", QJsonObject{{"downloadId", "req-2"}});
        DownloadFailInfo info;
        info.errorCode = 7;
        info.description = "broken";
        info.url = "http://127.0.0.1:1/y";
        batch()->fail("req-2", info);
        QCOMPARE(lastTo("onDownloadError"), ok({{"id", "req-2"}, {"errorCode", 7}, {"description", "broken"}}));
        QVERIFY(m_api->publishedMessages.isEmpty());
    }

    void requestUnknownToTheServiceIsDropped()
    {
        m_api->suppliesDownloadData = true;
        page()->call("downloadAndApplyOnlineRes", QJsonObject{{"downloadId", "req-3"}});
        batch()->cancelDownload("req-3"); // the service forgets it on its own
        batch()->progress("req-3", 5);
        QCOMPARE(page()->deliveriesTo("onDownloadProgress").size(), 1); // progress keeps the entry
        batch()->succeed("req-3");
        QVERIFY(page()->deliveriesTo("onDownloadSuccess").isEmpty());
    }

    void requestFormWithoutService()
    {
        m_api->suppliesDownloadData = true;
        control()->setOption("batch/present", false);
        QCOMPARE(page()->call("downloadAndApplyOnlineRes", QJsonObject{{"downloadId", "req-4"}}).toObject(),
                 (QJsonObject{{"callstatus", "error"}, {"errormsg", "getZembaBatchDownload failed"}}));
    }

    void realDownloads()
    {
        KTestHttpServer server;
        QVERIFY(server.start());
        server.setAnswer("/font/1.ttf", KTestHttpAnswer(200, QByteArray(3000, 'f')));
        server.setAnswer("/font/2.ttf", KTestHttpAnswer(200, QByteArray(10, 'g')));
        control()->setOption("batch/download", true);

        insert("font", "ok", {{"urls", QJsonArray{server.url("/font/1.ttf"), server.url("/font/2.ttf")}}});
        QVERIFY(m_host->waitForDeliveries("onDownloadSuccess"));
        QCOMPARE(lastTo("onDownloadSuccess"), ok({{"resType", "font"}, {"id", "ok"}}));
        QCOMPARE(page()->deliveriesTo("onDownloadProgress").size(), 2);
        QCOMPARE(lastTo("onDownloadProgress"), ok({{"resType", "font"}, {"id", "ok"}, {"percent", 100}}));

        const QString missing = server.url("/font/missing.ttf");
        insert("font", "gone", {{"urls", QJsonArray{missing}}});
        QVERIFY(m_host->waitForDeliveries("onDownloadError"));
        const QJsonObject result = lastTo("onDownloadError").value("result").toObject();
        QCOMPARE(result.value("id").toString(), QStringLiteral("gone"));
        QCOMPARE(result.value("errorCode").toInt(), int(QNetworkReply::ContentNotFoundError));
        QVERIFY(result.value("description").toString().endsWith(" url: " + missing));
        QVERIFY(result.value("description").toString().length() > QString(" url: " + missing).length());
        QCOMPARE(m_api->publishedMessages.size(), 1);
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestPageHost> m_host;
    QPointer<KDownloadingJsApi> m_api;
};

KZEMBA_TEST_MAIN(TstDownloadApply)
#include "tst_downloadapply.moc"
