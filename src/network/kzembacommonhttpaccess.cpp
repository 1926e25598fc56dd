#include "kzembacommonhttpaccess.h"

#include "network/khttpaccessencryptapicontent.h"
#include "network/kzembahttplimits.h"

#include <krt/krt.h>

#include <vdllite/kxloggerlite.h>

#include <QDateTime>

#include <zlib.h>

#include <limits>

KZembaCommonHttpAccess::KZembaCommonHttpAccess(QNetworkReply* reply, const QString& callback, const QString& type,
                                               int timeout)
    : m_reply(reply)
    , m_callback(callback)
    , m_type(type)
    , m_timeout(KZembaHttpLimits::clampTimeout(timeout))
    , m_maxBodyBytes(KZembaHttpLimits::maxBodyBytes())
    , m_method(QStringLiteral("get"))
{
    if (reply) {
        if (krt::product::isHttpsSecurityBypass())
            reply->ignoreSslErrors();
        // The reply holds at most one byte more than the limit, so a body past it shows
        // without ever being kept whole.
        reply->setReadBufferSize(m_maxBodyBytes + 1);
        connect(reply, &QNetworkReply::readyRead, this, &KZembaCommonHttpAccess::checkBodySize);
        connect(reply, &QNetworkReply::finished, this, &KZembaCommonHttpAccess::onDone);
        connect(reply, &QNetworkReply::errorOccurred, this, &KZembaCommonHttpAccess::onError);
    }
    // Out of range, Qt would refuse the interval and the request would never time out.
    m_timer.setInterval(m_timeout);
    m_timer.setSingleShot(true);
    m_startTime = QDateTime::currentMSecsSinceEpoch();
}

KZembaCommonHttpAccess::~KZembaCommonHttpAccess()
{
    if (m_reply) {
        // Only this object's connections: the reply's own wiring to its network thread must
        // stay, or the abort below would never reach the connection.
        m_reply->disconnect(this);
        if (m_reply->isRunning())
            m_reply->abort();
        m_reply->deleteLater();
    }
    if (m_encryptContent)
        m_encryptContent->deleteLater();
}

void KZembaCommonHttpAccess::go()
{
    connect(&m_timer, &QTimer::timeout, this, &KZembaCommonHttpAccess::onTimeout, Qt::UniqueConnection);
    m_timer.start();
}

void KZembaCommonHttpAccess::disconnectSlot()
{
    disconnect(&m_timer, &QTimer::timeout, this, &KZembaCommonHttpAccess::onTimeout);
    m_timer.stop();
    if (m_reply) {
        disconnect(m_reply, &QNetworkReply::readyRead, this, &KZembaCommonHttpAccess::checkBodySize);
        disconnect(m_reply, &QNetworkReply::finished, this, &KZembaCommonHttpAccess::onDone);
        disconnect(m_reply, &QNetworkReply::errorOccurred, this, &KZembaCommonHttpAccess::onError);
    }
}

int KZembaCommonHttpAccess::getHttpStatusCode() const
{
    if (!m_reply)
        return -1;
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return status.isValid() ? status.toInt() : -1;
}

QString KZembaCommonHttpAccess::getHttpReason() const
{
    if (!m_reply)
        return QStringLiteral("reply null");
    return m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
}

QString KZembaCommonHttpAccess::result() const
{
    const int nul = m_rawResult.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? m_rawResult : m_rawResult.left(nul));
}

void KZembaCommonHttpAccess::setEncryptContent(KHttpAccessEncryptApiContent* content)
{
    m_encryptContent = content;
}

KHttpAccessEncryptApiContent* KZembaCommonHttpAccess::getEncryptContent() const
{
    return m_encryptContent.data();
}

void KZembaCommonHttpAccess::checkBodySize()
{
    if (m_reply && m_reply->bytesAvailable() > m_maxBodyBytes)
        failBodyTooLarge();
}

void KZembaCommonHttpAccess::failBodyTooLarge()
{
    disconnectSlot();
    KxLoggerLite::writeWarning(QStringLiteral("KZembaCommonHttpAccess"),
                               QStringLiteral("answer body of %1 larger than %2 bytes, request aborted")
                                   .arg(m_reply ? m_reply->url().toString() : QString(), QString::number(m_maxBodyBytes)));
    if (m_reply)
        m_reply->abort();
    m_isNetworkError = true;
    m_errorCode = static_cast<int>(QNetworkReply::UnknownContentError);
    m_rawResult = QByteArray();
    notify();
}

void KZembaCommonHttpAccess::onDone()
{
    if (m_reply && m_reply->bytesAvailable() > m_maxBodyBytes) {
        failBodyTooLarge();
        return;
    }
    disconnectSlot();
    if (m_reply) {
        m_rawResult = takeBody();
        const QByteArray encoding = m_reply->rawHeader("content-encoding").trimmed();
        const bool deflate = encoding.compare("deflate", Qt::CaseInsensitive) == 0;
        const bool gzip = encoding.compare("gzip", Qt::CaseInsensitive) == 0
            && m_reply->request().attribute(transportDecodingAttribute()).toBool();
        if (deflate || gzip) {
            QByteArray inflated;
            switch (inflateBody(m_rawResult, inflated, m_maxBodyBytes, gzip)) {
            case InflateResult::Inflated:
                m_rawResult = inflated;
                break;
            case InflateResult::TooLarge:
                failBodyTooLarge();
                return;
            case InflateResult::NotDeflate:
                break;
            }
        }
    }
    notify();
}

void KZembaCommonHttpAccess::onError(QNetworkReply::NetworkError code)
{
    disconnectSlot();
    m_isNetworkError = true;
    m_errorCode = static_cast<int>(code);
    if (m_reply)
        m_rawResult = takeBody();
    notify();
}

QByteArray KZembaCommonHttpAccess::takeBody()
{
    return m_reply ? m_reply->readAll() : QByteArray();
}

void KZembaCommonHttpAccess::onTimeout()
{
    disconnectSlot();
    m_isTimeout = true;
    m_errorCode = static_cast<int>(QNetworkReply::TimeoutError);
    notify();
}

void KZembaCommonHttpAccess::notify()
{
    if (m_notified)
        return;
    m_elapsed = QDateTime::currentMSecsSinceEpoch() - m_startTime;
    if (m_reply)
        m_url = m_reply->url().toString();
    m_notified = true;
    emit done(this);
}

QNetworkRequest::Attribute KZembaCommonHttpAccess::transportDecodingAttribute()
{
    return static_cast<QNetworkRequest::Attribute>(QNetworkRequest::User + 0x5A1);
}

bool KZembaCommonHttpAccess::inflateBody(const QByteArray& body, QByteArray& out)
{
    return inflateBody(body, out, KZembaHttpLimits::maxBodyBytes()) == InflateResult::Inflated;
}

KZembaCommonHttpAccess::InflateResult KZembaCommonHttpAccess::inflateBody(const QByteArray& body, QByteArray& out,
                                                                          qint64 maxSize, bool gzip)
{
    // zlib writes straight into the result, in passes as large as its free room: a small pass
    // makes zlib copy its window each time. Room beyond the limit is never given, so the first
    // byte past it ends the inflate whatever the pass size.
    static constexpr qint64 kFirstRoom = 1024 * 1024;
    z_stream stream{};
    // Window bits 15 read a zlib stream; 15 + 16 a gzip one.
    if (inflateInit2(&stream, gzip ? 15 + 16 : 15) != Z_OK)
        return InflateResult::NotDeflate;

    auto feedBody = [&stream, &body]() {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.constData()));
        stream.avail_in = static_cast<uInt>(body.size());
    };
    feedBody();

    const qint64 cap = qMin<qint64>(maxSize + 1, std::numeric_limits<int>::max() - 1);
    qint64 room = kFirstRoom;
    if (gzip && body.size() >= 4) {
        // A gzip trailer tells the size (modulo 4 GiB): enough room for one pass.
        const auto* tail = reinterpret_cast<const unsigned char*>(body.constData() + body.size() - 4);
        room = qMax<qint64>(room, qint64(tail[0]) | qint64(tail[1]) << 8 | qint64(tail[2]) << 16 | qint64(tail[3]) << 24);
    } else {
        // Text bodies shrink about eight times. Untouched room costs address space only, and a
        // short guess costs a reallocation that may copy what is already inflated.
        room = qMax<qint64>(room, qint64(body.size()) * 8);
    }
    QByteArray inflated;
    inflated.resize(int(qMin(room, cap)));
    qint64 size = 0;
    bool retried = false;
    InflateResult result = InflateResult::NotDeflate;
    for (;;) {
        if (size == inflated.size()) {
            // Grow to what the ratio so far predicts for the whole body, with a margin.
            const qint64 consumed = qMax<qint64>(qint64(body.size()) - stream.avail_in, 1);
            const qint64 predicted = size * qint64(body.size()) / consumed + size / 8;
            inflated.resize(int(qMin<qint64>(qMax(predicted, size + size / 2), cap)));
        }
        const qint64 free = qMin<qint64>(inflated.size() - size, std::numeric_limits<uInt>::max());
        stream.next_out = reinterpret_cast<Bytef*>(inflated.data() + size);
        stream.avail_out = static_cast<uInt>(free);
        const int status = inflate(&stream, Z_NO_FLUSH);
        const qint64 produced = free - qint64(stream.avail_out);
        size += produced;
        if ((status == Z_OK || status == Z_STREAM_END) && size > maxSize) {
            result = InflateResult::TooLarge;
            break;
        }
        if (status == Z_OK)
            continue;
        if (status == Z_STREAM_END) {
            result = InflateResult::Inflated;
            break;
        }
        if (status == Z_DATA_ERROR && !retried && !gzip) {
            // Raw deflate without the zlib header: put a header in front and start over.
            retried = true;
            inflateReset(&stream);
            size = 0;
            static const unsigned char header[] = {0x78, 0x01};
            stream.next_in = const_cast<Bytef*>(header);
            stream.avail_in = sizeof(header);
            stream.next_out = reinterpret_cast<Bytef*>(inflated.data());
            stream.avail_out = static_cast<uInt>(qMin<qint64>(inflated.size(), std::numeric_limits<uInt>::max()));
            if (inflate(&stream, Z_NO_FLUSH) != Z_OK)
                break;
            feedBody();
            continue;
        }
        if (status == Z_BUF_ERROR) {
            // A stream cut before its end marker keeps what was decoded.
            if (produced == 0 && stream.avail_in == 0)
                result = InflateResult::Inflated;
            break;
        }
        break;
    }
    inflateEnd(&stream);
    if (result == InflateResult::Inflated) {
        inflated.resize(int(size));
        // Give back a large unused tail; shrinking in place costs no copy.
        if (inflated.capacity() - size > qMax<qint64>(size / 8, 64 * 1024))
            inflated.squeeze();
        out = std::move(inflated);
    }
    return result;
}
