#include "kaesencrypt.h"

#include "kcryptofaults.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <climits>
#include <memory>

namespace {

constexpr int kBlockSize = 16;
// Plain text beyond this would overflow the int-sized buffers of the cipher
// text or of its Base64 form.
constexpr int kMaxPlainSize = INT_MAX / 4 * 3 - 2 * kBlockSize;

using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

const EVP_CIPHER* cbcCipher(int keyLength)
{
    switch (keyLength) {
    case 16:
        return EVP_aes_128_cbc();
    case 24:
        return EVP_aes_192_cbc();
    case 32:
        return EVP_aes_256_cbc();
    default:
        return nullptr;
    }
}

// Runs the whole cipher over `input`; padding is PKCS#7 in both directions.
bool runCbc(bool encrypt, const QByteArray& key, const QByteArray& iv, const QByteArray& input, QByteArray& output)
{
    const EVP_CIPHER* cipher = cbcCipher(key.size());
    if (!cipher || iv.size() != kBlockSize)
        return false;
    CipherCtx ctx(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    if (!ctx)
        return false;
    const auto* keyBytes = reinterpret_cast<const unsigned char*>(key.constData());
    const auto* ivBytes = reinterpret_cast<const unsigned char*>(iv.constData());
    if (EVP_CipherInit_ex2(ctx.get(), cipher, keyBytes, ivBytes, encrypt ? 1 : 0, nullptr) != 1)
        return false;

    QByteArray buffer(input.size() + kBlockSize, Qt::Uninitialized);
    auto* out = reinterpret_cast<unsigned char*>(buffer.data());
    int written = 0;
    if (EVP_CipherUpdate(ctx.get(), out, &written, reinterpret_cast<const unsigned char*>(input.constData()),
                         input.size())
        != 1)
        return false;
    int last = 0;
    if (EVP_CipherFinal_ex(ctx.get(), out + written, &last) != 1)
        return false;
    buffer.resize(written + last);
    output = buffer;
    return true;
}

} // namespace

bool KAesEncrypt::generateAesKey(QByteArray& key, int length)
{
    key.clear();
    if (!cbcCipher(length) || cryptoFailureRequested("generateAesKey"))
        return false;
    QByteArray bytes(length, Qt::Uninitialized);
    if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), length) != 1) {
        ERR_clear_error();
        return false;
    }
    key = bytes;
    return true;
}

bool KAesEncrypt::aesEncryptCBCMode(const QByteArray& key, const QByteArray& iv, const QByteArray& plain,
                                    QString& cipherText)
{
    cipherText.clear();
    if (plain.size() > kMaxPlainSize || cryptoFailureRequested("aesEncryptCBCMode"))
        return false;
    QByteArray cipher;
    if (!runCbc(true, key, iv, plain, cipher)) {
        ERR_clear_error();
        return false;
    }
    cipherText = QString::fromLatin1(cipher.toBase64());
    return true;
}

bool KAesEncrypt::aesDecryptCBCMode(const QByteArray& key, const QByteArray& iv, const QString& cipherText,
                                    QByteArray& plain)
{
    plain.clear();
    if (cryptoFailureRequested("aesDecryptCBCMode"))
        return false;
    // Strict Base64: anything else is not a cipher text of ours, and a lenient
    // decoder would turn stray characters into a different cipher text.
    const QByteArray::FromBase64Result cipher =
        QByteArray::fromBase64Encoding(cipherText.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!cipher || cipher.decoded.isEmpty() || cipher.decoded.size() % kBlockSize != 0)
        return false;
    QByteArray result;
    if (!runCbc(false, key, iv, cipher.decoded, result)) {
        ERR_clear_error();
        return false;
    }
    plain = result;
    return true;
}
