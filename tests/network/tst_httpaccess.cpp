// The page's HTTP requests against the local test server: request building, the
// one answer per request, its shapes and codes, and deflate bodies.
#include "ktestapplication.h"
#include "ktestcommonjsapi.h"
#include "ktesthttpserver.h"
#include "ktestpagehost.h"
#include "ktestplugincontrol.h"
#include "ktestruntime.h"

#include "network/kzembacommonhttpaccess.h"

#include <QJsonArray>
#include <QNetworkCookieJar>
#include <QNetworkRequest>
#include <QtTest>

#include <zlib.h>

// Opens the request builder to the test.
class KRequestBuildingJsApi : public KTestCommonJsApi
{
    Q_OBJECT
public:
    using KTestCommonJsApi::KTestCommonJsApi;
    using KZembaCommonJsApi::getNetRequest;
    using KZembaCommonJsApi::httpAccessCount;
};

using Encoding = KTestHttpAnswer::Encoding;
Q_DECLARE_METATYPE(KTestHttpAnswer::Encoding)

class TstHttpAccess : public QObject
{
    Q_OBJECT

private:
    KxHeadlessPage* page() const { return m_host->page(); }

    // Sends one request and returns what its callback received.
    KxPageDelivery request(const QString& method, QJsonObject args, const QString& callback = "cb")
    {
        args.insert("callback", callback);
        if (!args.contains("timeout"))
            args.insert("timeout", 10000);
        const int before = page()->deliveriesTo(callback).size();
        page()->call(method, args);
        if (!m_host->waitForDeliveries(callback, before + 1, 15000))
            return KxPageDelivery();
        return page()->deliveriesTo(callback).last();
    }

    QJsonObject resultOf(const KxPageDelivery& delivery) const
    {
        return delivery.json().toObject().value("result").toObject();
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        KTestPluginControl::instance()->reset();
        QVERIFY(m_server.start());
        m_server.clearAnswers();
        m_server.clearRequests();
        m_host = std::make_unique<KTestPageHost>();
        m_api = m_host->installApi<KRequestBuildingJsApi>();
        m_api->initHandlers();
    }

    void cleanup()
    {
        m_host.reset();
        m_runtime.reset();
    }

    // Runs before anything loads the core-lite plug-in.
    void requestIsCompleteWithoutTheDecorator()
    {
        m_server.setAnswer("/plain", KTestHttpAnswer(200, "{\"a\":1}"));
        const KxPageDelivery delivery = request("httpGet", {{"url", m_server.url("/plain")}});
        QCOMPARE(resultOf(delivery).value("data").toObject(), QJsonObject({{"a", 1}}));
        QCOMPARE(m_server.lastRequest().header("X-Requested-With"), QByteArray("XMLHttpRequest"));
        QVERIFY(!m_server.lastRequest().hasHeader("X-Zemba-Account"));
    }

    void jsonAnswers_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QJsonValue>("data");
        QTest::addColumn<QString>("code");
        QTest::newRow("object") << QByteArray("{\"k\":\"v\",\"n\":2}") << QJsonValue(QJsonObject{{"k", "v"}, {"n", 2}}) << "0";
        QTest::newRow("array") << QByteArray("[1,\"two\"]") << QJsonValue(QJsonArray{1, "two"}) << "0";
        QTest::newRow("empty object") << QByteArray("{}") << QJsonValue("{}") << "1";
        QTest::newRow("empty array") << QByteArray("[]") << QJsonValue("[]") << "1";
        QTest::newRow("text") << QByteArray("plain ü") << QJsonValue("plain ü") << "1";
        QTest::newRow("nothing") << QByteArray() << QJsonValue("") << "1";
        QTest::newRow("cut at NUL") << QByteArray("abc\0def", 7) << QJsonValue("abc") << "1";
    }

    void jsonAnswers()
    {
        QFETCH(QByteArray, body);
        QFETCH(QJsonValue, data);
        QFETCH(QString, code);
        m_server.setAnswer("/json", KTestHttpAnswer(200, body));
        const qint64 before = QDateTime::currentMSecsSinceEpoch();
        const KxPageDelivery delivery = request("httpGet", {{"url", m_server.url("/json")}});
        QCOMPARE(delivery.kind, KxPageDelivery::Callback);
        const QJsonObject root = delivery.json().toObject();
        QCOMPARE(root.keys(), QStringList{"result"});
        const QJsonObject result = root.value("result").toObject();
        QCOMPARE(result.value("data"), data);
        QCOMPARE(result.value("error_code").toString(), code);
        QCOMPARE(result.value("network_error_code").toInt(-1), 0);
        const qint64 start = result.value("network_start_time").toString().toLongLong();
        const qint64 end = result.value("network_end_time").toString().toLongLong();
        QVERIFY(start >= before);
        QVERIFY(end >= start);
    }

    void bodyEncodings_data()
    {
        QTest::addColumn<Encoding>("encoding");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<bool>("inflated");
        QTest::newRow("zlib stream") << Encoding::Zlib << QByteArray("deflate") << true;
        QTest::newRow("raw deflate, Deflate") << Encoding::RawDeflate << QByteArray("Deflate") << true;
        QTest::newRow("raw deflate, DEFLATE") << Encoding::RawDeflate << QByteArray("DEFLATE") << true;
        QTest::newRow("gzip untouched") << Encoding::Gzip << QByteArray("gzip") << false;
        QTest::newRow("gzip labelled otherwise") << Encoding::Gzip << QByteArray("x-custom") << false;
    }

    void bodyEncodings()
    {
        QFETCH(Encoding, encoding);
        QFETCH(QByteArray, header);
        QFETCH(bool, inflated);
        QByteArray plain;
        for (int i = 0; i < 5000; ++i)
            plain += "line " + QByteArray::number(i) + " of a body that compresses well\n";
        m_server.setAnswer("/enc", KTestHttpAnswer(200, plain).setEncoding(encoding, header));
        // A page that names its encodings itself gets the body as sent; Qt then leaves it alone.
        const KxPageDelivery delivery = request("httpGet", {{"url", m_server.url("/enc")}, {"type", "text"},
                                                            {"header", QJsonObject{{"Accept-Encoding", QString(header)}}}});
        QCOMPARE(delivery.kind, KxPageDelivery::RawCallback);
        const QByteArray expected = inflated ? plain : KTestHttpAnswer::compress(plain, encoding);
        QCOMPARE(delivery.text.toLatin1(), expected);
    }

    void bodyThatIsNotDeflateIsDeliveredAsReceived()
    {
        const QByteArray body("this is not deflate data at all");
        m_server.setAnswer("/bad", KTestHttpAnswer(200, body).setHeader("Content-Encoding", "deflate"));
        const KxPageDelivery delivery = request("httpGet", {{"url", m_server.url("/bad")}, {"type", "text"},
                                                            {"header", QJsonObject{{"Accept-Encoding", "deflate"}}}});
        QCOMPARE(delivery.text.toLatin1(), body);
    }

    void inflate_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("output");
        const QByteArray plain(100000, 'z');
        const QByteArray zlibStream = KTestHttpAnswer::compress(plain, Encoding::Zlib);
        QTest::newRow("zlib") << zlibStream << true << plain;
        QTest::newRow("raw") << KTestHttpAnswer::compress(plain, Encoding::RawDeflate) << true << plain;
        QTest::newRow("cut before the trailer") << zlibStream.left(zlibStream.size() - 4) << true << plain;
        QTest::newRow("empty") << QByteArray() << true << QByteArray();
        QTest::newRow("garbage") << QByteArray("\xff\xfe\xfd garbage", 12) << false << QByteArray();
        QTest::newRow("gzip") << KTestHttpAnswer::compress(plain, Encoding::Gzip) << false << QByteArray();
    }

    void inflate()
    {
        QFETCH(QByteArray, input);
        QFETCH(bool, ok);
        QFETCH(QByteArray, output);
        QByteArray out("untouched");
        QCOMPARE(KZembaCommonHttpAccess::inflateBody(input, out), ok);
        QCOMPARE(out, ok ? output : QByteArray("untouched"));
    }

    // Bodies that take many passes and a growing result, and the limit to the byte.
    void inflateWithinLimit_data()
    {
        QTest::addColumn<Encoding>("encoding");
        QTest::addColumn<int>("extra");
        QTest::addColumn<int>("result");
        const int inflated = int(KZembaCommonHttpAccess::InflateResult::Inflated);
        const int tooLarge = int(KZembaCommonHttpAccess::InflateResult::TooLarge);
        QTest::newRow("zlib, room to spare") << Encoding::Zlib << 1000 << inflated;
        QTest::newRow("zlib, exactly the limit") << Encoding::Zlib << 0 << inflated;
        QTest::newRow("zlib, one byte past") << Encoding::Zlib << -1 << tooLarge;
        QTest::newRow("raw, exactly the limit") << Encoding::RawDeflate << 0 << inflated;
        QTest::newRow("raw, one byte past") << Encoding::RawDeflate << -1 << tooLarge;
        QTest::newRow("gzip, exactly the limit") << Encoding::Gzip << 0 << inflated;
        QTest::newRow("gzip, one byte past") << Encoding::Gzip << -1 << tooLarge;
    }

    void inflateWithinLimit()
    {
        QFETCH(Encoding, encoding);
        QFETCH(int, extra);
        QFETCH(int, result);
        QByteArray plain;
        for (int i = 0; plain.size() < 6 * 1024 * 1024; ++i)
            plain += "row " + QByteArray::number(i * 7919 % 100003) + " of a long body\n";
        QByteArray out("untouched");
        const auto got = KZembaCommonHttpAccess::inflateBody(KTestHttpAnswer::compress(plain, encoding), out,
                                                             plain.size() + extra, encoding == Encoding::Gzip);
        QCOMPARE(int(got), result);
        QCOMPARE(out, got == KZembaCommonHttpAccess::InflateResult::Inflated ? plain : QByteArray("untouched"));
    }

    void requestHeadersAndCookies()
    {
        m_server.setAnswer("/h", KTestHttpAnswer(200, "{\"ok\":1}"));
        request("httpGet", {{"url", m_server.url("/h")},
                            {"header", QJsonObject{{"X-Requested-With", "Custom"}, {"X-Extra", "ü"}}},
                            {"cookie", QJsonObject{{"a", "1"}, {"b", "2"}}}});
        const KTestHttpRequest sent = m_server.lastRequest();
        QCOMPARE(sent.headerValues("X-Requested-With"), QList<QByteArray>{"Custom"});
        QCOMPARE(sent.header("X-Extra"), QString("ü").toUtf8());
        QCOMPARE(sent.cookie("a"), QByteArray("1"));
        QCOMPARE(sent.cookie("b"), QByteArray("2"));
        QVERIFY(!sent.hasHeader("Content-Type"));
    }

    void eraseHisCookie()
    {
        m_server.setAnswer("/c", KTestHttpAnswer(200, "{\"ok\":1}"));
        request("httpGet", {{"url", m_server.url("/c")}, {"cookie", QJsonObject{{"old", "1"}}}});

        // An empty map leaves the jar alone, whatever the flag says.
        request("httpGet", {{"url", m_server.url("/c")}, {"eraseHisCookie", true}, {"cookie", QJsonObject()}});
        QCOMPARE(m_server.lastRequest().cookie("old"), QByteArray("1"));

        request("httpGet", {{"url", m_server.url("/c")}, {"cookie", QJsonObject{{"new", "2"}}}});
        QVERIFY(m_server.lastRequest().hasCookie("old"));

        request("httpGet", {{"url", m_server.url("/c")}, {"eraseHisCookie", true}, {"cookie", QJsonObject{{"fresh", "3"}}}});
        QVERIFY(!m_server.lastRequest().hasCookie("old"));
        QVERIFY(!m_server.lastRequest().hasCookie("new"));
        QCOMPARE(m_server.lastRequest().cookie("fresh"), QByteArray("3"));
    }

    void urlModes()
    {
        m_server.setDefaultAnswer(KTestHttpAnswer(200, "{\"ok\":1}"));
        request("httpGet", {{"url", m_server.url("/a b?q=x y")}});
        QCOMPARE(m_server.lastRequest().target(), QStringLiteral("/a%20b?q=x%20y"));
        request("httpGet", {{"url", m_server.url("/a%2Fb?q=%3D%26")}, {"bEncode", false}});
        QCOMPARE(m_server.lastRequest().target(), QStringLiteral("/a%2Fb?q=%3D%26"));
    }

    void methodsAndBodies()
    {
        m_server.setDefaultAnswer(KTestHttpAnswer(200, "{\"ok\":1}"));
        request("httpPost", {{"url", m_server.url("/p")}, {"bRawData", true}, {"data", "{\"raw\":\"ü\"}"},
                             {"header", QJsonObject{{"Content-Type", "application/json"}}}});
        QCOMPARE(m_server.lastRequest().method(), QByteArray("POST"));
        QCOMPARE(m_server.lastRequest().body(), QString("{\"raw\":\"ü\"}").toUtf8());
        QCOMPARE(m_server.lastRequest().header("Content-Type"), QByteArray("application/json"));

        request("httpPost", {{"url", m_server.url("/p")}, {"data", QJsonObject{{"a", "x y"}, {"b", 2}}}});
        QCOMPARE(m_server.lastRequest().body(), QByteArray("a=x%20y&b=2"));
        QCOMPARE(m_server.lastRequest().header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));

        request("httpDelete", {{"url", m_server.url("/d")}});
        QCOMPARE(m_server.lastRequest().method(), QByteArray("DELETE"));
        QVERIFY(m_server.lastRequest().body().isEmpty());
    }

    void withoutTimeoutTheRequestTimesOut()
    {
        m_server.setAnswer("/slow", KTestHttpAnswer(200, "{\"late\":1}").setDelay(300));
        page()->call("httpGet", QJsonObject{{"url", m_server.url("/slow")}, {"callback", "cb"}});
        QVERIFY(m_host->waitForDeliveries("cb"));
        const QJsonObject result = resultOf(page()->deliveriesTo("cb").first());
        QCOMPARE(result.value("error_code").toString(), QStringLiteral("8"));
        QCOMPARE(result.value("network_error_code").toInt(), 4);
        QCOMPARE(result.value("data").toString(), QString());
        QTest::qWait(500);
        QCOMPARE(page()->deliveriesTo("cb").size(), 1);
        QCOMPARE(m_api->httpAccessCount(), 0);
    }

    void timeoutAnswersOnce()
    {
        m_server.setAnswer("/never", KTestHttpAnswer::never());
        const KxPageDelivery delivery = request("httpGet", {{"url", m_server.url("/never")}, {"timeout", 100}, {"type", "text"}});
        QCOMPARE(delivery.kind, KxPageDelivery::Callback);
        const QJsonObject root = delivery.json().toObject();
        QCOMPARE(root.value("callstatus").toString(), QStringLiteral("ok"));
        QCOMPARE(root.value("result").toObject().value("error_code").toString(), QStringLiteral("8"));
        QCOMPARE(root.value("result").toObject().value("network_error_code").toInt(), 4);
        // Deleting the access aborts the request: the server sees the connection go.
        QTRY_COMPARE(m_server.connectionCount(), 0);
    }

    void httpErrorThenFinishIsAnsweredOnce()
    {
        m_server.setAnswer("/missing", KTestHttpAnswer(404, "{\"why\":\"gone\"}"));
        const KxPageDelivery delivery = request("httpGet", {{"url", m_server.url("/missing")}});
        const QJsonObject result = resultOf(delivery);
        QCOMPARE(result.value("error_code").toString(), QStringLiteral("7"));
        QCOMPARE(result.value("network_error_code").toInt(), int(QNetworkReply::ContentNotFoundError));
        QCOMPARE(result.value("data").toObject(), QJsonObject({{"why", "gone"}}));
        QTest::qWait(100);
        QCOMPARE(page()->deliveriesTo("cb").size(), 1);
    }

    void droppedConnectionIsANetworkError()
    {
        m_server.setAnswer("/drop", KTestHttpAnswer(200, QByteArray(4000, 'x')).setDropAfter(100));
        const KxPageDelivery delivery = request("httpGet", {{"url", m_server.url("/drop")}, {"type", "text"}});
        const QJsonObject result = resultOf(delivery);
        QCOMPARE(result.value("error_code").toString(), QStringLiteral("7"));
        QCOMPARE(result.value("network_error_code").toInt(), int(QNetworkReply::RemoteHostClosedError));
        QCOMPARE(delivery.json().toObject().value("callstatus").toString(), QStringLiteral("ok"));
    }

    void otherTypesGetTheRawBody()
    {
        m_server.setAnswer("/raw", KTestHttpAnswer(200, "{\"not\":\"wrapped\"}"));
        const KxPageDelivery delivery = request("httpGet", {{"url", m_server.url("/raw")}, {"type", "JSON"}});
        QCOMPARE(delivery.kind, KxPageDelivery::RawCallback);
        QCOMPARE(delivery.text, QStringLiteral("{\"not\":\"wrapped\"}"));
    }

    void withoutCallbackNothingIsAnswered()
    {
        m_server.setAnswer("/quiet", KTestHttpAnswer(200, "{\"a\":1}"));
        page()->call("httpGet", QJsonObject{{"url", m_server.url("/quiet")}, {"timeout", 5000}});
        QVERIFY(m_server.waitForRequests(1));
        QTRY_COMPARE(m_api->httpAccessCount(), 0);
        QVERIFY(page()->deliveries().isEmpty());

        page()->call("httpGet", QJsonObject());
        QTest::qWait(50);
        QCOMPARE(m_server.requestCount(), 1);
    }

    void securityBypassTurnsOffPeerVerification()
    {
        const QVariantMap args{{"url", "https://127.0.0.1:1/x"}};
        QCOMPARE(m_api->getNetRequest(args, QNetworkAccessManager::GetOperation).sslConfiguration().peerVerifyMode(),
                 QSslConfiguration::defaultConfiguration().peerVerifyMode());
        m_runtime->setValue("product/httpsSecurityBypass", true);
        QCOMPARE(m_api->getNetRequest(args, QNetworkAccessManager::GetOperation).sslConfiguration().peerVerifyMode(),
                 QSslSocket::VerifyNone);
    }

    void manyRequestsInFlight()
    {
        m_server.setAnswer("/many", KTestHttpAnswer(200, "{\"ok\":true}").setDelay(20));
        const int count = 200;
        for (int i = 0; i < count; ++i)
            page()->call("httpGet", QJsonObject{{"url", m_server.url("/many")}, {"callback", QString("cb%1").arg(i)},
                                                {"timeout", 60000}});
        QCOMPARE(m_api->httpAccessCount(), count);
        QVERIFY(QTest::qWaitFor([&] { return page()->deliveries().size() >= count; }, 60000));
        QTest::qWait(100);
        QCOMPARE(page()->deliveries().size(), count);
        for (int i = 0; i < count; ++i) {
            const QList<KxPageDelivery> mine = page()->deliveriesTo(QString("cb%1").arg(i));
            QCOMPARE(mine.size(), 1);
            QCOMPARE(resultOf(mine.first()).value("error_code").toString(), QStringLiteral("0"));
        }
        QCOMPARE(m_api->httpAccessCount(), 0);
    }

    void objectDestroyedWhileRequestsAreInFlight()
    {
        m_server.setAnswer("/hang", KTestHttpAnswer::never());
        for (int i = 0; i < 5; ++i)
            page()->call("httpGet", QJsonObject{{"url", m_server.url("/hang")}, {"callback", "cb"}, {"timeout", 60000}});
        QVERIFY(m_server.waitForRequests(5));
        delete m_api.data();
        QTRY_COMPARE(m_server.connectionCount(), 0);
        QTest::qWait(50);
        QVERIFY(page()->deliveries().isEmpty());
    }

    void decoratorIsCalledFiveTimesInOrder()
    {
        m_runtime->installPlugin("kzembacorelite");
        m_server.setAnswer("/dec", KTestHttpAnswer(200, "{\"ok\":1}"));
        const QString url = m_server.url("/dec");
        request("httpPost", {{"url", url},
                             {"cookie", QJsonObject{{"c", "1"}}},
                             {"header", QJsonObject{{"H", "v"}}},
                             {"data", QJsonObject{{"x", 1}}}});

        QList<KTestPluginCall> calls;
        for (const KTestPluginCall& call : KTestPluginControl::instance()->calls()) {
            if (call.name.startsWith("decorator."))
                calls.append(call);
        }
        QCOMPARE(calls.size(), 5);
        QObject* jar = m_api->networkAccessManager()->cookieJar();
        QCOMPARE(calls.at(0).name, QStringLiteral("decorator.decorateCookies"));
        QCOMPARE(calls.at(0).args, (QVariantList{QVariant::fromValue(jar), QVariantMap{{"c", "1"}}, QUrl(url)}));
        QCOMPARE(calls.at(1).name, QStringLiteral("decorator.decorateHeaders"));
        QCOMPARE(calls.at(1).args, (QVariantList{QVariant::fromValue(jar), QVariantMap{{"H", "v"}}, QUrl(url)}));
        QCOMPARE(calls.at(2).name, QStringLiteral("decorator.decorateAccount"));
        QCOMPARE(calls.at(2).args, (QVariantList{QVariant::fromValue(jar), QUrl(url)}));
        QCOMPARE(calls.at(3).name, QStringLiteral("decorator.operationName"));
        QCOMPARE(calls.at(3).args, QVariantList{int(QNetworkAccessManager::PostOperation)});
        QCOMPARE(calls.at(4).name, QStringLiteral("decorator.decorateRequest"));
        QCOMPARE(calls.at(4).args, (QVariantList{"POST", QUrl(url)}));
        QCOMPARE(m_server.lastRequest().header("X-Zemba-Account"), QByteArray("POST"));

        KTestPluginControl::instance()->setOption("decorator/present", false);
        request("httpGet", {{"url", url}});
        QVERIFY(!m_server.lastRequest().hasHeader("X-Zemba-Account"));
    }

    void accessWithoutReply()
    {
        KZembaCommonHttpAccess access(nullptr, "cb", "json", 10);
        QCOMPARE(access.getHttpStatusCode(), -1);
        QCOMPARE(access.getHttpReason(), QStringLiteral("reply null"));
        QCOMPARE(access.method(), QStringLiteral("get"));
        QSignalSpy done(&access, &KZembaCommonHttpAccess::done);
        access.go();
        QTRY_COMPARE(done.count(), 1);
        QVERIFY(access.isTimeout());
        QCOMPARE(access.errorCode(), 4);
        access.onDone();
        QCOMPARE(done.count(), 1);
    }

private:
    KTestHttpServer m_server;
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestPageHost> m_host;
    QPointer<KRequestBuildingJsApi> m_api;
};

KZEMBA_TEST_MAIN(TstHttpAccess)
#include "tst_httpaccess.moc"
