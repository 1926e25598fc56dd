// The base plug-in's event-stream parser on a stream of events, side by side
// with a bare memchr split of the same bytes into lines (the least any parser
// has to do), fed in network-sized chunks; also one huge data line, which a
// parser that rescans its buffer would make quadratic.
#include "kzembaeventstreamparser.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Events shaped like a streaming answer: short typed events with ids and JSON data, some
// over several lines, a comment now and then.
QByteArray makeStream(qsizetype size)
{
    QRandomGenerator random(20261211);
    QByteArray stream;
    stream.reserve(size + 256);
    int id = 0;
    while (stream.size() < size) {
        const quint32 kind = random.generate() % 10;
        if (kind == 0)
            stream += ": keep-alive\n";
        stream += "event: delta\nid: " + QByteArray::number(++id) + "\n";
        stream += "data: {\"text\":\"" + QByteArray(int(random.generate() % 120), 'w') + "\"}\n";
        if (kind < 3)
            stream += "data: {\"more\":" + QByteArray::number(random.generate()) + "}\n";
        stream += "\n";
    }
    return stream;
}

std::vector<QByteArray> chunked(const QByteArray& stream, int chunkSize)
{
    std::vector<QByteArray> chunks;
    for (int at = 0; at < stream.size(); at += chunkSize)
        chunks.push_back(stream.mid(at, chunkSize));
    return chunks;
}

// Lines of the chunks, found with memchr; a line cut by a chunk border is carried over.
qsizetype splitLines(const std::vector<QByteArray>& chunks)
{
    qsizetype lines = 0;
    QByteArray carry;
    for (const QByteArray& chunk : chunks) {
        const char* p = chunk.constData();
        const char* const end = p + chunk.size();
        while (const void* hit = std::memchr(p, '\n', size_t(end - p))) {
            const char* lineEnd = static_cast<const char*>(hit);
            if (!carry.isEmpty()) {
                carry.append(p, int(lineEnd - p));
                carry.clear();
            }
            ++lines;
            p = lineEnd + 1;
        }
        carry.append(p, int(end - p));
    }
    return lines;
}

qsizetype parse(const std::vector<QByteArray>& chunks)
{
    KZembaEventStreamParser parser;
    qsizetype events = 0;
    for (const QByteArray& chunk : chunks) {
        parser.feed(chunk);
        events += parser.takeEvents().size();
    }
    return events;
}

template <typename Work>
double medianMs(int runs, Work work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    QTextStream out(stdout);
    const qsizetype size = quick ? qsizetype(1) * 1024 * 1024 : qsizetype(64) * 1024 * 1024;
    const int runs = quick ? 3 : 5;

    struct Case
    {
        const char* name;
        QByteArray stream;
    };
    const QByteArray bigLine = "data: " + QByteArray(int(size), 'x') + "\n\n";
    const std::vector<Case> cases{{"events", makeStream(size)}, {"one data line", bigLine}};

    out << "stream            size (MiB)   parser (ms)   memchr split (ms)   ratio\n";
    int failures = 0;
    for (const Case& c : cases) {
        const std::vector<QByteArray> chunks = chunked(c.stream, 16 * 1024);
        qsizetype events = 0;
        qsizetype lines = 0;
        const double parser = medianMs(runs, [&]() { events = parse(chunks); });
        const double split = medianMs(runs, [&]() { lines = splitLines(chunks); });
        if (events == 0 || lines == 0)
            ++failures;
        out << QString::fromLatin1(c.name).leftJustified(16)
            << QString::number(double(c.stream.size()) / (1024 * 1024), 'f', 1).rightJustified(12)
            << QString::number(parser, 'f', 2).rightJustified(14) << QString::number(split, 'f', 2).rightJustified(20)
            << QString::number(parser / split, 'f', 2).rightJustified(8) << '\n';
        out.flush();
    }
    if (failures)
        out << "a stream gave no events\n";
    return failures ? 1 : 0;
}
