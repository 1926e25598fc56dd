// The base plug-in's event-stream parser on its own: the same events however a
// stream is cut into chunks, and the bound on what it buffers.
#include "kzembaeventstreamparser.h"

#include <QtTest>

namespace {

QStringList parseInChunks(const QByteArray& stream, const QList<int>& cuts, KZembaEventStreamParser& parser)
{
    QStringList events;
    int from = 0;
    for (int cut : cuts + QList<int>{stream.size()}) {
        parser.feed(stream.mid(from, cut - from));
        from = cut;
        for (const KZembaEventStreamParser::Event& event : parser.takeEvents())
            events.append(event.type + '|' + event.id + '|' + event.data);
    }
    return events;
}

} // namespace

class TstRefEventStreamParser : public QObject
{
    Q_OBJECT

private slots:
    void sameEventsAtEveryCut()
    {
        const QByteArray stream = QByteArray("\xEF\xBB\xBF: comment\r\nevent: a\r\nid: 1\r\ndata: x\r\ndata:y\r\n\r\n"
                                             "data: \xC3\xBC\rid\r\r")
            + QByteArray("id: bad\0id\n", 11)
            + "retry: 12\ndata\n\nevent: lost\n\nfield without colon\ndata:  two spaces\n\ndata: unfinished";
        // An "id" line without a value clears the id; one with a NUL byte is ignored.
        const QStringList expected{"a|1|x\ny", QString::fromUtf8("message||\xC3\xBC"), "message||",
                                   "message|| two spaces"};
        for (int first = 0; first <= stream.size(); ++first) {
            for (int second = first; second <= stream.size(); second += 7) {
                KZembaEventStreamParser parser;
                QCOMPARE(parseInChunks(stream, {first, second}, parser), expected);
            }
        }
        KZembaEventStreamParser parser;
        parseInChunks(stream, {}, parser);
        QCOMPARE(parser.retry(), qint64(12));
    }

    void bytewiseCarriageReturnThenLineFeed()
    {
        QList<int> everyByte;
        const QByteArray stream = "data: a\r\n\r\ndata: b\r\r";
        for (int i = 1; i < stream.size(); ++i)
            everyByte.append(i);
        KZembaEventStreamParser parser;
        QCOMPARE(parseInChunks(stream, everyByte, parser), (QStringList{"message||a", "message||b"}));
    }

    void bufferedBytesAreBounded()
    {
        KZembaEventStreamParser parser(1024);
        QVERIFY(parser.feed(QByteArray("data: ") + QByteArray(1000, 'x') + "\n"));
        QVERIFY(!parser.feed(QByteArray(100, 'y')));
        QVERIFY(parser.overflowed());
        QVERIFY(!parser.feed("\n\n"));
        QVERIFY(parser.takeEvents().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstRefEventStreamParser)
#include "tst_refeventstreamparser.moc"
