#include "krsaencrypt.h"

#include "kcryptofaults.h"

#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>

namespace {

using PKey = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using PKeyCtx = std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)>;

PKey readPublicKey(const QString& publicKey)
{
    PKey none(nullptr, &EVP_PKEY_free);
    const QByteArray::FromBase64Result der =
        QByteArray::fromBase64Encoding(publicKey.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!der || der.decoded.isEmpty())
        return none;
    const auto* begin = reinterpret_cast<const unsigned char*>(der.decoded.constData());
    const unsigned char* cursor = begin;
    PKey key(d2i_PUBKEY(nullptr, &cursor, der.decoded.size()), &EVP_PKEY_free);
    // Trailing bytes mean the text was not one key; RSA-PSS keys cannot encrypt.
    if (!key || cursor != begin + der.decoded.size() || !EVP_PKEY_is_a(key.get(), "RSA"))
        return none;
    return key;
}

bool encryptOaep(EVP_PKEY* key, const QByteArray& plain, QByteArray& cipher)
{
    PKeyCtx ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, key, nullptr), &EVP_PKEY_CTX_free);
    if (!ctx)
        return false;
    char padMode[] = OSSL_PKEY_RSA_PAD_MODE_OAEP;
    char digest[] = "SHA256";
    char mgf1Digest[] = "SHA256";
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_ASYM_CIPHER_PARAM_PAD_MODE, padMode, 0),
        OSSL_PARAM_construct_utf8_string(OSSL_ASYM_CIPHER_PARAM_OAEP_DIGEST, digest, 0),
        OSSL_PARAM_construct_utf8_string(OSSL_ASYM_CIPHER_PARAM_MGF1_DIGEST, mgf1Digest, 0),
        OSSL_PARAM_construct_end(),
    };
    if (EVP_PKEY_encrypt_init_ex(ctx.get(), params) != 1)
        return false;

    // The provider checks the message length against the key and the padding.
    const auto* in = reinterpret_cast<const unsigned char*>(plain.constData());
    const auto inLength = static_cast<size_t>(plain.size());
    size_t outLength = 0;
    if (EVP_PKEY_encrypt(ctx.get(), nullptr, &outLength, in, inLength) != 1)
        return false;
    QByteArray buffer(static_cast<int>(outLength), Qt::Uninitialized);
    if (EVP_PKEY_encrypt(ctx.get(), reinterpret_cast<unsigned char*>(buffer.data()), &outLength, in, inLength)
        != 1)
        return false;
    buffer.resize(static_cast<int>(outLength));
    cipher = buffer;
    return true;
}

} // namespace

bool KRsaEncrypt::rsaEncrypt(const QString& publicKey, const QByteArray& plain, QString& cipherText)
{
    cipherText.clear();
    if (cryptoFailureRequested("rsaEncrypt"))
        return false;
    const PKey key = readPublicKey(publicKey);
    QByteArray cipher;
    if (!key || !encryptOaep(key.get(), plain, cipher)) {
        // Leave no stale errors behind for the next OpenSSL user on this thread.
        ERR_clear_error();
        return false;
    }
    cipherText = QString::fromLatin1(cipher.toBase64());
    return true;
}
