#ifndef KZEMBA_TESTS_KTESTNETWORKTRANSFERS_H
#define KZEMBA_TESTS_KTESTNETWORKTRANSFERS_H

#include "kzembatestplugins_export.h"

#include "interfaces/kzembanetworktypes.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QVariantMap>

class KTestPluginControl;
class QNetworkAccessManager;
class QNetworkReply;

/// The real network work of the test network service: plain requests and
/// event streams over HTTP. A stream delivers {"session_id", "data"} for each
/// "data:" line (line end removed), then {"session_id", "done": true} or
/// {"session_id", "error": code}; deliveries wait until a reader registers.
/// Option "network/streamOpens" false makes opening fail.
class KZEMBATESTPLUGINS_EXPORT KTestNetworkTransfers : public QObject
{
    Q_OBJECT
public:
    KTestNetworkTransfers(KTestPluginControl* control, QObject* parent);
    ~KTestNetworkTransfers() override;

    void request(const QUrl& url, const QVariantMap& headers, int timeoutMs,
                 const kzembanetwork::SuccessHandler& onSuccess, const kzembanetwork::FailHandler& onFail);
    QString openStream(const QUrl& url, const QVariantMap& options, int timeoutMs);
    void readStream(const QString& sessionId, const kzembanetwork::StreamHandler& handler);
    void closeStream(const QString& sessionId);

    int openStreamCount() const { return m_streams.size(); }
    // Sends a delivery to a session's reader as the service would.
    void deliver(const QString& sessionId, const QVariantMap& delivery);

private:
    struct Stream
    {
        QPointer<QNetworkReply> reply;
        kzembanetwork::StreamHandler handler;
        QList<QVariantMap> waiting;
    };

    void onStreamData(const QString& sessionId);
    void onStreamFinished(const QString& sessionId);

    KTestPluginControl* m_control;
    QNetworkAccessManager* m_network;
    QMap<QString, Stream> m_streams;
    int m_lastSession = 0;
};

#endif
