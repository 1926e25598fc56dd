#ifndef KZEMBA_CRYPTO_KAESENCRYPT_H
#define KZEMBA_CRYPTO_KAESENCRYPT_H

#include "kzembaplatform_export.h"

#include <QByteArray>
#include <QString>

/// The suite's AES helper: random keys and AES in CBC mode with PKCS#7
/// padding. Keys and IVs are raw bytes; the key length picks the variant
/// (16, 24 or 32 bytes for AES-128, -192 or -256), the IV is one 16-byte block.
/// Cipher text travels as standard Base64 with "=" padding on one line. CBC
/// carries no authentication: a wrong key is usually reported as a padding
/// failure, but it can also decrypt to garbage. Every operation reports success
/// as its result and leaves its out-parameter empty on failure.
class KZEMBAPLATFORM_EXPORT KAesEncrypt
{
public:
    static bool generateAesKey(QByteArray& key, int length);
    static bool aesEncryptCBCMode(const QByteArray& key, const QByteArray& iv, const QByteArray& plain,
                                  QString& cipherText);
    static bool aesDecryptCBCMode(const QByteArray& key, const QByteArray& iv, const QString& cipherText,
                                  QByteArray& plain);
};

#endif
