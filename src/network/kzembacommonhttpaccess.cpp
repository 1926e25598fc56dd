#include "kzembacommonhttpaccess.h"

#include "network/khttpaccessencryptapicontent.h"

#include <krt/krt.h>

#include <QDateTime>

#include <zlib.h>

KZembaCommonHttpAccess::KZembaCommonHttpAccess(QNetworkReply* reply, const QString& callback, const QString& type,
                                               int timeout)
    : m_reply(reply)
    , m_callback(callback)
    , m_type(type)
    , m_timeout(timeout)
    , m_method(QStringLiteral("get"))
{
    if (reply) {
        if (krt::product::isHttpsSecurityBypass())
            reply->ignoreSslErrors();
        connect(reply, &QNetworkReply::finished, this, &KZembaCommonHttpAccess::onDone);
        connect(reply, &QNetworkReply::errorOccurred, this, &KZembaCommonHttpAccess::onError);
    }
    m_timer.setInterval(timeout);
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

void KZembaCommonHttpAccess::onDone()
{
    disconnectSlot();
    if (m_reply) {
        m_rawResult = m_reply->readAll();
        if (m_reply->rawHeader("content-encoding").compare("deflate", Qt::CaseInsensitive) == 0) {
            QByteArray inflated;
            if (inflateBody(m_rawResult, inflated))
                m_rawResult = inflated;
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
        m_rawResult = m_reply->readAll();
    notify();
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

bool KZembaCommonHttpAccess::inflateBody(const QByteArray& body, QByteArray& out)
{
    static constexpr int kChunk = 40960;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return false;

    auto feedBody = [&stream, &body]() {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.constData()));
        stream.avail_in = static_cast<uInt>(body.size());
    };
    feedBody();

    QByteArray inflated;
    bool retried = false;
    bool ok = false;
    for (;;) {
        char buffer[kChunk];
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = kChunk;
        const int status = inflate(&stream, Z_NO_FLUSH);
        const int produced = kChunk - static_cast<int>(stream.avail_out);
        if (status == Z_OK) {
            inflated.append(buffer, produced);
            continue;
        }
        if (status == Z_STREAM_END) {
            inflated.append(buffer, produced);
            ok = true;
            break;
        }
        if (status == Z_DATA_ERROR && !retried) {
            // Raw deflate without the zlib header: put a header in front and start over.
            retried = true;
            inflateReset(&stream);
            inflated.clear();
            static const unsigned char header[] = {0x78, 0x01};
            stream.next_in = const_cast<Bytef*>(header);
            stream.avail_in = sizeof(header);
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = kChunk;
            if (inflate(&stream, Z_NO_FLUSH) != Z_OK)
                break;
            feedBody();
            continue;
        }
        if (status == Z_BUF_ERROR) {
            // A stream cut before its end marker keeps what was decoded.
            ok = produced == 0 && stream.avail_in == 0;
            break;
        }
        break;
    }
    inflateEnd(&stream);
    if (ok)
        out = inflated;
    return ok;
}
