// The local HTTP server of the network tests, driven by a real client and by raw sockets.
#include "ktestapplication.h"
#include "ktesthttpserver.h"
#include "ktestruntime.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QtTest>

#include <zlib.h>

#include <memory>

namespace {

// Inflates `data` with the given zlib window bits (15 zlib, -15 raw deflate, 31 gzip).
bool inflateBytes(const QByteArray& data, int windowBits, QByteArray* out)
{
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK)
        return false;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    char buffer[4096];
    int status = Z_OK;
    out->clear();
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof(buffer);
        status = inflate(&stream, Z_NO_FLUSH);
        out->append(buffer, static_cast<int>(sizeof(buffer) - stream.avail_out));
        if (status == Z_BUF_ERROR && stream.avail_in == 0)
            break;
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END && stream.avail_in == 0;
}

// A raw client: writes bytes as given and collects whatever comes back.
class RawClient
{
public:
    explicit RawClient(quint16 port)
    {
        QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] { m_received += m_socket.readAll(); });
        m_socket.connectToHost(QHostAddress::LocalHost, port);
    }

    bool waitConnected()
    {
        return QTest::qWaitFor([this] { return m_socket.state() == QAbstractSocket::ConnectedState; }, 3000);
    }
    // Writes in pieces of `pieceSize` bytes, each after a short turn of the event loop, so
    // that the server sees the request arrive in parts.
    void send(const QByteArray& bytes, int pieceSize = 0)
    {
        if (pieceSize <= 0) {
            m_socket.write(bytes);
            return;
        }
        for (int at = 0; at < bytes.size(); at += pieceSize) {
            m_socket.write(bytes.mid(at, pieceSize));
            m_socket.flush();
            QTest::qWait(2);
        }
    }
    bool waitClosed(int timeoutMs = 5000)
    {
        return QTest::qWaitFor([this] { return m_socket.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
    }
    bool waitFor(const QByteArray& text, int timeoutMs = 5000)
    {
        return QTest::qWaitFor([&] { return m_received.contains(text); }, timeoutMs);
    }
    QByteArray received() const { return m_received; }
    QByteArray body() const { return m_received.mid(m_received.indexOf("\r\n\r\n") + 4); }
    QTcpSocket& socket() { return m_socket; }

private:
    QTcpSocket m_socket;
    QByteArray m_received;
};

QByteArray sampleBody()
{
    QByteArray body;
    for (int i = 0; i < 400; ++i)
        body += "line " + QByteArray::number(i) + " of a body that compresses well\n";
    for (int i = 0; i < 256; ++i)
        body += char(i);
    return body;
}

} // namespace

class TstHttpServer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        m_server = std::make_unique<KTestHttpServer>();
        QVERIFY(m_server->start());
        m_manager = std::make_unique<QNetworkAccessManager>();
    }

    void cleanup()
    {
        m_manager.reset();
        m_server.reset();
        m_runtime.reset();
    }

    void listensOnLoopbackWithEphemeralPort()
    {
        QVERIFY(m_server->isListening());
        QVERIFY(m_server->port() > 0);
        const QString base = QStringLiteral("http://127.0.0.1:%1").arg(m_server->port());
        QCOMPARE(m_server->url("/a/b?c=1"), base + "/a/b?c=1");
        QCOMPARE(m_server->url("a"), base + "/a");
        QCOMPARE(m_server->url(), base + "/");

        KTestHttpServer other;
        QVERIFY(other.start());
        QVERIFY(other.port() != m_server->port());

        m_server->stop();
        QVERIFY(!m_server->isListening());
        QVERIFY(m_server->start());
        QNetworkReply* reply = m_manager->get(QNetworkRequest(m_server->url("/again")));
        QTRY_VERIFY(reply->isFinished());
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 404);
    }

    void answerSelection_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");

        QTest::newRow("any method") << QByteArray("GET") << "/thing" << 200 << QByteArray("any method");
        QTest::newRow("other method") << QByteArray("DELETE") << "/thing" << 200 << QByteArray("any method");
        QTest::newRow("method of its own") << QByteArray("POST") << "/thing" << 201 << QByteArray("post only");
        QTest::newRow("other query") << QByteArray("GET") << "/thing?v=1" << 200 << QByteArray("any method");
        QTest::newRow("exact query") << QByteArray("GET") << "/thing?v=2" << 202 << QByteArray("exact query");
        QTest::newRow("method before query") << QByteArray("POST") << "/thing?v=2" << 201 << QByteArray("post only");
        QTest::newRow("unscripted") << QByteArray("GET") << "/other" << 404 << QByteArray("not found\n");
        QTest::newRow("path is exact") << QByteArray("GET") << "/thing/more" << 404 << QByteArray("not found\n");
        QTest::newRow("head has no body") << QByteArray("HEAD") << "/thing" << 200 << QByteArray();
    }

    void answerSelection()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, target);
        QFETCH(int, status);
        QFETCH(QByteArray, body);

        m_server->setAnswer("/thing", KTestHttpAnswer(200, "any method"));
        m_server->setAnswer("POST", "/thing", KTestHttpAnswer(201, "post only"));
        m_server->setAnswer("/thing?v=2", KTestHttpAnswer(202, "exact query"));

        // Only a real HEAD operation tells the client not to wait for a body.
        const QNetworkRequest request(m_server->url(target));
        QNetworkReply* reply = method == "HEAD" ? m_manager->head(request) : m_manager->sendCustomRequest(request, method);
        QTRY_VERIFY(reply->isFinished());
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), status);
        QCOMPARE(reply->readAll(), body);
        QCOMPARE(m_server->lastRequest().method(), method);
        QCOMPARE(m_server->lastRequest().target(), target);
    }

    void statusLineAndHeaders_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("reason");
        QTest::addColumn<QByteArray>("expectedReason");

        QTest::newRow("usual reason") << 201 << QByteArray() << QByteArray("Created");
        QTest::newRow("scripted reason") << 503 << QByteArray("Busy Right Now") << QByteArray("Busy Right Now");
        QTest::newRow("no reason") << 200 << QByteArray("") << QByteArray();
        QTest::newRow("unusual code") << 299 << QByteArray() << QByteArray("Unknown");
    }

    void statusLineAndHeaders()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, reason);
        QFETCH(QByteArray, expectedReason);

        KTestHttpAnswer answer(200, R"({"ok":true})");
        answer.setStatus(status, reason)
            .setHeader("Content-Type", "application/json")
            .setHeader("X-Custom", "first")
            .setHeader("x-custom", "second");
        m_server->setAnswer("/s", answer);

        QNetworkReply* reply = m_manager->get(QNetworkRequest(m_server->url("/s")));
        QTRY_VERIFY(reply->isFinished());
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), status);
        QCOMPARE(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray(), expectedReason);
        QCOMPARE(reply->rawHeader("Content-Type"), QByteArray("application/json"));
        QCOMPARE(reply->rawHeader("X-Custom"), QByteArray("second")); // set twice, sent once
        QCOMPARE(reply->rawHeader("Content-Length"), QByteArray("11"));
        QCOMPARE(reply->readAll(), QByteArray(R"({"ok":true})"));
    }

    void encodings_data()
    {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<bool>("defaultName");
        QTest::addColumn<QByteArray>("contentEncoding");
        QTest::addColumn<int>("windowBits");

        using E = KTestHttpAnswer::Encoding;
        QTest::newRow("identity") << int(E::Identity) << true << QByteArray() << 0;
        QTest::newRow("zlib stream") << int(E::Zlib) << true << QByteArray("deflate") << MAX_WBITS;
        QTest::newRow("raw deflate") << int(E::RawDeflate) << true << QByteArray("deflate") << -MAX_WBITS;
        QTest::newRow("gzip") << int(E::Gzip) << true << QByteArray("gzip") << MAX_WBITS + 16;
        QTest::newRow("raw named in capitals") << int(E::RawDeflate) << false << QByteArray("DEFLATE") << -MAX_WBITS;
        QTest::newRow("zlib not named") << int(E::Zlib) << false << QByteArray() << MAX_WBITS;
    }

    void encodings()
    {
        QFETCH(int, encoding);
        QFETCH(bool, defaultName);
        QFETCH(QByteArray, contentEncoding);
        QFETCH(int, windowBits);

        const QByteArray plain = sampleBody();
        KTestHttpAnswer answer(200, plain);
        if (defaultName)
            answer.setEncoding(KTestHttpAnswer::Encoding(encoding));
        else
            answer.setEncoding(KTestHttpAnswer::Encoding(encoding), contentEncoding);
        m_server->setAnswer("/z", answer);

        QNetworkRequest request(m_server->url("/z"));
        // Asking for encodings ourselves keeps the client from inflating the body for us.
        request.setRawHeader("Accept-Encoding", "gzip, deflate");
        QNetworkReply* reply = m_manager->get(request);
        QTRY_VERIFY(reply->isFinished());
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        const QByteArray wire = reply->readAll();
        QCOMPARE(reply->hasRawHeader("Content-Encoding"), !contentEncoding.isEmpty());
        QCOMPARE(reply->rawHeader("Content-Encoding"), contentEncoding);
        QCOMPARE(reply->rawHeader("Content-Length").toInt(), wire.size());

        if (windowBits == 0) {
            QCOMPARE(wire, plain);
            return;
        }
        QVERIFY(wire.size() < plain.size() / 4);
        QByteArray inflated;
        QVERIFY(inflateBytes(wire, windowBits, &inflated));
        QCOMPARE(inflated, plain);
        if (windowBits == MAX_WBITS) {
            QCOMPARE(quint8(wire.at(0)), quint8(0x78));
            QCOMPARE((quint8(wire.at(0)) * 256 + quint8(wire.at(1))) % 31, 0);
        } else if (windowBits < 0) {
            QVERIFY(!inflateBytes(wire, MAX_WBITS, &inflated)); // no zlib header in front
        } else {
            QVERIFY(wire.startsWith("\x1f\x8b"));
        }
    }

    void delayedAnswerKeepsTheLoopRunning()
    {
        m_server->setAnswer("/slow", KTestHttpAnswer(200, "late").setDelay(400));
        m_server->setAnswer("/fast", KTestHttpAnswer(200, "early"));
        QElapsedTimer clock;
        clock.start();
        QNetworkReply* slow = m_manager->get(QNetworkRequest(m_server->url("/slow")));
        QVERIFY(m_server->waitForRequests(1));
        QNetworkReply* fast = m_manager->get(QNetworkRequest(m_server->url("/fast")));
        QTRY_VERIFY(fast->isFinished());
        QVERIFY(!slow->isFinished());
        QCOMPARE(fast->readAll(), QByteArray("early"));
        QTRY_VERIFY(slow->isFinished());
        QVERIFY2(clock.elapsed() >= 380, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(slow->error(), QNetworkReply::NoError);
        QCOMPARE(slow->readAll(), QByteArray("late"));
    }

    void droppedAfterPartOfTheBody()
    {
        m_server->setAnswer("/cut", KTestHttpAnswer(200, QByteArray(1000, 'x')).setDropAfter(100));

        RawClient raw(m_server->port());
        QVERIFY(raw.waitConnected());
        raw.send("GET /cut HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        QVERIFY(raw.waitClosed());
        QVERIFY(raw.received().startsWith("HTTP/1.1 200 OK\r\n"));
        QVERIFY(raw.received().contains("\r\nContent-Length: 1000\r\n"));
        QCOMPARE(raw.body(), QByteArray(100, 'x'));

        QNetworkReply* reply = m_manager->get(QNetworkRequest(m_server->url("/cut")));
        QTRY_VERIFY(reply->isFinished());
        QCOMPARE(reply->error(), QNetworkReply::RemoteHostClosedError);
    }

    void eventStreamInChunks()
    {
        const QList<QByteArray> chunks{"data: one\n\n", "event: tick\nid: 2\ndata: two\n\n", "data: thr", "ee\n\n"};
        m_server->setAnswer("/events", KTestHttpAnswer::eventStream(chunks, 150));

        QElapsedTimer clock;
        QList<qint64> arrivals;
        QByteArray received;
        QNetworkReply* reply = m_manager->get(QNetworkRequest(m_server->url("/events")));
        connect(reply, &QNetworkReply::readyRead, this, [&] {
            if (arrivals.isEmpty())
                clock.start();
            arrivals.append(clock.elapsed());
            received += reply->readAll();
        });
        QTRY_VERIFY(reply->isFinished());
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        QCOMPARE(reply->rawHeader("Content-Type"), QByteArray("text/event-stream"));
        QCOMPARE(received, chunks.join());
        QVERIFY(arrivals.size() >= 3);
        QVERIFY2(arrivals.last() >= 400, qPrintable(QString::number(arrivals.last())));

        // On the wire: one chunk each, then the closing empty chunk.
        RawClient raw(m_server->port());
        QVERIFY(raw.waitConnected());
        raw.send("GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
        QVERIFY(raw.waitClosed());
        QVERIFY(raw.received().contains("\r\nTransfer-Encoding: chunked\r\n"));
        QVERIFY(!raw.received().contains("Content-Length"));
        QCOMPARE(raw.body(), QByteArray("b\r\ndata: one\n\n\r\n1d\r\nevent: tick\nid: 2\ndata: two\n\n\r\n"
                                        "9\r\ndata: thr\r\n4\r\nee\n\n\r\n0\r\n\r\n"));
    }

    void eventStreamKeptOpen()
    {
        m_server->setAnswer("/live", KTestHttpAnswer::eventStream({"data: a\n\n"}, 50, true));

        QByteArray received;
        QNetworkReply* reply = m_manager->get(QNetworkRequest(m_server->url("/live")));
        connect(reply, &QNetworkReply::readyRead, this, [&] { received += reply->readAll(); });
        QTRY_COMPARE(received, QByteArray("data: a\n\n"));
        QCOMPARE(m_server->openStreamCount(), 1);
        QTest::qWait(200);
        QVERIFY(!reply->isFinished());

        m_server->sendToStreams("data: b\n\n");
        m_server->sendToStreams("data: c\n\n");
        QTRY_COMPARE(received, QByteArray("data: a\n\ndata: b\n\ndata: c\n\n"));
        QVERIFY(!reply->isFinished());

        m_server->finishStreams();
        QTRY_VERIFY(reply->isFinished());
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        QCOMPARE(m_server->openStreamCount(), 0);

        // A finished stream leaves its connection usable for the next request.
        QNetworkReply* next = m_manager->get(QNetworkRequest(m_server->url("/after")));
        QTRY_VERIFY(next->isFinished());
        QCOMPARE(m_server->acceptedConnectionCount(), 1);
    }

    void answerThatNeverComes()
    {
        m_server->setAnswer("/void", KTestHttpAnswer::never());
        QNetworkRequest request(m_server->url("/void"));
        request.setTransferTimeout(300);
        QElapsedTimer clock;
        clock.start();
        QNetworkReply* reply = m_manager->get(request);
        QVERIFY(m_server->waitForRequests(1));
        QTRY_VERIFY(reply->isFinished());
        QVERIFY(clock.elapsed() >= 280);
        QCOMPARE(reply->error(), QNetworkReply::OperationCanceledError);
        QCOMPARE(m_server->lastRequest().path(), QStringLiteral("/void"));
    }

    void recordsRequestsInOrder()
    {
        QSignalSpy spy(m_server.get(), &KTestHttpServer::requestReceived);

        QNetworkRequest get(QUrl::fromEncoded(m_server->url("/api/items?x=1&y=a%20b").toLatin1()));
        get.setRawHeader("X-Mixed-Case", "Value One");
        get.setRawHeader("Cookie", "sid=abc; theme=dark=yes;  empty=");
        QNetworkReply* first = m_manager->get(get);
        QTRY_VERIFY(first->isFinished());

        QNetworkRequest post(m_server->url("/api/save"));
        post.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
        QNetworkReply* second = m_manager->post(post, QByteArray("a=1&b=\xe4\xb8\xad"));
        QTRY_VERIFY(second->isFinished());

        QVERIFY(m_server->waitForRequests(2));
        QCOMPARE(m_server->requestCount(), 2);
        const KTestHttpRequest one = m_server->requests().at(0);
        QCOMPARE(one.method(), QByteArray("GET"));
        QCOMPARE(one.target(), QStringLiteral("/api/items?x=1&y=a%20b"));
        QCOMPARE(one.path(), QStringLiteral("/api/items"));
        QCOMPARE(one.query(), QStringLiteral("x=1&y=a%20b"));
        QCOMPARE(one.version(), QByteArray("HTTP/1.1"));
        QCOMPARE(one.header("x-mixed-case"), QByteArray("Value One"));
        QCOMPARE(one.header("X-MIXED-CASE"), QByteArray("Value One"));
        QVERIFY(one.hasHeader("host"));
        QVERIFY(!one.hasHeader("X-Absent"));
        QVERIFY(one.header("X-Absent").isNull());
        QVERIFY(one.body().isEmpty());

        const QList<QNetworkCookie> cookies = one.cookies();
        QCOMPARE(cookies.size(), 3);
        QCOMPARE(cookies.at(0).name(), QByteArray("sid"));
        QCOMPARE(cookies.at(0).value(), QByteArray("abc"));
        QCOMPARE(cookies.at(1).name(), QByteArray("theme"));
        QCOMPARE(cookies.at(1).value(), QByteArray("dark=yes"));
        QCOMPARE(cookies.at(2).name(), QByteArray("empty"));
        QVERIFY(cookies.at(2).value().isEmpty());
        QCOMPARE(one.cookie("theme"), QByteArray("dark=yes"));
        QVERIFY(one.hasCookie("empty"));
        QVERIFY(!one.hasCookie("other"));

        const KTestHttpRequest two = m_server->lastRequest();
        QCOMPARE(two.method(), QByteArray("POST"));
        QCOMPARE(two.path(), QStringLiteral("/api/save"));
        QVERIFY(two.query().isEmpty());
        QCOMPARE(two.header("content-type"), QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(two.body(), QByteArray("a=1&b=\xe4\xb8\xad"));

        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy.at(0).at(0).value<KTestHttpRequest>().target(), one.target());
        QCOMPARE(spy.at(1).at(0).value<KTestHttpRequest>().body(), two.body());

        m_server->clearRequests();
        QCOMPARE(m_server->requestCount(), 0);
        QVERIFY(!m_server->waitForRequests(1, 50));
    }

    void requestBodies_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("pieceSize");
        QTest::addColumn<QByteArray>("body");

        const QByteArray head = "POST /up HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
        const QByteArray chunked = head + "Transfer-Encoding: chunked\r\n\r\n"
                                          "5\r\nhello\r\n"
                                          "1;name=value\r\n \r\n"
                                          "A\r\n0123456789\r\n"
                                          "0\r\nX-Trailer: t\r\n\r\n";
        const QByteArray sized = head + "Content-Length: 11\r\n\r\nhello world";

        QTest::newRow("content length") << sized << 0 << QByteArray("hello world");
        QTest::newRow("content length in pieces") << sized << 3 << QByteArray("hello world");
        QTest::newRow("chunked") << chunked << 0 << QByteArray("hello 0123456789");
        QTest::newRow("chunked in pieces") << chunked << 1 << QByteArray("hello 0123456789");
        const QByteArray upperHex = head + "transfer-encoding: Chunked\r\n\r\n1F\r\n" + QByteArray(31, 'q') + "\r\n0\r\n\r\n";
        QTest::newRow("chunked, upper-case hex") << upperHex << 0 << QByteArray(31, 'q');
        QTest::newRow("no body") << head + "\r\n" << 0 << QByteArray();
        QTest::newRow("bare line feeds") << QByteArray("POST /up HTTP/1.1\nConnection: close\nContent-Length: 2\n\nok")
                                         << 0 << QByteArray("ok");
    }

    void requestBodies()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, pieceSize);
        QFETCH(QByteArray, body);

        RawClient raw(m_server->port());
        QVERIFY(raw.waitConnected());
        raw.send(request, pieceSize);
        QVERIFY(raw.waitClosed());
        QVERIFY(raw.received().startsWith("HTTP/1.1 404 Not Found\r\n"));
        QCOMPARE(m_server->requestCount(), 1);
        QCOMPARE(m_server->lastRequest().method(), QByteArray("POST"));
        QCOMPARE(m_server->lastRequest().body(), body);
    }

    void keepAlive()
    {
        m_server->setAnswer("/k", KTestHttpAnswer(200, "kept"));
        for (int i = 0; i < 3; ++i) {
            QNetworkReply* reply = m_manager->get(QNetworkRequest(m_server->url("/k")));
            QTRY_VERIFY(reply->isFinished());
            QCOMPARE(reply->readAll(), QByteArray("kept"));
        }
        QCOMPARE(m_server->acceptedConnectionCount(), 1);
        QCOMPARE(m_server->connectionCount(), 1);

        // Two requests on one socket, the second sent after the first answer; and a body
        // sent with the first does not leak into the second.
        RawClient raw(m_server->port());
        QVERIFY(raw.waitConnected());
        raw.send("POST /k HTTP/1.1\r\nContent-Length: 4\r\n\r\nbody");
        QVERIFY(raw.waitFor("kept"));
        raw.send("GET /k?second HTTP/1.1\r\n\r\n");
        QTRY_COMPARE(raw.received().count("HTTP/1.1 200 OK"), 2);
        QCOMPARE(raw.socket().state(), QAbstractSocket::ConnectedState);
        const QList<KTestHttpRequest> requests = m_server->requests();
        QCOMPARE(requests.size(), 5);
        QCOMPARE(requests.at(3).connectionId(), requests.at(4).connectionId());
        QVERIFY(requests.at(3).connectionId() != requests.at(0).connectionId());
        QCOMPARE(requests.at(3).body(), QByteArray("body"));
        QCOMPARE(requests.at(4).target(), QStringLiteral("/k?second"));
        QVERIFY(requests.at(4).body().isEmpty());
        QCOMPARE(m_server->connectionCount(), 2);
    }

    void connectionClose_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("answerCloses");
        QTest::addColumn<QByteArray>("connectionHeader");
        QTest::addColumn<bool>("closed");

        QTest::newRow("client asks to close") << QByteArray("GET /c HTTP/1.1\r\nConnection: close\r\n\r\n") << false
                                              << QByteArray("close") << true;
        QTest::newRow("answer closes") << QByteArray("GET /c HTTP/1.1\r\n\r\n") << true << QByteArray("close") << true;
        QTest::newRow("HTTP/1.0") << QByteArray("GET /c HTTP/1.0\r\n\r\n") << false << QByteArray("close") << true;
        QTest::newRow("HTTP/1.0 keep-alive") << QByteArray("GET /c HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n") << false
                                             << QByteArray("keep-alive") << false;
        QTest::newRow("HTTP/1.1 default") << QByteArray("GET /c HTTP/1.1\r\n\r\n") << false << QByteArray() << false;
    }

    void connectionClose()
    {
        QFETCH(QByteArray, request);
        QFETCH(bool, answerCloses);
        QFETCH(QByteArray, connectionHeader);
        QFETCH(bool, closed);

        m_server->setAnswer("/c", KTestHttpAnswer(200, "done").setCloseConnection(answerCloses));
        RawClient raw(m_server->port());
        QVERIFY(raw.waitConnected());
        raw.send(request);
        QVERIFY(raw.waitFor("done"));
        QCOMPARE(raw.waitClosed(closed ? 5000 : 300), closed);
        const QByteArray header = "\r\nConnection: " + connectionHeader + "\r\n";
        QCOMPARE(raw.received().contains(header), !connectionHeader.isEmpty());
        QVERIFY(raw.received().endsWith("\r\n\r\ndone"));
        QTRY_COMPARE(m_server->connectionCount(), closed ? 0 : 1);
    }

    void malformedRequests_data()
    {
        QTest::addColumn<QByteArray>("request");

        QTest::newRow("not http") << QByteArray("HELLO\r\n\r\n");
        QTest::newRow("too many words") << QByteArray("GET / x HTTP/1.1\r\n\r\n");
        QTest::newRow("target without slash") << QByteArray("GET index HTTP/1.1\r\n\r\n");
        QTest::newRow("unknown version") << QByteArray("GET / HTTP/2.0\r\n\r\n");
        QTest::newRow("bad method") << QByteArray("G(T / HTTP/1.1\r\n\r\n");
        QTest::newRow("header without colon") << QByteArray("GET / HTTP/1.1\r\nNoColon\r\n\r\n");
        QTest::newRow("space in header name") << QByteArray("GET / HTTP/1.1\r\nBad Name: v\r\n\r\n");
        QTest::newRow("folded header") << QByteArray("GET / HTTP/1.1\r\nA: b\r\n  c\r\n\r\n");
        QTest::newRow("length not a number") << QByteArray("POST / HTTP/1.1\r\nContent-Length: ten\r\n\r\n");
        QTest::newRow("negative length") << QByteArray("POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n");
        QTest::newRow("lengths disagree")
            << QByteArray("POST / HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab");
        QTest::newRow("huge length") << QByteArray("POST / HTTP/1.1\r\nContent-Length: 99999999999999\r\n\r\n");
        QTest::newRow("unknown transfer coding") << QByteArray("POST / HTTP/1.1\r\nTransfer-Encoding: gzip\r\n\r\n");
        QTest::newRow("bad chunk size") << QByteArray("POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n");
        QTest::newRow("chunk longer than said")
            << QByteArray("POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabc\r\n0\r\n\r\n");
        QTest::newRow("head without end") << "GET / HTTP/1.1\r\nX-Long: " + QByteArray(70 * 1024, 'a');
    }

    void malformedRequests()
    {
        QFETCH(QByteArray, request);

        RawClient raw(m_server->port());
        QVERIFY(raw.waitConnected());
        raw.send(request);
        QVERIFY(raw.waitClosed());
        QVERIFY2(raw.received().startsWith("HTTP/1.1 400 Bad Request\r\n"), raw.received().left(80).constData());
        QVERIFY(raw.received().contains("\r\nConnection: close\r\n"));
        QCOMPARE(m_server->requestCount(), 0);
        QTRY_COMPARE(m_server->connectionCount(), 0);

        QNetworkReply* reply = m_manager->get(QNetworkRequest(m_server->url("/still")));
        QTRY_VERIFY(reply->isFinished());
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 404);
    }

    void clientLeavesEarly_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("complete");

        QTest::newRow("during the head") << QByteArray("GET /slow HTTP/1.1\r\nHost: 127") << false;
        QTest::newRow("during the body") << QByteArray("POST /slow HTTP/1.1\r\nContent-Length: 100\r\n\r\nabc") << false;
        QTest::newRow("during a chunked body")
            << QByteArray("POST /slow HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n10\r\nabc") << false;
        QTest::newRow("during the delay") << QByteArray("GET /slow HTTP/1.1\r\n\r\n") << true;
        QTest::newRow("waiting for no answer") << QByteArray("GET /void HTTP/1.1\r\n\r\n") << true;
        QTest::newRow("between chunks") << QByteArray("GET /chunks HTTP/1.1\r\n\r\n") << true;
        QTest::newRow("on an open stream") << QByteArray("GET /live HTTP/1.1\r\n\r\n") << true;
    }

    void clientLeavesEarly()
    {
        QFETCH(QByteArray, request);
        QFETCH(bool, complete);

        m_server->setAnswer("/slow", KTestHttpAnswer(200, "late").setDelay(200));
        m_server->setAnswer("/void", KTestHttpAnswer::never());
        m_server->setAnswer("/chunks", KTestHttpAnswer::eventStream({"data: 1\n\n", "data: 2\n\n", "data: 3\n\n"}, 100));
        m_server->setAnswer("/live", KTestHttpAnswer::eventStream({"data: 1\n\n"}, 0, true));

        {
            RawClient raw(m_server->port());
            QVERIFY(raw.waitConnected());
            raw.send(request);
            QTRY_COMPARE(m_server->connectionCount(), 1);
            if (complete)
                QVERIFY(m_server->waitForRequests(1));
            QTest::qWait(20);
            raw.socket().abort();
        }
        QTRY_COMPARE(m_server->connectionCount(), 0);
        QCOMPARE(m_server->openStreamCount(), 0);
        m_server->sendToStreams("data: nobody\n\n");
        QTest::qWait(300); // timers of the dead connection would have fired by now

        QNetworkReply* reply = m_manager->get(QNetworkRequest(m_server->url("/after")));
        QTRY_VERIFY(reply->isFinished());
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 404);
    }

    void slotMayScriptOrDrop()
    {
        connect(m_server.get(), &KTestHttpServer::requestReceived, this, [this](const KTestHttpRequest& request) {
            if (request.path() == QLatin1String("/late-script"))
                m_server->setAnswer(request.path(), KTestHttpAnswer(200, "scripted in time"));
            else if (request.path() == QLatin1String("/drop"))
                m_server->dropConnections();
        });

        QNetworkReply* scripted = m_manager->get(QNetworkRequest(m_server->url("/late-script")));
        QTRY_VERIFY(scripted->isFinished());
        QCOMPARE(scripted->readAll(), QByteArray("scripted in time"));

        QNetworkReply* dropped = m_manager->get(QNetworkRequest(m_server->url("/drop")));
        QTRY_VERIFY(dropped->isFinished());
        QVERIFY(dropped->error() != QNetworkReply::NoError);
        QTRY_COMPARE(m_server->connectionCount(), 0);
    }

    void stopAndDestroyWithWorkInFlight()
    {
        QNetworkRequest post;
        post.setHeader(QNetworkRequest::ContentTypeHeader, "text/plain");
        auto postTo = [&](const char* path) {
            post.setUrl(m_server->url(path));
            return m_manager->post(post, QByteArray("x"));
        };
        m_server->setAnswer("/void", KTestHttpAnswer::never());
        m_server->setAnswer("/slow", KTestHttpAnswer(200, "late").setDelay(5000));
        m_server->setAnswer("/live", KTestHttpAnswer::eventStream({"data: 1\n\n"}, 0, true));
        QList<QNetworkReply*> replies;
        for (const char* path : {"/void", "/slow", "/live"})
            replies.append(postTo(path));
        QVERIFY(m_server->waitForRequests(3));
        QTRY_COMPARE(m_server->openStreamCount(), 1);

        m_server->stop();
        QVERIFY(!m_server->isListening());
        QCOMPARE(m_server->connectionCount(), 0);
        for (QNetworkReply* reply : qAsConst(replies)) {
            QTRY_VERIFY(reply->isFinished());
            QVERIFY(reply->error() != QNetworkReply::NoError);
        }

        QVERIFY(m_server->start());
        QNetworkReply* pending = postTo("/void");
        QNetworkReply* stream = postTo("/live");
        QVERIFY(m_server->waitForRequests(5));
        QTRY_COMPARE(m_server->openStreamCount(), 1);
        m_server.reset();
        QTRY_VERIFY(pending->isFinished());
        QTRY_VERIFY(stream->isFinished());
        QVERIFY(pending->error() != QNetworkReply::NoError);
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestHttpServer> m_server;
    std::unique_ptr<QNetworkAccessManager> m_manager;
};

KZEMBA_TEST_MAIN(TstHttpServer)
#include "tst_httpserver.moc"
