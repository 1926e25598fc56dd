// Event streams through the reference base plug-in: the page's ssePost, sseRead
// and sseClose against the local server, with the plug-in found where the
// runtime looks by default.
#include "ktestapplication.h"
#include "ktestcommonjsapi.h"
#include "ktesthttpserver.h"
#include "ktestpagehost.h"
#include "ktestruntime.h"

#include <krt/kruntimeconfig.h>

#include <QtTest>

Q_DECLARE_METATYPE(KTestHttpAnswer)

namespace {

// What a page receives for one event.
QJsonObject eventOf(const QString& session, const QString& data, const QString& type = "message",
                    const QString& id = QString())
{
    return QJsonObject{{"session_id", session}, {"event", type}, {"id", id}, {"data", data}};
}

} // namespace

class TstRefEventStream : public QObject
{
    Q_OBJECT

private:
    KxHeadlessPage* page() const { return m_host->page(); }

    QString open(const QString& path)
    {
        return page()->call("ssePost", QJsonObject{{"url", m_server.url(path)}}).toObject().value("session_id").toString();
    }

    QList<QJsonObject> received(const QString& callback = "onEvent") const
    {
        QList<QJsonObject> list;
        for (const KxPageDelivery& delivery : page()->deliveriesTo(callback))
            list.append(delivery.json().toObject());
        return list;
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        // A fresh runtime with nothing about plug-ins: the shipped ones are found.
        krt::KRuntimeConfig::remove("paths/plugins");
        QVERIFY(m_server.start());
        m_server.clearAnswers();
        m_server.clearRequests();
        m_host = std::make_unique<KTestPageHost>();
        m_api = m_host->installApi<KTestCommonJsApi>();
    }

    void cleanup()
    {
        m_host.reset();
        m_runtime.reset();
    }

    void eventsReachThePageInOrder_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QList<QStringList>>("events"); // type, id, data

        QTest::newRow("multi-line data") << QList<QByteArray>{"data: a\ndata: b\n\ndata:c\n\n"}
                                         << QList<QStringList>{{"message", "", "a\nb"}, {"message", "", "c"}};
        QTest::newRow("comments and fields")
            << QList<QByteArray>{": hello\nevent: tick\nid: 7\nretry: 100\ndata: x\n\n: again\ndata: y\n\n"}
            << QList<QStringList>{{"tick", "7", "x"}, {"message", "7", "y"}};
        QTest::newRow("CRLF and CR") << QList<QByteArray>{"data: one\r\n\r\ndata: two\r\rdata: three\r\n\r\n"}
                                     << QList<QStringList>{{"message", "", "one"}, {"message", "", "two"},
                                                           {"message", "", "three"}};
        QTest::newRow("CR and LF in two chunks") << QList<QByteArray>{"data: a\r", "\ndata: b\r", "\n\r", "\n"}
                                                  << QList<QStringList>{{"message", "", "a\nb"}};
        QTest::newRow("event split across chunks")
            << QList<QByteArray>{"ev", "ent: sp", "lit\nda", "ta: hal", "ves\n", "\n"}
            << QList<QStringList>{{"split", "", "halves"}};
        QTest::newRow("byte order mark and empty data")
            << QList<QByteArray>{"\xEF\xBB", "\xBF" "data\n\nevent: only\n\n"} << QList<QStringList>{{"message", "", ""}};
        QTest::newRow("UTF-8 split inside a character")
            << QList<QByteArray>{"data: \xC3", "\xBC\n\n"} << QList<QStringList>{{"message", "", QString::fromUtf8("\xC3\xBC")}};
        QTest::newRow("unfinished event at the end is dropped")
            << QList<QByteArray>{"data: kept\n\ndata: lost\n"} << QList<QStringList>{{"message", "", "kept"}};
    }

    void eventsReachThePageInOrder()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QList<QStringList>, events);
        m_server.setAnswer("/s", KTestHttpAnswer::eventStream(chunks, 10));
        const QString session = open("/s");
        QVERIFY(!session.isEmpty());
        page()->call("sseRead", QJsonObject{{"session_id", session}, {"callback", "onEvent"}});
        QVERIFY(m_host->waitForDeliveries("onEvent", events.size() + 1, 10000));

        const QList<QJsonObject> got = received();
        QCOMPARE(got.size(), events.size() + 1);
        for (int i = 0; i < events.size(); ++i)
            QCOMPARE(got.at(i), eventOf(session, events.at(i).at(2), events.at(i).at(0), events.at(i).at(1)));
        QCOMPARE(got.last(), (QJsonObject{{"session_id", session}, {"done", true}}));
    }

    void requestCarriesBodyHeadersAndCookies()
    {
        m_server.setAnswer("/s", KTestHttpAnswer::eventStream({"data: ok\n\n"}));
        const QJsonObject opened = page()->call("ssePost", QJsonObject{{"url", m_server.url("/s")},
                                                                       {"cookie", QJsonObject{{"a", "1"}, {"b", "2"}}},
                                                                       {"header", QJsonObject{{"X-H", "v"}}},
                                                                       {"bRawData", true},
                                                                       {"data", "{\"q\":1}"}})
                                       .toObject();
        QVERIFY(!opened.value("session_id").toString().isEmpty());
        QVERIFY(m_server.waitForRequests(1));
        const KTestHttpRequest request = m_server.lastRequest();
        QCOMPARE(request.method(), QByteArray("POST"));
        QCOMPARE(request.body(), QByteArray("{\"q\":1}"));
        QCOMPARE(request.header("X-H"), QByteArray("v"));
        QCOMPARE(request.cookie("a"), QByteArray("1"));
        QCOMPARE(request.cookie("b"), QByteArray("2"));
        QCOMPARE(request.header("Accept"), QByteArray("text/event-stream"));
    }

    void headerWithLineBreakOpensNothing()
    {
        // The library refuses the whole stream before the plug-in sees it: nothing reaches the wire.
        m_server.setAnswer("/s", KTestHttpAnswer::eventStream({"data: ok\n\n"}));
        const QJsonObject opened =
            page()->call("ssePost", QJsonObject{{"url", m_server.url("/s")},
                                                {"header", QJsonObject{{"X-Bad", "a\r\nX-Injected: 1"}}}})
                .toObject();
        QVERIFY(opened.value("session_id").toString().isEmpty());
        QTest::qWait(100);
        QCOMPARE(m_server.requests().size(), 0);
    }

    void largeDataLineInManyChunks()
    {
        // 8 MB of data on one line, in 1024 chunks that cut it anywhere.
        QByteArray payload(8 * 1024 * 1024, Qt::Uninitialized);
        for (int i = 0; i < payload.size(); ++i)
            payload[i] = char('a' + (i * 7) % 26);
        const QByteArray stream = "data: " + payload + "\n\ndata: after\n\n";
        QList<QByteArray> chunks;
        const int size = stream.size() / 1024 + 1;
        for (int at = 0; at < stream.size(); at += size)
            chunks.append(stream.mid(at, size));
        QCOMPARE(chunks.size(), 1024);
        m_server.setAnswer("/big", KTestHttpAnswer::eventStream(chunks));

        const QString session = open("/big");
        page()->call("sseRead", QJsonObject{{"session_id", session}, {"callback", "onEvent"}});
        QVERIFY(m_host->waitForDeliveries("onEvent", 3, 60000));
        const QList<QJsonObject> got = received();
        QCOMPARE(got.size(), 3);
        QCOMPARE(got.at(0).value("data").toString().size(), payload.size());
        QVERIFY(got.at(0).value("data").toString() == QString::fromLatin1(payload));
        QCOMPARE(got.at(1), eventOf(session, "after"));
        QCOMPARE(got.at(2).value("done"), QJsonValue(true));
    }

    void dropMidLineEndsWithAnError()
    {
        m_server.setAnswer("/drop", KTestHttpAnswer::eventStream({"data: whole\n\n", "data: half of a li"}, 10, true));
        const QString session = open("/drop");
        page()->call("sseRead", QJsonObject{{"session_id", session}, {"callback", "onEvent"}});
        QVERIFY(m_host->waitForDeliveries("onEvent", 1, 10000));
        QTRY_COMPARE(m_server.openStreamCount(), 1);
        QTest::qWait(50); // the second chunk is on its way
        m_server.dropConnections();
        QVERIFY(m_host->waitForDeliveries("onEvent", 2, 10000));
        QTest::qWait(50);
        const QList<QJsonObject> got = received();
        QCOMPARE(got.size(), 2);
        QCOMPARE(got.at(0), eventOf(session, "whole"));
        QVERIFY(got.at(1).value("error").toInt() != 0);
        QVERIFY(!got.at(1).contains("data"));
    }

    void lateReaderGetsEverything()
    {
        m_server.setAnswer("/late", KTestHttpAnswer::eventStream({"data: 1\n\n", "data: 2\n\n"}));
        const QString session = open("/late");
        QVERIFY(m_server.waitForRequests(1));
        QTest::qWait(200); // the stream arrives before anyone reads
        QVERIFY(page()->deliveries().isEmpty());
        page()->call("sseRead", QJsonObject{{"session_id", session}, {"callback", "late"}});
        QVERIFY(m_host->waitForDeliveries("late", 3, 10000));
        const QList<QJsonObject> got = received("late");
        QCOMPARE(got.size(), 3);
        QCOMPARE(got.at(0), eventOf(session, "1"));
        QCOMPARE(got.at(1), eventOf(session, "2"));
        QCOMPARE(got.at(2).value("done"), QJsonValue(true));
    }

    void closeStopsDeliveries()
    {
        m_server.setAnswer("/open", KTestHttpAnswer::eventStream({"data: first\n\n"}, 0, true));
        const QString session = open("/open");
        page()->call("sseRead", QJsonObject{{"session_id", session}, {"callback", "onEvent"}});
        QVERIFY(m_host->waitForDeliveries("onEvent", 1));
        page()->call("sseClose", QJsonObject{{"session_id", session}});
        m_server.sendToStreams("data: second\n\n");
        QTRY_COMPARE(m_server.openStreamCount(), 0);
        QTest::qWait(50);
        QCOMPARE(received(), QList<QJsonObject>{eventOf(session, "first")});
    }

    void failuresAreTheLastDelivery_data()
    {
        QTest::addColumn<KTestHttpAnswer>("answer");
        QTest::addColumn<int>("status");
        QTest::newRow("server error") << KTestHttpAnswer(500, "broken") << 500;
        QTest::newRow("not an event stream") << KTestHttpAnswer(200, "data: x\n\n").setHeader("Content-Type", "text/plain")
                                             << 200;
    }

    void failuresAreTheLastDelivery()
    {
        QFETCH(KTestHttpAnswer, answer);
        QFETCH(int, status);
        m_server.setAnswer("/bad", answer);
        const QString session = open("/bad");
        page()->call("sseRead", QJsonObject{{"session_id", session}, {"callback", "onEvent"}});
        QVERIFY(m_host->waitForDeliveries("onEvent", 1));
        QTest::qWait(50);
        const QList<QJsonObject> got = received();
        QCOMPARE(got.size(), 1);
        QVERIFY(got.first().value("error").toInt() != 0);
        QCOMPARE(got.first().value("httpStatusCode").toInt(), status);
    }

    void silentStreamTimesOut()
    {
        // The library opens streams with a 5000 ms time-out; a server that stays silent ends it.
        m_server.setAnswer("/quiet", KTestHttpAnswer::eventStream({}, 0, true));
        const QString session = open("/quiet");
        page()->call("sseRead", QJsonObject{{"session_id", session}, {"callback", "onEvent"}});
        QVERIFY(m_host->waitForDeliveries("onEvent", 1, 15000));
        QCOMPARE(received().first().value("errormsg").toString(), QStringLiteral("timeout"));
        QTRY_COMPARE(m_server.openStreamCount(), 0);
    }

private:
    KTestHttpServer m_server;
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestPageHost> m_host;
    QPointer<KTestCommonJsApi> m_api;
};

KZEMBA_TEST_MAIN(TstRefEventStream)
#include "tst_refeventstream.moc"
