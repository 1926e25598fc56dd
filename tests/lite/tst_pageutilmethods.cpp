// The page's small services on the store's JS API object: remembered flags, plug-in
// settings, shared properties, the desktop folder, local paths, the MD5 file check and
// the requests passed on to the hover handler, the host widget and the util handler.
#include "ktestapplication.h"
#include "ktestpagehost.h"
#include "ktestplugincontrol.h"
#include "ktestruntime.h"
#include "ktesturlcatcher.h"

#include "open/kzembajsapilite.h"

#include <krt/kdirs.h>
#include <krt/kpluginssettings.h>
#include <krt/krt.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStorageInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

namespace QTest {
template <>
inline char* toString(const QJsonValue& value)
{
    return qstrdup(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).constData());
}
} // namespace QTest

#include <memory>
#include <unistd.h>

// The host page's hover preview handler: it answers each method with its own key.
class KTestHoverHandler : public KxWebViewJSApiHandler
{
    Q_OBJECT
public:
    using KxWebViewJSApiHandler::KxWebViewJSApiHandler;

public slots:
    void showHoverPreview(KxWebViewJSContext& context) { context.result()["shown"] = true; }
    void hideHoverPreview(KxWebViewJSContext& context) { context.result()["hidden"] = true; }
    void getHoverPreviewStatus(KxWebViewJSContext& context) { context.result()["status"] = "visible"; }
};

// A host widget with the drop menu methods the page reaches by name.
class KDropMenuHost : public QWidget
{
    Q_OBJECT
public:
    QList<bool> heights;

    Q_INVOKABLE void setDropMenuHeight(bool normal) { heights.append(normal); }
    Q_INVOKABLE void getDropMenuInfo(QVariantMap& info) { info.insert("height", 320); }
};


class TstPageUtilMethods : public QObject
{
    Q_OBJECT

private:
    KxHeadlessPage* page() const { return m_host->page(); }
    KTestPluginControl* control() const { return KTestPluginControl::instance(); }

    QJsonValue call(const QString& method, const QJsonObject& args = QJsonObject())
    {
        return page()->call(method, args);
    }

    void makeApi(QWidget* host = nullptr)
    {
        m_api = new KZembaJsApiLite(m_host->container(), host ? host : m_host->hostWidget());
        m_host->container()->setJsApiObject(m_api);
        m_api->initHandlers();
        m_api->init();
    }

    QString writeFile(const QString& name, const QByteArray& content)
    {
        const QString path = m_runtime->path() + "/" + name;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return QString();
        return path;
    }

    static QString md5Of(const QByteArray& content)
    {
        return QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex());
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        control()->reset();
        m_host = std::make_unique<KTestPageHost>();
        makeApi();
    }

    void cleanup()
    {
        m_host.reset();
        m_runtime.reset();
    }

    // Runs first: the core-lite plug-in's entry stays cached for the process once found.
    void sharedPropertiesNeedTheTheme()
    {
        QCOMPARE(call("setCommonProperty", {{"key", "k"}, {"value", 1}}), QJsonValue());
        QCOMPARE(call("getCommonProperty", {{"key", "k"}}), QJsonValue());
    }

    void sharedPropertiesLiveOnTheTheme()
    {
        m_runtime->installPlugin("kzembacorelite");
        QCOMPARE(call("setCommonProperty", {{"key", "docMode"}, {"value", QJsonObject{{"a", 1}}}}), QJsonValue());
        // Another page sees what this one set.
        KTestPageHost other;
        other.installApi<KZembaJsApiLite>();
        QCOMPARE(other.page()->call("getCommonProperty", {{"key", "docMode"}}), QJsonValue(QJsonObject{{"a", 1}}));
        QCOMPARE(call("getCommonProperty", {{"key", "unknown"}}), QJsonValue());
        QCOMPARE(call("getCommonProperty"), QJsonValue());
    }

    void previewIdFlag_data()
    {
        QTest::addColumn<QJsonValue>("visible"); // undefined: the call has no arguments
        QTest::addColumn<QString>("handEdited"); // written into the file after the call
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("readBack");
        QTest::newRow("shown") << QJsonValue(true) << QString() << "1" << true;
        QTest::newRow("hidden") << QJsonValue(false) << QString() << "0" << false;
        QTest::newRow("no arguments store 0") << QJsonValue(QJsonValue::Undefined) << QString() << "0" << false;
        QTest::newRow("hand-edited true reads false") << QJsonValue(true) << "true" << "true" << false;
    }

    void previewIdFlag()
    {
        QFETCH(QJsonValue, visible);
        QFETCH(QString, handEdited);
        QFETCH(QString, stored);
        QFETCH(bool, readBack);
        const QJsonObject args = visible.isUndefined() ? QJsonObject() : QJsonObject{{"visible", visible}};
        QCOMPARE(call("setPreviewIdVisible", args), QJsonValue(QJsonObject{{"status", "ok"}}));

        const QString file = krt::dirs::officeData() + "/zemba/common.ini";
        if (!handEdited.isEmpty())
            QSettings(file, QSettings::IniFormat).setValue("previewIdVisible", handEdited);
        QCOMPARE(QSettings(file, QSettings::IniFormat).value("previewIdVisible").toString(), stored);
        QCOMPARE(call("getPreviewIdVisible"), QJsonValue(QJsonObject{{"visible", readBack}}));
        QCOMPARE(call("isSupportPreviewIdChange"), QJsonValue(QJsonObject{{"res", true}}));
    }

    void pluginValuesAreLowerCased_data()
    {
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QJsonObject>("answer");
        QTest::newRow("plug-in in capitals reads the lower-case group")
            << QJsonObject{{"plugin", "KAppMgr"}, {"key", "Mode"}}
            << QJsonObject{{"callstatus", "ok"}, {"value", "popup"}};
        QTest::newRow("key keeps its case") << QJsonObject{{"plugin", "kappmgr"}, {"key", "mode"}}
                                            << QJsonObject{{"callstatus", "ok"}, {"value", ""}};
        QTest::newRow("no key") << QJsonObject{{"plugin", "kappmgr"}} << QJsonObject{{"callstatus", "error"}};
        QTest::newRow("no plug-in") << QJsonObject{{"key", "Mode"}} << QJsonObject{{"callstatus", "error"}};
    }

    void pluginValuesAreLowerCased()
    {
        QFETCH(QJsonObject, args);
        QFETCH(QJsonObject, answer);
        QCOMPARE(call("setPluginRegeditValue", {{"plugin", "KAPPMGR"}, {"key", "Mode"}, {"value", "PopUp"}}),
                 QJsonValue(QJsonObject{{"callstatus", "ok"}}));
        QCOMPARE(krt::KPluginsSettings().value("kappmgr/Mode").toString(), QStringLiteral("popup"));
        QCOMPARE(call("getPluginRegeditValue", args), QJsonValue(answer));
    }

    void settingAPluginValueNeedsPluginAndKey()
    {
        QCOMPARE(call("setPluginRegeditValue", {{"plugin", "kappmgr"}, {"value", "x"}}),
                 QJsonValue(QJsonObject{{"callstatus", "error"}}));
        QVERIFY(krt::KPluginsSettings().childGroups().isEmpty());
    }

    void fileExistWithMD5_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("md5Case");
        QTest::addColumn<bool>("exist");
        QTest::newRow("small file, its digest") << "small" << "lower" << true;
        QTest::newRow("upper-case digest") << "small" << "upper" << true;
        QTest::newRow("another digest") << "small" << "other" << false;
        QTest::newRow("5 MiB, its digest") << "5MiB" << "lower" << true;
        QTest::newRow("6 MiB, its digest") << "6MiB" << "lower" << false;
        QTest::newRow("missing file") << "missing" << "lower" << false;
        // A folder exists but cannot be read as a file; its digest is not the one of no data.
        QTest::newRow("unreadable: a folder") << "folder" << "lower" << false;
        QTest::newRow("unreadable: no permission") << "noaccess" << "lower" << false;
    }

    void fileExistWithMD5()
    {
        QFETCH(QString, kind);
        QFETCH(QString, md5Case);
        QFETCH(bool, exist);
        QByteArray content = "store resource";
        if (kind == "5MiB")
            content = QByteArray(5 * 1024 * 1024, 'x');
        else if (kind == "6MiB")
            content = QByteArray(6 * 1024 * 1024, 'x');
        else if (kind == "folder" || kind == "missing")
            content.clear();

        QString path = m_runtime->path() + "/resource.bin";
        if (kind == "folder")
            QVERIFY(QDir().mkpath(path));
        else if (kind != "missing")
            QCOMPARE(writeFile("resource.bin", content), path);
        if (kind == "noaccess") {
            if (geteuid() == 0)
                QSKIP("the superuser reads every file");
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        }

        QString md5 = md5Of(content);
        if (md5Case == "upper")
            md5 = md5.toUpper();
        else if (md5Case == "other")
            md5 = md5Of("another resource");
        QCOMPARE(call("fileExistWithMD5", {{"filePath", path}, {"md5", md5}}), QJsonValue(QJsonObject{{"exist", exist}}));
    }

    void fileExistWithMD5NeedsBoth_data()
    {
        QTest::addColumn<QJsonObject>("args");
        QTest::newRow("no md5") << QJsonObject{{"filePath", "/tmp/x"}};
        QTest::newRow("no path") << QJsonObject{{"md5", "d41d8cd98f00b204e9800998ecf8427e"}};
        QTest::newRow("empty md5") << QJsonObject{{"filePath", "/tmp/x"}, {"md5", ""}};
        QTest::newRow("nothing") << QJsonObject();
    }

    void fileExistWithMD5NeedsBoth()
    {
        QFETCH(QJsonObject, args);
        QCOMPARE(call("fileExistWithMD5", args),
                 QJsonValue(QJsonObject{{"callstatus", "error"}, {"errormsg", "input json invalid. no filePath or md5"}}));
    }

    void desktopPath()
    {
        const QString desktop = m_runtime->path() + "/Desktop";
        QVERIFY(QDir().mkpath(desktop));
        m_runtime->setValue("paths/desktop", desktop);
        const QJsonObject answer = call("getDesktopPath").toObject();
        QCOMPARE(answer.value("path").toString(), desktop);
        const double free = answer.value("free").toDouble();
        QVERIFY(free > 0);
        // Other processes write to the same volume meanwhile.
        QVERIFY(qAbs(free - QStorageInfo(desktop).bytesAvailable()) < 512 * 1024 * 1024);
    }

    void openLocalPath()
    {
        const KTestUrlCatcher opener({"file"});
        QCOMPARE(call("openLocalPath", {{"path", m_runtime->path() + "/a/../b"}}),
                 QJsonValue(QJsonObject{{"open", true}}));
        // Nothing to open: the working folder is not what an empty path means.
        QCOMPARE(call("openLocalPath", {{"path", ""}}), QJsonValue(QJsonObject{{"open", false}}));
        QCOMPARE(opener.urls, (QList<QUrl>{QUrl::fromLocalFile(m_runtime->path() + "/b")}));
    }

    void hoverPreviewIsPassedOn_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QJsonObject>("answer");
        QTest::newRow("show") << "showHoverPreview" << QJsonObject{{"shown", true}};
        QTest::newRow("hide") << "hideHoverPreview" << QJsonObject{{"hidden", true}};
        QTest::newRow("status") << "getHoverPreviewStatus" << QJsonObject{{"status", "visible"}};
    }

    void hoverPreviewIsPassedOn()
    {
        QFETCH(QString, method);
        QFETCH(QJsonObject, answer);
        QCOMPARE(call(method, {{"id", 1}}), QJsonValue());
        m_api->setHandler("common.hoverhandler.", new KTestHoverHandler(m_api, m_api));
        QCOMPARE(call(method, {{"id", 1}}), QJsonValue(answer));
    }

    void dropMenu()
    {
        KDropMenuHost dropHost;
        makeApi(&dropHost);
        QCOMPARE(call("setDropMenuHeight"),
                 QJsonValue(QJsonObject{{"callstatus", "error"}, {"errormsg", "contextArgs is empty"}}));
        QCOMPARE(call("setDropMenuHeight", {{"bNormal", false}}), QJsonValue());
        QCOMPARE(call("setDropMenuHeight", {{"other", 1}}), QJsonValue());
        QCOMPARE(dropHost.heights, (QList<bool>{false, true}));
        QCOMPARE(call("getDropMenuInfo"), QJsonValue(QJsonObject{{"height", 320}}));
    }

    void dropMenuWithoutHost()
    {
        auto* host = new KDropMenuHost;
        makeApi(host);
        delete host;
        QCOMPARE(call("setDropMenuHeight", {{"bNormal", false}}), QJsonValue());
        QCOMPARE(call("getDropMenuInfo"), QJsonValue(QJsonObject()));
    }

    void pluginPageGoesToTheUtilHandler()
    {
        // Without the base plug-in the util handler cannot prepare the plug-in, and says so.
        QCOMPARE(call("openVantaPluginPage", {{"pluginName", "p1"}, {"pageType", "plugin"}}), QJsonValue());
        QCOMPARE(page()->deliveriesTo("pluginloadFailed").size(), 1);

        delete m_api->findHandler("zemba.util");
        QCOMPARE(call("openVantaPluginPage", {{"pluginName", "p1"}, {"pageType", "plugin"}}), QJsonValue());
        QCOMPARE(page()->deliveriesTo("pluginloadFailed").size(), 1);
    }

    void localStorageBatchMethodsDoNothing()
    {
        QCOMPARE(call("localStorageBatchGet", {{"keys", QJsonArray{"a"}}}), QJsonValue());
        QCOMPARE(call("localStorageBatchDelete", {{"keys", QJsonArray{"a"}}}), QJsonValue());
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestPageHost> m_host;
    KZembaJsApiLite* m_api = nullptr;
};

KZEMBA_TEST_MAIN(TstPageUtilMethods)
#include "tst_pageutilmethods.moc"
