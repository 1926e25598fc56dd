#ifndef KZEMBA_CRYPTO_KRSAENCRYPT_H
#define KZEMBA_CRYPTO_KRSAENCRYPT_H

#include "kzembaplatform_export.h"

#include <QByteArray>
#include <QString>

/// The suite's RSA helper: encrypts a short secret, such as an AES key, for a
/// service that holds the private key. The public key is a Base64 DER
/// SubjectPublicKeyInfo of an RSA key, on one line without PEM markers. The
/// padding is OAEP with SHA-256 as both the digest and the MGF1 digest, so a
/// 2048-bit key takes at most 190 bytes; the result is the cipher block (the
/// size of the key's modulus) as standard Base64 on one line. Success is the
/// result; the out-parameter stays empty on failure.
class KZEMBAPLATFORM_EXPORT KRsaEncrypt
{
public:
    static bool rsaEncrypt(const QString& publicKey, const QByteArray& plain, QString& cipherText);
};

#endif
