#ifndef KZEMBA_PLUGINS_KZEMBANETWORKSERVICE_H
#define KZEMBA_PLUGINS_KZEMBANETWORKSERVICE_H

#include "interfaces/ikzembanetwork.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <memory>

class QNetworkAccessManager;

/// The base plug-in's network service. `request` is a GET whose one handler is
/// called once. `openStream` POSTs and reads the answer as an event stream; the
/// session's reader gets {"session_id", "event", "id", "data"} per event and
/// one last map: {"session_id", "done": true} when the server ends the stream,
/// or {"session_id", "error": code, "errormsg", "httpStatusCode"} on a network
/// error, an HTTP error, an answer that is no event stream, or no byte for the
/// time-out (code 4, "timeout"). Deliveries wait until a reader registers; the
/// session is forgotten after its last map has been delivered or on close.
/// `preparePlugin` answers ready at once for an installed shell plug-in, and
/// otherwise installs "lib<name>.so" into "<frameworks>/addons/<name>/" from the
/// URL under "pluginPackages/<name>" of the runtime configuration.
class KZembaNetworkService : public QObject, public IKZembaNetWork
{
    Q_OBJECT
public:
    // Events a session keeps for a reader that is not there yet, at most (as text bytes). Beyond
    // that, or for one event larger than the parser's bound, the stream ends with error 99.
    static constexpr qsizetype kMaxWaitingBytes = qsizetype(256) * 1024 * 1024;

    explicit KZembaNetworkService(QObject* parent = nullptr);
    ~KZembaNetworkService() override;

    void preparePlugin(const QString& name, const PluginReadyHandler& onReady,
                       const PluginProgressHandler& onProgress) override;
    void request(const QUrl& url, const QVariantMap& headers, int flag, const kzembanetwork::SuccessHandler& onSuccess,
                 const kzembanetwork::FailHandler& onFail, int timeoutMs, int flag2, int flag3) override;
    QString openStream(const QUrl& url, const QVariantMap& options, int requestKind,
                       const kzembanetwork::SuccessHandler& onFinished, const kzembanetwork::ProgressHandler& onProgress,
                       const kzembanetwork::FailHandler& onFail, int flag, int timeoutMs, int flag2,
                       bool flag3) override;
    void readStream(const QString& sessionId, const kzembanetwork::StreamHandler& handler) override;
    void closeStream(const QString& sessionId) override;

    int sessionCount() const { return m_sessions.size(); }

private:
    struct Session;

    void onStreamData(const QString& sessionId);
    void onStreamFinished(const QString& sessionId);
    void onStreamTimeout(const QString& sessionId);
    void endStream(const QString& sessionId, const QVariantMap& last);
    void queue(Session& session, const QVariantMap& delivery, qsizetype bytes);
    void flush(const QString& sessionId);
    void forget(const QString& sessionId);
    QNetworkAccessManager* network();

    QPointer<QNetworkAccessManager> m_network;
    QHash<QString, std::shared_ptr<Session>> m_sessions;
    quint64 m_lastSession = 0;
};

#endif
