// The page-host check: trusted hosts, the 30-day cache, and the sign file
// compared with the app's registration, against the local test server.
#include "ktestapplication.h"
#include "ktesthttpserver.h"
#include "ktestplugincontrol.h"
#include "ktestruntime.h"

#include "safe/kzembapagehosthelper.h"

#include <vdllite/kxlocalstorage.h>

#include <QtTest>

using Error = KZembaPageHostHelper::Error;
Q_DECLARE_METATYPE(KZembaPageHostHelper::Error)

class TstPageHostCheck : public QObject
{
    Q_OBJECT

private:
    // Runs one check and returns every code it reported, waiting a little past the first.
    QList<Error> check(const QString& appId, const QString& url)
    {
        QList<Error> codes;
        KZembaPageHostHelper::checkPageHostSignValid(appId, url, [&codes](Error code) { codes.append(code); });
        if (!QTest::qWaitFor([&codes] { return !codes.isEmpty(); }, 10000))
            return codes;
        QTest::qWait(50);
        return codes;
    }

    QString pageUrl(const QString& path = "/app/index.html?x=1") const
    {
        return QStringLiteral("http://127.0.0.1") + path;
    }

    void registerApp(const QByteArray& answer)
    {
        m_server.setAnswer("/proxy/text-extraction/tools/check_domain", KTestHttpAnswer(200, answer));
    }

    void registerSign(const QString& sign, const QByteArray& served)
    {
        registerApp("{\"result\":\"ok\",\"data\":{\"path\":\"/sign/zemba.txt\",\"abstract\":\"" + sign.toUtf8() + "\"}}");
        m_server.setAnswer("/sign/zemba.txt", KTestHttpAnswer(200, served));
    }

    // Moves the cached entry of `appId` to `daysAgo`, or replaces its value.
    void editCache(const QString& appId, int daysAgo, const QString& value = QString())
    {
        KxLocalStorage store;
        QVERIFY(store.init(KZembaPageHostHelper::cacheDatabasePath()));
        QString cached;
        qint64 time = 0;
        QVERIFY(store.webStorageGet(appId, cached, time));
        QVERIFY(store.webStorageAdd(appId, value.isEmpty() ? cached : value,
                                    QDateTime::currentDateTime().addDays(-daysAgo).toSecsSinceEpoch()));
    }

    int registrationRequests() const
    {
        int count = 0;
        for (const KTestHttpRequest& request : m_server.requests())
            count += request.path() == "/proxy/text-extraction/tools/check_domain" ? 1 : 0;
        return count;
    }

private slots:
    // One runtime for the whole run: the cache store is opened once per process.
    void initTestCase()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        QVERIFY(m_server.start());
        m_runtime->setValue("domains/zembaapiqox", m_server.url(QString()).chopped(1));
        m_runtime->setValue("identity/version", "12.1");
        m_runtime->setValue("identity/mc", "chan");
        m_runtime->setValue("identity/hdid", "HD9");
    }

    void cleanupTestCase() { m_runtime.reset(); }

    void init()
    {
        KTestPluginControl::instance()->reset();
        KTestPluginControl::instance()->setOption("resnetwork/defaultPort", m_server.port());
        m_server.clearAnswers();
        m_server.clearRequests();
    }

    // Runs first: the network service is found once per process.
    void withoutTheBasePluginTheAppInfoFails()
    {
        QCOMPARE(check("app-none", pageUrl()), QList<Error>{KZembaPageHostHelper::AppInfoFailed});
        QCOMPARE(m_server.requestCount(), 0);
        m_runtime->installPlugin("kzembabase");
        m_runtime->installPlugin("kzembaresnetwork");
    }

    void emptyCallbackIsNeverCalled()
    {
        KZembaPageHostHelper::checkPageHostSignValid("app", pageUrl(), nullptr);
        QTest::qWait(100);
        QCOMPARE(m_server.requestCount(), 0);
    }

    void whitelist_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("trusted");
        QTest::newRow("listed host") << "https://templates.zemba.example/a?b=c" << true;
        QTest::newRow("subdomain of a trusted domain") << "https://deep.cdn.zemba.example/x" << true;
        QTest::newRow("partner subdomain") << "http://shop.partner.example" << true;
        QTest::newRow("bare trusted domain") << "https://zemba.example/" << false;
        QTest::newRow("look-alike") << "https://evilzemba.example/" << false;
        QTest::newRow("trusted domain inside another") << "https://store.zemba.example.attacker.example/" << false;
        QTest::newRow("other case") << "https://TEMPLATES.ZEMBA.EXAMPLE/" << true; // hosts are lower-cased by the parser
    }

    void whitelist()
    {
        QFETCH(QString, url);
        QFETCH(bool, trusted);
        QCOMPARE(KZembaPageHostHelper::isWhitelistHost(url), trusted);
    }

    void whitelistHitNeedsNoAppId()
    {
        QList<Error> codes;
        KZembaPageHostHelper::checkPageHostSignValid("", "https://store.zemba.example/page",
                                                     [&codes](Error code) { codes.append(code); });
        QCOMPARE(codes, QList<Error>{KZembaPageHostHelper::Success}); // before the call returned
        QVERIFY(m_runtime->hasLog("INFO", "kzembajsapilite",
                                  "KZembaPageHostHelper::checkPageHostSignValid whitelist hit, appid:, "
                                  "url:https://store.zemba.example/page."));
        KxLocalStorage store;
        QVERIFY(store.init(KZembaPageHostHelper::cacheDatabasePath()));
        QString value;
        qint64 time = 0;
        QVERIFY(!store.webStorageGet("", value, time));
        QCOMPARE(m_server.requestCount(), 0);
    }

    void emptyArguments_data()
    {
        QTest::addColumn<QString>("appId");
        QTest::addColumn<QString>("url");
        QTest::newRow("no app id") << "" << "http://127.0.0.1/p";
        QTest::newRow("no url") << "app-x" << "";
    }

    void emptyArguments()
    {
        QFETCH(QString, appId);
        QFETCH(QString, url);
        QList<Error> codes;
        KZembaPageHostHelper::checkPageHostSignValid(appId, url, [&codes](Error code) { codes.append(code); });
        QCOMPARE(codes, QList<Error>{KZembaPageHostHelper::EmptyParam});
        QVERIFY(m_runtime->hasLog("ERROR", "kzembajsapilite",
                                  QString("KZembaPageHostHelper::checkPageHostSignValid empty, appid:%1, url:%2.").arg(appId, url)));
    }

    void signHitIsCachedForThirtyDays()
    {
        registerSign("SIGN-1", "SIGN-1");
        QCOMPARE(check("app-1", pageUrl()), QList<Error>{KZembaPageHostHelper::Success});
        QCOMPARE(registrationRequests(), 1);
        const KTestHttpRequest registration = m_server.requests().first();
        QCOMPARE(registration.query(), QStringLiteral("app_id=app-1&rmsp=pc_kzembajsapilite_app_12.1_chan_HD9"));
        QCOMPARE(m_server.lastRequest().target(), QStringLiteral("/sign/zemba.txt"));
        QVERIFY(m_runtime->hasLog("INFO", "kzembajsapilite",
                                  "KZembaPageHostHelper::checkPageHostSignValid sign hit, appid:app-1, url:" + pageUrl() + "."));

        // Another page of the same host: served from the cache, before the call returns.
        QList<Error> codes;
        KZembaPageHostHelper::checkPageHostSignValid("app-1", pageUrl("/other"), [&codes](Error code) { codes.append(code); });
        QCOMPARE(codes, QList<Error>{KZembaPageHostHelper::Success});
        QCOMPARE(registrationRequests(), 1);

        editCache("app-1", 29);
        QCOMPARE(check("app-1", pageUrl()), QList<Error>{KZembaPageHostHelper::Success});
        QCOMPARE(registrationRequests(), 1);

        editCache("app-1", 31);
        QCOMPARE(check("app-1", pageUrl()), QList<Error>{KZembaPageHostHelper::Success});
        QCOMPARE(registrationRequests(), 2);
        // The fresh check wrote a fresh entry.
        QCOMPARE(check("app-1", pageUrl()), QList<Error>{KZembaPageHostHelper::Success});
        QCOMPARE(registrationRequests(), 2);
    }

    void cacheMisses_data()
    {
        QTest::addColumn<QString>("appId");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("value");
        QTest::newRow("other host") << "app-host" << "http://localhost/p" << QString();
        QTest::newRow("corrupt value") << "app-corrupt" << "http://127.0.0.1/p" << "bm90IGEgY2lwaGVy";
        QTest::newRow("not base64") << "app-junk" << "http://127.0.0.1/p" << "%%%";
    }

    void cacheMisses()
    {
        QFETCH(QString, appId);
        QFETCH(QString, url);
        QFETCH(QString, value);
        registerSign("S", "S");
        QCOMPARE(check(appId, pageUrl()), QList<Error>{KZembaPageHostHelper::Success});
        if (!value.isEmpty())
            editCache(appId, 0, value);
        m_server.clearRequests();
        // A miss goes to the server again; the sign still matches.
        QCOMPARE(check(appId, url), QList<Error>{KZembaPageHostHelper::Success});
        QCOMPARE(registrationRequests(), 1);
    }

    void signComparison_data()
    {
        QTest::addColumn<QString>("sign");
        QTest::addColumn<QByteArray>("served");
        QTest::addColumn<Error>("code");
        QTest::newRow("equal") << "abc" << QByteArray("abc") << KZembaPageHostHelper::Success;
        QTest::newRow("trailing newline") << "abc" << QByteArray("abc\n") << KZembaPageHostHelper::SignMismatch;
        QTest::newRow("other case") << "abc" << QByteArray("ABC") << KZembaPageHostHelper::SignMismatch;
        QTest::newRow("zero byte") << "abc" << QByteArray("abc\0tail", 8) << KZembaPageHostHelper::Success;
        QTest::newRow("empty file") << "abc" << QByteArray() << KZembaPageHostHelper::SignMismatch;
    }

    void signComparison()
    {
        QFETCH(QString, sign);
        QFETCH(QByteArray, served);
        QFETCH(Error, code);
        static int round = 0;
        const QString appId = QString("app-sign-%1").arg(++round);
        registerSign(sign, served);
        QCOMPARE(check(appId, pageUrl()), QList<Error>{code});
        if (code == KZembaPageHostHelper::SignMismatch) {
            const int nul = served.indexOf('\0');
            QVERIFY(m_runtime->hasLog("ERROR", "kzembajsapilite",
                                      "KZembaPageHostHelper::checkPageHostSignValid sign match error, open sign:" + sign
                                          + ", host sign:" + QString::fromUtf8(nul < 0 ? served : served.left(nul)) + "."));
        }
    }

    void neverTrustedNeverCached_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("served");
        QTest::addColumn<Error>("code");
        QTest::addColumn<bool>("downloaded");
        QTest::newRow("no sign") << QByteArray("{\"path\":\"/sign/zemba.txt\"}") << 200 << QByteArray()
                                 << KZembaPageHostHelper::AppInfoFailed << false;
        QTest::newRow("empty sign, empty file") << QByteArray("{\"path\":\"/sign/zemba.txt\",\"abstract\":\"\"}") << 200
                                                << QByteArray() << KZembaPageHostHelper::AppInfoFailed << false;
        QTest::newRow("empty sign, 204") << QByteArray("{\"path\":\"/sign/zemba.txt\",\"abstract\":\"\"}") << 204
                                         << QByteArray() << KZembaPageHostHelper::AppInfoFailed << false;
        QTest::newRow("sign, 204") << QByteArray("{\"path\":\"/sign/zemba.txt\",\"abstract\":\"S\"}") << 204
                                   << QByteArray() << KZembaPageHostHelper::SignMismatch << true;
        QTest::newRow("sign on another host")
            << QByteArray("{\"path\":\"@other.example/sign/zemba.txt\",\"abstract\":\"S\"}") << 200 << QByteArray("S")
            << KZembaPageHostHelper::AppInfoFailed << false;
        QTest::newRow("sign on another port")
            << QByteArray("{\"path\":\":8443/sign/zemba.txt\",\"abstract\":\"S\"}") << 200 << QByteArray("S")
            << KZembaPageHostHelper::AppInfoFailed << false;
        QTest::newRow("sign on a host of its own")
            << QByteArray("{\"path\":\".other.example/sign/zemba.txt\",\"abstract\":\"S\"}") << 200 << QByteArray("S")
            << KZembaPageHostHelper::AppInfoFailed << false;
    }

    // A registration without a sign, or one that points the check at another server, proves
    // nothing: the page is not trusted, nothing is cached, and the next check asks again.
    void neverTrustedNeverCached()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, status);
        QFETCH(QByteArray, served);
        QFETCH(Error, code);
        QFETCH(bool, downloaded);
        static int round = 0;
        const QString appId = QString("app-distrust-%1").arg(++round);
        registerApp("{\"result\":\"ok\",\"data\":" + data + "}");
        m_server.setAnswer("/sign/zemba.txt", KTestHttpAnswer(status, served));
        QCOMPARE(check(appId, pageUrl()), QList<Error>{code});
        QCOMPARE(m_server.requestCount(), downloaded ? 2 : 1);
        if (!downloaded) {
            QVERIFY(m_runtime->hasLog("ERROR", "kzembajsapilite",
                                      "KZembaPageHostHelper::checkPageHostSignValid registration unusable, appid:" + appId
                                          + ", url:" + pageUrl() + "."));
        }

        KxLocalStorage store;
        QVERIFY(store.init(KZembaPageHostHelper::cacheDatabasePath()));
        QString value;
        qint64 time = 0;
        QVERIFY(!store.webStorageGet(appId, value, time));
        QCOMPARE(check(appId, pageUrl()), QList<Error>{code});
        QCOMPARE(registrationRequests(), 2);
    }

    // The sign URL keeps an IPv6 host in its brackets, and drops the page's port.
    void ipv6HostReachesItsSignFile()
    {
        KTestHttpServer v6;
        if (!v6.start(QHostAddress(QHostAddress::LocalHostIPv6)))
            QSKIP("no IPv6 loopback on this machine");
        KTestPluginControl::instance()->setOption("resnetwork/defaultPort", v6.port());
        registerApp("{\"result\":\"ok\",\"data\":{\"path\":\"/sign/zemba.txt\",\"abstract\":\"V6\"}}");
        v6.setAnswer("/sign/zemba.txt", KTestHttpAnswer(200, "V6"));
        const QString page("http://[::1]:8080/app/index.html");
        QCOMPARE(check("app-v6", page), QList<Error>{KZembaPageHostHelper::Success});
        QCOMPARE(v6.requestCount(), 1);
        QCOMPARE(v6.lastRequest().target(), QStringLiteral("/sign/zemba.txt"));
        QStringList urls;
        for (const KTestPluginCall& call : KTestPluginControl::instance()->calls()) {
            if (call.name == "resnetwork.startDownload")
                urls += call.args.value(1).toStringList();
        }
        QCOMPARE(urls, QStringList{"http://[::1]/sign/zemba.txt"});

        QList<Error> codes;
        KZembaPageHostHelper::checkPageHostSignValid("app-v6", page, [&codes](Error code) { codes.append(code); });
        QCOMPARE(codes, QList<Error>{KZembaPageHostHelper::Success}); // cached for the IPv6 host
    }

    void registrationRefused_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("status");
        QTest::newRow("OK in capitals") << QByteArray("{\"result\":\"OK\",\"data\":{}}") << 200;
        QTest::newRow("refused") << QByteArray("{\"result\":\"fail\"}") << 200;
        QTest::newRow("not json") << QByteArray("<html>") << 200;
        QTest::newRow("server error") << QByteArray("{\"result\":\"ok\"}") << 500;
    }

    void registrationRefused()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, status);
        m_server.setAnswer("/proxy/text-extraction/tools/check_domain", KTestHttpAnswer(status, answer));
        QCOMPARE(check("app-refused", pageUrl()), QList<Error>{KZembaPageHostHelper::AppInfoFailed});
        QCOMPARE(m_server.requestCount(), 1); // no sign download
        if (status != 200) {
            const QString url = m_server.requests().first().target();
            QVERIFY(m_runtime->hasLog("ERROR", "kzembajsapilite",
                                      "KZembaPageHostHelper::checkPageHostSignValid fetchAppInfo error, url:"
                                          + m_server.url(url) + ", httpCode:500, error:"
                                          + QString::number(int(QNetworkReply::InternalServerError)) + "."));
        }
    }

    void networkServiceHandsOutNothing()
    {
        KTestPluginControl::instance()->setOption("network/present", false);
        QCOMPARE(check("app-nonet", pageUrl()), QList<Error>{KZembaPageHostHelper::AppInfoFailed});
    }

    void signDownloadFails()
    {
        registerApp("{\"result\":\"ok\",\"data\":{\"path\":\"/sign/missing.txt\",\"abstract\":\"x\"}}");
        QCOMPARE(check("app-nosign", pageUrl()), QList<Error>{KZembaPageHostHelper::SignDownloadFailed});
        QVERIFY(m_runtime->hasLog("ERROR", "kzembajsapilite",
                                  "KZembaPageHostHelper::checkPageHostSignValid download sign error, "
                                  "url:http://127.0.0.1/sign/missing.txt, httpCode:404, error:"
                                      + QString::number(int(QNetworkReply::ContentNotFoundError)) + "."));

        // A URL that carries "%2F" stays whole in the line.
        registerApp("{\"result\":\"ok\",\"data\":{\"path\":\"/sign%2Fmissing.txt\",\"abstract\":\"x\"}}");
        QCOMPARE(check("app-nosign", pageUrl()), QList<Error>{KZembaPageHostHelper::SignDownloadFailed});
        QVERIFY(m_runtime->hasLog("ERROR", "kzembajsapilite",
                                  "KZembaPageHostHelper::checkPageHostSignValid download sign error, "
                                  "url:http://127.0.0.1/sign%2Fmissing.txt, httpCode:404, error:"
                                      + QString::number(int(QNetworkReply::ContentNotFoundError)) + "."));

        KTestPluginControl::instance()->setOption("resnetwork/present", false);
        QCOMPARE(check("app-nosign", pageUrl()), QList<Error>{KZembaPageHostHelper::SignDownloadFailed});
    }

private:
    KTestHttpServer m_server;
    std::unique_ptr<KTestRuntime> m_runtime;
};

KZEMBA_TEST_MAIN(TstPageHostCheck)
#include "tst_pagehostcheck.moc"
