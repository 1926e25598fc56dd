#ifndef KZEMBA_TESTS_KTESTHTTPSERVER_H
#define KZEMBA_TESTS_KTESTHTTPSERVER_H

#include "ktesthttpanswer.h"
#include "ktesthttprequest.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class KTestHttpConnection;
class QTcpServer;

/// A small HTTP/1.1 server for network tests and local demo stores, listening on 127.0.0.1
/// on a port the system picks. A test scripts the answer of each path (optionally for one method only; anything
/// unscripted gets a 404), points its client at `url()`, and afterwards reads every request
/// the server received, in order. Connections are kept alive unless a side asks to close.
/// Everything runs on the test's event loop: delays and pauses are timers, never sleeps.
/// Do not delete the server from a slot connected to `requestReceived`.
class KTestHttpServer : public QObject
{
    Q_OBJECT
public:
    explicit KTestHttpServer(QObject* parent = nullptr);
    ~KTestHttpServer() override;

    // Starts listening on `address` (the IPv4 loopback unless told otherwise); true when the
    // server listens (also when it already did).
    bool start(const QHostAddress& address = QHostAddress(QHostAddress::LocalHost));
    // Stops listening and drops every open connection.
    void stop();
    bool isListening() const;
    quint16 port() const;
    // "http://127.0.0.1:PORT" (or "http://[::1]:PORT" on the IPv6 loopback) followed by `path`
    // (a '/' is put in front when missing).
    QString url(const QString& path = QStringLiteral("/")) const;

    // Scripts the answer for `path`, which may carry a query: a request whose path and query
    // match exactly is served before one whose path alone matches. An answer for one method
    // comes before an answer for any method.
    void setAnswer(const QString& path, const KTestHttpAnswer& answer);
    void setAnswer(const QByteArray& method, const QString& path, const KTestHttpAnswer& answer);
    void setDefaultAnswer(const KTestHttpAnswer& answer);
    void clearAnswers();
    KTestHttpAnswer answerFor(const QByteArray& method, const QString& target) const;

    QList<KTestHttpRequest> requests() const { return m_requests; }
    int requestCount() const { return m_requests.size(); }
    KTestHttpRequest lastRequest() const;
    // Every byte that clients sent, all connections in the order it arrived: what a request
    // looked like on the wire, before any parsing.
    QByteArray receivedBytes() const { return m_received; }
    // Forgets the requests and the received bytes.
    void clearRequests();
    // Runs the event loop until `count` requests have been recorded in all, or times out.
    bool waitForRequests(int count, int timeoutMs = 5000);

    // Connections open now, and connections accepted since the server was made.
    int connectionCount() const;
    int acceptedConnectionCount() const { return m_accepted; }
    // Event streams held open after their scripted chunks.
    int openStreamCount() const;
    void sendToStreams(const QByteArray& chunk);
    // Ends every open stream normally, after the chunks already queued.
    void finishStreams();
    // Closes every connection abruptly, whatever it was doing.
    void dropConnections();

signals:
    void requestReceived(const KTestHttpRequest& request);

private:
    void onNewConnection();
    void onRequest(KTestHttpConnection* connection, const KTestHttpRequest& request);
    QList<KTestHttpConnection*> liveConnections() const;
    static QString answerKey(const QByteArray& method, const QString& path);

    QTcpServer* m_server;
    QHash<QString, KTestHttpAnswer> m_answers;
    KTestHttpAnswer m_defaultAnswer;
    QList<KTestHttpRequest> m_requests;
    QByteArray m_received;
    QList<QPointer<KTestHttpConnection>> m_connections;
    int m_accepted = 0;
};

#endif
