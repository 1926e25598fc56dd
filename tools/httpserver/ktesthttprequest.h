#ifndef KZEMBA_TESTS_KTESTHTTPREQUEST_H
#define KZEMBA_TESTS_KTESTHTTPREQUEST_H

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QNetworkCookie>
#include <QPair>
#include <QString>

/// One request as the local test server received it: the request line, the headers in the
/// order they came (looked up in any letter case), the cookies of the Cookie headers and the
/// body with any chunked framing removed. `connectionId` tells which connection carried it,
/// so a test can see that a client kept its connection alive.
class KTestHttpRequest
{
public:
    KTestHttpRequest() = default;

    QByteArray method() const { return m_method; }
    // The request target as sent: path and query, still percent-encoded.
    QString target() const { return m_target; }
    QString path() const;
    // The query without its '?'; empty when there is none.
    QString query() const;
    QByteArray version() const { return m_version; }

    const QList<QPair<QByteArray, QByteArray>>& headers() const { return m_headers; }
    // The first header of that name in any letter case; null when absent.
    QByteArray header(const QByteArray& name) const;
    bool hasHeader(const QByteArray& name) const;
    QList<QByteArray> headerValues(const QByteArray& name) const;

    QList<QNetworkCookie> cookies() const;
    // The value of the first cookie of that name; null when absent.
    QByteArray cookie(const QByteArray& name) const;
    bool hasCookie(const QByteArray& name) const;

    const QByteArray& body() const { return m_body; }
    int connectionId() const { return m_connectionId; }

    // Filled in by the server while it reads the request.
    void setRequestLine(const QByteArray& method, const QByteArray& target, const QByteArray& version);
    void addHeader(const QByteArray& name, const QByteArray& value);
    void appendBody(const QByteArray& data);
    void setConnectionId(int id) { m_connectionId = id; }

private:
    QByteArray m_method;
    QString m_target;
    QByteArray m_version;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QByteArray m_body;
    int m_connectionId = 0;
};

Q_DECLARE_METATYPE(KTestHttpRequest)

#endif
