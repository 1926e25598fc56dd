#ifndef KZEMBA_NETWORK_KHTTPACCESSENCRYPTAPICONTENT_H
#define KZEMBA_NETWORK_KHTTPACCESSENCRYPTAPICONTENT_H

#include "kzembajsapilite_export.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <json/value.h>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

/// One encryption session with a store service that takes its parameters only
/// encrypted: a fresh AES key, made on first use and wrapped with the service's
/// RSA public key as the session token, encrypts every request the object posts
/// and decrypts the service's answers.
class KZEMBAJSAPILITE_EXPORT KHttpAccessEncryptApiContent : public QObject
{
    Q_OBJECT
public:
    explicit KHttpAccessEncryptApiContent(QObject* parent = nullptr);
    ~KHttpAccessEncryptApiContent() override;

    // The key version sent as "kv" with every encrypted request.
    static QString keyVersion();
    // 16 zero bytes.
    static QByteArray zeroIv();
    // Every byte outside the unreserved set as %XX (upper-case hexadecimal).
    static QString percentEncoded(const QString& text);

    bool _genAESKey();
    bool _genToken();

    // Encrypts `data` and posts it form-encoded with the caller's manager and request. Null on
    // any failure; the caller owns the reply.
    QNetworkReply* Post(QNetworkAccessManager* manager, QNetworkRequest& request, QByteArray data, QString format,
                        QString rmsp);
    // Decrypts the "data" of a service answer; null when the answer is not an object or does
    // not decrypt. The bytes stay valid until the next Parse.
    const QByteArray* Parse(const QByteArray& answer);

    const QString& token() const { return m_token; }
    const Json::Value& answerJson() const { return m_answerJson; }

private:
    QByteArray m_aesKey;
    QByteArray m_iv;
    QString m_token;
    QByteArray m_plainAnswer;
    Json::Value m_answerJson;
};

#endif
