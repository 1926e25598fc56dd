// The plug-in loader and the resource-network client. The entry slots live for
// the whole process, so the cases that need a plug-in to be missing come first.
#include "ktestapplication.h"
#include "ktestplugincontrol.h"
#include "ktestresnetwork.h"
#include "ktestruntime.h"

#include "interfaces/ikzembabase.h"
#include "interfaces/ikzembacorelite.h"
#include "interfaces/ikzembaresnetwork.h"
#include "resource/kzembapluginloader.h"
#include "resource/kzembaresnetworkclient.h"

#include <krt/kplugin.h>
#include <krt/kpluginmanager.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using kzembaresnetwork::DownloadFailInfo;
using kzembaresnetwork::ResDownloadParam;

namespace {

ResDownloadParam fullRecord()
{
    ResDownloadParam p;
    p.resourceKey = "key-1";
    p.commonArgs.component = "wps";
    p.commonArgs.rmsp = "rm";
    p.commonArgs.client_type = "ct";
    p.commonArgs.channel = "ch";
    p.commonArgs.sub_channel = "sub";
    p.commonArgs.pay_source = "pay";
    p.commonArgs.platform = 9000000000LL;
    p.commonArgs.sn = "sn";
    p.commonArgs.mb_app = 0;
    p.commonArgs.queryItems = {{"q", "1"}};
    p.commonArgs.headers = {{"X-H", "v"}};
    p.commonArgs.tokenDownload = 3;
    p.commonArgs.plgName = "kzembajsapilite";
    p.commonArgs.plgVer = "0.0.0.0";
    p.commonArgs.timeout = 1500;
    p.resourceArgs.id = "id";
    p.resourceArgs.rid = "rid";
    p.resourceArgs.third_id = "third";
    p.resourceArgs.origin = "origin";
    p.resourceArgs.extra = {{"e", true}};
    p.resourceArgs.md5 = "md5";
    p.resourceArgs.downloadKey = "dk";
    p.resourceArgs.templateCustomProps = {{"p", "v"}};
    p.resourceArgs.resSize = 123456789012LL;
    p.resourceArgs.resRespId = "resp";
    p.resourceArgs.urls = QStringList{"http://127.0.0.1/a", "http://127.0.0.1/b"};
    p.resourceArgs.bServerAuth = true;
    p.saveArgs.bUnzip = true;
    p.saveArgs.bCheckMd5 = true;
    p.saveArgs.bForceStart = true;
    p.saveArgs.bCacheMd5Check = true;
    p.saveArgs.saveFilePath = "/tmp/x";
    p.saveArgs.installFilePath = "/tmp/y";
    p.saveArgs.bReturnByteArray = true;
    p.methodInfo.option = 4;
    p.methodInfo.priority = 7;
    p.status.downloadstatus = 2;
    p.status.progress = 50;
    return p;
}

QJsonObject jsonOf(const ResDownloadParam& param)
{
    return QJsonDocument::fromJson(kzemba::resDownloadParamToJson(param).toUtf8()).object();
}

} // namespace

class TstPluginLoader : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        KTestPluginControl::instance()->reset();
    }
    void cleanup() { m_runtime.reset(); }

    void recordWithOnlyUrlsKeepsItsDefaults()
    {
        ResDownloadParam param;
        param.resourceArgs.urls = QStringList{"http://127.0.0.1/file"};
        const QJsonObject json = jsonOf(param);

        QCOMPARE(json.keys(), (QStringList{"commonArgs", "methodInfo", "resourceArgs", "resourceKey", "saveArgs", "status"}));
        QCOMPARE(json["commonArgs"].toObject().size(), 15);
        QCOMPARE(json["resourceArgs"].toObject().size(), 12);
        QCOMPARE(json["saveArgs"].toObject().size(), 7);
        QCOMPARE(json["commonArgs"]["platform"].toInt(), 8);
        QCOMPARE(json["commonArgs"]["mb_app"].toInt(), 1);
        QCOMPARE(json["commonArgs"]["timeout"].toInt(), -1);
        QCOMPARE(json["methodInfo"]["option"].toInt(), 1);
        QCOMPARE(json["methodInfo"]["priority"].toInt(), 2);
        QCOMPARE(json["status"]["downloadstatus"].toInt(), 0);
        QCOMPARE(json["resourceArgs"]["bServerAuth"].toBool(), false);

        const ResDownloadParam back = kzemba::resDownloadParamFromJson(kzemba::resDownloadParamToJson(param));
        QCOMPARE(back.resourceArgs.urls, param.resourceArgs.urls);
        QCOMPARE(jsonOf(back), json);
    }

    void everyFieldRoundTrips()
    {
        const ResDownloadParam param = fullRecord();
        const ResDownloadParam back = kzemba::resDownloadParamFromJson(kzemba::resDownloadParamToJson(param));
        QCOMPARE(jsonOf(back), jsonOf(param));
        QCOMPARE(back.resourceArgs.resSize, 123456789012LL);
        QCOMPARE(back.commonArgs.headers, param.commonArgs.headers);
        QCOMPARE(back.saveArgs.installFilePath, QStringLiteral("/tmp/y"));
        QCOMPARE(back.methodInfo.priority, 7);
    }

    void missingGroupsReadAsDefaults_data()
    {
        QTest::addColumn<QString>("dropped");
        QTest::newRow("methodInfo") << "methodInfo";
        QTest::newRow("commonArgs") << "commonArgs";
        QTest::newRow("status") << "status";
        QTest::newRow("everything") << "*";
    }

    void missingGroupsReadAsDefaults()
    {
        QFETCH(QString, dropped);
        QJsonObject json = jsonOf(fullRecord());
        if (dropped == "*")
            json = QJsonObject();
        else
            json.remove(dropped);
        const ResDownloadParam back = kzemba::resDownloadParamFromJson(QString::fromUtf8(QJsonDocument(json).toJson()));
        const ResDownloadParam defaults;
        if (dropped == "methodInfo" || dropped == "*") {
            QCOMPARE(back.methodInfo.option, 1);
            QCOMPARE(back.methodInfo.priority, 2);
        }
        if (dropped == "commonArgs" || dropped == "*") {
            QCOMPARE(back.commonArgs.platform, 8);
            QCOMPARE(back.commonArgs.mb_app, 1);
            QCOMPARE(back.commonArgs.timeout, -1);
            QVERIFY(back.commonArgs.component.isEmpty());
        }
        if (dropped == "status" || dropped == "*")
            QCOMPARE(back.status.progress, 0);
        if (dropped != "*")
            QCOMPARE(back.resourceArgs.urls, fullRecord().resourceArgs.urls);
        else
            QCOMPARE(jsonOf(back), jsonOf(defaults));
    }

    void textThatIsNotARecordGivesDefaults()
    {
        QCOMPARE(jsonOf(kzemba::resDownloadParamFromJson("not json")), jsonOf(ResDownloadParam()));
        QCOMPARE(jsonOf(kzemba::resDownloadParamFromJson("[1,2]")), jsonOf(ResDownloadParam()));
    }

    void missingResNetworkFailsAfterTheCall()
    {
        QList<QPair<QString, DownloadFailInfo>> failures;
        int successes = 0;
        ResDownloadParam param;
        param.resourceArgs.urls = QStringList{"http://127.0.0.1/x"};
        const QString id = kzemba::startResDownload(
            param, [&](const QString&, const kzembaresnetwork::DownloadSuccessInfo&) { ++successes; }, nullptr,
            [&](const QString& failedId, const DownloadFailInfo& info) { failures.append({failedId, info}); });

        QVERIFY(id.isEmpty());
        QVERIFY(failures.isEmpty()); // never inside the call
        QTRY_COMPARE(failures.size(), 1);
        QTest::qWait(20);
        QCOMPARE(failures.size(), 1);
        QCOMPARE(successes, 0);
        QVERIFY(failures.first().first.isEmpty());
        const DownloadFailInfo& info = failures.first().second;
        QCOMPARE(info.errorCode, 5);
        QCOMPARE(info.httpStatusCode, 0);
        QVERIFY(info.description.isEmpty() && info.url.isEmpty() && info.errorMsg.isEmpty() && info.content.isEmpty());
        QVERIFY(!info.bMd5Err && !info.bUnzipErr);
    }

    void missingFileIsLogged_data()
    {
        QTest::addColumn<QString>("plugin");
        QTest::addColumn<QString>("loadModule");
        QTest::addColumn<QString>("managerModule");
        QTest::newRow("resource network") << "kzembaresnetwork" << "KZembaBase" << "KZembaResBaseLib";
        QTest::newRow("core lite") << "kzembacorelite" << "KZembaCoreLite" << "KZembaCoreLite";
        QTest::newRow("base") << "kzembabase" << "KZembaBase" << "KZembaResBaseLib";
    }

    void missingFileIsLogged()
    {
        QFETCH(QString, plugin);
        QFETCH(QString, loadModule);
        QFETCH(QString, managerModule);
        if (plugin == "kzembaresnetwork")
            QVERIFY(!kzemba::getResNetwork());
        else if (plugin == "kzembacorelite")
            QVERIFY(!kzemba::KZembaPluginLoader::getCoreLite());
        else
            QVERIFY(!kzemba::KZembaPluginLoader::getZembaBase());

        const QString path = m_runtime->path() + "/plugins/" + plugin + "/lib" + plugin + ".so";
        QVERIFY(m_runtime->hasLog("INFO", loadModule, "load dll failed , path not exist " + path));
        QVERIFY(m_runtime->hasLog("INFO", managerModule, "no plugin:[" + plugin + "] configred"));
    }

    // A missing plug-in is looked for again on every use, but its lines are not written again
    // until something changed.
    void retriesDoNotRepeatTheirLines()
    {
        auto count = [this](const QString& message) {
            int n = 0;
            for (const KTestLogRecord& record : m_runtime->logRecords())
                n += record.module == "KZembaCoreLite" && record.message == message;
            return n;
        };
        const QString missing = "load dll failed , path not exist " + m_runtime->path()
            + "/plugins/kzembacorelite/libkzembacorelite.so";
        const QString unknown = "no plugin:[kzembacorelite] configred";
        for (int i = 0; i < 3; ++i)
            QVERIFY(!kzemba::KZembaPluginLoader::getCoreLite());
        QCOMPARE(count(missing), 1);
        QCOMPARE(count(unknown), 1);

        // Another folder: a new line at once.
        m_runtime->setValue("pluginPaths/kzembacorelite", m_runtime->path() + "/elsewhere");
        QVERIFY(!kzemba::KZembaPluginLoader::getCoreLite());
        QVERIFY(!kzemba::KZembaPluginLoader::getCoreLite());
        QCOMPARE(count("load dll failed , path not exist " + m_runtime->path() + "/elsewhere/libkzembacorelite.so"), 1);
        QCOMPARE(count(unknown), 2);
    }

    void unloadableFileIsLoggedWithThePath()
    {
        const QString folder = m_runtime->path() + "/plugins/kzembabase";
        QVERIFY(QDir().mkpath(folder));
        QFile garbage(folder + "/libkzembabase.so");
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("this is not a shared library");
        garbage.close();

        QVERIFY(!kzemba::KZembaPluginLoader::getZembaBase());
        bool found = false;
        for (const KTestLogRecord& record : m_runtime->logRecords()) {
            if (record.module == "KZembaBase" && record.message.startsWith("load dll failed , ")
                && record.message.endsWith(garbage.fileName()) && !record.message.contains("path not exist"))
                found = true;
        }
        QVERIFY(found);
    }

    void managerLoadsAPluginItKnows()
    {
        m_runtime->setValue("pluginManager/plugins", QStringList{"kzembacorelite"});
        QVERIFY(!kzemba::KZembaPluginLoader::getCoreLite());
        KPlugin* plugin = KPluginManager::getInstance()->getPlugin("kzembacorelite");
        QVERIFY(plugin);
        QCOMPARE(plugin->loadRequests(), 1);
        QVERIFY(!m_runtime->hasLog("INFO", "KZembaCoreLite", "no plugin:[kzembacorelite] configred"));

        m_runtime->setValue("pluginManager/enabled", false);
        QVERIFY(!kzemba::KZembaPluginLoader::getCoreLite());
        QCOMPARE(plugin->loadRequests(), 1); // no manager, no second request
    }

    void libraryWithoutEntryIsTriedAgain()
    {
        m_runtime->setValue("pluginPaths/kzembaresnetwork", KTestRuntime::testPluginFolder("noentry"));
        QVERIFY(!kzemba::getResNetwork());
        QVERIFY(!m_runtime->hasLog("INFO", "KZembaBase",
                                   "load dll failed , path not exist " + KTestRuntime::testPluginFolder("noentry")
                                       + "/libkzembaresnetwork.so"));
        QVERIFY(KTestPluginControl::instance()->callsTo("entry").isEmpty());

        m_runtime->installPlugin("kzembaresnetwork");
        QVERIFY(kzemba::getResNetwork());
        QCOMPARE(KTestPluginControl::instance()->callsTo("entry").size(), 1);
    }

    void filledSlotIsNotLoadedAgain()
    {
        m_runtime->installPlugin("kzembaresnetwork");
        QVERIFY(kzemba::getResNetwork());
        // The plug-in folder no longer matters: the entry stays cached.
        m_runtime->setValue("pluginPaths/kzembaresnetwork", m_runtime->path() + "/gone");
        QVERIFY(kzemba::getResNetwork());
        QVERIFY(m_runtime->logRecords().isEmpty());
    }

    void entryMayHandOutNoService()
    {
        KTestPluginControl::instance()->setOption("resnetwork/present", false);
        QVERIFY(!kzemba::getResNetwork());
        QString failedId = "unset";
        int code = -1;
        QVERIFY(kzemba::startResDownload(ResDownloadParam(), nullptr, nullptr,
                                         [&](const QString& id, const DownloadFailInfo& info) {
                                             failedId = id;
                                             code = info.errorCode;
                                         })
                    .isEmpty());
        QTRY_COMPARE(code, 5);
        QVERIFY(failedId.isEmpty());
    }

    void downloadGoesToTheServiceAsARecordReadBack()
    {
        QTemporaryFile file;
        QVERIFY(file.open());
        file.write("sign-file-content");
        file.close();

        ResDownloadParam param = fullRecord();
        param.resourceArgs.urls = QStringList{QUrl::fromLocalFile(file.fileName()).toString()};
        param.saveArgs.saveFilePath.clear();
        param.saveArgs.bReturnByteArray = false;

        QByteArray bytes;
        QString successId;
        const QString id = kzemba::startResDownload(
            param,
            [&](const QString& doneId, const kzembaresnetwork::DownloadSuccessInfo& info) {
                successId = doneId;
                bytes = info.data.value("fileByteArray").toByteArray();
            },
            nullptr, nullptr);
        QVERIFY(id.startsWith("res-"));
        QTRY_COMPARE(bytes, QByteArray("sign-file-content"));
        QCOMPARE(successId, id);

        const QList<ResDownloadParam> started = KTestPluginControl::instance()->resNetwork()->startedParams();
        QCOMPARE(started.size(), 1);
        QCOMPARE(jsonOf(started.first()), jsonOf(param));
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
};

KZEMBA_TEST_MAIN(TstPluginLoader)
#include "tst_pluginloader.moc"
