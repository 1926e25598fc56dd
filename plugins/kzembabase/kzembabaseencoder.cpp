#include "kzembabaseencoder.h"

#include <QByteArray>

namespace {
const QString kRequestPrefix = QStringLiteral("data=");
const QString kStoragePrefix = QStringLiteral("kzb1:");
} // namespace

QString KZembaBaseEncoder::encodeRequestParams(const QString& payload)
{
    return kRequestPrefix + QString::fromLatin1(payload.toUtf8().toBase64().toPercentEncoding());
}

QString KZembaBaseEncoder::decodeRequestParams(const QString& fragment)
{
    if (!fragment.startsWith(kRequestPrefix))
        return QString();
    const QByteArray base64 = QByteArray::fromPercentEncoding(fragment.mid(kRequestPrefix.size()).toLatin1());
    const QByteArray::FromBase64Result decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? QString::fromUtf8(*decoded) : QString();
}

QString KZembaBaseEncoder::encodeForStorage(const QString& text)
{
    return kStoragePrefix + QString::fromLatin1(text.toUtf8().toBase64());
}

QString KZembaBaseEncoder::decodeFromStorage(const QString& text)
{
    if (!text.startsWith(kStoragePrefix))
        return QString();
    const QByteArray::FromBase64Result decoded =
        QByteArray::fromBase64Encoding(text.mid(kStoragePrefix.size()).toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? QString::fromUtf8(*decoded) : QString();
}
