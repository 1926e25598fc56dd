// Inflating deflate bodies of page requests: the access object's chunked
// inflate against zlib's one-shot uncompress into a buffer of the right size.
#include "network/kzembacommonhttpaccess.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace {

// Text shaped like a store answer: repetitive keys, varying values.
QByteArray makeBody(qsizetype size)
{
    QRandomGenerator random(20261210);
    QByteArray body;
    body.reserve(size + 128);
    while (body.size() < size) {
        body += "{\"id\":\"" + QByteArray::number(random.generate() % 1000000) + "\",\"name\":\"template "
            + QByteArray::number(random.generate() % 5000) + "\",\"price\":" + QByteArray::number(random.generate() % 100)
            + ",\"tags\":[\"doc\",\"sheet\"]},\n";
    }
    body.truncate(size);
    return body;
}

QByteArray deflateBody(const QByteArray& plain)
{
    uLongf length = compressBound(static_cast<uLong>(plain.size()));
    QByteArray out(static_cast<int>(length), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(plain.constData()),
              static_cast<uLong>(plain.size()), Z_DEFAULT_COMPRESSION);
    out.truncate(static_cast<int>(length));
    return out;
}

// Median milliseconds of `runs` runs of `work`.
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

    const std::vector<qsizetype> sizes = quick ? std::vector<qsizetype>{64 * 1024}
                                               : std::vector<qsizetype>{64 * 1024, 4 * 1024 * 1024, 64 * 1024 * 1024};
    out << "size        access inflate (ms)   uncompress (ms)   ratio\n";
    int failures = 0;
    for (const qsizetype size : sizes) {
        const QByteArray plain = makeBody(size);
        const QByteArray body = deflateBody(plain);
        const int runs = size >= 64 * 1024 * 1024 ? 3 : size >= 4 * 1024 * 1024 ? 7 : 51;

        QByteArray inflated;
        const double access = medianMs(runs, [&]() { KZembaCommonHttpAccess::inflateBody(body, inflated); });
        QByteArray expected(plain.size(), Qt::Uninitialized);
        const double oneShot = medianMs(runs, [&]() {
            uLongf length = static_cast<uLongf>(expected.size());
            uncompress(reinterpret_cast<Bytef*>(expected.data()), &length,
                       reinterpret_cast<const Bytef*>(body.constData()), static_cast<uLong>(body.size()));
        });
        if (inflated != plain || expected != plain)
            ++failures;
        out << QString::number(size / 1024).rightJustified(8) << " KiB "
            << QString::number(access, 'f', 3).rightJustified(20) << QString::number(oneShot, 'f', 3).rightJustified(18)
            << QString::number(access / oneShot, 'f', 2).rightJustified(8) << '\n';
        out.flush();
    }
    if (failures)
        out << "inflated bytes differ from the original\n";
    return failures ? 1 : 0;
}
