// Inflating deflate bodies of page requests: the access object's chunked
// inflate against zlib's one-shot uncompress into a new buffer of the right size.
// Time, lower is better.
#include "kbenchsupport.h"

#include "network/kzembacommonhttpaccess.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QRandomGenerator>

#include <zlib.h>

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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const kbench::Runtime runtime;
    const bool quick = kbench::quick();

    const std::vector<qsizetype> sizes = quick ? std::vector<qsizetype>{64 * 1024}
                                               : std::vector<qsizetype>{64 * 1024, 4 * 1024 * 1024, 64 * 1024 * 1024};
    kbench::header(QStringLiteral("inflate of deflate bodies against zlib uncompress into a sized buffer"),
                   QStringLiteral("access inflate"), QStringLiteral("uncompress"), QStringLiteral("ms"));
    int failures = 0;
    for (const qsizetype size : sizes) {
        const QByteArray plain = makeBody(size);
        const QByteArray body = deflateBody(plain);
        const int runs = size >= 64 * 1024 * 1024 ? 5 : size >= 4 * 1024 * 1024 ? 31 : 101;

        QByteArray inflated;
        QByteArray expected;
        const kbench::Medians ms = kbench::sideBySide(
            // The body limit is the size itself: the 64 MiB body is past the default limit.
            runs, [&] { KZembaCommonHttpAccess::inflateBody(body, inflated, plain.size()); },
            [&] {
                // A new buffer each time, as the access hands each page a result of its own.
                expected = QByteArray(plain.size(), Qt::Uninitialized);
                uLongf length = static_cast<uLongf>(expected.size());
                uncompress(reinterpret_cast<Bytef*>(expected.data()), &length,
                           reinterpret_cast<const Bytef*>(body.constData()), static_cast<uLong>(body.size()));
            });
        if (inflated != plain || expected != plain)
            ++failures;
        kbench::row(QStringLiteral("%1 KiB body").arg(size / 1024), ms.ours, ms.bare, ms.ours / ms.bare);
    }
    if (failures)
        kbench::out() << "inflated bytes differ from the original\n";
    return failures ? 1 : 0;
}
