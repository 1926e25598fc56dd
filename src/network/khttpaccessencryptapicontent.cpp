#include "khttpaccessencryptapicontent.h"

#include "network/kzembaservicekey.h"

#include <crypto/kaesencrypt.h>
#include <crypto/krsaencrypt.h>
#include <vdllite/jsonhelper.h>

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <QUrlQuery>

namespace {

QByteArray upToNul(const QByteArray& bytes)
{
    const int nul = bytes.indexOf('\0');
    return nul < 0 ? bytes : bytes.left(nul);
}

} // namespace

KHttpAccessEncryptApiContent::KHttpAccessEncryptApiContent(QObject* parent)
    : QObject(parent)
    , m_iv(zeroIv())
{
}

KHttpAccessEncryptApiContent::~KHttpAccessEncryptApiContent() = default;

QString KHttpAccessEncryptApiContent::keyVersion()
{
    return QStringLiteral("20160113");
}

QByteArray KHttpAccessEncryptApiContent::zeroIv()
{
    return QByteArray(16, '\0');
}

QString KHttpAccessEncryptApiContent::percentEncoded(const QString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

bool KHttpAccessEncryptApiContent::_genAESKey()
{
    return KAesEncrypt::generateAesKey(m_aesKey, 32);
}

bool KHttpAccessEncryptApiContent::_genToken()
{
    return KRsaEncrypt::rsaEncrypt(kzembaServicePublicKey(), m_aesKey, m_token);
}

QNetworkReply* KHttpAccessEncryptApiContent::Post(QNetworkAccessManager* manager, QNetworkRequest& request,
                                                  QByteArray data, QString format, QString rmsp)
{
    if (!manager)
        return nullptr;
    if (m_aesKey.isEmpty() && !_genAESKey())
        return nullptr;
    if (m_token.isEmpty() && !_genToken())
        return nullptr;
    QString cipherText;
    if (!KAesEncrypt::aesEncryptCBCMode(m_aesKey, m_iv, upToNul(data), cipherText))
        return nullptr;

    QUrlQuery query;
    query.addQueryItem(QStringLiteral("rmsp"), rmsp);
    query.addQueryItem(QStringLiteral("tk"), percentEncoded(m_token));
    query.addQueryItem(QStringLiteral("kv"), keyVersion());
    query.addQueryItem(QStringLiteral("data"), percentEncoded(cipherText));
    // An empty, not a null, value: the server expects "sk=".
    query.addQueryItem(QStringLiteral("sk"), QStringLiteral(""));
    query.addQueryItem(QStringLiteral("format"), format);

    request.setRawHeader("Content-Type", "application/x-www-form-urlencoded");
    return manager->post(request, query.query(QUrl::FullyEncoded).toUtf8());
}

const QByteArray* KHttpAccessEncryptApiContent::Parse(const QByteArray& answer)
{
    Json::Value root;
    if (!JsonHelper::parseUntrusted(upToNul(answer), root)) {
        m_answerJson = Json::Value();
        return nullptr;
    }
    m_answerJson = root;
    if (!root.isObject())
        return nullptr;
    const Json::Value data = root["data"];
    const QString cipherText = data.isString() ? QString::fromStdString(data.asString()) : QString();
    if (!KAesEncrypt::aesDecryptCBCMode(m_aesKey, m_iv, cipherText, m_plainAnswer))
        return nullptr;
    return &m_plainAnswer;
}
