#include "ktestnetworktransfers.h"

#include "ktestplugincontrol.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringList>

namespace {

void applyHeaders(QNetworkRequest& request, const QVariantMap& headers)
{
    for (auto it = headers.begin(); it != headers.end(); ++it) {
        if (it.value().type() == QVariant::Map) {
            // A map of cookies becomes one Cookie header.
            QStringList pairs;
            const QVariantMap cookies = it.value().toMap();
            for (auto cookie = cookies.begin(); cookie != cookies.end(); ++cookie)
                pairs.append(cookie.key() + QLatin1Char('=') + cookie.value().toString());
            request.setRawHeader(it.key().toUtf8(), pairs.join(QStringLiteral("; ")).toUtf8());
        } else {
            request.setRawHeader(it.key().toUtf8(), it.value().toString().toUtf8());
        }
    }
}

} // namespace

KTestNetworkTransfers::KTestNetworkTransfers(KTestPluginControl* control, QObject* parent)
    : QObject(parent)
    , m_control(control)
    , m_network(new QNetworkAccessManager(this))
{
}

KTestNetworkTransfers::~KTestNetworkTransfers() = default;

void KTestNetworkTransfers::request(const QUrl& url, const QVariantMap& headers, int timeoutMs,
                                    const kzembanetwork::SuccessHandler& onSuccess,
                                    const kzembanetwork::FailHandler& onFail)
{
    QNetworkRequest request(url);
    applyHeaders(request, headers);
    request.setTransferTimeout(timeoutMs);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::finished, this, [reply, onSuccess, onFail]() {
        reply->deleteLater();
        if (reply->error() == QNetworkReply::NoError) {
            if (onSuccess)
                onSuccess(reply->readAll());
            return;
        }
        kzembanetwork::FailInfo info;
        info.httpStatusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        info.errorCode = static_cast<int>(reply->error());
        info.errorString = reply->errorString();
        info.body = reply->readAll();
        if (onFail)
            onFail(info);
    });
}

QString KTestNetworkTransfers::openStream(const QUrl& url, const QVariantMap& options, int timeoutMs)
{
    if (!m_control->option(QStringLiteral("network/streamOpens"), true).toBool())
        return QString();
    QNetworkRequest request(url);
    applyHeaders(request, options.value(QStringLiteral("header")).toMap());
    request.setTransferTimeout(timeoutMs);
    if (!request.hasRawHeader("Content-Type"))
        request.setRawHeader("Content-Type", "application/x-www-form-urlencoded");
    QNetworkReply* reply = m_network->post(request, options.value(QStringLiteral("data")).toByteArray());

    const QString id = QStringLiteral("sse-%1").arg(++m_lastSession);
    m_streams.insert(id, Stream{reply, nullptr, {}});
    connect(reply, &QNetworkReply::readyRead, this, [this, id]() { onStreamData(id); });
    connect(reply, &QNetworkReply::finished, this, [this, id]() { onStreamFinished(id); });
    return id;
}

void KTestNetworkTransfers::readStream(const QString& sessionId, const kzembanetwork::StreamHandler& handler)
{
    auto it = m_streams.find(sessionId);
    if (it == m_streams.end())
        return;
    it->handler = handler;
    const QList<QVariantMap> waiting = it->waiting;
    it->waiting.clear();
    for (const QVariantMap& delivery : waiting)
        deliver(sessionId, delivery);
}

void KTestNetworkTransfers::closeStream(const QString& sessionId)
{
    auto it = m_streams.find(sessionId);
    if (it == m_streams.end())
        return;
    QPointer<QNetworkReply> reply = it->reply;
    m_streams.erase(it);
    if (reply) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void KTestNetworkTransfers::deliver(const QString& sessionId, const QVariantMap& delivery)
{
    auto it = m_streams.find(sessionId);
    if (it == m_streams.end())
        return;
    if (!it->handler) {
        it->waiting.append(delivery);
        return;
    }
    const kzembanetwork::StreamHandler handler = it->handler;
    handler(delivery);
}

void KTestNetworkTransfers::onStreamData(const QString& sessionId)
{
    const auto it = m_streams.constFind(sessionId);
    if (it == m_streams.constEnd() || !it->reply)
        return;
    QNetworkReply* reply = it->reply;
    while (reply->canReadLine()) {
        const QByteArray line = reply->readLine();
        if (line.startsWith("data:")) {
            deliver(sessionId, {{QStringLiteral("session_id"), sessionId},
                                {QStringLiteral("data"), QString::fromUtf8(line.mid(5).trimmed())}});
        }
    }
}

void KTestNetworkTransfers::onStreamFinished(const QString& sessionId)
{
    const auto it = m_streams.constFind(sessionId);
    if (it == m_streams.constEnd() || !it->reply)
        return;
    QNetworkReply* reply = it->reply;
    reply->deleteLater();
    if (reply->error() == QNetworkReply::NoError)
        deliver(sessionId, {{QStringLiteral("session_id"), sessionId}, {QStringLiteral("done"), true}});
    else
        deliver(sessionId, {{QStringLiteral("session_id"), sessionId}, {QStringLiteral("error"), int(reply->error())}});
}
