// The store's "zemba.util" name space: opening a shell plug-in page, desktop
// shortcuts against real desktop entries, and a plug-in's feature list that
// arrives once the base plug-in's network service has prepared the plug-in.
#include "ktestapplication.h"
#include "ktestcommonjsapi.h"
#include "ktestnetwork.h"
#include "ktestpagehost.h"
#include "ktestplugincontrol.h"
#include "ktestruntime.h"

#include "util/kzembajsutilhandler.h"

#include <krt/kdirs.h>
#include <vdllite/kxdesktopshortcuttips.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QtTest>

#include <memory>

// The concrete handler a JS API object would register: it keeps what it was asked to open.
class KTestJsUtilHandler : public KZembaJsUtilHandler
{
    Q_OBJECT
public:
    using KZembaJsUtilHandler::KZembaJsUtilHandler;

    struct Opened
    {
        QString pluginName;
        QString pageType;
        QString query;
        bool moveToNext;
    };
    QList<Opened> opened;

protected:
    void doOpenVantaPluginPage(const QString& pluginName, const QString& pageType, const QString& query,
                               bool moveToNext) override
    {
        opened.append({pluginName, pageType, query, moveToNext});
    }
};

// A handler of the same name space that is not the store's.
class KOtherHandler : public KxWebViewJSApiHandler
{
    Q_OBJECT
public:
    using KxWebViewJSApiHandler::KxWebViewJSApiHandler;
};

namespace {

const char kShortcut[] = "[Desktop Entry]\n"
                         "Type=Application\n"
                         "Name=Store app\n"
                         "Name[de]=Store-App\n"
                         "Exec=/opt/suite/bin/storeapp --app \"photo editor\" %U\n"
                         "Icon=/opt/suite/icons/storeapp.png\n";

QWidget* shownTips()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == vdllite::createDesktopShortCutTipsName() && widget->isVisible())
            return widget;
    }
    return nullptr;
}

} // namespace

class TstJsUtilHandler : public QObject
{
    Q_OBJECT

private:
    KxHeadlessPage* page() const { return m_host->page(); }
    KTestPluginControl* control() const { return KTestPluginControl::instance(); }

    QJsonValue call(const QString& method, const QJsonObject& args)
    {
        return page()->call(QStringLiteral("zemba.util.") + method, args);
    }

    void writeShortcut(const QString& name, const QByteArray& content = kShortcut)
    {
        QFile file(krt::dirs::desktop() + "/" + name + ".desktop");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    // Plug-in "p1", known to the plug-in manager and installed with `description`.
    void installPlugin(const QByteArray& description)
    {
        const QString folder = m_runtime->path() + "/plugins/p1";
        QVERIFY(QDir().mkpath(folder));
        QFile file(folder + "/plugin.json");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(description);
        m_runtime->setValue("pluginPaths/p1", folder);
        m_runtime->setValue("pluginManager/plugins", QStringList{"p1"});
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        control()->reset();
        control()->netWork()->clearPreparations();
        QVERIFY(QDir().mkpath(krt::dirs::desktop()));
        m_host = std::make_unique<KTestPageHost>();
        m_api = m_host->installApi<KTestCommonJsApi>();
        m_handler = new KTestJsUtilHandler(m_api, m_api);
        m_api->setHandler("zemba.util", m_handler);
    }

    void cleanup()
    {
        if (QWidget* tips = shownTips())
            tips->close();
        m_host.reset();
        m_runtime.reset();
    }

    void theApiFindsItsUtilHandler()
    {
        QCOMPARE(m_api->zembaUtilHandler(), static_cast<KZembaJsUtilHandler*>(m_handler));
        m_api->setHandler("zemba.util", new KOtherHandler(m_api, m_api));
        QVERIFY(!m_api->zembaUtilHandler());
        m_api->setHandler("zemba.util", nullptr);
        QVERIFY(!m_api->zembaUtilHandler());
    }

    void openVantaPluginPage_data()
    {
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("moveToNext");
        QTest::newRow("key order, final & dropped")
            << QJsonObject{{"x", "1"}, {"pluginName", "p"}, {"pageType", "t"}} << "pageType=t&pluginName=p&x=1" << false;
        QTest::newRow("move to next is part of the query")
            << QJsonObject{{"pluginName", "p"}, {"pageType", "t"}, {"pageMoveToNext", true}}
            << "pageMoveToNext=true&pageType=t&pluginName=p" << true;
        QTest::newRow("nothing escaped") << QJsonObject{{"pluginName", "p"}, {"pageType", "t"}, {"q", "a&b=c d"}}
                                         << "pageType=t&pluginName=p&q=a&b=c d" << false;
    }

    void openVantaPluginPage()
    {
        QFETCH(QJsonObject, args);
        QFETCH(QString, query);
        QFETCH(bool, moveToNext);
        call("openVantaPluginPage", args);
        QCOMPARE(m_handler->opened.size(), 1);
        QCOMPARE(m_handler->opened.first().pluginName, QStringLiteral("p"));
        QCOMPARE(m_handler->opened.first().pageType, QStringLiteral("t"));
        QCOMPARE(m_handler->opened.first().query, query);
        QCOMPARE(m_handler->opened.first().moveToNext, moveToNext);
    }

    void openVantaPluginPageErrors_data()
    {
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("no plug-in name") << QJsonObject{{"pageType", "t"}} << "plugin name can not be empty.";
        QTest::newRow("neither") << QJsonObject{{"x", "1"}} << "plugin name can not be empty.";
        QTest::newRow("no page type") << QJsonObject{{"pluginName", "p"}, {"pageType", ""}} << "page type can not be empty.";
    }

    void openVantaPluginPageErrors()
    {
        QFETCH(QJsonObject, args);
        QFETCH(QString, message);
        // The error is inside "result", not at the top of the answer.
        QCOMPARE(call("openVantaPluginPage", args).toObject(),
                 (QJsonObject{{"result", QJsonObject{{"callstatus", "error"}, {"errormsg", message}}}}));
        QVERIFY(m_handler->opened.isEmpty());
    }

    void creatDesktopShortCutErrors_data()
    {
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QString>("message");
        const QJsonObject all{{"callback", "cb"}, {"icon", "i.png"}, {"argument", "--app x"}, {"shortCutName", "s"}};
        QTest::newRow("nothing") << QJsonObject{{"description", "d"}} << "callback empty";
        QJsonObject args = all;
        args.remove("callback");
        QTest::newRow("callback") << args << "callback empty";
        args = all;
        args.remove("icon");
        args.remove("argument");
        QTest::newRow("icon before argument") << args << "icon empty";
        args = all;
        args.insert("argument", "");
        args.remove("shortCutName");
        QTest::newRow("argument before name") << args << "argument empty";
        args = all;
        args.remove("shortCutName");
        QTest::newRow("name") << args << "shortCutName empty";
    }

    void creatDesktopShortCutErrors()
    {
        QFETCH(QJsonObject, args);
        QFETCH(QString, message);
        QCOMPARE(call("creatDesktopShortCut", args).toObject(),
                 (QJsonObject{{"callstatus", "error"}, {"errormsg", message}}));
        QVERIFY(!shownTips());
        QVERIFY(page()->deliveries().isEmpty());
    }

    void creatDesktopShortCutShowsTheHintAndNeverCallsBack()
    {
        const QJsonObject args{{"callback", "cb"}, {"icon", "i.png"}, {"argument", "--app x"}, {"shortCutName", "s"},
                               {"description", "d"}, {"saveIconName", "n"}, {"saveIconPath", "/tmp"}};
        const QJsonValue answer = call("creatDesktopShortCut", args);
        QVERIFY(answer.isNull() || answer.toObject().isEmpty());
        QWidget* tips = shownTips();
        QVERIFY(tips);
        QVERIFY(!tips->isModal());
        // A second request shows the same notice again.
        call("creatDesktopShortCut", args);
        QCOMPARE(shownTips(), tips);
        QTest::qWait(50);
        QVERIFY(page()->deliveries().isEmpty());
        QVERIFY(QDir(krt::dirs::desktop()).entryList(QDir::Files).isEmpty());
    }

    void resolveDesktopShortCut_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QJsonObject>("targetInfo");

        const QJsonObject info{{"target", "/opt/suite/bin/storeapp"},
                               {"targetArgument", "--app photo editor"},
                               {"iconPath", "/opt/suite/icons/storeapp.png"},
                               {"iconIndex", 0}};
        const QJsonObject none{{"target", ""}, {"targetArgument", ""}, {"iconPath", ""}, {"iconIndex", 0}};
        QTest::newRow("matching argument") << "Store app" << "--app photo editor" << true << "" << info;
        QTest::newRow("differing argument") << "Store app" << "--app other" << false << "" << info;
        QTest::newRow("missing shortcut") << "Gone" << "--app photo editor" << false << "shortcut not found" << none;
        QTest::newRow("name leaving the desktop") << "../Store app" << "x" << false << "invalid shortcut name" << none;
    }

    void resolveDesktopShortCut()
    {
        QFETCH(QString, name);
        QFETCH(QString, argument);
        QFETCH(bool, success);
        QFETCH(QString, error);
        QFETCH(QJsonObject, targetInfo);
        writeShortcut("Store app");

        const QJsonObject answer = call("resolveDesktopShortCut", {{"shortCutName", name}, {"argument", argument}}).toObject();
        QCOMPARE(answer.value("callstatus").toString(), QStringLiteral("ok"));
        QCOMPARE(answer.value("success").toBool(), success);
        QCOMPARE(answer.value("errormsg"), QJsonValue(error));
        QCOMPARE(QJsonDocument::fromJson(answer.value("targetInfo").toString().toUtf8()).object(), targetInfo);
    }

    void resolveDesktopShortCutErrors()
    {
        const QJsonObject nameMissing{{"callstatus", "error"}, {"errormsg", "shortCutName empty"}};
        QCOMPARE(call("resolveDesktopShortCut", {{"argument", "x"}}).toObject(), nameMissing);
        QCOMPARE(call("resolveDesktopShortCut", {{"shortCutName", "s"}}).toObject(),
                 (QJsonObject{{"callstatus", "error"}, {"errormsg", "argument empty"}}));
        QCOMPARE(call("deleteDesktopShortCut", {{"shortCutName", ""}}).toObject(), nameMissing);
    }

    void deleteDesktopShortCut()
    {
        writeShortcut("Store app");
        const QString file = krt::dirs::desktop() + "/Store app.desktop";
        // Another user file beside the desktop folder must survive a name that points at it.
        QFile outside(m_runtime->path() + "/keep.desktop");
        QVERIFY(outside.open(QIODevice::WriteOnly));
        outside.close();

        QCOMPARE(call("deleteDesktopShortCut", {{"shortCutName", "Store app"}}).toObject(),
                 (QJsonObject{{"callstatus", "ok"}, {"success", true}}));
        QVERIFY(!QFile::exists(file));
        const QJsonObject failed{{"callstatus", "ok"}, {"success", false}, {"errormsg", "error, remove failed"}};
        QCOMPARE(call("deleteDesktopShortCut", {{"shortCutName", "Store app"}}).toObject(), failed);
        QCOMPARE(call("deleteDesktopShortCut", {{"shortCutName", "../keep"}}).toObject(), failed);
        QVERIFY(QFile::exists(outside.fileName()));
    }

    void featureListOfAnUnknownPluginAnswersAtOnce()
    {
        m_runtime->installPlugin("kzembabase");
        QCOMPARE(call("getPluginFeatureList", {{"pluginName", "nope"}}).toObject(),
                 (QJsonObject{{"callstatus", "ok"}, {"featureList", ""}}));
        QVERIFY(control()->callsTo("network.preparePlugin").isEmpty());
    }

    void featureListWithoutNetworkService()
    {
        installPlugin(R"({"featureList": ["a"]})");
        m_runtime->installPlugin("kzembabase");
        control()->setOption("network/present", false);
        QCOMPARE(call("getPluginFeatureList", {{"pluginName", "p1"}}).toObject(),
                 (QJsonObject{{"callstatus", "error"}, {"message", "getZembaNetWork failed"}}));
    }

    void featureListArrivesLater_data()
    {
        QTest::addColumn<QByteArray>("description");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<QString>("featureList");
        QTest::newRow("ready, list of features") << QByteArray(R"({"featureList": ["ocr", "pdf"]})") << true
                                                 << R"(["ocr","pdf"])";
        QTest::newRow("ready, text") << QByteArray(R"({"featureList": "ocr;pdf"})") << true << "ocr;pdf";
        QTest::newRow("not ready") << QByteArray(R"({"featureList": "ocr"})") << false << "";
        QTest::newRow("ready, no description") << QByteArray("not json") << true << "";
    }

    void featureListArrivesLater()
    {
        QFETCH(QByteArray, description);
        QFETCH(bool, ready);
        QFETCH(QString, featureList);
        installPlugin(description);
        m_runtime->installPlugin("kzembabase");

        const QJsonValue answer = call("getPluginFeatureList", {{"pluginName", "p1"}});
        QVERIFY(answer.isNull() || answer.toObject().isEmpty());
        QCOMPARE(control()->netWork()->pendingPreparations(), QStringList{"p1"});
        const qint64 callId = page()->lastCallId();
        QVERIFY(page()->deliveries().isEmpty());

        QVERIFY(control()->netWork()->completePreparation("p1", ready));
        QCOMPARE(page()->deliveries().size(), 1);
        const KxPageDelivery delivery = page()->deliveries().first();
        QCOMPARE(delivery.kind, KxPageDelivery::Result);
        QCOMPARE(delivery.contextId, callId);
        QCOMPARE(delivery.json().toObject(), (QJsonObject{{"callstatus", "ok"}, {"featureList", featureList}}));
    }

    void featureListForAPageThatIsGone()
    {
        installPlugin(R"({"featureList": "ocr"})");
        m_runtime->installPlugin("kzembabase");
        call("getPluginFeatureList", {{"pluginName", "p1"}});
        QCOMPARE(control()->netWork()->pendingPreparations(), QStringList{"p1"});

        // The page's JS API object goes (its handler with it) before the service finishes:
        // nothing is answered and nothing breaks.
        delete m_api;
        m_api = nullptr;
        QVERIFY(control()->netWork()->completePreparation("p1", true));
        QCoreApplication::processEvents();
        QVERIFY(page()->deliveries().isEmpty());
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestPageHost> m_host;
    KTestCommonJsApi* m_api = nullptr;
    KTestJsUtilHandler* m_handler = nullptr;
};

KZEMBA_TEST_MAIN(TstJsUtilHandler)
#include "tst_jsutilhandler.moc"
