// The platform pieces behind the page utility name spaces: the URL and download
// folder checks, desktop entries as shortcuts and the hint on creating one, the
// app manager's apps and runner, and the framework's utility handler with a
// real download from the local server.
#include "ktestapplication.h"
#include "ktestcommonjsapi.h"
#include "ktesthttpserver.h"
#include "ktestpagehost.h"
#include "ktestruntime.h"
#include "ktesturlcatcher.h"

#include <appmgr/kappcontext.h>
#include <appmgr/kappmgr.h>
#include <appmgr/kappobject.h>
#include <appmgr/kapprunner.h>
#include <krt/kdirs.h>
#include <krt/kprocess.h>
#include <ui/kdesktopshortcut.h>
#include <vanta/kvantaapplication.h>
#include <vanta/kvantaapprunner.h>
#include <vdllite/kxdesktopshortcuttips.h>
#include <vdllite/kxjsapiutilhandler.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QtTest>

#include <memory>

class TstPageUtilPlatform : public QObject
{
    Q_OBJECT

private:
    KxHeadlessPage* page() const { return m_host->page(); }

    QJsonObject call(const QString& method, const QJsonObject& args)
    {
        return page()->call(QStringLiteral("common.util.") + method, args).toObject();
    }

    QList<QJsonObject> callbacks(const QString& name) const
    {
        QList<QJsonObject> list;
        for (const KxPageDelivery& delivery : page()->deliveriesTo(name))
            list.append(delivery.json().toObject());
        return list;
    }

    static void writeFile(const QString& path, const QByteArray& content)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        m_host = std::make_unique<KTestPageHost>();
        m_api = m_host->installApi<KTestCommonJsApi>();
        m_api->setHandler("common.util", new KxJSApiUtilHandler(m_api, m_api));
    }

    void cleanup()
    {
        KxJSApiUtilHandler::setZembaPageOpener({});
        m_host.reset();
        m_runtime.reset();
    }

    void checkUrl_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QStringList>("suffixes");
        QTest::addColumn<bool>("allowed");
        const QStringList any;
        const QStringList store{"store.example", ".cdn.example"};
        QTest::newRow("https") << "https://store.example/a?b=c" << any << true;
        QTest::newRow("http, upper-case scheme") << "HTTP://127.0.0.1:8080/" << any << true;
        QTest::newRow("javascript") << "javascript:alert(1)" << any << false;
        QTest::newRow("file") << "file:///etc/passwd" << any << false;
        QTest::newRow("ftp") << "ftp://store.example/" << any << false;
        QTest::newRow("data") << "data:text/html,<b>x</b>" << any << false;
        QTest::newRow("no host") << "https://" << any << false;
        QTest::newRow("no scheme") << "store.example/page" << any << false;
        QTest::newRow("empty") << "" << any << false;
        QTest::newRow("listed host") << "https://store.example/" << store << true;
        QTest::newRow("below a listed host") << "https://a.b.store.example/" << store << true;
        QTest::newRow("suffix with a dot") << "https://img.cdn.example/x.png" << store << true;
        QTest::newRow("host that only ends like one") << "https://evilstore.example/" << store << false;
        QTest::newRow("other host") << "https://other.example/" << store << false;
        QTest::newRow("listed host as user name") << "https://store.example@evil.test/" << store << false;
    }

    void checkUrl()
    {
        QFETCH(QString, url);
        QFETCH(QStringList, suffixes);
        QFETCH(bool, allowed);
        if (!suffixes.isEmpty())
            m_runtime->setValue("ksafe/allowedHostSuffixes", suffixes);
        QCOMPARE(krt::ksafe::KProcess::checkUrl(url), allowed);
    }

    void inBlackDownloadDir_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("black");
        for (const char* path : {"/", "/etc", "/etc/", "/etc/cron.d/job", "/usr/local/bin/x", "/bin/sh", "/sbin/x",
                                 "/lib/x.so", "/lib64/x.so", "/libx32", "/boot/vmlinuz", "/proc/self/mem", "/sys/x",
                                 "/dev/null", "/var/tmp/x", "//etc//passwd", "/./etc/x"})
            QTest::newRow(path) << path << true;
        QTest::newRow("escapes to a system folder") << "/home/u/../../etc/x" << true;
        QTest::newRow("escapes its folder") << "/tmp/downloads/../x" << true;
        QTest::newRow("relative escape") << "../x" << true;
        QTest::newRow("empty") << "" << true;
        for (const char* path : {"/tmp/downloads/a.pdf", "/home/u/Desktop/a.docx", "/opt/data/x", "/etcetera/x",
                                 "/home/u/..hidden/x", "/srv/var/x"})
            QTest::newRow(path) << path << false;
    }

    void inBlackDownloadDir()
    {
        QFETCH(QString, path);
        QFETCH(bool, black);
        QCOMPARE(krt::dirs::inBlackDownloadDir(path), black);
    }

    void desktopEntries_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("resolved");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("error");

        QTest::newRow("quoted argument and field code")
            << QByteArray("[Desktop Entry]\nType=Application\nExec=\"/opt/my suite/app\" --doc \"a \\\"b\\\"\" %F\nIcon=app\n")
            << true << "/opt/my suite/app" << "--doc a \"b\"" << "app" << "";
        QTest::newRow("percent sign and escapes")
            << QByteArray("# comment\n[Desktop Entry]\nExec[de]=/other\nExec=/bin/app --ratio=50%% --name=a\\sb\nType=Application\n")
            << true << "/bin/app" << "--ratio=50% --name=a b" << "" << "";
        QTest::newRow("keys of other groups are not the entry's")
            << QByteArray("[Desktop Action new]\nExec=/bin/other\n[Desktop Entry]\nType=Application\nExec=/bin/app\n")
            << true << "/bin/app" << "" << "" << "";
        QTest::newRow("link entry") << QByteArray("[Desktop Entry]\nType=Link\nURL=https://store.example/\n") << false
                                    << "" << "" << "" << "shortcut is not a desktop entry";
        QTest::newRow("no Exec") << QByteArray("[Desktop Entry]\nType=Application\nExec=%U\n") << false << "" << ""
                                 << "" << "shortcut is not a desktop entry";
        QTest::newRow("binary junk") << QByteArray("\x00\xff\x01[Desktop", 9) << false << "" << "" << ""
                                     << "shortcut is not a desktop entry";
    }

    void desktopEntries()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, resolved);
        QFETCH(QString, target);
        QFETCH(QString, argument);
        QFETCH(QString, icon);
        QFETCH(QString, error);
        writeFile(krt::dirs::desktop() + "/entry.desktop", content);

        QString outTarget = "stale", outArgument = "stale", outIcon = "stale", outError = "stale";
        int iconIndex = -1;
        QCOMPARE(KDesktopShortcut::resolveDesktopShortcut("entry", outTarget, outArgument, outIcon, iconIndex, outError),
                 resolved);
        QCOMPARE(outTarget, target);
        QCOMPARE(outArgument, argument);
        QCOMPARE(outIcon, icon);
        QCOMPARE(iconIndex, 0);
        QCOMPARE(outError, error);
    }

    void shortcutNames_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"", " ", ".", "..", "a/b", "../x", "a\\b"})
            QTest::newRow(name) << name;
    }

    void shortcutNames()
    {
        QFETCH(QString, name);
        QVERIFY(KDesktopShortcut::shortcutFilePath(name).isEmpty());
        QString target, argument, icon, error;
        int index = 0;
        QVERIFY(!KDesktopShortcut::resolveDesktopShortcut(name, target, argument, icon, index, error));
        QCOMPARE(error, QStringLiteral("invalid shortcut name"));
        QVERIFY(!KDesktopShortcut::deleteDesktopShortcut(name));
    }

    void aFolderIsNoShortcut()
    {
        QVERIFY(QDir().mkpath(krt::dirs::desktop() + "/folder.desktop"));
        QVERIFY(!KDesktopShortcut::deleteDesktopShortcut("folder"));
        QVERIFY(QFileInfo(krt::dirs::desktop() + "/folder.desktop").isDir());
    }

    void createShortcutTipsIsANonBlockingNotice()
    {
        QWidget* tips = vdllite::showCreateDesktopShortCutTipsOnLinux();
        QVERIFY(tips);
        QVERIFY(tips->isVisible());
        QVERIFY(!tips->isModal());
        QCOMPARE(vdllite::showCreateDesktopShortCutTipsOnLinux(), tips);

        const QImage image = tips->grab().toImage();
        QVERIFY(!image.isNull());
        // Text on a plain background: far more than one colour.
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 2) {
            for (int x = 0; x < image.width(); x += 2)
                colours.insert(image.pixel(x, y));
        }
        QVERIFY2(colours.size() > 4, qPrintable(QString::number(colours.size())));
        QDir().mkpath(KZEMBA_TEST_OUTPUT_DIR);
        QVERIFY(image.save(QStringLiteral(KZEMBA_TEST_OUTPUT_DIR "/create-shortcut-tips.png")));

        QPointer<QWidget> guard(tips);
        tips->close();
        QTRY_VERIFY(!guard);
    }

    void appObjectsFromTheRuntime()
    {
        m_runtime->setValue("appMgr/apps", QStringList{"app1", "app2"});
        m_runtime->setValue("appMgr/app/app1/webAppUrl", "https://app.example/");
        m_runtime->setValue("appMgr/app/app1/pluginDependParams/x", "1");
        m_runtime->setValue("appMgr/app/app1/pluginDependParams/y", "2");
        m_runtime->setValue("appMgr/app/app2/available", false);
        KAppMgr* manager = KAppMgr::getInstance();
        QVERIFY(manager);

        KAppObject* app1 = manager->getApp("app1");
        QVERIFY(app1);
        QVERIFY(app1->isAvailable());
        QCOMPARE(app1->getStringProperty("webAppUrl"), QStringLiteral("https://app.example/"));
        QCOMPARE(app1->getProperty("pluginDependParams").toMap(), (QVariantMap{{"x", "1"}, {"y", "2"}}));
        QCOMPARE(app1->getStringProperty("pluginName", "none"), QStringLiteral("none"));
        QVERIFY(!manager->getApp("app2")->isAvailable());
        QVERIFY(!manager->getApp("app3"));

        QVERIFY(manager->getAppRunner());
        m_runtime->setValue("appMgr/runnerEnabled", false);
        QVERIFY(!manager->getAppRunner());
    }

    void runnerHandsTheRunToTheShell()
    {
        KAppRunner* runner = KAppMgr::getInstance()->getAppRunner();
        runner->clearRuns();
        QSharedPointer<KAppContext> context(new KAppContext());
        context->commandLine = "--doc x";
        context->params = {{"k", "v"}};
        // Without a shell nothing can start the app.
        QVERIFY(!runner->runApp("app1", context, {}, 0));
        QVERIFY(!runner->runApp("", context, {}, 0));

        KVantaApplication shell;
        auto* shellRunner = qobject_cast<KVantaAppRunner*>(shell.vantaAppRunner());
        QVERIFY(runner->runApp("app1", context, {}, 0));
        QVERIFY(shellRunner->runs().isEmpty());
        QTRY_COMPARE(shellRunner->runs().size(), 1);
        QCOMPARE(shellRunner->runs().first().entry, QStringLiteral("--doc x"));
        QCOMPARE(shellRunner->runs().first().params, QStringLiteral(R"({"k":"v"})"));
        QCOMPARE(runner->runs().size(), 2);
        runner->clearRuns();
    }

    void openUrl_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QJsonObject>("answer");
        const QJsonObject ok{{"callstatus", "ok"}};
        for (const char* method : {"openUrl", "innerOpenUrl"}) {
            QTest::addRow("%s https", method) << method << "https://store.example/" << ok;
            QTest::addRow("%s javascript", method)
                << method << "javascript:alert(1)" << QJsonObject{{"callstatus", "error"}, {"errormsg", "url is not allowed."}};
            QTest::addRow("%s empty", method)
                << method << "" << QJsonObject{{"callstatus", "error"}, {"errormsg", "url can not be empty."}};
        }
    }

    void openUrl()
    {
        QFETCH(QString, method);
        QFETCH(QString, url);
        QFETCH(QJsonObject, answer);
        const KTestUrlCatcher catcher({"https", "javascript"});
        const QJsonObject result = call(method, {{"url", url}});

        QCOMPARE(result, answer);
        const bool opened = answer.value("callstatus") == QLatin1String("ok");
        QCOMPARE(catcher.urls, opened ? QList<QUrl>{QUrl(url)} : QList<QUrl>());
    }

    void smallUtilityMethods()
    {
        QCOMPARE(call("support", {{"method", "download"}}),
                 (QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"support", true}}}}));
        QCOMPARE(call("support", {{"method", "canOpenApp"}}),
                 (QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"support", false}}}}));

        m_runtime->setValue("config/privilege/cloudSync", true);
        QCOMPARE(call("getPrivilegeSwitch", {{"name", "cloudSync"}}),
                 (QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"name", "cloudSync"}, {"enabled", true}}}}));
        QCOMPARE(call("getPrivilegeSwitch", {{"name", "other"}}).value("result").toObject().value("enabled"),
                 QJsonValue(false));
        QCOMPARE(call("getPrivilegeSwitch", {{"name", "../paths/data"}}).value("callstatus").toString(),
                 QStringLiteral("error"));

        QCOMPARE(call("reportTaskCenterInfo", {{"task", "t1"}, {"state", 2}, {"extra", QJsonObject{{"a", 1}}}}),
                 (QJsonObject{{"callstatus", "ok"}}));
        const QList<QJsonObject> events = m_runtime->dcEvents();
        QCOMPARE(events.size(), 1);
        QCOMPARE(events.first().value("name").toString(), QStringLiteral("taskcenter_info"));
        QCOMPARE(events.first().value("params").toObject(),
                 (QJsonObject{{"task", "t1"}, {"state", "2"}, {"extra", R"({"a":1})"}}));
    }

    void openZembaPageUsesTheInstalledOpener()
    {
        const QJsonObject request{{"openmode", "popup"}, {"appId", "a"}};
        QCOMPARE(call("openZembaPage", request),
                 (QJsonObject{{"callstatus", "error"}, {"errormsg", "openZembaPage is not supported."}}));

        QVariantMap seen;
        QObject* seenParent = nullptr;
        KxJSApiUtilHandler::setZembaPageOpener([&](const QVariantMap& params, QString& error, QObject* parent) {
            seen = params;
            seenParent = parent;
            error = params.value("appId") == "bad" ? QStringLiteral("entry cannot be empty") : QString();
            return error.isEmpty();
        });
        QCOMPARE(call("openZembaPage", request), (QJsonObject{{"callstatus", "ok"}}));
        QCOMPARE(seen, request.toVariantMap());
        QCOMPARE(seenParent, static_cast<QObject*>(m_host->container()));
        QCOMPARE(call("openZembaPage", {{"appId", "bad"}}),
                 (QJsonObject{{"callstatus", "error"}, {"errormsg", "entry cannot be empty"}}));
    }

    void downloadWritesTheFileAndReportsProgress_data()
    {
        QTest::addColumn<QString>("path");   // below the runtime folder
        QTest::addColumn<QString>("landed"); // below the runtime folder
        QTest::newRow("file path") << "downloads/sub/report.pdf" << "downloads/sub/report.pdf";
        QTest::newRow("folder takes the URL's name") << "downloads" << "downloads/file.bin";
    }

    void downloadWritesTheFileAndReportsProgress()
    {
        QFETCH(QString, path);
        QFETCH(QString, landed);
        KTestHttpServer server;
        QVERIFY(server.start());
        QByteArray body(256 * 1024, 'x');
        for (int i = 0; i < body.size(); ++i)
            body[i] = static_cast<char>(i % 251);
        server.setAnswer("/file.bin", KTestHttpAnswer(200).setChunks({body.left(100000), body.mid(100000)}, 20));
        QVERIFY(QDir().mkpath(m_runtime->path() + "/downloads"));
        const QString target = m_runtime->path() + "/" + path;

        QCOMPARE(call("download", {{"url", server.url("/file.bin")}, {"path", target}, {"callback", "onDownload"}}),
                 (QJsonObject{{"callstatus", "ok"}}));
        QTRY_VERIFY(!callbacks("onDownload").isEmpty()
                    && callbacks("onDownload").last().value("result").toObject().value("status") != "progress");

        const QList<QJsonObject> answers = callbacks("onDownload");
        const QJsonObject last = answers.last();
        QCOMPARE(last, (QJsonObject{{"callstatus", "ok"},
                                    {"result", QJsonObject{{"status", "finished"}, {"progress", 100},
                                                           {"path", m_runtime->path() + "/" + landed}}}}));
        QCOMPARE(readFile(m_runtime->path() + "/" + landed), body);
        // Chunked: the size is unknown, so there is nothing to count in percent.
        for (int i = 0; i + 1 < answers.size(); ++i)
            QCOMPARE(answers.at(i).value("result").toObject().value("status").toString(), QStringLiteral("progress"));
    }

    void downloadProgressInPercent()
    {
        KTestHttpServer server;
        QVERIFY(server.start());
        const QByteArray body(512 * 1024, 'y');
        server.setAnswer("/big", KTestHttpAnswer(200, body));
        const QString target = m_runtime->path() + "/big.bin";

        call("download", {{"url", server.url("/big")}, {"path", target}, {"callback", "cb"}});
        QTRY_VERIFY(!callbacks("cb").isEmpty() && callbacks("cb").last().value("result").toObject().value("status") == "finished");
        const QList<QJsonObject> answers = callbacks("cb");
        int previous = -1;
        for (int i = 0; i + 1 < answers.size(); ++i) {
            const int percent = answers.at(i).value("result").toObject().value("progress").toInt();
            QVERIFY(percent > previous && percent <= 100);
            previous = percent;
        }
        QVERIFY(answers.size() >= 2);
        QCOMPARE(readFile(target), body);
    }

    void downloadRefusals_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty url") << "" << "<runtime>/x" << "url is not allowed.";
        QTest::newRow("file url") << "file:///etc/passwd" << "<runtime>/x" << "url is not allowed.";
        QTest::newRow("system folder") << "<server>" << "/etc/x" << "path is not allowed.";
        QTest::newRow("escaping path") << "<server>" << "<runtime>/../x" << "path is not allowed.";
        QTest::newRow("empty path") << "<server>" << "" << "path is not allowed.";
    }

    void downloadRefusals()
    {
        QFETCH(QString, url);
        QFETCH(QString, path);
        QFETCH(QString, message);
        KTestHttpServer server;
        QVERIFY(server.start());
        url.replace("<server>", server.url("/f"));
        path.replace("<runtime>", m_runtime->path());

        QCOMPARE(call("download", {{"url", url}, {"path", path}, {"callback", "cb"}}),
                 (QJsonObject{{"callstatus", "error"}, {"errormsg", message}}));
        QTest::qWait(50);
        QCOMPARE(server.requestCount(), 0);
        QVERIFY(page()->deliveries().isEmpty());
    }

    void downloadFailureAtTheServer()
    {
        KTestHttpServer server;
        QVERIFY(server.start());
        server.setAnswer("/missing", KTestHttpAnswer(404, "no"));
        const QString target = m_runtime->path() + "/missing.bin";

        call("download", {{"url", server.url("/missing")}, {"path", target}, {"callback", "cb"}});
        QTRY_VERIFY(!callbacks("cb").isEmpty() && callbacks("cb").last().value("callstatus") == "error");
        const QJsonObject last = callbacks("cb").last();
        QCOMPARE(last.value("result").toObject().value("status").toString(), QStringLiteral("failed"));
        QCOMPARE(last.value("result").toObject().value("httpStatus").toInt(), 404);
        QVERIFY(!last.value("errormsg").toString().isEmpty());
        QVERIFY(!QFile::exists(target));
    }

    void downloadForAPageThatIsGone()
    {
        KTestHttpServer server;
        QVERIFY(server.start());
        server.setAnswer("/slow", KTestHttpAnswer(200, "late").setDelay(200));
        const QString target = m_runtime->path() + "/slow.bin";
        call("download", {{"url", server.url("/slow")}, {"path", target}, {"callback", "cb"}});
        QVERIFY(server.waitForRequests(1));

        delete m_api;
        QTest::qWait(400);
        QVERIFY(page()->deliveries().isEmpty());
        QVERIFY(!QFile::exists(target));
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestPageHost> m_host;
    KTestCommonJsApi* m_api = nullptr;
};

KZEMBA_TEST_MAIN(TstPageUtilPlatform)
#include "tst_pageutilplatform.moc"
