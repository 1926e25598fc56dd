#ifndef KZEMBA_NETWORK_KZEMBACOMMONHTTPACCESS_H
#define KZEMBA_NETWORK_KZEMBACOMMONHTTPACCESS_H

#include "kzembajsapilite_export.h"

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class KHttpAccessEncryptApiContent;

/// One page request in flight. It owns the reply from the moment it is
/// created, ends exactly once (finished, failed or timed out, whichever comes
/// first), inflates deflate-encoded bodies, measures the request's time and
/// then emits done(). Destroying it aborts a reply that is still running.
/// A body (as received, and once inflated) larger than the configured limit
/// (KZembaHttpLimits::maxBodyBytes) ends the access as a network error of kind
/// UnknownContentError with no body; the reply never buffers more than the limit.
/// A request marked with transportDecodingAttribute() asked for gzip and deflate
/// itself in place of the transport, whose decoding has no bound: its gzip and
/// deflate bodies are decoded here, within the limit.
class KZEMBAJSAPILITE_EXPORT KZembaCommonHttpAccess : public QObject
{
    Q_OBJECT
public:
    KZembaCommonHttpAccess(QNetworkReply* reply, const QString& callback, const QString& type, int timeout);
    ~KZembaCommonHttpAccess() override;

    // Starts the time-out.
    void go();
    // Stops listening to the timer and to the reply.
    void disconnectSlot();

    bool isTimeout() const { return m_isTimeout; }
    bool isNetworkError() const { return m_isNetworkError; }
    bool isNotified() const { return m_notified; }
    int getHttpStatusCode() const;
    QString getHttpReason() const;

    QString& callback() { return m_callback; }
    QByteArray& rawResult() { return m_rawResult; }
    // The body as UTF-8 text, up to its first NUL byte.
    QString result() const;

    QString type() const { return m_type; }
    int timeout() const { return m_timeout; }
    int errorCode() const { return m_errorCode; }
    QString method() const { return m_method; }
    void setMethod(const QString& method) { m_method = method; }
    qint64 startTime() const { return m_startTime; }
    qint64 elapsed() const { return m_elapsed; }
    QString url() const { return m_url; }
    QNetworkReply* reply() const { return m_reply.data(); }
    QTimer* timer() { return &m_timer; }

    // The encryption session whose request this is; it is deleted with this access.
    void setEncryptContent(KHttpAccessEncryptApiContent* content);
    KHttpAccessEncryptApiContent* getEncryptContent() const;

    enum class InflateResult { Inflated, NotDeflate, TooLarge };
    // Inflates a zlib or raw deflate body (with `gzip`, a gzip body) into a reserved result,
    // stopping as soon as the output would pass `maxSize` bytes; `out` is set only when the
    // result is Inflated.
    static InflateResult inflateBody(const QByteArray& body, QByteArray& out, qint64 maxSize, bool gzip = false);
    // The request attribute (bool) of a request whose gzip and deflate answers this class decodes.
    static QNetworkRequest::Attribute transportDecodingAttribute();
    // The same within the configured body limit; false (and `out` untouched) when it fails.
    static bool inflateBody(const QByteArray& body, QByteArray& out);

signals:
    void done(KZembaCommonHttpAccess* access);

public slots:
    void onDone();
    void onError(QNetworkReply::NetworkError code);
    void onTimeout();

protected:
    // The body still unread when the access ends; a subclass that reads the reply as it
    // arrives puts back in front what it has taken but not used.
    virtual QByteArray takeBody();
    // Ends the access as a body over the limit.
    void failBodyTooLarge();
    qint64 maxBodyBytes() const { return m_maxBodyBytes; }

private:
    void checkBodySize();
    void notify();

    QTimer m_timer;
    QPointer<QNetworkReply> m_reply;
    QString m_callback;
    QByteArray m_rawResult;
    QString m_type;
    int m_timeout = 0;
    qint64 m_maxBodyBytes = 0;
    bool m_isTimeout = false;
    bool m_isNetworkError = false;
    bool m_notified = false;
    int m_errorCode = 0;
    QString m_method;
    qint64 m_startTime = 0;
    qint64 m_elapsed = 0;
    QString m_url;
    QPointer<KHttpAccessEncryptApiContent> m_encryptContent;
};

#endif
