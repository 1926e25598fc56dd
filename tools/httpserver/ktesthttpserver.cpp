#include "ktesthttpserver.h"

#include "ktesthttpconnection.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QEventLoop>
#include <QTimer>

KTestHttpServer::KTestHttpServer(QObject* parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
    , m_defaultAnswer(404, "not found\n")
{
    qRegisterMetaType<KTestHttpRequest>();
    m_defaultAnswer.setHeader("Content-Type", "text/plain");
    connect(m_server, &QTcpServer::newConnection, this, &KTestHttpServer::onNewConnection);
}

KTestHttpServer::~KTestHttpServer()
{
    // Connections go first, while the lists they are known by still exist.
    for (KTestHttpConnection* connection : liveConnections())
        delete connection;
}

bool KTestHttpServer::start(const QHostAddress& address)
{
    return m_server->isListening() || m_server->listen(address, 0);
}

void KTestHttpServer::stop()
{
    m_server->close();
    dropConnections();
}

bool KTestHttpServer::isListening() const
{
    return m_server->isListening();
}

quint16 KTestHttpServer::port() const
{
    return m_server->serverPort();
}

QString KTestHttpServer::url(const QString& path) const
{
    const QString tail = path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path;
    const bool ipv6 = m_server->serverAddress().protocol() == QAbstractSocket::IPv6Protocol;
    return QStringLiteral("http://%1:%2%3").arg(ipv6 ? QStringLiteral("[::1]") : QStringLiteral("127.0.0.1"),
                                                QString::number(port()), tail);
}

void KTestHttpServer::setAnswer(const QString& path, const KTestHttpAnswer& answer)
{
    m_answers.insert(answerKey(QByteArray(), path), answer);
}

void KTestHttpServer::setAnswer(const QByteArray& method, const QString& path, const KTestHttpAnswer& answer)
{
    m_answers.insert(answerKey(method, path), answer);
}

void KTestHttpServer::setDefaultAnswer(const KTestHttpAnswer& answer)
{
    m_defaultAnswer = answer;
}

void KTestHttpServer::clearAnswers()
{
    m_answers.clear();
}

KTestHttpAnswer KTestHttpServer::answerFor(const QByteArray& method, const QString& target) const
{
    const int mark = target.indexOf(QLatin1Char('?'));
    const QString path = mark < 0 ? target : target.left(mark);
    const QString keys[] = {answerKey(method, target), answerKey(method, path), answerKey(QByteArray(), target),
                            answerKey(QByteArray(), path)};
    for (const QString& key : keys) {
        const auto found = m_answers.constFind(key);
        if (found != m_answers.constEnd())
            return found.value();
    }
    return m_defaultAnswer;
}

KTestHttpRequest KTestHttpServer::lastRequest() const
{
    return m_requests.isEmpty() ? KTestHttpRequest() : m_requests.last();
}

void KTestHttpServer::clearRequests()
{
    m_requests.clear();
    m_received.clear();
}

bool KTestHttpServer::waitForRequests(int count, int timeoutMs)
{
    if (m_requests.size() >= count)
        return true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &KTestHttpServer::requestReceived, &loop, [this, count, &loop] {
        if (m_requests.size() >= count)
            loop.quit();
    });
    timer.start(timeoutMs);
    loop.exec();
    return m_requests.size() >= count;
}

int KTestHttpServer::connectionCount() const
{
    return liveConnections().size();
}

int KTestHttpServer::openStreamCount() const
{
    int count = 0;
    for (KTestHttpConnection* connection : liveConnections()) {
        if (connection->isOpenStream())
            ++count;
    }
    return count;
}

void KTestHttpServer::sendToStreams(const QByteArray& chunk)
{
    for (KTestHttpConnection* connection : liveConnections())
        connection->pushChunk(chunk);
}

void KTestHttpServer::finishStreams()
{
    for (KTestHttpConnection* connection : liveConnections())
        connection->finishStream();
}

void KTestHttpServer::dropConnections()
{
    // Dropped connections delete themselves later, so the list stays valid meanwhile.
    for (KTestHttpConnection* connection : liveConnections())
        connection->drop();
}

void KTestHttpServer::onNewConnection()
{
    m_connections.removeAll(nullptr);
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        auto* connection = new KTestHttpConnection(socket, ++m_accepted, this);
        connect(connection, &KTestHttpConnection::bytesReceived, this,
                [this](const QByteArray& data) { m_received.append(data); });
        connect(connection, &KTestHttpConnection::requestReceived, this,
                [this, connection](const KTestHttpRequest& request) { onRequest(connection, request); });
        m_connections.append(connection);
    }
}

void KTestHttpServer::onRequest(KTestHttpConnection* connection, const KTestHttpRequest& request)
{
    m_requests.append(request);
    emit requestReceived(request);
    // The answer is looked up only now: a slot may have scripted it, or dropped the connection.
    if (!connection->isClosed())
        connection->answer(answerFor(request.method(), request.target()));
}

QList<KTestHttpConnection*> KTestHttpServer::liveConnections() const
{
    QList<KTestHttpConnection*> live;
    for (const QPointer<KTestHttpConnection>& connection : m_connections) {
        if (connection && !connection->isClosed())
            live.append(connection);
    }
    return live;
}

QString KTestHttpServer::answerKey(const QByteArray& method, const QString& path)
{
    return QString::fromLatin1(method) + QLatin1Char(' ') + path;
}
