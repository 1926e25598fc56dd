#ifndef KZEMBA_PLUGINS_KZEMBAFILEDOWNLOAD_H
#define KZEMBA_PLUGINS_KZEMBAFILEDOWNLOAD_H

#include "interfaces/kzembaresdownloadtypes.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QSaveFile;
class QTimer;

/// One HTTP GET whose body goes to a file, or into memory when no file is
/// named. The file is written through a temporary file beside it and appears
/// under its name only when the whole body arrived (and matched its MD5 when
/// one was given); a failure, a time-out or a cancel leaves no file behind.
/// The time-out counts from the last byte received. Exactly one of the outcome
/// handlers runs, always after start() has returned; none after cancel().
class KZembaFileDownload : public QObject
{
    Q_OBJECT
public:
    enum ErrorCode
    {
        NoUrl = 1,
        CannotWrite = 2,
        Md5Mismatch = 3,
        TooLarge = 4,
        TimedOut = 5,
        HttpError = 6,
        NetworkError = 7,
    };

    struct Failure
    {
        int errorCode = 0;
        int httpStatusCode = 0;
        QString description;
        QString url;
        bool md5Error = false;
        QByteArray content; // the start of an error answer's body

        kzembaresnetwork::DownloadFailInfo toDownloadFailInfo() const;
    };

    // A file or folder name made of harmless characters only, from the end of a URL or an id;
    // `fallback` when nothing is left.
    static QString safeFileName(const QString& text, const QString& fallback);

    using ProgressHandler = std::function<void(qint64 received, qint64 total)>;
    using SuccessHandler = std::function<void()>;
    using FailHandler = std::function<void(const Failure& failure)>;

    // Bodies kept in memory are capped at this size.
    static constexpr qsizetype kMaxMemoryBytes = qsizetype(64) * 1024 * 1024;

    KZembaFileDownload(QNetworkAccessManager* network, QObject* parent = nullptr);
    ~KZembaFileDownload() override;

    void setHeaders(const QVariantMap& headers) { m_headers = headers; }
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    // Hex MD5 the body must have; empty checks nothing.
    void setExpectedMd5(const QString& md5) { m_expectedMd5 = md5.toLower(); }

    void start(const QUrl& url, const QString& filePath, const SuccessHandler& onSuccess,
               const ProgressHandler& onProgress, const FailHandler& onFail);
    void cancel();

    // The body when no file was named.
    const QByteArray& bytes() const { return m_bytes; }
    int httpStatusCode() const { return m_status; }
    QUrl url() const { return m_url; }

private:
    void onReadyRead();
    void onFinished();
    void fail(int errorCode, const QString& description);
    void stop();

    QNetworkAccessManager* m_network;
    QVariantMap m_headers;
    int m_timeoutMs = 30000;
    QString m_expectedMd5;
    QUrl m_url;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QSaveFile> m_file;
    QTimer* m_idle;
    QCryptographicHash m_md5{QCryptographicHash::Md5};
    QByteArray m_bytes;
    QByteArray m_errorBody;
    int m_status = 0;
    bool m_timedOut = false;
    bool m_writeFailed = false;
    bool m_done = false;
    SuccessHandler m_onSuccess;
    ProgressHandler m_onProgress;
    FailHandler m_onFail;
};

#endif
