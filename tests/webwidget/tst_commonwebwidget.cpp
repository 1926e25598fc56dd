// The common web widget on the headless page: browser creation, the callback
// queue, load results and codes, time-outs, the error page, cookies from the
// account service, skin and account notifications and property injection.
#include "ktestaccount.h"
#include "ktestapplication.h"
#include "ktestcommonjsapi.h"
#include "ktestcorelite.h"
#include "ktestplugincontrol.h"
#include "ktestruntime.h"
#include "ktestuserinfo.h"
#include "ktestwebwidget.h"

#include <krt/krt.h>
#include <ui/kskin.h>
#include <vdllite/kcefcacheloadingwidget.h>
#include <vdllite/kxheadlesspage.h>
#include <vdllite/kxloggerlite.h>
#include <vdllite/kxwebviewcontainer.h>
#include <vdllite/kxwebviewhost.h>

#include <QSignalSpy>
#include <QStackedLayout>
#include <QtTest>

namespace {
const QString kMainUrl = QStringLiteral("http://127.0.0.1:9/store/index.html");
}

class TstCommonWebWidget : public QObject
{
    Q_OBJECT

private:
    KTestPluginControl* control() const { return KTestPluginControl::instance(); }
    KxHeadlessPage* page() const { return m_widget->headlessPage(); }

    // A widget on the main URL whose browser exists; `outcomes` script the loads first.
    void makeWidget(const QHash<QString, KxHeadlessLoadOutcome>& outcomes = {})
    {
        m_widget = std::make_unique<KTestWebWidget>();
        m_widget->resize(320, 240);
        m_loadFinished = std::make_unique<QSignalSpy>(m_widget.get(), &KZembaCommonWebWidget::loadFinished);
        m_widget->init(kMainUrl, QStringLiteral("app1"), false);
        for (auto it = outcomes.begin(); it != outcomes.end(); ++it)
            page()->setLoadOutcome(QUrl(it.key()), it.value());
        QSignalSpy created(m_widget->container(), &KxWebViewContainer::browserCreated);
        m_widget->recreateBrowser();
        QVERIFY(created.wait());
    }

    void waitForLoadsToSettle() { QTest::qWait(20); }

    QWidget* currentWidget() const { return qobject_cast<QStackedLayout*>(m_widget->layout())->currentWidget(); }

    QStringList perfFailures() const
    {
        QStringList reasons;
        for (const QJsonObject& event : m_runtime->dcEvents()) {
            const QJsonObject values = event.value("params").toObject();
            if (event.value("name").toString() == QLatin1String("zemba_common_webpage_perf")
                && values.value("load_type").toString() == QLatin1String("webloadfai")) {
                reasons.append(values.value("error_reason").toString());
            }
        }
        return reasons;
    }

    int perfSuccesses() const
    {
        int count = 0;
        for (const QJsonObject& event : m_runtime->dcEvents()) {
            count += event.value("params").toObject().value("load_type").toString() == QLatin1String("webloadsuc");
        }
        return count;
    }

    QStringList deliveredFunctions() const
    {
        QStringList functions;
        for (const KxPageDelivery& delivery : page()->deliveries())
            functions.append(delivery.function);
        return functions;
    }

    bool hasWidgetLog(const QString& message) const
    {
        return m_runtime->hasLog(KxLoggerLite::levelName(KxLoggerLite::Info), "KZembaCommonWebWidget",
                                 "[testpage] " + message);
    }

    QString errorPage() const { return m_widget ? m_widget->getErrorPage() : KTestWebWidget().getErrorPage(); }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        control()->reset();
    }

    void cleanup()
    {
        m_loadFinished.reset();
        m_widget.reset();
        m_runtime.reset();
    }

    void createsTheBrowserWithItsCacheInTheSuiteHome()
    {
        makeWidget();
        QVERIFY(qobject_cast<KCefCacheLoadingWidget*>(m_widget->waitingWidget()));
        QCOMPARE(currentWidget(), m_widget->waitingWidget());

        const KxBrowserOptions options = page()->browserOptions();
        const QString cache = krt::dirs::officeHome() + "/qox/addons/data/linux-x64/zembas";
        QCOMPARE(options.cachePath, QDir::toNativeSeparators(cache));
        QVERIFY(QFileInfo(cache).isDir());
        QCOMPARE(options.url, kMainUrl);
        QCOMPARE(int(options.linkPolicy), 1);
        QCOMPARE(int(options.headerPolicy), 1);
        QCOMPARE(options.proxy.type(), QNetworkProxy::DefaultProxy);
        QVERIFY(options.cookiePath.isEmpty());
        QCOMPARE(m_widget->container()->viewWidget()->property("EnableMouseDownEditMenu").toBool(), true);
        QCOMPARE(m_widget->container()->viewWidget()->property("ResetCocoaMenuBar").toBool(), true);
        QVERIFY(KxWebViewHost::instance()->instances("ZembaPage").contains(m_widget->container()));
        QCOMPARE(m_widget->property("qtspyName").toString(), QStringLiteral("ZembaCommonWebWidget"));
        QCOMPARE(m_widget->GetWidgetType(), int(zemba::base::KZembaWidgetTypeLite));

        // The main page loads once; its success alone neither shows the page nor reports.
        waitForLoadsToSettle();
        QCOMPARE(page()->loadedUrls(), QList<QUrl>{QUrl(kMainUrl)});
        QCOMPARE(currentWidget(), m_widget->waitingWidget());
        QCOMPARE(m_loadFinished->count(), 0);
        QVERIFY(m_widget->profiler().createDone != 0);
        QVERIFY(m_widget->profiler().loadDone != 0);
        QVERIFY(hasWidgetLog("init appid: app1, url: " + kMainUrl));
    }

    void callbacksWaitForThePage_data()
    {
        QTest::addColumn<bool>("byScript");
        QTest::newRow("script ready") << true;
        QTest::newRow("shown") << false;
    }

    void callbacksWaitForThePage()
    {
        QFETCH(bool, byScript);
        makeWidget();
        waitForLoadsToSettle();

        m_widget->callbackToJS("first", "{\"n\":1}", true);
        m_widget->callbackToJS("second", QVariantMap{{"n", 2}});
        m_widget->NotifyDisplay(); // not ready: dropped, not queued
        QVERIFY(page()->deliveries().isEmpty());

        if (byScript)
            page()->reportScriptReady();
        else
            m_widget->showWebWidget();
        QVERIFY(m_widget->isPageReady());
        QCOMPARE(deliveredFunctions(), (QStringList{"first", "second"}));
        QCOMPARE(page()->deliveries().at(0).json().toObject().value("n").toInt(), 1);
        QCOMPARE(page()->deliveries().at(1).json().toObject(),
                 (QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"n", 2}}}}));
        QCOMPARE(currentWidget(), byScript ? m_widget->waitingWidget() : m_widget->container());

        // Ready: straight through.
        m_widget->NotifyDisplay();
        QCOMPARE(deliveredFunctions().last(), QStringLiteral("notifyDisplay"));

        // In the background the page is not ready again.
        m_widget->OnBackGround();
        QCOMPARE(currentWidget(), m_widget->waitingWidget());
        m_widget->callbackToJS("third", "{}", true);
        QCOMPARE(deliveredFunctions().size(), 3);
        page()->reportScriptReady();
        QCOMPARE(deliveredFunctions().last(), QStringLiteral("third"));
    }

    void httpCodes_data()
    {
        QTest::addColumn<bool>("mainUrl");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("showsErrorPage");
        QTest::newRow("302 main") << true << 302 << true;
        QTest::newRow("404 main") << true << 404 << true;
        QTest::newRow("503 main") << true << 503 << true;
        QTest::newRow("500 main") << true << 500 << false;
        QTest::newRow("200 main") << true << 200 << false;
        QTest::newRow("404 sub-resource") << false << 404 << false;
        QTest::newRow("302 sub-resource") << false << 302 << false;
    }

    void httpCodes()
    {
        QFETCH(bool, mainUrl);
        QFETCH(int, code);
        QFETCH(bool, showsErrorPage);
        makeWidget();
        waitForLoadsToSettle();

        page()->reportHttpCode(QUrl(mainUrl ? kMainUrl : "http://127.0.0.1:9/store/app.js"), code);
        waitForLoadsToSettle();
        QCOMPARE(m_widget->isErrorPageShown(), showsErrorPage);
        QCOMPARE(page()->loadedUrls().size(), showsErrorPage ? 2 : 1);
        QCOMPARE(perfFailures(), showsErrorPage ? QStringList{QStringLiteral("error code: %1").arg(code)} : QStringList());
        if (showsErrorPage) {
            QCOMPARE(page()->loadedUrls().last(), QUrl(errorPage()));
            QCOMPARE(currentWidget(), m_widget->container());
            QCOMPARE(m_loadFinished->count(), 1);
        }
    }

    void redirectWhileLoadingShowsOnlyTheErrorPage()
    {
        // The code arrives while the main page is still loading: its own end never counts.
        KxHeadlessLoadOutcome redirect;
        redirect.httpCode = 302;
        makeWidget({{kMainUrl, redirect}});
        waitForLoadsToSettle();
        QCOMPARE(page()->loadedUrls(), (QList<QUrl>{QUrl(kMainUrl), QUrl(errorPage())}));
        QCOMPARE(m_loadFinished->count(), 1);
        QVERIFY(m_widget->isPageReady());
        QCOMPARE(perfSuccesses(), 0);
    }

    void failedLoadShowsTheErrorPage()
    {
        KxHeadlessLoadOutcome refused;
        refused.ok = false;
        refused.errorMessage = "net::ERR_CONNECTION_REFUSED";
        makeWidget({{kMainUrl, refused}});
        waitForLoadsToSettle();

        QCOMPARE(page()->loadedUrls(), (QList<QUrl>{QUrl(kMainUrl), QUrl(errorPage())}));
        QVERIFY(m_widget->isErrorPageShown());
        QCOMPARE(currentWidget(), m_widget->container());
        QCOMPARE(m_loadFinished->count(), 1);
        QCOMPARE(perfFailures(), QStringList{"net::ERR_CONNECTION_REFUSED"});
        QCOMPARE(perfSuccesses(), 0);
        QVERIFY(hasWidgetLog("onLoadedFinished status: 0, message: net::ERR_CONNECTION_REFUSED"));

        // Loads report to onLoadedFinished again; one more failure loads nothing more.
        m_widget->container()->loadURL(QUrl(kMainUrl));
        waitForLoadsToSettle();
        QVERIFY(hasWidgetLog("load error page failed."));
        QCOMPARE(page()->loadedUrls().size(), 3);
    }

    void errorPageThatFailsStopsThere()
    {
        KxHeadlessLoadOutcome failed;
        failed.ok = false;
        failed.errorMessage = "net::ERR_FAILED";
        makeWidget({{kMainUrl, failed}, {errorPage(), failed}});
        waitForLoadsToSettle();
        QCOMPARE(page()->loadedUrls(), (QList<QUrl>{QUrl(kMainUrl), QUrl(errorPage())}));
        QCOMPARE(m_loadFinished->count(), 0);
        QCOMPARE(currentWidget(), m_widget->waitingWidget());
        QVERIFY(!m_widget->isPageReady());
    }

    void newBrowserAfterTheErrorPageLoadsTheMainPage()
    {
        KxHeadlessLoadOutcome failed;
        failed.ok = false;
        makeWidget({{kMainUrl, failed}});
        waitForLoadsToSettle();
        QVERIFY(m_widget->isErrorPageShown());

        page()->setLoadOutcome(QUrl(kMainUrl), KxHeadlessLoadOutcome());
        QSignalSpy created(m_widget->container(), &KxWebViewContainer::browserCreated);
        m_widget->recreateBrowser();
        QVERIFY(created.wait());
        QVERIFY(!m_widget->isErrorPageShown());
        QCOMPARE(currentWidget(), m_widget->waitingWidget());
        QVERIFY(m_widget->isLoadMonitorRunning());
        waitForLoadsToSettle();
        QCOMPARE(page()->loadedUrls(), (QList<QUrl>{QUrl(kMainUrl), QUrl(errorPage()), QUrl(kMainUrl)}));
    }

    void timeoutLoadsTheErrorPageEvenWhenReady()
    {
        m_runtime->setValue("config/qoxoffice/plugins/webwidget/timeout", 300);
        m_widget = std::make_unique<KTestWebWidget>();
        QCOMPARE(m_widget->loadTimeout(), 300);
        m_widget->init(kMainUrl, "app1", true);
        QVERIFY(m_widget->isLoadMonitorRunning());
        page()->reportScriptReady();
        QVERIFY(m_widget->isPageReady());

        QTRY_VERIFY(m_widget->isErrorPageShown());
        QCOMPARE(perfFailures(), QStringList{"timeout 300"});
        QVERIFY(hasWidgetLog("onLoadedTimeout timeout: 300ms, url: " + kMainUrl + ", status: ready"));
        QTRY_COMPARE(page()->loadedUrls().size(), 2);
        QCOMPARE(page()->loadedUrls().last(), QUrl(errorPage()));
    }

    void browserFailures_data()
    {
        QTest::addColumn<bool>("renderer");
        QTest::newRow("render process ended") << true;
        QTest::newRow("browser exception") << false;
    }

    void browserFailures()
    {
        QFETCH(bool, renderer);
        makeWidget();
        waitForLoadsToSettle();
        if (renderer)
            page()->endRenderProcess(2);
        else
            page()->raiseBrowserException(7);
        waitForLoadsToSettle();
        QCOMPARE(perfFailures(), QStringList{renderer ? "cef render error" : "cef browser error"});
        QCOMPARE(m_widget->isErrorPageShown(), renderer);
        QCOMPARE(page()->loadedUrls().last(), QUrl(renderer ? errorPage() : kMainUrl));
        if (renderer)
            QVERIFY(hasWidgetLog("onCefRenderProcAbnormalTerminate type: 2"));
    }

    void errorPageFile_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("pluginCopy");
        QTest::addColumn<bool>("shipped");
        QTest::addColumn<QString>("expected");
        QTest::newRow("english") << "en_US" << false << true << "shipped:en_US";
        QTest::newRow("german") << "de_DE" << false << true << "shipped:de_DE";
        QTest::newRow("unknown falls back to english") << "fr_FR" << false << true << "shipped:en_US";
        QTest::newRow("plug-in copy first") << "de_DE" << true << true << "plugin:de_DE";
        QTest::newRow("nothing: built-in page") << "en_US" << false << false << "builtin";
    }

    void errorPageFile()
    {
        QFETCH(QString, locale);
        QFETCH(bool, pluginCopy);
        QFETCH(bool, shipped);
        QFETCH(QString, expected);
        m_runtime->setValue("i18n/locale", locale);
        const QString pluginFolder = m_runtime->path() + "/plugins/kzembacore";
        if (pluginCopy) {
            const QString file = pluginFolder + "/mui/de_DE/res/web/common/error-net.html";
            QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("<html><body>plug-in copy</body></html>");
        }
        if (!shipped)
            m_runtime->setValue("paths/shippedPlugins", m_runtime->path() + "/none");
        m_widget = std::make_unique<KTestWebWidget>();

        const QString page = m_widget->getErrorPage();
        QString want = vdllite::KxCommonWebWidget::defaultErrorPage();
        const QString relative = QStringLiteral("/mui/%1/res/web/common/error-net.html");
        if (expected.startsWith("shipped:"))
            want = QUrl::fromLocalFile(krt::i18n::shippedPluginsRoot() + "/kzembacore"
                                       + relative.arg(expected.mid(8))).toString();
        else if (expected.startsWith("plugin:"))
            want = QUrl::fromLocalFile(pluginFolder + relative.arg(expected.mid(7))).toString();
        QCOMPARE(page, want);
        if (want.startsWith("file:"))
            QVERIFY(QFileInfo(QUrl(want).toLocalFile()).isFile());
    }

    void accountCookies_data()
    {
        QTest::addColumn<QString>("domainUrl");
        QTest::addColumn<bool>("active");
        QTest::addColumn<QString>("cookies");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("parts") << "https://home.example" << true << "sid=1;;token=a=b;empty=;bare"
                               << QStringList{"sid=1", "token=a=b"};
        QTest::newRow("plain http") << "http://home.example" << true << "sid=2" << QStringList{"sid=2"};
        QTest::newRow("inactive account") << "https://home.example" << false << "sid=1" << QStringList();
        QTest::newRow("no domain") << "" << true << "sid=1" << QStringList();
    }

    void accountCookies()
    {
        QFETCH(QString, domainUrl);
        QFETCH(bool, active);
        QFETCH(QString, cookies);
        QFETCH(QStringList, expected);
        m_runtime->installPlugin("kzembacorelite");
        if (!domainUrl.isEmpty())
            m_runtime->setValue("domains/home", domainUrl);
        control()->setOption("account/active", active);
        control()->setOption("account/cookies", cookies);
        makeWidget();

        QStringList set;
        const QDateTime inAWeek = QDateTime::currentDateTime().addDays(7);
        for (const QNetworkCookie& cookie : page()->cookies()) {
            set.append(QString::fromUtf8(cookie.name() + '=' + cookie.value()));
            QCOMPARE(cookie.domain(), QStringLiteral("home.example"));
            QCOMPARE(cookie.path(), QStringLiteral("/"));
            QVERIFY(cookie.isHttpOnly());
            QCOMPARE(cookie.isSecure(), domainUrl.startsWith("https"));
            QVERIFY(qAbs(cookie.expirationDate().secsTo(inAWeek)) < 60);
        }
        QCOMPARE(set, expected);
    }

    void cookieChangesReachThePage()
    {
        m_runtime->installPlugin("kzembacorelite");
        m_runtime->setValue("domains/home", "https://home.example");
        control()->setOption("account/cookies", "sid=old");
        makeWidget();
        control()->setOption("account/cookies", "sid=new");
        emit control()->coreLite()->account()->cookiesChanged();
        QCOMPARE(page()->cookies().size(), 1);
        QCOMPARE(page()->cookies().first().value(), QByteArray("new"));
    }

    void skinChangesGoToThePageAtOnce()
    {
        auto* skin = new KSkin(qApp);
        makeWidget();
        skin->setCurrentSkin("dark");
        delete skin;
        QCOMPARE(deliveredFunctions(), QStringList{"onSkinChanged"});
        QVERIFY(!m_widget->isPageReady());
    }

    void accountInfoWaitsForThePage()
    {
        m_runtime->installPlugin("kzembabase");
        makeWidget();
        QCOMPARE(control()->callsTo("userinfo.queryAllInfo").size(), 1);
        control()->userInfo()->notifyAllInfo({{"userid", "42"}});
        QVERIFY(page()->deliveries().isEmpty());
        page()->reportScriptReady();
        QCOMPARE(deliveredFunctions(), QStringList{"onAllInfoUpdate"});
        QCOMPARE(page()->deliveries().first().json().toObject(),
                 (QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"userid", "42"}}}}));

        // The page asks again through its JS API object.
        m_widget->testApi()->sig_queryUserAccountInfoState();
        QCOMPARE(control()->callsTo("userinfo.queryAllInfo").size(), 2);

        const int listeners = control()->userInfo()->listenerCount();
        m_widget.reset();
        QCOMPARE(control()->userInfo()->listenerCount(), listeners - 1);
    }

    void injectsPropertiesIntoTheTopFrame()
    {
        makeWidget();
        m_widget->injectJsObject("zembaEnv", {{"theme", "dark"}, {"scale", 2}});
        m_widget->injectJsObject(QString(), {{"ignored", 1}});
        QCOMPARE(page()->injectedProperties("zembaEnv"), (QVariantMap{{"theme", "dark"}, {"scale", "2"}}));
        QVERIFY(page()->injectedProperties(QString()).isEmpty());
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestWebWidget> m_widget;
    std::unique_ptr<QSignalSpy> m_loadFinished;
};

KZEMBA_TEST_MAIN(TstCommonWebWidget)
#include "tst_commonwebwidget.moc"
