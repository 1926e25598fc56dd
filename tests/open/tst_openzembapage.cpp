// Opening store pages for the suite: store apps through the shell's app runner,
// plug-in pages in a new tab once the plug-in is ready, and the test whether a
// request can be served at all.
#include "ktestapplication.h"
#include "ktestnetwork.h"
#include "ktestplugincontrol.h"
#include "ktestruntime.h"

#include "open/kzembaopenpage.h"

#include <appmgr/kappcontext.h>
#include <appmgr/kappmgr.h>
#include <vanta/kvantaapplication.h>
#include <vanta/kvantaapprunner.h>
#include <vanta/kvantacentralarea.h>
#include <vanta/kvantamainwindow.h>
#include <vanta/kvantapage.h>
#include <vanta/kvantapluginwidget.h>
#include <vanta/kvantasubpage.h>
#include <vanta/kvantasubpages.h>
#include <vanta/kvantatab.h>
#include <vanta/kvantatabbar.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QRegularExpression>
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

// The widget type that the runtime gives the plug-in page type "t".
const int kPluginPageType = 7;

// "pageFrom=" and the hex digits of the UTF-8 bytes, spelled out byte by byte.
QString pageArgument(const QString& query)
{
    QString hex;
    const QByteArray bytes = query.toUtf8();
    for (const char byte : bytes)
        hex += QString::asprintf("%02x", static_cast<unsigned>(static_cast<unsigned char>(byte)));
    return QStringLiteral("pageFrom=") + hex;
}

KVantaPage* pageOf(QObject* object)
{
    for (QObject* o = object; o; o = o->parent()) {
        if (auto* page = qobject_cast<KVantaPage*>(o))
            return page;
    }
    return nullptr;
}

// The pages of a window in the order of their tabs.
QList<KVantaPage*> pagesByTab(KVantaMainWindow* window)
{
    QList<KVantaPage*> list;
    for (KVantaTab* tab : window->tabBar()->tabs())
        list.append(pageOf(tab->subPage()));
    return list;
}

} // namespace

class TstOpenZembaPage : public QObject
{
    Q_OBJECT

private:
    enum Availability { NotAvailable, KnownToManager, FileBelowAddons };
    enum Stop { NotReady, UnknownType, WindowClosed, NoCentralArea, PageRefused, ShellGone };
    enum Requester { InFirstWindow, NoRequester, OutsideWindows, RequesterGone };

    KTestPluginControl* control() const { return KTestPluginControl::instance(); }
    KTestNetWork* network() const { return control()->netWork(); }
    KVantaAppRunner* runner() const { return qobject_cast<KVantaAppRunner*>(m_shell->vantaAppRunner()); }

    // A store page already shown in `window`; the widget it returns asks for the new page.
    static QWidget* openRequestingPage(KVantaMainWindow* window)
    {
        KVantaPage* page = window->centralArea()->addPage(KVantaPluginWidget::BrowserWidget, "store", {});
        return new QWidget(page->subPages()->currentSubPage());
    }

    static QVariantMap pluginPageRequest(const QVariantMap& extra = {})
    {
        QVariantMap params{{"openmode", "emedd"}, {"pluginName", "p"}, {"type", "t"}, {"a", "1"}};
        for (auto it = extra.cbegin(); it != extra.cend(); ++it)
            params.insert(it.key(), it.value());
        return params;
    }

    static int pageCount(KVantaMainWindow* window) { return window->centralArea()->pages().size(); }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        m_runtime->setValue("vanta/widgetTypes/t", kPluginPageType);
        control()->reset();
        network()->clearPreparations();
        KAppMgr::getInstance()->clearRequests();
        m_shell = std::make_unique<KVantaApplication>();
        m_window = m_shell->createMainWindow();
    }

    void cleanup()
    {
        m_shell.reset();
        m_runtime.reset();
    }

    // Runs first: the network service's entry stays cached for the process once found.
    void pluginPageWithoutNetworkService_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::newRow("base plug-in not installed") << false;
        QTest::newRow("service not handed out") << true;
    }

    void pluginPageWithoutNetworkService()
    {
        QFETCH(bool, installed);
        if (installed) {
            m_runtime->installPlugin("kzembabase");
            control()->setOption("network/present", false);
        }
        QWidget* requester = openRequestingPage(m_window);

        QString error;
        QVERIFY(!openZembaPage(pluginPageRequest(), error, requester));
        QCOMPARE(error, QStringLiteral("OpenPluginZembaCommonPage failed"));
        QCOMPARE(control()->callsTo("entry").size(), installed ? 1 : 0);
        QVERIFY(control()->callsTo("network.preparePlugin").isEmpty());
        QCOMPARE(pageCount(m_window), 1);
    }

    void refusedAndIgnoredRequests_data()
    {
        QTest::addColumn<QVariantMap>("params");
        QTest::addColumn<QString>("errorIn");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("errorOut");

        const QString stale = "stale";
        QTest::newRow("no open mode") << QVariantMap{{"appId", "a"}, {"entry", "e"}} << QString() << false
                                      << "open mode is empty";
        QTest::newRow("empty open mode") << QVariantMap{{"openmode", ""}, {"appId", "a"}, {"entry", "e"}} << stale
                                         << false << "open mode is empty";
        QTest::newRow("popup without entry") << QVariantMap{{"openmode", "popup"}, {"appId", "a"}} << stale << false
                                             << "entry cannot be empty";
        QTest::newRow("popup with empty entry") << QVariantMap{{"openmode", "popup"}, {"appId", "a"}, {"entry", ""}}
                                                << QString() << false << "entry cannot be empty";
        QTest::newRow("Popup is no mode") << QVariantMap{{"openmode", "Popup"}, {"appId", "a"}, {"entry", "e"}}
                                          << QString() << true << QString();
        QTest::newRow("Popup keeps the caller's text")
            << QVariantMap{{"openmode", "Popup"}, {"appId", "a"}, {"entry", "e"}} << stale << false << stale;
        QTest::newRow("EMEDD keeps the caller's text")
            << QVariantMap{{"openmode", "EMEDD"}, {"pluginName", "p"}, {"type", "t"}} << stale << false << stale;
        QTest::newRow("plug-in page without plug-in name") << QVariantMap{{"openmode", "emedd"}, {"type", "t"}} << stale
                                                           << true << QString();
    }

    void refusedAndIgnoredRequests()
    {
        QFETCH(QVariantMap, params);
        QFETCH(QString, errorIn);
        QFETCH(bool, result);
        QFETCH(QString, errorOut);
        m_runtime->installPlugin("kzembabase");
        QWidget* requester = openRequestingPage(m_window);

        QString error = errorIn;
        QCOMPARE(openZembaPage(params, error, requester), result);
        QCOMPARE(error, errorOut);
        QCoreApplication::processEvents();
        QVERIFY(runner()->runs().isEmpty());
        QVERIFY(control()->callsTo("network.preparePlugin").isEmpty());
        QCOMPARE(m_window->centralArea()->addPageRequests().size(), 1);
    }

    void popupRunsTheAppThroughTheRunner_data()
    {
        QTest::addColumn<QString>("appId");
        QTest::addColumn<QString>("runAppId");
        QTest::newRow("store app") << "app1" << "app1";
        QTest::newRow("picture shop") << "picture_resourceshop" << "picture_resourceshop_split";
        QTest::newRow("wordart shop") << "wordart_resourceshop" << "wordart_resourceshop_split";
        QTest::newRow("textbox shop") << "textbox_resourceshop" << "textbox_resourceshop_split";
        QTest::newRow("shop id in other case") << "Textbox_resourceshop" << "Textbox_resourceshop";
        QTest::newRow("shop id with a space") << "textbox_resourceshop " << "textbox_resourceshop ";
        QTest::newRow("split shop id") << "textbox_resourceshop_split" << "textbox_resourceshop_split";
    }

    void popupRunsTheAppThroughTheRunner()
    {
        QFETCH(QString, appId);
        QFETCH(QString, runAppId);
        const QVariantMap params{{"openmode", "popup"}, {"appId", appId}, {"entry", "main"}, {"src", "store"}};
        QVariantMap expected = params;
        expected.insert("appId", runAppId);

        QString error = "stale";
        QVERIFY(openZembaPage(params, error, nullptr));
        QVERIFY(error.isEmpty());
        // Queued: the app starts from the runner's event loop, not inside the call.
        QVERIFY(runner()->runs().isEmpty());
        QTRY_COMPARE(runner()->runs().size(), 1);

        const KVantaAppRun run = runner()->runs().first();
        QCOMPARE(run.appId, runAppId);
        QCOMPARE(run.entry, QStringLiteral("main"));
        QCOMPARE(run.params, KAppContext::switchMapToString(expected));
        QCOMPARE(QJsonDocument::fromJson(run.params.toUtf8()).object().toVariantMap(), expected);
    }

    void popupWithoutRunnerOpensNothing_data()
    {
        QTest::addColumn<bool>("shellRuns");
        QTest::newRow("no shell") << false;
        QTest::newRow("runner gone") << true;
    }

    void popupWithoutRunnerOpensNothing()
    {
        QFETCH(bool, shellRuns);
        if (shellRuns)
            delete runner();
        else
            m_shell.reset();

        QString error = "stale";
        QVERIFY(openZembaPage({{"openmode", "popup"}, {"appId", "app1"}, {"entry", "main"}}, error, nullptr));
        QVERIFY(error.isEmpty());
        QCoreApplication::processEvents();
    }

    void popupRefusedByTheRunner_data()
    {
        QTest::addColumn<bool>("hasSlotOfThatName");
        QTest::newRow("no such slot") << false;
        QTest::newRow("slot with other arguments") << true;
    }

    void popupRefusedByTheRunner()
    {
        QFETCH(bool, hasSlotOfThatName);
        QObject plain;
        KOtherRunner other;
        m_shell->setVantaAppRunner(hasSlotOfThatName ? &other : &plain);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("on_processHost_vantaRunApp"));

        QString error;
        QVERIFY(!openZembaPage({{"openmode", "popup"}, {"appId", "app1"}, {"entry", "main"}}, error, nullptr));
        QCOMPARE(error, QStringLiteral("on_processHost_vantaRunApp error"));
        QCoreApplication::processEvents();
        QVERIFY(other.runs.isEmpty());
    }

    void openEnabled_data()
    {
        QTest::addColumn<QString>("pluginName");
        QTest::addColumn<QString>("appId");
        QTest::addColumn<int>("availability");
        QTest::addColumn<QStringList>("knownApps");
        QTest::addColumn<bool>("appMgrOn");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("openMode");
        QTest::addColumn<QStringList>("askedApps");

        const QString untouched = "untouched";
        const QStringList none;
        QTest::newRow("app of a known plug-in") << "p" << "app1" << int(KnownToManager) << QStringList{"app1"} << true
                                                << true << "popup" << QStringList{"app1"};
        QTest::newRow("plug-in file below addons") << "p" << "app1" << int(FileBelowAddons) << QStringList{"app1"}
                                                   << true << true << "popup" << QStringList{"app1"};
        QTest::newRow("unknown app") << "p" << "app2" << int(KnownToManager) << QStringList{"app1"} << true << false
                                     << "popup" << QStringList{"app2"};
        QTest::newRow("no app manager") << "p" << "app1" << int(KnownToManager) << QStringList{"app1"} << false << false
                                        << "popup" << none;
        QTest::newRow("plug-in not available") << "p" << "app1" << int(NotAvailable) << QStringList{"app1"} << true
                                               << false << "popup" << none;
        QTest::newRow("no plug-in name") << "" << "app1" << int(NotAvailable) << QStringList{"app1"} << true << false
                                         << "popup" << none;
        QTest::newRow("no app id") << "p" << "" << int(KnownToManager) << QStringList{"app1"} << true << false
                                   << untouched << none;
        QTest::newRow("resource shop") << "kzembaresource" << "zembaresourceshop" << int(KnownToManager)
                                       << QStringList{"zembaresourceshop"} << true << false << untouched
                                       << QStringList{"zembaresourceshop"};
        QTest::newRow("resource shop, plug-in file") << "kzembaresource" << "zembaresourceshop" << int(FileBelowAddons)
                                                     << QStringList{"zembaresourceshop"} << true << false << untouched
                                                     << QStringList{"zembaresourceshop"};
        QTest::newRow("resource shop, plug-in missing") << "kzembaresource" << "zembaresourceshop"
                                                        << int(NotAvailable) << QStringList{"zembaresourceshop"} << true
                                                        << false << untouched << none;
        QTest::newRow("shop app id of another plug-in") << "p" << "zembaresourceshop" << int(KnownToManager)
                                                        << QStringList{"zembaresourceshop"} << true << true << "popup"
                                                        << QStringList{"zembaresourceshop"};
        QTest::newRow("other app of the resource plug-in") << "kzembaresource" << "app1" << int(KnownToManager)
                                                           << QStringList{"app1"} << true << true << "popup"
                                                           << QStringList{"app1"};
        QTest::newRow("split shop id kept") << "p" << "textbox_resourceshop" << int(KnownToManager)
                                            << QStringList{"textbox_resourceshop"} << true << true << "popup"
                                            << QStringList{"textbox_resourceshop"};
    }

    void openEnabled()
    {
        QFETCH(QString, pluginName);
        QFETCH(QString, appId);
        QFETCH(int, availability);
        QFETCH(QStringList, knownApps);
        QFETCH(bool, appMgrOn);
        QFETCH(bool, enabled);
        QFETCH(QString, openMode);
        QFETCH(QStringList, askedApps);

        m_runtime->setValue("appMgr/apps", knownApps);
        m_runtime->setValue("appMgr/enabled", appMgrOn);
        m_runtime->setValue("paths/frameworks", m_runtime->path() + "/frameworks");
        if (availability == KnownToManager) {
            m_runtime->setValue("pluginManager/plugins", QStringList{pluginName});
        } else if (availability == FileBelowAddons) {
            const QString folder = m_runtime->path() + "/frameworks/addons/" + pluginName;
            QVERIFY(QDir().mkpath(folder));
            QFile file(folder + "/lib" + pluginName + ".so");
            QVERIFY(file.open(QIODevice::WriteOnly));
        }

        QString mode = "untouched";
        QCOMPARE(getOpenZembaPageEnabled({{"pluginName", pluginName}, {"appId", appId}}, mode), enabled);
        QCOMPARE(mode, openMode);
        m_runtime->setValue("appMgr/enabled", true);
        QCOMPARE(KAppMgr::getInstance()->requestedApps(), askedApps);
    }

    void pluginPageOpensWhenThePluginIsReady()
    {
        m_runtime->installPlugin("kzembabase");
        QWidget* requester = openRequestingPage(m_window);

        QString error = "stale";
        QVERIFY(openZembaPage(pluginPageRequest(), error, requester));
        QVERIFY(error.isEmpty());
        QCOMPARE(network()->pendingPreparations(), QStringList{"p"});
        network()->reportPreparationProgress("p", 0.5);
        QCoreApplication::processEvents();
        QCOMPARE(pageCount(m_window), 1);

        QVERIFY(network()->completePreparation("p", true));
        QCOMPARE(pageCount(m_window), 2);
        const KVantaAddPageRequest request = m_window->centralArea()->addPageRequests().last();
        QCOMPARE(request.widgetType, kPluginPageType);
        QCOMPARE(request.text, QStringLiteral("pageFrom=613d31266f70656e6d6f64653d656d65646426706c7567696e4e616d65"
                                              "3d7026747970653d74"));
        QVERIFY(request.params.isEmpty());

        KVantaPage* page = m_window->centralArea()->pages().last();
        QCOMPARE(m_window->centralArea()->currentPage(), page);
        QCOMPARE(page->widgetType(), kPluginPageType);
        QCOMPARE(page->notifications().size(), 1);
        const KVantaPageNotification notification = page->notifications().first();
        QVERIFY(notification.text.isEmpty());
        QVERIFY(notification.list.isEmpty());
        QCOMPARE(notification.event, 2);
        QCOMPARE(notification.flags, 0);
        QVERIFY(notification.extra.isEmpty());
        // Without the flag the new tab stays at the end.
        QCOMPARE(pagesByTab(m_window).last(), page);
        QVERIFY(m_window->tabBar()->moveRequests().isEmpty());
    }

    void pageArgumentCarriesTheWholeMap_data()
    {
        QTest::addColumn<QVariantMap>("extra");
        QTest::addColumn<QString>("query");
        QTest::newRow("plain") << QVariantMap() << "a=1&openmode=emedd&pluginName=p&type=t";
        QTest::newRow("resource shop id") << QVariantMap{{"appId", "textbox_resourceshop"}}
                                          << "a=1&appId=textbox_resourceshop_split&openmode=emedd&pluginName=p&type=t";
        QTest::newRow("values as they are") << QVariantMap{{"q", "x&y=z"}}
                                            << "a=1&openmode=emedd&pluginName=p&q=x&y=z&type=t";
        QTest::newRow("non-ASCII text")
            << QVariantMap{{"name", QString::fromUtf8("\xc3\xa4\xe2\x82\xac")}}
            << QString::fromUtf8("a=1&name=\xc3\xa4\xe2\x82\xac&openmode=emedd&pluginName=p&type=t");
        QTest::newRow("flag in the map") << QVariantMap{{"pageMoveToNext", false}}
                                         << "a=1&openmode=emedd&pageMoveToNext=false&pluginName=p&type=t";
    }

    void pageArgumentCarriesTheWholeMap()
    {
        QFETCH(QVariantMap, extra);
        QFETCH(QString, query);
        m_runtime->installPlugin("kzembabase");
        control()->setOption("network/prepareReady", true);
        control()->setOption("network/prepareProgress", QVariantList{0.25, 1.0});

        QString error;
        QVERIFY(openZembaPage(pluginPageRequest(extra), error, nullptr));
        QCOMPARE(pageCount(m_window), 0);
        QTRY_COMPARE(pageCount(m_window), 1);
        QCOMPARE(m_window->centralArea()->pages().first()->text(), pageArgument(query));
    }

    void nothingOpens_data()
    {
        QTest::addColumn<int>("stop");
        QTest::newRow("plug-in not ready") << int(NotReady);
        QTest::newRow("unknown page type") << int(UnknownType);
        QTest::newRow("window closed meanwhile") << int(WindowClosed);
        QTest::newRow("no central area") << int(NoCentralArea);
        QTest::newRow("page refused") << int(PageRefused);
        QTest::newRow("shell gone meanwhile") << int(ShellGone);
    }

    void nothingOpens()
    {
        QFETCH(int, stop);
        m_runtime->installPlugin("kzembabase");
        QWidget* requester = openRequestingPage(m_window);
        const QPointer<KVantaMainWindow> window = m_window;
        if (stop == PageRefused)
            m_runtime->setValue("vanta/maxPages", 1);

        QVariantMap params = pluginPageRequest({{"pageMoveToNext", true}});
        if (stop == UnknownType)
            params.insert("type", "nosuchtype");
        QString error = "stale";
        QVERIFY(openZembaPage(params, error, requester));
        QVERIFY(error.isEmpty());

        if (stop == WindowClosed)
            delete m_window.data();
        else if (stop == NoCentralArea)
            delete m_window->centralArea();
        else if (stop == ShellGone)
            m_shell.reset();
        QVERIFY(network()->completePreparation("p", stop != NotReady));

        if (window && window->centralArea()) {
            QCOMPARE(pageCount(window), 1);
            QCOMPARE(window->centralArea()->addPageRequests().size(), stop == PageRefused ? 2 : 1);
        }
    }

    void mainWindowForThePage_data()
    {
        QTest::addColumn<int>("requesterKind");
        QTest::addColumn<bool>("inFirstWindow");
        QTest::newRow("requester's window") << int(InFirstWindow) << true;
        QTest::newRow("no requester") << int(NoRequester) << false;
        QTest::newRow("requester outside the windows") << int(OutsideWindows) << false;
        QTest::newRow("requester gone meanwhile") << int(RequesterGone) << false;
    }

    void mainWindowForThePage()
    {
        QFETCH(int, requesterKind);
        QFETCH(bool, inFirstWindow);
        m_runtime->installPlugin("kzembabase");
        KVantaMainWindow* second = m_shell->createMainWindow();
        m_shell->setCurrentMainWindow(second);
        openRequestingPage(second);
        QPointer<QWidget> inFirst = openRequestingPage(m_window);
        QObject outside;

        QObject* requester = nullptr;
        if (requesterKind == InFirstWindow || requesterKind == RequesterGone)
            requester = inFirst;
        else if (requesterKind == OutsideWindows)
            requester = &outside;

        QString error;
        QVERIFY(openZembaPage(pluginPageRequest({{"pageMoveToNext", true}}), error, requester));
        if (requesterKind == RequesterGone)
            delete inFirst.data();
        QVERIFY(network()->completePreparation("p", true));

        KVantaMainWindow* expected = inFirstWindow ? m_window.data() : second;
        KVantaMainWindow* other = inFirstWindow ? second : m_window.data();
        QCOMPARE(pageCount(expected), 2);
        QCOMPARE(pageCount(other), 1);
        // Only a requesting tab in the same window says where the new tab goes.
        if (!inFirstWindow) {
            QVERIFY(second->tabBar()->moveRequests().isEmpty());
            QCOMPARE(pagesByTab(second).last()->widgetType(), kPluginPageType);
        }
    }

    void newTabPlacement_data()
    {
        QTest::addColumn<QVariant>("moveToNext");
        QTest::addColumn<int>("requesterIndex"); // -1: a widget of the window outside every page
        QTest::addColumn<int>("newIndex");
        QTest::newRow("after the first tab") << QVariant(true) << 0 << 1;
        QTest::newRow("after the middle tab") << QVariant(true) << 1 << 2;
        QTest::newRow("after the last tab") << QVariant(true) << 2 << 3;
        QTest::newRow("flag as text") << QVariant("true") << 0 << 1;
        QTest::newRow("flag false") << QVariant(false) << 0 << 3;
        QTest::newRow("flag false as text") << QVariant("false") << 0 << 3;
        QTest::newRow("no flag") << QVariant() << 0 << 3;
        QTest::newRow("requester outside the pages") << QVariant(true) << -1 << 3;
    }

    void newTabPlacement()
    {
        QFETCH(QVariant, moveToNext);
        QFETCH(int, requesterIndex);
        QFETCH(int, newIndex);
        m_runtime->installPlugin("kzembabase");
        QList<QWidget*> requesters;
        for (int i = 0; i < 3; ++i)
            requesters.append(openRequestingPage(m_window));
        QList<KVantaPage*> order = pagesByTab(m_window);
        QObject* requester = requesterIndex < 0 ? new QWidget(m_window) : requesters.at(requesterIndex);

        QVariantMap params = pluginPageRequest();
        if (moveToNext.isValid())
            params.insert("pageMoveToNext", moveToNext);
        QString error;
        QVERIFY(openZembaPage(params, error, requester));
        QVERIFY(network()->completePreparation("p", true));

        KVantaPage* page = m_window->centralArea()->currentPage();
        QVERIFY(page && !order.contains(page));
        order.insert(newIndex, page);
        QCOMPARE(pagesByTab(m_window), order);
    }

    void standaloneWindowHasNoTabToMove()
    {
        m_runtime->installPlugin("kzembabase");
        KVantaMainWindow* standalone = m_shell->createMainWindow(KVantaMainWindow::StandaloneHeaderbar);
        QWidget* requester = openRequestingPage(standalone);

        QString error;
        QVERIFY(openZembaPage(pluginPageRequest({{"pageMoveToNext", true}}), error, requester));
        QVERIFY(network()->completePreparation("p", true));
        QCOMPARE(pageCount(standalone), 2);
        QCOMPARE(standalone->centralArea()->currentPage()->widgetType(), kPluginPageType);
        QCOMPARE(pageCount(m_window), 0);
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KVantaApplication> m_shell;
    QPointer<KVantaMainWindow> m_window;
};

KZEMBA_TEST_MAIN(TstOpenZembaPage)
#include "tst_openzembapage.moc"
