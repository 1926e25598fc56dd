// Downloads through the reference plug-ins: a page's insertOnlineResource with
// the core-lite resource handlers and the base plug-in's batch download, and
// the resource-network client, against the local server.
#include "ktestapplication.h"
#include "ktestcommonjsapi.h"
#include "ktesthttpserver.h"
#include "ktestpagehost.h"
#include "ktestruntime.h"

#include "resource/kzembaresnetworkclient.h"

#include <krt/krt.h>
#include <krt/kruntimeconfig.h>

#include <QCryptographicHash>
#include <QDirIterator>
#include <QtTest>

Q_DECLARE_METATYPE(KTestHttpAnswer)

class TstRefResources : public QObject
{
    Q_OBJECT

private:
    KxHeadlessPage* page() const { return m_host->page(); }

    QJsonObject resultOf(const QString& callback, int index = -1) const
    {
        const QList<KxPageDelivery> deliveries = page()->deliveriesTo(callback);
        return deliveries.value(index < 0 ? deliveries.size() - 1 : index).json().toObject().value("result").toObject();
    }

    // Every file below the data folder's zemba folder, relative to it.
    QStringList zembaFiles() const
    {
        QStringList files;
        const QString root = krt::dirs::officeData() + "/zemba";
        QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next().mid(root.size() + 1));
        files.sort();
        return files;
    }

    static QByteArray body(int size)
    {
        QByteArray bytes(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            bytes[i] = char(i * 31 % 251);
        return bytes;
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        krt::KRuntimeConfig::remove("paths/plugins");
        QVERIFY(m_server.start());
        m_server.clearAnswers();
        m_server.clearRequests();
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

    void insertDownloadsAndApplies()
    {
        const QByteArray content = body(600 * 1024);
        m_server.setAnswer("/files/tpl-7.docx", KTestHttpAnswer(200, content).setChunks({content.left(200000), content.mid(200000, 200000), content.mid(400000)}, 20));
        const QString md5 = QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex());
        const QJsonValue answer = page()->call("insertOnlineResource",
                                               QJsonObject{{"resType", "template"},
                                                           {"resInfo", QJsonObject{{"id", "tpl-7"},
                                                                                   {"name", "Report"},
                                                                                   {"md5", md5},
                                                                                   {"urls", QJsonArray{m_server.url("/files/tpl-7.docx")}}}}});
        QVERIFY(answer.isNull()); // a started download has no answer of its own
        QVERIFY(m_host->waitForDeliveries("onDownloadSuccess", 1, 20000));

        const QList<KxPageDelivery> progress = page()->deliveriesTo("onDownloadProgress");
        QVERIFY(!progress.isEmpty());
        int last = -1;
        for (const KxPageDelivery& delivery : progress) {
            const int percent = delivery.json().toObject().value("result").toObject().value("percent").toInt();
            QVERIFY(percent > last);
            last = percent;
        }
        QCOMPARE(last, 100);
        QCOMPARE(resultOf("onDownloadSuccess"), (QJsonObject{{"resType", "template"}, {"id", "tpl-7"}}));
        QVERIFY(page()->deliveriesTo("onDownloadError").isEmpty());

        // Applied: copied into the resources folder next to its record; the download is gone.
        const QString applied = krt::dirs::officeData() + "/zemba/resources/template/tpl-7";
        QFile file(applied + "/tpl-7.docx");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
        QCOMPARE(zembaFiles(), (QStringList{"resources/template/tpl-7/resource.json", "resources/template/tpl-7/tpl-7.docx"}));

        // The page can ask where it went; a second insert applies from there without a download.
        const QJsonObject path = page()->call("common.plugin.getResourcePath", QJsonObject{{"resType", "template"}, {"id", "tpl-7"}}).toObject();
        QCOMPARE(path.value("callstatus").toString(), QStringLiteral("ok"));
        QCOMPARE(path.value("result").toObject().value("path").toString(), applied);
        QCOMPARE(path.value("result").toObject().value("files").toArray(), QJsonArray{"tpl-7.docx"});
        QCOMPARE(path.value("result").toObject().value("resInfo").toObject().value("name").toString(), QStringLiteral("Report"));
        const int requests = m_server.requestCount();
        page()->clearDeliveries();
        page()->call("insertOnlineResource", QJsonObject{{"resType", "template"}, {"resInfo", QJsonObject{{"id", "tpl-7"}}}});
        QTest::qWait(50);
        QCOMPARE(m_server.requestCount(), requests);
        QVERIFY(page()->deliveries().isEmpty());
    }

    void failureMidBodyLeavesNoFile_data()
    {
        QTest::addColumn<KTestHttpAnswer>("answer");
        QTest::addColumn<int>("status");
        QTest::newRow("dropped mid-body") << KTestHttpAnswer(200, body(300 * 1024)).setDropAfter(100 * 1024) << 200;
        QTest::newRow("server error") << KTestHttpAnswer(503, "busy") << 503;
    }

    void failureMidBodyLeavesNoFile()
    {
        QFETCH(KTestHttpAnswer, answer);
        QFETCH(int, status);
        m_server.setAnswer("/files/pic.png", answer);
        page()->call("insertOnlineResource", QJsonObject{{"resType", "picture"},
                                                         {"resInfo", QJsonObject{{"id", "p1"}, {"url", m_server.url("/files/pic.png")}}}});
        QVERIFY(m_host->waitForDeliveries("onDownloadError", 1, 20000));
        const QJsonObject error = resultOf("onDownloadError");
        QCOMPARE(error.value("resType").toString(), QStringLiteral("picture"));
        QCOMPARE(error.value("id").toString(), QStringLiteral("p1"));
        QVERIFY(error.value("errorCode").toInt() != 0);
        QVERIFY(error.value("description").toString().endsWith(" url: " + m_server.url("/files/pic.png")));
        QVERIFY(page()->deliveriesTo("onDownloadSuccess").isEmpty());
        QTest::qWait(50);
        QCOMPARE(zembaFiles(), QStringList()); // no partial or temporary file anywhere
        QVERIFY(m_runtime->hasLog("INFO", "kzembajsapilite", QStringLiteral("resId picturep1, errorInfo errorCode: %1, httpStatusCode: %2, description: %3, url : %4, bMd5Err 0, bUnzipErr 0, errorMsg: %3, content: %5").arg(error.value("errorCode").toInt()).arg(status).arg(error.value("description").toString().section(" url: ", 0, 0), m_server.url("/files/pic.png"), status == 503 ? "busy" : "")));
    }

    void cancelStopsTheDownload()
    {
        const QByteArray content = body(64 * 1024);
        m_server.setAnswer("/files/slow.png", KTestHttpAnswer(200, content).setChunks({content.left(1000), content.mid(1000)}, 500));
        page()->call("insertOnlineResource", QJsonObject{{"resType", "picture"},
                                                         {"resInfo", QJsonObject{{"id", "slow"}, {"url", m_server.url("/files/slow.png")}}}});
        QVERIFY(m_server.waitForRequests(1));
        m_api->cancelDownload("pictureslow");
        QTest::qWait(1000);
        QVERIFY(page()->deliveriesTo("onDownloadSuccess").isEmpty());
        QVERIFY(page()->deliveriesTo("onDownloadError").isEmpty());
        QCOMPARE(zembaFiles(), QStringList());
    }

    void wrongChecksumIsAFailure()
    {
        m_server.setAnswer("/files/f.ttf", KTestHttpAnswer(200, "font bytes"));
        page()->call("insertOnlineResource", QJsonObject{{"resType", "font"},
                                                         {"resInfo", QJsonObject{{"id", "f"}, {"md5", QString(32, '0')}, {"url", m_server.url("/files/f.ttf")}}}});
        QVERIFY(m_host->waitForDeliveries("onDownloadError", 1, 20000));
        QCOMPARE(resultOf("onDownloadError").value("description").toString(), "md5 mismatch url: " + m_server.url("/files/f.ttf"));
        QCOMPARE(zembaFiles(), QStringList());
    }

    void badRequestsAreRefused_data()
    {
        QTest::addColumn<QJsonObject>("resInfo");
        QTest::addColumn<QString>("errormsg");
        QTest::newRow("id with a path") << QJsonObject{{"id", "../../x"}, {"url", "http://127.0.0.1/a"}} << "invalid resource id";
        QTest::newRow("no url") << QJsonObject{{"id", "a"}} << "no download url";
        QTest::newRow("file url") << QJsonObject{{"id", "a"}, {"url", "file:///etc/passwd"}} << "invalid download url";
    }

    void badRequestsAreRefused()
    {
        QFETCH(QJsonObject, resInfo);
        QFETCH(QString, errormsg);
        const QJsonObject answer = page()->call("insertOnlineResource", QJsonObject{{"resType", "template"}, {"resInfo", resInfo}}).toObject();
        QCOMPARE(answer.value("callstatus").toString(), QStringLiteral("error"));
        QCOMPARE(answer.value("errormsg").toString(), errormsg);
        QCOMPARE(m_server.requestCount(), 0);
    }

    void resourceNetworkDownloads()
    {
        m_server.setAnswer("/sign.txt", KTestHttpAnswer(200, "signed").setHeader("Content-Type", "text/plain"));
        m_server.setAnswer("/gone", KTestHttpAnswer(404, "nope"));
        kzembaresnetwork::ResDownloadParam param;
        param.resourceArgs.urls = QStringList{m_server.url("/gone"), m_server.url("/sign.txt")};
        param.commonArgs.headers = QVariantMap{{"X-Token", "t1"}};
        QByteArray bytes;
        QString failed;
        bool progressed = false;
        const QString id = kzemba::startResDownload(
            param, [&bytes](const QString&, const kzembaresnetwork::DownloadSuccessInfo& info) { bytes = info.data.value("fileByteArray").toByteArray(); },
            [&progressed](const QString&, qint64, qint64) { progressed = true; },
            [&failed](const QString&, const kzembaresnetwork::DownloadFailInfo& info) { failed = info.description; });
        QVERIFY(!id.isEmpty());
        QTRY_COMPARE(bytes, QByteArray("signed"));
        QVERIFY(failed.isEmpty());
        QVERIFY(progressed);
        QCOMPARE(m_server.requestCount(), 2); // the first URL failed, the second one served
        QCOMPARE(m_server.lastRequest().header("X-Token"), QByteArray("t1"));

        // Saved to a file: it is there when success is reported, and not before.
        const QString target = m_runtime->path() + "/saved/sign.txt";
        param.resourceArgs.urls = QStringList{m_server.url("/sign.txt")};
        param.saveArgs.saveFilePath = target;
        QString savedPath;
        kzemba::startResDownload(
            param, [&savedPath](const QString&, const kzembaresnetwork::DownloadSuccessInfo& info) { savedPath = info.filePath; },
            nullptr, [&failed](const QString&, const kzembaresnetwork::DownloadFailInfo& info) { failed = info.description; });
        QVERIFY(!QFile::exists(target));
        QTRY_COMPARE(savedPath, target);
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("signed"));

        param.resourceArgs.urls = QStringList{m_server.url("/gone")};
        param.saveArgs.saveFilePath = m_runtime->path() + "/saved/gone.txt";
        int failures = 0;
        kzemba::startResDownload(param, nullptr, nullptr, [&failures](const QString&, const kzembaresnetwork::DownloadFailInfo& info) {
            ++failures;
            QCOMPARE(info.httpStatusCode, 404);
            QCOMPARE(info.content, QByteArray("nope"));
        });
        QTRY_COMPARE(failures, 1);
        QVERIFY(!QFile::exists(m_runtime->path() + "/saved/gone.txt"));
        QCOMPARE(QDir(m_runtime->path() + "/saved").entryList(QDir::Files | QDir::Hidden), QStringList{"sign.txt"});
    }

    void connectToRedirectsMatchingRequests_data()
    {
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("served");
        // PORT stands for the local server's port; nothing listens on port 1.
        QTest::newRow("host's default port") << QStringList{"127.0.0.1:80:127.0.0.1:PORT"} << "http://127.0.0.1/sign.txt" << true;
        QTest::newRow("named port") << QStringList{"127.0.0.1:1:127.0.0.1:PORT"} << "http://127.0.0.1:1/sign.txt" << true;
        QTest::newRow("IPv6 host in brackets") << QStringList{"[::1]:1:127.0.0.1:PORT"} << "http://[::1]:1/sign.txt" << true;
        QTest::newRow("malformed rules are skipped")
            << QStringList{"127.0.0.1:1:PORT", "127.0.0.1:x:127.0.0.1:PORT", "127.0.0.1:1:127.0.0.1:PORT"}
            << "http://127.0.0.1:1/sign.txt" << true;
        QTest::newRow("another port") << QStringList{"127.0.0.1:80:127.0.0.1:PORT"} << "http://127.0.0.1:1/sign.txt" << false;
        QTest::newRow("another host") << QStringList{"127.0.0.2:1:127.0.0.1:PORT"} << "http://127.0.0.1:1/sign.txt" << false;
        QTest::newRow("https default port is 443") << QStringList{"127.0.0.1:443:127.0.0.1:PORT"} << "http://127.0.0.1:1/sign.txt" << false;
    }

    // The reference plug-ins send a request whose host and port a "network/connectTo" rule
    // names to the rule's address, and report the URL they were given.
    void connectToRedirectsMatchingRequests()
    {
        QFETCH(QStringList, rules);
        QFETCH(QString, url);
        QFETCH(bool, served);
        for (QString& rule : rules)
            rule.replace("PORT", QString::number(m_server.port()));
        m_runtime->setValue("network/connectTo", rules);
        m_server.setAnswer("/sign.txt", KTestHttpAnswer(200, "signed"));
        kzembaresnetwork::ResDownloadParam param;
        param.resourceArgs.urls = QStringList{url};
        QByteArray bytes;
        QString reportedUrl;
        bool failed = false;
        kzemba::startResDownload(
            param,
            [&](const QString&, const kzembaresnetwork::DownloadSuccessInfo& info) {
                bytes = info.data.value("fileByteArray").toByteArray();
                reportedUrl = info.url;
            },
            nullptr, [&failed](const QString&, const kzembaresnetwork::DownloadFailInfo&) { failed = true; });
        QTRY_VERIFY_WITH_TIMEOUT(failed || !bytes.isEmpty(), 10000);
        QCOMPARE(failed, !served);
        QCOMPARE(m_server.requestCount(), served ? 1 : 0);
        if (served) {
            QCOMPARE(bytes, QByteArray("signed"));
            QCOMPARE(reportedUrl, url);
        }
    }

private:
    KTestHttpServer m_server;
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestPageHost> m_host;
    QPointer<KTestCommonJsApi> m_api;
};

KZEMBA_TEST_MAIN(TstRefResources)
#include "tst_refresources.moc"
