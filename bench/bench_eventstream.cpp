// Splitting event streams. Two rows, chosen by the first argument:
//  "split":    a stream of many small events, fed in 4 KiB pieces to the event-stream access,
//              against a memchr line split of the same bytes (throughput, higher is better);
//  "longline": one 8 MiB "data:" line fed in 1024 pieces against the same line in one piece
//              (time, lower is better: a split that rescans what it has seen grows quadratically).
// The stream comes from a reply that hands out fed bytes like a network reply does, so only the
// access's own work is timed.
#include "kbenchsupport.h"

#include "network/khttpaccesssseventsaccess.h"

#include <QCoreApplication>
#include <QNetworkReply>

#include <cstring>

namespace {

// A network reply whose bytes arrive by feed(): each piece is announced with readyRead(),
// and a line end anywhere in what is unread makes canReadLine() true, as with a real reply.
class KBenchFeedReply : public QNetworkReply
{
public:
    KBenchFeedReply() { open(QIODevice::ReadOnly); }

    void feed(const char* data, qsizetype size)
    {
        m_data.append(data, static_cast<int>(size));
        emit readyRead();
    }

    void abort() override {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return unread() + QIODevice::bytesAvailable(); }
    bool canReadLine() const override
    {
        return std::memchr(m_data.constData() + m_read, '\n', static_cast<size_t>(unread())) != nullptr
            || QIODevice::canReadLine();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 count = qMin(maxSize, unread());
        std::memcpy(data, m_data.constData() + m_read, static_cast<size_t>(count));
        m_read += count;
        if (m_read == m_data.size()) {
            m_data.clear();
            m_read = 0;
        }
        return count;
    }

private:
    qint64 unread() const { return m_data.size() - m_read; }

    QByteArray m_data;
    qint64 m_read = 0;
};

// Feeds `stream` in `pieces` equal pieces to a fresh access and returns the events it queued.
QStringList throughAccess(const QByteArray& stream, int pieces)
{
    QStringList events;
    auto* reply = new KBenchFeedReply;
    {
        // The access owns the reply and deletes it later.
        KHttpAccessSSEventsAccess access(events, reply, QStringLiteral("cb"), QStringLiteral("text"), 0);
        const qsizetype piece = (stream.size() + pieces - 1) / pieces;
        for (qsizetype at = 0; at < stream.size(); at += piece)
            reply->feed(stream.constData() + at, qMin(piece, stream.size() - at));
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return events;
}

// The bare split: memchr for each line end, the data part of "data:" lines as text.
QStringList memchrSplit(const QByteArray& stream)
{
    QStringList events;
    const char* at = stream.constData();
    const char* const end = at + stream.size();
    while (at < end) {
        const char* eol = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at)));
        if (!eol)
            break;
        if (eol - at >= 5 && std::memcmp(at, "data:", 5) == 0) {
            const char* value = at + 5;
            const char* nul = static_cast<const char*>(std::memchr(value, '\0', static_cast<size_t>(eol + 1 - value)));
            events.append(QString::fromLatin1(value, static_cast<int>((nul ? nul : eol + 1) - value)));
        }
        at = eol + 1;
    }
    return events;
}

QByteArray manyEvents(int count)
{
    QByteArray stream;
    for (int i = 0; i < count; ++i) {
        stream += "event: update\nid: " + QByteArray::number(i) + "\ndata: {\"seq\":" + QByteArray::number(i)
            + ",\"state\":\"running\",\"progress\":" + QByteArray::number(i % 100) + "}\n\n";
    }
    return stream;
}

int splitRow()
{
    const bool quick = kbench::quick();
    const int count = quick ? 2000 : 100000;
    const QByteArray stream = manyEvents(count);
    const int pieces = static_cast<int>(stream.size() / 4096) + 1;
    const int runs = quick ? 3 : 9;
    QStringList ours;
    QStringList bare;
    const kbench::Medians ms = kbench::sideBySide(
        runs, [&] { ours = throughAccess(stream, pieces); }, [&] { bare = memchrSplit(stream); });
    const double mb = stream.size() / 1e6;
    kbench::header(QStringLiteral("event-stream splitting, 4 KiB pieces, against a memchr line split"),
                   QStringLiteral("access"), QStringLiteral("memchr"), QStringLiteral("MB/s"));
    kbench::row(QStringLiteral("%1 events, %2 MB").arg(count).arg(mb, 0, 'f', 1), mb / (ms.ours / 1e3),
                mb / (ms.bare / 1e3), ms.bare / ms.ours);
    if (ours != bare || ours.size() != count) {
        kbench::out() << "the access's events differ from the split's\n";
        return 1;
    }
    return 0;
}

int longLineRow()
{
    const bool quick = kbench::quick();
    const int size = quick ? 512 * 1024 : 8 * 1024 * 1024;
    QByteArray stream("data: ");
    stream += QByteArray(size - 7, 'x');
    stream += '\n';
    const int runs = quick ? 3 : 5;
    QStringList pieced;
    QStringList whole;
    const kbench::Medians ms = kbench::sideBySide(
        runs, [&] { pieced = throughAccess(stream, 1024); }, [&] { whole = throughAccess(stream, 1); });
    kbench::header(QStringLiteral("one long \"data:\" line through the event-stream access"),
                   QStringLiteral("1024 pieces"), QStringLiteral("one piece"), QStringLiteral("ms"));
    kbench::row(QStringLiteral("%1 MiB line").arg(size / (1024.0 * 1024.0), 0, 'f', 1), ms.ours, ms.bare,
                ms.ours / ms.bare);
    if (pieced != whole || pieced.size() != 1 || pieced.first().size() != size - 5) {
        kbench::out() << "the pieced line differs from the whole one\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const kbench::Runtime runtime;
    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("split")))
        return splitRow();
    if (args.contains(QStringLiteral("longline")))
        return longLineRow();
    kbench::out() << "usage: bench_eventstream split|longline [--quick]\n";
    return 2;
}
