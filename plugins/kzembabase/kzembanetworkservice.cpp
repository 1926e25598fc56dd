#include "kzembanetworkservice.h"

#include "kzembaeventstreamparser.h"
#include "kzembafiledownload.h"
#include "kzembahttpheaders.h"

#include <krt/krt.h>
#include <krt/kruntimeconfig.h>
#include <vanta/kvantapluginchecker.h>
#include <vdllite/kxloggerlite.h>

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStringList>
#include <QTimer>

namespace {

const QString kLogModule = QStringLiteral("KZembaBase");
// Error code of a stream that sent nothing for its time-out (QNetworkReply::TimeoutError).
constexpr int kTimeoutCode = 4;
// Error code of a stream whose reader fell too far behind or whose event grew too large.
constexpr int kOverflowCode = 99;

QVariantMap errorDelivery(const QString& sessionId, int code, const QString& message, int httpStatus)
{
    return {{QStringLiteral("session_id"), sessionId},
            {QStringLiteral("error"), code},
            {QStringLiteral("errormsg"), message},
            {QStringLiteral("httpStatusCode"), httpStatus}};
}

} // namespace

struct KZembaNetworkService::Session
{
    QPointer<QNetworkReply> reply;
    QTimer* idle = nullptr;
    int timeoutMs = 0;
    KZembaEventStreamParser parser;
    kzembanetwork::StreamHandler reader;
    QList<QVariantMap> waiting;
    qsizetype waitingBytes = 0;
    bool ended = false;
    bool checked = false;
};

KZembaNetworkService::KZembaNetworkService(QObject* parent)
    : QObject(parent)
{
}

KZembaNetworkService::~KZembaNetworkService()
{
    const QStringList ids = m_sessions.keys();
    for (const QString& id : ids)
        forget(id);
}

QNetworkAccessManager* KZembaNetworkService::network()
{
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    return m_network;
}

void KZembaNetworkService::request(const QUrl& url, const QVariantMap& headers, int, const kzembanetwork::SuccessHandler& onSuccess,
                                   const kzembanetwork::FailHandler& onFail, int timeoutMs, int, int)
{
    auto* download = new KZembaFileDownload(network(), this);
    download->setHeaders(headers);
    download->setTimeout(timeoutMs);
    download->start(
        url, QString(),
        [download, onSuccess]() {
            download->deleteLater();
            if (onSuccess)
                onSuccess(download->bytes());
        },
        nullptr,
        [download, onFail](const KZembaFileDownload::Failure& failure) {
            download->deleteLater();
            kzembanetwork::FailInfo info;
            info.httpStatusCode = failure.httpStatusCode;
            info.errorCode = failure.errorCode;
            info.errorString = failure.description;
            info.body = failure.content;
            if (onFail)
                onFail(info);
        });
}

QString KZembaNetworkService::openStream(const QUrl& url, const QVariantMap& options, int,
                                         const kzembanetwork::SuccessHandler&, const kzembanetwork::ProgressHandler&,
                                         const kzembanetwork::FailHandler&, int, int timeoutMs, int, bool)
{
    if (!kzembahttp::isHttpUrl(url)) {
        KxLoggerLite::writeWarning(kLogModule, QStringLiteral("event stream refused: %1").arg(url.toString()));
        return QString();
    }
    QNetworkRequest request(url);
    kzembahttp::applyHeaders(request, options.value(QStringLiteral("header")).toMap());
    if (!request.hasRawHeader("Content-Type")) {
        request.setRawHeader("Content-Type", options.value(QStringLiteral("bRawData")).toBool()
                                                 ? QByteArray("application/json")
                                                 : QByteArray("application/x-www-form-urlencoded"));
    }
    request.setRawHeader("Accept", "text/event-stream");
    request.setRawHeader("Cache-Control", "no-cache");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);

    const QString id = QStringLiteral("sse-%1").arg(++m_lastSession);
    auto session = std::make_shared<Session>();
    session->reply = network()->post(request, options.value(QStringLiteral("data")).toByteArray());
    session->timeoutMs = timeoutMs;
    if (timeoutMs > 0) {
        session->idle = new QTimer(this);
        session->idle->setSingleShot(true);
        connect(session->idle, &QTimer::timeout, this, [this, id]() { onStreamTimeout(id); });
        session->idle->start(timeoutMs);
    }
    connect(session->reply, &QNetworkReply::readyRead, this, [this, id]() { onStreamData(id); });
    connect(session->reply, &QNetworkReply::finished, this, [this, id]() { onStreamFinished(id); });
    m_sessions.insert(id, session);
    return id;
}

void KZembaNetworkService::readStream(const QString& sessionId, const kzembanetwork::StreamHandler& handler)
{
    const auto it = m_sessions.constFind(sessionId);
    if (it == m_sessions.constEnd())
        return;
    (*it)->reader = handler;
    flush(sessionId);
}

void KZembaNetworkService::closeStream(const QString& sessionId)
{
    forget(sessionId);
}

void KZembaNetworkService::forget(const QString& sessionId)
{
    const std::shared_ptr<Session> session = m_sessions.take(sessionId);
    if (!session)
        return;
    delete session->idle;
    if (session->reply) {
        session->reply->disconnect(this);
        session->reply->abort();
        session->reply->deleteLater();
    }
}

void KZembaNetworkService::onStreamData(const QString& sessionId)
{
    const std::shared_ptr<Session> session = m_sessions.value(sessionId);
    if (!session || session->ended || !session->reply)
        return;
    QNetworkReply* reply = session->reply;
    if (session->idle)
        session->idle->start(session->timeoutMs);
    if (!session->checked) {
        session->checked = true;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QByteArray type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray().toLower();
        if (status < 200 || status >= 300) {
            endStream(sessionId, errorDelivery(sessionId, int(QNetworkReply::ProtocolFailure),
                                               QStringLiteral("http status %1").arg(status), status));
            return;
        }
        if (!type.startsWith("text/event-stream")) {
            endStream(sessionId, errorDelivery(sessionId, int(QNetworkReply::ProtocolFailure),
                                               QStringLiteral("not an event stream: %1").arg(QString::fromLatin1(type)),
                                               status));
            return;
        }
    }
    // Read what has arrived as it is: the parser keeps a partial line itself.
    const QByteArray chunk = reply->read(reply->bytesAvailable());
    if (!session->parser.feed(chunk)) {
        endStream(sessionId, errorDelivery(sessionId, kOverflowCode, QStringLiteral("event too large"), 200));
        return;
    }
    const QVector<KZembaEventStreamParser::Event> events = session->parser.takeEvents();
    for (const KZembaEventStreamParser::Event& event : events) {
        queue(*session, {{QStringLiteral("session_id"), sessionId},
                         {QStringLiteral("event"), event.type},
                         {QStringLiteral("id"), event.id},
                         {QStringLiteral("data"), event.data}},
              event.data.size() * 2);
    }
    if (session->waitingBytes > kMaxWaitingBytes) {
        endStream(sessionId, errorDelivery(sessionId, kOverflowCode, QStringLiteral("reader too slow"), 200));
        return;
    }
    flush(sessionId);
}

void KZembaNetworkService::onStreamFinished(const QString& sessionId)
{
    const std::shared_ptr<Session> session = m_sessions.value(sessionId);
    if (!session || session->ended || !session->reply)
        return;
    QNetworkReply* reply = session->reply;
    if (!session->checked && reply->error() != QNetworkReply::NoError) {
        // Failed before any answer body: report the network error, not a missing status.
        endStream(sessionId, errorDelivery(sessionId, int(reply->error()), reply->errorString(),
                                           reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()));
        return;
    }
    onStreamData(sessionId);
    if (session->ended)
        return;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError)
        endStream(sessionId, errorDelivery(sessionId, int(reply->error()), reply->errorString(), status));
    else
        endStream(sessionId, {{QStringLiteral("session_id"), sessionId}, {QStringLiteral("done"), true}});
}

void KZembaNetworkService::onStreamTimeout(const QString& sessionId)
{
    endStream(sessionId, errorDelivery(sessionId, kTimeoutCode, QStringLiteral("timeout"), 0));
}

void KZembaNetworkService::endStream(const QString& sessionId, const QVariantMap& last)
{
    const std::shared_ptr<Session> session = m_sessions.value(sessionId);
    if (!session || session->ended)
        return;
    session->ended = true;
    if (session->idle)
        session->idle->stop();
    if (session->reply) {
        session->reply->disconnect(this);
        session->reply->abort();
        session->reply->deleteLater();
    }
    queue(*session, last, 0);
    flush(sessionId);
}

void KZembaNetworkService::queue(Session& session, const QVariantMap& delivery, qsizetype bytes)
{
    session.waiting.append(delivery);
    session.waitingBytes += bytes;
}

void KZembaNetworkService::flush(const QString& sessionId)
{
    // The reader may close the session, or open others, from inside a delivery.
    for (;;) {
        const std::shared_ptr<Session> session = m_sessions.value(sessionId);
        if (!session || !session->reader || session->waiting.isEmpty())
            return;
        const QVariantMap delivery = session->waiting.takeFirst();
        session->waitingBytes -= delivery.value(QStringLiteral("data")).toString().size() * 2;
        const kzembanetwork::StreamHandler reader = session->reader;
        const bool last = session->ended && session->waiting.isEmpty();
        if (last)
            forget(sessionId);
        reader(delivery);
    }
}

void KZembaNetworkService::preparePlugin(const QString& name, const PluginReadyHandler& onReady,
                                         const PluginProgressHandler& onProgress)
{
    static const QRegularExpression validName(QStringLiteral("^[A-Za-z0-9_][A-Za-z0-9_.-]{0,63}$"));
    if (validName.match(name).hasMatch() && KVantaPluginChecker::isPluginAvailable(name)) {
        if (onReady)
            onReady(true);
        return;
    }
    const QUrl url(krt::KRuntimeConfig::value(QStringLiteral("pluginPackages/") + name).toString());
    if (!validName.match(name).hasMatch() || url.isEmpty()) {
        KxLoggerLite::writeWarning(kLogModule, QStringLiteral("no package for plugin %1").arg(name));
        QTimer::singleShot(0, this, [onReady]() {
            if (onReady)
                onReady(false);
        });
        return;
    }
    auto* download = new KZembaFileDownload(network(), this);
    const QString target = KVantaPluginChecker::addonLibraryPath(name);
    download->start(
        url, target,
        [download, name, onReady, onProgress]() {
            download->deleteLater();
            if (onProgress)
                onProgress(1.0);
            if (onReady)
                onReady(KVantaPluginChecker::isPluginAvailable(name));
        },
        [onProgress](qint64 received, qint64 total) {
            if (onProgress && total > 0)
                onProgress(double(received) / double(total));
        },
        [download, name, onReady](const KZembaFileDownload::Failure& failure) {
            download->deleteLater();
            // The plug-in's folder was made for the download; an empty one must not look installed.
            QDir().rmdir(QFileInfo(KVantaPluginChecker::addonLibraryPath(name)).absolutePath());
            KxLoggerLite::writeWarning(kLogModule, QStringLiteral("installing plugin %1 failed: %2")
                                                       .arg(name, failure.description));
            if (onReady)
                onReady(false);
        });
}
