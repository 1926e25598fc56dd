// Event streams: the page's ssePost, sseRead and sseClose through the base
// plug-in's network service, and the access that splits a stream into events.
#include "ktestapplication.h"
#include "ktestcommonjsapi.h"
#include "ktesthttpserver.h"
#include "ktestnetwork.h"
#include "ktestnetworktransfers.h"
#include "ktestpagehost.h"
#include "ktestplugincontrol.h"
#include "ktestruntime.h"

#include "network/khttpaccesssseventsaccess.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QtTest>

class TstServerSentEvents : public QObject
{
    Q_OBJECT

private:
    KxHeadlessPage* page() const { return m_host->page(); }
    KTestPluginControl* control() const { return KTestPluginControl::instance(); }

    void makeApi()
    {
        m_host = std::make_unique<KTestPageHost>();
        m_api = m_host->installApi<KTestCommonJsApi>();
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        control()->reset();
        QVERIFY(m_server.start());
        m_server.clearAnswers();
        m_server.clearRequests();
        makeApi();
    }

    void cleanup()
    {
        m_host.reset();
        m_runtime.reset();
    }

    // Runs first: once found, the network service stays cached for the process.
    void withoutTheBasePluginNothingOpens()
    {
        QCOMPARE(page()->call("ssePost", QJsonObject{{"url", m_server.url("/s")}}), QJsonValue(QJsonObject()));
        QVERIFY(page()->call("sseRead", QJsonObject{{"session_id", "x"}, {"callback", "cb"}}).isNull());
        QVERIFY(page()->call("sseClose", QJsonObject{{"session_id", "x"}}).isNull());
        QCOMPARE(m_server.requestCount(), 0);
    }

    void streamOpensReadsAndCloses()
    {
        m_runtime->installPlugin("kzembabase");
        m_server.setAnswer("/stream", KTestHttpAnswer::eventStream({"data: one\n\n", "event: tick\ndata: two\n\n"}, 20, true));
        const QJsonObject opened = page()->call("ssePost", QJsonObject{{"url", m_server.url("/stream")},
                                                                       {"cookie", QJsonObject{{"a", "1"}}},
                                                                       {"header", QJsonObject{{"Cookie", "old=1"}, {"X-H", "v"}}},
                                                                       {"bRawData", true},
                                                                       {"data", "{\"q\":\"ü\"}"}})
                                       .toObject();
        const QString session = opened.value("session_id").toString();
        QVERIFY(!session.isEmpty());
        QCOMPARE(opened.keys(), QStringList{"session_id"});

        const QList<KTestPluginCall> opens = control()->callsTo("network.openStream");
        QCOMPARE(opens.size(), 1);
        const QVariantList& args = opens.first().args;
        QCOMPARE(args.at(0).toUrl(), QUrl(m_server.url("/stream")));
        const QVariantMap options = args.at(1).toMap();
        QCOMPARE(options.value("data").toByteArray(), QString("{\"q\":\"ü\"}").toUtf8());
        QCOMPARE(options.value("bRawData").toBool(), true);
        QCOMPARE(options.value("header").toMap(),
                 (QVariantMap{{"Cookie", QVariantMap{{"a", "1"}}}, {"X-H", "v"}}));
        // Kind 6, no handlers, then 0, 5000, 0 and true.
        QCOMPARE(args.mid(2), (QVariantList{6, false, false, false, 0, 5000, 0, true}));

        QVERIFY(m_server.waitForRequests(1));
        QCOMPARE(m_server.lastRequest().method(), QByteArray("POST"));
        QCOMPARE(m_server.lastRequest().cookie("a"), QByteArray("1"));
        QVERIFY(!m_server.lastRequest().hasCookie("old"));

        page()->call("sseRead", QJsonObject{{"session_id", session}, {"callback", "onEvent"}});
        QVERIFY(m_host->waitForDeliveries("onEvent", 2));
        const QList<KxPageDelivery> events = page()->deliveriesTo("onEvent");
        QCOMPARE(events.at(0).json().toObject(), (QJsonObject{{"session_id", session}, {"data", "one"}}));
        QCOMPARE(events.at(1).json().toObject(), (QJsonObject{{"session_id", session}, {"data", "two"}}));

        page()->call("sseClose", QJsonObject{{"session_id", session}});
        QCOMPARE(control()->callsTo("network.closeStream").size(), 1);
        QTRY_COMPARE(m_server.openStreamCount(), 0);
    }

    void postBodyAsForm()
    {
        m_runtime->installPlugin("kzembabase");
        m_server.setAnswer("/form", KTestHttpAnswer::eventStream({"data: x\n"}));
        const QString session = page()->call("ssePost", QJsonObject{{"url", m_server.url("/form")},
                                                                    {"data", QJsonObject{{"k", "a b"}}}})
                                    .toObject()
                                    .value("session_id")
                                    .toString();
        QVERIFY(!session.isEmpty());
        QVERIFY(m_server.waitForRequests(1));
        QCOMPARE(m_server.lastRequest().body(), QByteArray("k=a%20b"));
        QCOMPARE(control()->callsTo("network.openStream").first().args.at(1).toMap().value("header").toMap(),
                 (QVariantMap{{"Cookie", QVariantMap()}}));
    }

    void streamThatDoesNotOpen()
    {
        m_runtime->installPlugin("kzembabase");
        control()->setOption("network/streamOpens", false);
        QCOMPARE(page()->call("ssePost", QJsonObject{{"url", m_server.url("/s")}}), QJsonValue(QJsonObject()));
        control()->setOption("network/present", false);
        QCOMPARE(page()->call("ssePost", QJsonObject{{"url", m_server.url("/s")}}), QJsonValue(QJsonObject()));
    }

    void emptySessionDoesNothing()
    {
        m_runtime->installPlugin("kzembabase");
        page()->call("sseRead", QJsonObject{{"session_id", ""}, {"callback", "cb"}});
        page()->call("sseClose", QJsonObject{{"other", 1}});
        QVERIFY(control()->callsTo("network.readStream").isEmpty());
        QVERIFY(control()->callsTo("network.closeStream").isEmpty());
    }

    void deliveriesAfterThePageObjectDiedAreDropped()
    {
        m_runtime->installPlugin("kzembabase");
        m_server.setAnswer("/late", KTestHttpAnswer::eventStream({}, 0, true));
        const QString session =
            page()->call("ssePost", QJsonObject{{"url", m_server.url("/late")}}).toObject().value("session_id").toString();
        page()->call("sseRead", QJsonObject{{"session_id", session}, {"callback", "onEvent"}});
        QVERIFY(m_server.waitForRequests(1));
        QTRY_COMPARE(m_server.openStreamCount(), 1);

        delete m_api.data();
        m_server.sendToStreams("data: after\n\n");
        QTest::qWait(100);
        control()->netWork()->transfers()->deliver(session, {{"direct", true}});
        QVERIFY(page()->deliveries().isEmpty());
        control()->netWork()->closeStream(session);
    }

    void accessSplitsDataLines_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<int>("signalCount");
        QTest::newRow("two events") << QList<QByteArray>{"data: hello\r\n\ndata:x\n"} << QStringList{" hello\r\n", "x\n"} << 1;
        QTest::newRow("line over two chunks") << QList<QByteArray>{"data: par", "tial\n"} << QStringList{" partial\n"} << 1;
        QTest::newRow("only event and id lines") << QList<QByteArray>{"event: a\nid: 1\n: comment\n\n"} << QStringList() << 0;
        QTest::newRow("lines of one event stay apart")
            << QList<QByteArray>{"data: a\ndata: b\n\n", "data: c\n"} << QStringList{" a\n", " b\n", " c\n"} << 2;
        QTest::newRow("cut at NUL") << QList<QByteArray>{QByteArray("data: a\0b\n", 10)} << QStringList{" a"} << 1;
    }

    void accessSplitsDataLines()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QStringList, events);
        QFETCH(int, signalCount);
        m_server.setAnswer("/events", KTestHttpAnswer::eventStream(chunks, 50));
        QNetworkAccessManager manager;
        QStringList queue{"earlier"};
        KHttpAccessSSEventsAccess access(queue, manager.get(QNetworkRequest(QUrl(m_server.url("/events")))), "cb",
                                         "text", 10000);
        QSignalSpy emitted(&access, &KHttpAccessSSEventsAccess::ssEvent);
        QSignalSpy done(&access, &KZembaCommonHttpAccess::done);
        access.go();
        QVERIFY(done.wait(10000));
        QCOMPARE(queue, QStringList{"earlier"} + events);
        QCOMPARE(emitted.count(), signalCount);
        QStringList fromSignals;
        for (const QList<QVariant>& arguments : emitted)
            fromSignals += arguments.at(0).toStringList();
        QCOMPARE(fromSignals, events);
    }

    // Wherever the pieces of a stream break, the events, their order and the unterminated
    // rest left for the raw result are those of the stream in one piece.
    void splitAtEveryBoundary_data()
    {
        QTest::addColumn<int>("boundary");
        for (int at = 1; at < fixedStream().size(); ++at)
            QTest::addRow("at %d", at) << at;
        QTest::addRow("byte by byte") << -1;
    }

    void splitAtEveryBoundary()
    {
        QFETCH(int, boundary);
        const QByteArray stream = fixedStream();
        QList<QByteArray> pieces;
        if (boundary > 0) {
            pieces = {stream.left(boundary), stream.mid(boundary)};
        } else {
            for (const char byte : stream)
                pieces.append(QByteArray(1, byte));
        }
        const StreamResult whole = throughAccess({stream});
        QCOMPARE(whole.events, (QStringList{" one\r\n", "two\n", " a", " last\n"}));
        QCOMPARE(whole.raw, QByteArray("data: tail"));
        const StreamResult split = throughAccess(pieces);
        QCOMPARE(split.events, whole.events);
        QCOMPARE(split.signalled, whole.events);
        QCOMPARE(split.raw, whole.raw);
    }

private:
    struct StreamResult
    {
        QStringList events;
        QStringList signalled;
        QByteArray raw;
    };

    static QByteArray fixedStream()
    {
        static const char text[] = "data: one\r\n\nevent: e\nid: 7\ndata:two\n: note\ndata: a\0b\n\ndata: last\ndata: tail";
        return QByteArray(text, int(sizeof(text)) - 1);
    }

    // Runs one event-stream access over `chunks`, sent one by one with a pause between them.
    StreamResult throughAccess(const QList<QByteArray>& chunks)
    {
        m_server.setAnswer("/pieces", KTestHttpAnswer::eventStream(chunks, 2));
        QNetworkAccessManager manager;
        StreamResult result;
        KHttpAccessSSEventsAccess access(result.events, manager.get(QNetworkRequest(QUrl(m_server.url("/pieces")))),
                                         "cb", "text", 10000);
        QSignalSpy emitted(&access, &KHttpAccessSSEventsAccess::ssEvent);
        QSignalSpy done(&access, &KZembaCommonHttpAccess::done);
        access.go();
        if (!done.wait(10000))
            return result;
        for (const QList<QVariant>& arguments : emitted)
            result.signalled += arguments.at(0).toStringList();
        result.raw = access.rawResult();
        return result;
    }

    KTestHttpServer m_server;
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestPageHost> m_host;
    QPointer<KTestCommonJsApi> m_api;
};

KZEMBA_TEST_MAIN(TstServerSentEvents)
#include "tst_serversentevents.moc"
