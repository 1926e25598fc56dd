// The JS API object the suite creates for store pages, hosted in a page of the shell's
// main window: its handler set, fonts, skin colours, store pages and the resource shop,
// messages to the document components, the payment dialog, and opening a shell plug-in
// page with the load state pushed to the page.
#include "ktestapplication.h"
#include "ktestcorelite.h"
#include "ktestnetwork.h"
#include "ktestplugincontrol.h"
#include "ktestruntime.h"

#include "open/kxzembaresourcelitehandler.h"
#include "open/kzembajsapilite.h"
#include "open/kzembajsliteutilhandler.h"
#include "util/kzembacommonutilhandler.h"

#include <krt/krt.h>
#include <vanta/kvantaapplication.h>
#include <vanta/kvantaapprunner.h>
#include <vanta/kvantacentralarea.h>
#include <vanta/kvantamainwindow.h>
#include <vanta/kvantapluginwidget.h>
#include <vanta/kvantaqoxpage.h>
#include <vanta/kvantasubpage.h>
#include <vanta/kvantasubpages.h>
#include <vanta/kvantatab.h>
#include <vanta/kvantatabbar.h>
#include <vdllite/kxheadlesspage.h>
#include <vdllite/kxjsapiskinhandler.h>
#include <vdllite/kxwebviewcontainer.h>

#include <QDir>
#include <QFile>
#include <QFontDatabase>
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

using TextMap = QMap<QString, QString>;

class TstJsApiLite : public QObject
{
    Q_OBJECT

private:
    KTestPluginControl* control() const { return KTestPluginControl::instance(); }
    KxHeadlessPage* page() const { return qobject_cast<KxHeadlessPage*>(m_container->page()); }

    QJsonValue call(const QString& method, const QJsonObject& args = QJsonObject())
    {
        return page()->call(method, args);
    }

    void makeShopAvailable()
    {
        m_runtime->setValue("pluginManager/plugins", QStringList{"kzembaresource"});
        m_runtime->setValue("appMgr/apps", QStringList{"zembaresourceshop"});
    }

    QList<KVantaAppRun> runs() const
    {
        QCoreApplication::processEvents();
        return qobject_cast<KVantaAppRunner*>(m_shell->vantaAppRunner())->runs();
    }

    // The pushes about plug-in loading that reached the page, in order, as (function, data).
    QList<QPair<QString, QJsonObject>> pluginLoadPushes() const
    {
        QList<QPair<QString, QJsonObject>> pushes;
        for (const KxPageDelivery& delivery : page()->deliveries()) {
            if (delivery.function.startsWith("pluginload"))
                pushes.append({delivery.function, delivery.json().toObject()});
        }
        return pushes;
    }

    QList<QJsonObject> eventsNamed(const QString& name) const
    {
        QList<QJsonObject> events;
        for (const QJsonObject& event : m_runtime->dcEvents()) {
            if (event.value("name").toString() == name)
                events.append(event);
        }
        return events;
    }

    static QJsonObject payArgs(const QString& url, bool report)
    {
        return {{"url", url},
                {"bReport", report},
                {"reportInfo", QJsonObject{{"vip_type", "40"}, {"resid", "r1"}, {"res_type", "font"}, {"respid", "rp"},
                                           {"reason", "trial"}, {"win_type", "dialog"}, {"ignored", "x"}}},
                {"extra", 1}};
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        control()->reset();
        control()->netWork()->clearPreparations();
        m_shell = std::make_unique<KVantaApplication>();
        m_window = m_shell->createMainWindow();
        m_storePage = m_window->centralArea()->addPage(KVantaPluginWidget::PluginWidget, "store", QVariantMap());
        auto* host = new QWidget(m_storePage);
        m_container = new KxWebViewContainer(host);
        m_api = new KZembaJsApiLite(m_container, host);
        m_container->setJsApiObject(m_api);
        m_api->initHandlers();
        m_api->init();
    }

    void cleanup()
    {
        m_shell.reset();
        m_runtime.reset();
    }

    // Runs first: the core-lite plug-in's entry stays cached for the process once found.
    void payDialogWithoutCoreLite()
    {
        QCOMPARE(call("openZembaUnifyPayDlg", payArgs("https://pay.example/p?csource=docer", true)), QJsonValue());
        QVERIFY(m_runtime->hasLog("WARNING", "openZembaUnifyPayDlg", "zembacorelite is nullptr"));
        // The report does not need the plug-in; the user id does.
        const QList<QJsonObject> events = eventsNamed("zemba_pay_win_show");
        QCOMPARE(events.size(), 1);
        QCOMPARE(events.first().value("params").toObject().value("userid").toString(), QString());
    }

    void handlerSet()
    {
        QVERIFY(qobject_cast<KxZembaResourceLiteHandler*>(m_api->findHandler("common.zembaresource")));
        QVERIFY(qobject_cast<KZembaJsLiteUtilHandler*>(m_api->findHandler("zemba.util")));
        QVERIFY(qobject_cast<KZembaCommonUtilHandler*>(m_api->findHandler("common.util")));
        QVERIFY(qobject_cast<KxJSApiSkinHandler*>(m_api->findHandler("common.skin")));
        QCOMPARE(m_api->zembaUtilHandler(), m_api->findHandler("zemba.util"));
        QCOMPARE(m_api->widgetParent(), static_cast<QWidget*>(m_window));
        QCOMPARE(call("getMatchParams", {{"a", 1}}),
                 QJsonValue(QJsonObject{{"callstatus", "error"}, {"errormsg", "not support."}}));
    }

    void checkFontsExist_data()
    {
        QTest::addColumn<QString>("name");  // "@installed" stands for an installed family
        QTest::addColumn<QString>("letterCase");
        QTest::addColumn<bool>("storeFile"); // a "<name>.ttf" in "<office home>/zembaFonts"
        QTest::addColumn<bool>("exists");
        QTest::newRow("installed family") << "@installed" << "same" << false << true;
        QTest::newRow("installed family, other case, no file") << "@installed" << "other" << false << false;
        QTest::newRow("installed family, other case, store file") << "@installed" << "other" << true << true;
        QTest::newRow("store font file") << "Zemba Song" << "same" << true << true;
        QTest::newRow("neither") << "Zemba Song" << "same" << false << false;
        QTest::newRow("no way out of the font folder") << "../Zemba Song" << "same" << true << false;
    }

    void checkFontsExist()
    {
        QFETCH(QString, name);
        QFETCH(QString, letterCase);
        QFETCH(bool, storeFile);
        QFETCH(bool, exists);
        if (name == "@installed") {
            const QStringList families = QFontDatabase().families();
            if (families.isEmpty())
                QSKIP("no font installed on this machine");
            name = families.first();
        }
        if (letterCase == "other") {
            name = name.toUpper() == name ? name.toLower() : name.toUpper();
            QVERIFY(!QFontDatabase().families().contains(name));
        }
        if (storeFile) {
            const QString folder = krt::dirs::officeHome() + "/zembaFonts";
            QVERIFY(QDir().mkpath(folder));
            QFile file(folder + "/" + QFileInfo(name).fileName() + ".ttf");
            QVERIFY(file.open(QIODevice::WriteOnly));
            // The escaping name's target exists too, so only the refusal keeps it out.
            QFile outside(krt::dirs::officeHome() + "/Zemba Song.ttf");
            QVERIFY(outside.open(QIODevice::WriteOnly));
        }
        QCOMPARE(call("checkFontsExist", {{"fontNames", QJsonArray{name}}}), QJsonValue(QJsonObject{{name, exists}}));
    }

    void checkFontsExistArguments()
    {
        QCOMPARE(call("checkFontsExist", {{"fontNames", QJsonArray()}}), QJsonValue(QJsonObject()));
        QCOMPARE(call("checkFontsExist", {{"fonts", QJsonArray{"a"}}}),
                 QJsonValue(QJsonObject{{"callstatus", "error"}, {"errormsg", "input json invalid. no fontNames."}}));
    }

    void skinColoursAndHints()
    {
        m_runtime->setValue("ui/skinName", "dark");
        m_runtime->setValue("theme/CommonPalette/text-01", "#80102030");
        const QJsonObject colours{{"group", "CommonPalette"}, {"keys", QJsonArray{"dlg-background-01", "text-01", "none"}}};
        const QJsonValue colourAnswer(QJsonObject{
            {"callstatus", "ok"},
            {"result", QJsonObject{{"dlg-background-01", "#2b2d33"}, {"text-01", "#80102030"}, {"none", ""}}}});
        QCOMPARE(call("getSkinColorConfig", colours), colourAnswer);
        QCOMPARE(call("getSkinHintConfig", colours), colourAnswer);

        // Hints too go through the colour lookup: a hint is no colour. The skin handler's
        // own hint method reads it.
        const QJsonObject hint{{"group", "ZembaBaseConfig"}, {"keys", QJsonArray{"is-dark-skin"}}};
        QCOMPARE(call("getSkinHintConfig", hint),
                 QJsonValue(QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"is-dark-skin", ""}}}}));
        QCOMPARE(call("common.skin.getSkinHintConfig", hint),
                 QJsonValue(QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"is-dark-skin", 1}}}}));
        QCOMPARE(call("getSkinColorConfig", {{"keys", QJsonArray{"a"}}}),
                 QJsonValue(QJsonObject{{"callstatus", "error"}, {"errormsg", "input json invalid. no group or keys."}}));

        delete m_api->findHandler("common.skin");
        QCOMPARE(call("getSkinColorConfig", colours), QJsonValue());
        QCOMPARE(call("getSkinHintConfig", colours), QJsonValue());
    }

    void resourceShopInfo()
    {
        const QJsonObject unavailable{{"result", false}, {"shop", false}, {"taskpane", false}};
        QCOMPARE(call("getZembaResourceShopInfo"), QJsonValue(unavailable));
        makeShopAvailable();
        const QJsonObject available{{"result", true}, {"shop", true}, {"taskpane", false}};
        QCOMPARE(call("getZembaResourceShopInfo"), QJsonValue(available));
    }

    void openZembaResourceShop_data()
    {
        QTest::addColumn<bool>("available");
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QJsonObject>("answer");
        QTest::addColumn<bool>("forcePopup");
        const QJsonObject ok{{"result", true}, {"message", ""}};
        QTest::newRow("taskpane before availability")
            << false << QJsonObject{{"type", "taskpane"}, {"entry", "e"}}
            << QJsonObject{{"result", false}, {"message", "taskpane cannot use"}} << false;
        QTest::newRow("taskpane when available") << true << QJsonObject{{"type", "taskpane"}, {"entry", "e"}}
                                                 << QJsonObject{{"result", false}, {"message", "taskpane cannot use"}}
                                                 << false;
        QTest::newRow("not available") << false << QJsonObject{{"entry", "e"}}
                                       << QJsonObject{{"result", false}, {"message", "plugin cannot use"}} << false;
        QTest::newRow("no entry") << true << QJsonObject{{"type", "shop"}}
                                  << QJsonObject{{"result", false}, {"message", "entry cannot be empty"}} << false;
        QTest::newRow("force popup 1") << true << QJsonObject{{"entry", "e"}, {"forcePopupMode", "1"}} << ok << true;
        QTest::newRow("force popup true") << true << QJsonObject{{"entry", "e"}, {"forcePopupMode", "true"}} << ok
                                          << false;
        QTest::newRow("force popup number") << true << QJsonObject{{"entry", "e"}, {"forcePopupMode", 1}} << ok << true;
    }

    void openZembaResourceShop()
    {
        QFETCH(bool, available);
        QFETCH(QJsonObject, args);
        QFETCH(QJsonObject, answer);
        QFETCH(bool, forcePopup);
        if (available)
            makeShopAvailable();
        QCOMPARE(call("openZembaResourceShop", args), QJsonValue(answer));

        const QList<KVantaAppRun> started = runs();
        QCOMPARE(started.size(), answer.value("result").toBool() ? 1 : 0);
        if (started.isEmpty())
            return;
        QCOMPARE(started.first().appId, QStringLiteral("zembaresourceshop"));
        QCOMPARE(started.first().entry, QStringLiteral("e"));
        const QString params = started.first().params;
        QCOMPARE(params.contains("forcePopupMode"), forcePopup);
        QVERIFY2(params.contains("home"), qPrintable(params));
        QVERIFY2(params.contains(QCoreApplication::applicationName().toLower()), qPrintable(params));
    }

    void openZembaPage_data()
    {
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QJsonObject>("answer");
        QTest::addColumn<int>("runCount");
        QTest::newRow("no arguments") << QJsonObject() << QJsonObject{{"result", false}, {"message", "args empty"}} << 0;
        QTest::newRow("only popup mode") << QJsonObject{{"openmode", "popup"}}
                                         << QJsonObject{{"result", false}, {"message", "entry cannot be empty"}} << 0;
        QTest::newRow("no mode") << QJsonObject{{"entry", "e"}}
                                 << QJsonObject{{"result", false}, {"message", "open mode is empty"}} << 0;
        QTest::newRow("popup app") << QJsonObject{{"openmode", "popup"}, {"appId", "a1"}, {"entry", "e"}}
                                   << QJsonObject{{"result", true}, {"message", ""}} << 1;
    }

    void openZembaPage()
    {
        QFETCH(QJsonObject, args);
        QFETCH(QJsonObject, answer);
        QFETCH(int, runCount);
        QCOMPARE(call("openZembaPage", args), QJsonValue(answer));
        QCOMPARE(runs().size(), runCount);
    }

    void getZembaPageEnabled_data()
    {
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QJsonObject>("answer");
        QTest::newRow("no arguments") << QJsonObject() << QJsonObject{{"code", false}, {"result", "args empty"}};
        QTest::newRow("no app") << QJsonObject{{"pluginName", "p"}}
                                << QJsonObject{{"code", false}, {"result", R"({"openmode":"","ret":false})"}};
        QTest::newRow("plug-in not there") << QJsonObject{{"pluginName", "p"}, {"appId", "a1"}}
                                           << QJsonObject{{"code", false}, {"result", R"({"openmode":"popup","ret":false})"}};
    }

    void getZembaPageEnabled()
    {
        QFETCH(QJsonObject, args);
        QFETCH(QJsonObject, answer);
        const QJsonValue actual = call("getZembaPageEnabled", args);
        QCOMPARE(actual, QJsonValue(answer));
        QVERIFY(actual.toObject().value("code").isBool());
        QVERIFY(actual.toObject().value("result").isString());
    }

    void notifyComponentMsg_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("widgetType"); // -1: refused
        QTest::newRow("text document") << "textdocument" << int(KVantaPluginWidget::TextDocumentWidget);
        QTest::newRow("spreadsheet") << "spreadsheet" << int(KVantaPluginWidget::SpreadsheetWidget);
        QTest::newRow("presentation") << "presentation" << int(KVantaPluginWidget::PresentationWidget);
        QTest::newRow("shell name of a document type") << "text" << -1;
        QTest::newRow("other case") << "Spreadsheet" << -1;
        QTest::newRow("none") << "" << -1;
    }

    void notifyComponentMsg()
    {
        QFETCH(QString, target);
        QFETCH(int, widgetType);
        KVantaMainWindow* second = m_shell->createMainWindow();
        QList<KVantaQoxPage*> documents;
        for (KVantaMainWindow* window : {m_window, second}) {
            for (int type : KZembaJsApiLite::componentWidgetTypes())
                documents.append(qobject_cast<KVantaQoxPage*>(window->centralArea()->addPage(type, "doc", {})));
        }
        QVERIFY(!documents.contains(nullptr));

        const QJsonObject args{{"targetPage", target},
                               {"data", QJsonObject{{"s", "x"}, {"n", 2}, {"list", QJsonArray{1, 2}}, {"funcEntry", "page"}}}};
        QCOMPARE(call("notifyComponentMsg", args), QJsonValue(QJsonObject{{"result", widgetType >= 0}}));

        const TextMap expected{{"s", "x"}, {"n", "2"}, {"list", "[1,2]"}, {"funcEntry", "kzembajsapi"}};
        int reached = 0;
        for (KVantaQoxPage* document : documents) {
            if (document->widgetType() == widgetType) {
                QCOMPARE(document->appcenterMessages(), QList<TextMap>{expected});
                ++reached;
            } else {
                QVERIFY(document->appcenterMessages().isEmpty());
            }
        }
        QCOMPARE(reached, widgetType >= 0 ? 2 : 0);
    }

    void notifyComponentMsgWithoutDocuments()
    {
        QCOMPARE(call("notifyComponentMsg", {{"targetPage", "spreadsheet"}}), QJsonValue(QJsonObject{{"result", false}}));
        // A document page of the shell's other window kind alone is enough.
        m_window->centralArea()->addPage(KVantaPluginWidget::SpreadsheetWidget, "doc", {});
        QCOMPARE(call("notifyComponentMsg", {{"targetPage", "spreadsheet"}}), QJsonValue(QJsonObject{{"result", true}}));
    }

    void payDialog_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("report");
        QTest::addColumn<QJsonObject>("fromUrl"); // report fields taken from the URL's query
        QTest::newRow("csource and position")
            << "https://pay.example/p?csource=doc%20er&position=top&x=1" << true
            << QJsonObject{{"csource", "doc er"}, {"position", "top"}};
        QTest::newRow("position only") << "https://pay.example/p?position=" << true << QJsonObject{{"position", ""}};
        QTest::newRow("neither") << "https://pay.example/p" << true << QJsonObject();
        QTest::newRow("no report") << "https://pay.example/p?csource=c" << false << QJsonObject();
    }

    void payDialog()
    {
        QFETCH(QString, url);
        QFETCH(bool, report);
        QFETCH(QJsonObject, fromUrl);
        m_runtime->installPlugin("kzembacorelite");
        control()->setOption("account/userId", "u42");
        const QJsonObject args = payArgs(url, report);
        QCOMPARE(call("openZembaUnifyPayDlg", args), QJsonValue());

        const QList<QJsonObject> events = eventsNamed("zemba_pay_win_show");
        QCOMPARE(events.size(), report ? 1 : 0);
        if (report) {
            QJsonObject expected{{"mod_name", "zemba"},   {"vip_type", "40"}, {"resid", "r1"},
                                 {"res_type", "font"},    {"respid", "rp"},   {"reason", "trial"},
                                 {"win_type", "dialog"},  {"userid", "u42"},  {"side", "web"},
                                 {"component", QCoreApplication::applicationName().toLower()}};
            for (auto it = fromUrl.begin(); it != fromUrl.end(); ++it)
                expected.insert(it.key(), it.value());
            QCOMPARE(events.first().value("params").toObject(), expected);
        }

        const QList<KTestPluginCall> opened = control()->callsTo("corelite.openUnifyPayDlg");
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.first().args.at(0).toString(), url);
        QCOMPARE(opened.first().args.at(1).toString(), QStringLiteral("zemba"));
        QCOMPARE(opened.first().args.at(2).value<QObject*>(), static_cast<QObject*>(m_window));
        QCOMPARE(opened.first().args.at(3).value<QObject*>(), static_cast<QObject*>(m_api));
        QCOMPARE(opened.first().args.at(4).toMap(), args.toVariantMap());
    }

    void payDialogWithoutArguments()
    {
        m_runtime->installPlugin("kzembacorelite");
        QCOMPARE(call("openZembaUnifyPayDlg"), QJsonValue());
        QVERIFY(m_runtime->dcEvents().isEmpty());
        QVERIFY(control()->callsTo("corelite.openUnifyPayDlg").isEmpty());
        QVERIFY(!m_runtime->hasLog("WARNING", "openZembaUnifyPayDlg", "zembacorelite is nullptr"));
    }

    void pluginPageLoadState()
    {
        m_runtime->installPlugin("kzembabase");
        KVantaTabBar* tabBar = m_window->tabBar();
        KVantaPage* neighbour = m_window->centralArea()->addPage(KVantaPluginWidget::BrowserWidget, "other", {});
        const QJsonObject args{{"pluginName", "p1"}, {"pageType", "plugin"}, {"pageMoveToNext", true}};

        // A failed preparation opens nothing.
        QCOMPARE(call("zemba.util.openVantaPluginPage", args), QJsonValue());
        QCOMPARE(control()->netWork()->pendingPreparations(), QStringList{"p1"});
        control()->netWork()->reportPreparationProgress("p1", 0.259);
        QVERIFY(control()->netWork()->completePreparation("p1", false));
        QCOMPARE(m_window->centralArea()->pages().size(), 2);

        // A ready one opens the page right after the requesting tab, and the requesting page,
        // marked so, lets its tab go.
        m_storePage->setProperty("closeAfterOpen", true);
        QCOMPARE(call("zemba.util.openVantaPluginPage", args), QJsonValue());
        control()->netWork()->reportPreparationProgress("p1", 1.0);
        QVERIFY(control()->netWork()->completePreparation("p1", true));

        const QList<QPair<QString, QJsonObject>> expected{
            {"pluginloadProgress", {{"name", "p1"}, {"progress", 25}}},
            {"pluginloadFailed", {{"name", "p1"}}},
            {"pluginloadProgress", {{"name", "p1"}, {"progress", 100}}},
            {"pluginloadComplete", {{"name", "p1"}}},
        };
        QCOMPARE(pluginLoadPushes(), expected);

        KVantaPage* opened = m_window->centralArea()->currentPage();
        QVERIFY(opened && opened != m_storePage && opened != neighbour);
        QCOMPARE(opened->widgetType(), int(KVantaPluginWidget::PluginWidget));
        const QString query = "pageMoveToNext=true&pageType=plugin&pluginName=p1";
        QCOMPARE(opened->text(), "pageFrom=" + QString::fromLatin1(query.toUtf8().toHex()));
        QCOMPARE(opened->notifications().size(), 1);
        QCOMPARE(tabBar->indexOf(opened->subPages()->initialSubPage()->tab()), 1);
        KVantaTab* storeTab = m_storePage->subPages()->initialSubPage()->tab();
        QVERIFY(storeTab->allowReAttachSubwindow());
        QCOMPARE(storeTab->reAttachCount(), 1);
    }

    void pluginPageWithoutCloseMarkKeepsTheTab()
    {
        m_runtime->installPlugin("kzembabase");
        call("zemba.util.openVantaPluginPage", {{"pluginName", "p1"}, {"pageType", "plugin"}});
        QVERIFY(control()->netWork()->completePreparation("p1", true));
        QCOMPARE(pluginLoadPushes().size(), 1);
        KVantaTab* storeTab = m_storePage->subPages()->initialSubPage()->tab();
        QVERIFY(!storeTab->allowReAttachSubwindow());
        QCOMPARE(storeTab->reAttachCount(), 0);
    }

    void nothingIsPushedOnceTheHandlerIsGone()
    {
        m_runtime->installPlugin("kzembabase");
        KVantaMainWindow* current = m_shell->createMainWindow();
        m_shell->setCurrentMainWindow(current);
        m_storePage->setProperty("closeAfterOpen", true);
        call("zemba.util.openVantaPluginPage", {{"pluginName", "p1"}, {"pageType", "plugin"}});
        delete m_api->findHandler("zemba.util");

        control()->netWork()->reportPreparationProgress("p1", 0.5);
        QVERIFY(control()->netWork()->completePreparation("p1", true));
        QVERIFY(pluginLoadPushes().isEmpty());
        // Without the requester the page opens in the current window, and no tab lets go.
        QCOMPARE(current->centralArea()->pages().size(), 1);
        QCOMPARE(m_storePage->subPages()->initialSubPage()->tab()->reAttachCount(), 0);
    }

    void unknownPageTypeOpensNothing()
    {
        m_runtime->installPlugin("kzembabase");
        call("zemba.util.openVantaPluginPage", {{"pluginName", "p1"}, {"pageType", "nosuchtype"}});
        QVERIFY(control()->netWork()->completePreparation("p1", true));
        QVERIFY(pluginLoadPushes().isEmpty());
        QCOMPARE(m_window->centralArea()->pages().size(), 1);
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KVantaApplication> m_shell;
    KVantaMainWindow* m_window = nullptr;
    KVantaPage* m_storePage = nullptr;
    KxWebViewContainer* m_container = nullptr;
    KZembaJsApiLite* m_api = nullptr;
};

KZEMBA_TEST_MAIN(TstJsApiLite)
#include "tst_jsapilite.moc"
