#include "ktestservicekey.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>

#ifndef KZEMBA_SERVICE_PRIVATE_KEY
#error "KZEMBA_SERVICE_PRIVATE_KEY must name the PEM file of the service's private key"
#endif

QByteArray KTestServiceKey::rsaDecrypt(const QString& base64CipherText)
{
    const std::unique_ptr<BIO, decltype(&BIO_free)> file(BIO_new_file(KZEMBA_SERVICE_PRIVATE_KEY, "r"), &BIO_free);
    if (!file)
        return QByteArray();
    const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
        PEM_read_bio_PrivateKey(file.get(), nullptr, nullptr, nullptr), &EVP_PKEY_free);
    if (!key)
        return QByteArray();
    const std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)> ctx(
        EVP_PKEY_CTX_new_from_pkey(nullptr, key.get(), nullptr), &EVP_PKEY_CTX_free);
    char sha256[] = "SHA256";
    char oaep[] = OSSL_PKEY_RSA_PAD_MODE_OAEP;
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_ASYM_CIPHER_PARAM_PAD_MODE, oaep, 0),
        OSSL_PARAM_construct_utf8_string(OSSL_ASYM_CIPHER_PARAM_OAEP_DIGEST, sha256, 0),
        OSSL_PARAM_construct_utf8_string(OSSL_ASYM_CIPHER_PARAM_MGF1_DIGEST, sha256, 0),
        OSSL_PARAM_construct_end(),
    };
    if (!ctx || EVP_PKEY_decrypt_init_ex(ctx.get(), params) != 1)
        return QByteArray();
    const QByteArray cipher = QByteArray::fromBase64(base64CipherText.toLatin1());
    const auto* in = reinterpret_cast<const unsigned char*>(cipher.constData());
    size_t length = 0;
    if (EVP_PKEY_decrypt(ctx.get(), nullptr, &length, in, cipher.size()) != 1)
        return QByteArray();
    QByteArray plain(static_cast<int>(length), Qt::Uninitialized);
    if (EVP_PKEY_decrypt(ctx.get(), reinterpret_cast<unsigned char*>(plain.data()), &length, in, cipher.size()) != 1)
        return QByteArray();
    plain.truncate(static_cast<int>(length));
    return plain;
}
