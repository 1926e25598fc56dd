#include "kzembafiledownload.h"

#include "kzembahttpheaders.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTimer>

namespace {
// How much of an error answer's body the failure record keeps.
constexpr int kMaxErrorBody = 64 * 1024;
} // namespace

KZembaFileDownload::KZembaFileDownload(QNetworkAccessManager* network, QObject* parent)
    : QObject(parent)
    , m_network(network)
    , m_idle(new QTimer(this))
{
    m_idle->setSingleShot(true);
    connect(m_idle, &QTimer::timeout, this, [this]() {
        m_timedOut = true;
        if (m_reply)
            m_reply->abort();
    });
}

KZembaFileDownload::~KZembaFileDownload()
{
    stop();
}

void KZembaFileDownload::start(const QUrl& url, const QString& filePath, const SuccessHandler& onSuccess,
                               const ProgressHandler& onProgress, const FailHandler& onFail)
{
    m_url = url;
    m_onSuccess = onSuccess;
    m_onProgress = onProgress;
    m_onFail = onFail;
    if (!kzembahttp::isHttpUrl(url)) {
        QTimer::singleShot(0, this, [this]() { fail(NoUrl, QStringLiteral("no http url: %1").arg(m_url.toString())); });
        return;
    }
    if (!filePath.isEmpty()) {
        QDir().mkpath(QFileInfo(filePath).absolutePath());
        m_file = std::make_unique<QSaveFile>(filePath);
        if (!m_file->open(QIODevice::WriteOnly)) {
            QTimer::singleShot(0, this, [this]() {
                fail(CannotWrite, QStringLiteral("cannot write %1: %2").arg(m_file->fileName(), m_file->errorString()));
            });
            return;
        }
    }

    // The request may go to another address (connectTarget); the download keeps its own URL.
    QNetworkRequest request(kzembahttp::connectTarget(url));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    kzembahttp::applyHeaders(request, m_headers);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &KZembaFileDownload::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &KZembaFileDownload::onFinished);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        if (m_onProgress && m_status < 300)
            m_onProgress(received, total);
    });
    if (m_timeoutMs > 0)
        m_idle->start(m_timeoutMs);
}

void KZembaFileDownload::cancel()
{
    m_done = true;
    stop();
}

void KZembaFileDownload::stop()
{
    m_idle->stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    if (m_file)
        m_file->cancelWriting();
    m_file.reset(); // an uncommitted save file removes its temporary file
}

void KZembaFileDownload::onReadyRead()
{
    if (m_timeoutMs > 0)
        m_idle->start(m_timeoutMs);
    m_status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray chunk = m_reply->readAll();
    if (m_status >= 300) {
        m_errorBody.append(chunk.left(kMaxErrorBody - m_errorBody.size()));
        return;
    }
    if (m_writeFailed)
        return;
    if (!m_expectedMd5.isEmpty())
        m_md5.addData(chunk);
    if (m_file) {
        if (m_file->write(chunk) != chunk.size()) {
            m_writeFailed = true;
            m_reply->abort();
        }
    } else if (m_bytes.size() + chunk.size() > kMaxMemoryBytes) {
        m_writeFailed = true;
        m_reply->abort();
    } else {
        m_bytes.append(chunk);
    }
}

void KZembaFileDownload::onFinished()
{
    if (m_done)
        return;
    m_idle->stop();
    onReadyRead(); // whatever is still unread
    m_status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_reply->deleteLater();
    if (m_writeFailed) {
        if (m_file)
            fail(CannotWrite, QStringLiteral("cannot write %1: %2").arg(m_file->fileName(), m_file->errorString()));
        else
            fail(TooLarge, QStringLiteral("answer larger than %1 bytes").arg(kMaxMemoryBytes));
        return;
    }
    if (m_timedOut) {
        fail(TimedOut, QStringLiteral("timeout"));
        return;
    }
    if (m_reply->error() != QNetworkReply::NoError || m_status >= 300) {
        fail(m_status >= 300 ? HttpError : NetworkError, m_reply->errorString());
        return;
    }
    if (!m_expectedMd5.isEmpty() && QString::fromLatin1(m_md5.result().toHex()) != m_expectedMd5) {
        fail(Md5Mismatch, QStringLiteral("md5 mismatch"));
        return;
    }
    if (m_file && !m_file->commit()) {
        fail(CannotWrite, QStringLiteral("cannot write %1: %2").arg(m_file->fileName(), m_file->errorString()));
        return;
    }
    m_file.reset();
    m_done = true;
    if (m_onSuccess)
        m_onSuccess();
}

void KZembaFileDownload::fail(int errorCode, const QString& description)
{
    if (m_done)
        return;
    m_done = true;
    Failure failure;
    failure.errorCode = errorCode;
    failure.httpStatusCode = m_status;
    failure.description = description;
    failure.url = m_url.toString();
    failure.md5Error = errorCode == Md5Mismatch;
    failure.content = m_errorBody;
    stop();
    if (m_onFail)
        m_onFail(failure);
}

kzembaresnetwork::DownloadFailInfo KZembaFileDownload::Failure::toDownloadFailInfo() const
{
    kzembaresnetwork::DownloadFailInfo info;
    info.errorCode = errorCode;
    info.httpStatusCode = httpStatusCode;
    info.description = description;
    info.url = url;
    info.bMd5Err = md5Error;
    info.errorMsg = description;
    info.content = content;
    return info;
}

QString KZembaFileDownload::safeFileName(const QString& text, const QString& fallback)
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    QString name = text;
    name.replace(unsafe, QStringLiteral("_"));
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    return name.isEmpty() ? fallback : name.left(128);
}
