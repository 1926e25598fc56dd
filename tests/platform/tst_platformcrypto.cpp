// The crypto helpers: AES-CBC with PKCS#7 padding and RSA-OAEP, both with
// Base64 text, checked against OpenSSL directly and the service's private key.
#include "ktestapplication.h"

#include <crypto/kaesencrypt.h>
#include <crypto/krsaencrypt.h>
#include "network/kzembaservicekey.h"

#include <QtTest>

#include <openssl/bio.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <memory>
#include <optional>

#ifndef KZEMBA_SERVICE_PRIVATE_KEY
#error "KZEMBA_SERVICE_PRIVATE_KEY must name the PEM file of the service's private key"
#endif

namespace {

using PKey = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using PKeyCtx = std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)>;
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

const unsigned char* bytes(const QByteArray& data)
{
    return reinterpret_cast<const unsigned char*>(data.constData());
}

PKey servicePrivateKey()
{
    std::unique_ptr<BIO, decltype(&BIO_free)> file(BIO_new_file(KZEMBA_SERVICE_PRIVATE_KEY, "r"), &BIO_free);
    if (!file)
        return PKey(nullptr, &EVP_PKEY_free);
    return PKey(PEM_read_bio_PrivateKey(file.get(), nullptr, nullptr, nullptr), &EVP_PKEY_free);
}

QByteArray publicKeyDer(EVP_PKEY* key)
{
    unsigned char* der = nullptr;
    const int length = i2d_PUBKEY(key, &der);
    if (length <= 0)
        return QByteArray();
    const QByteArray result(reinterpret_cast<const char*>(der), length);
    OPENSSL_free(der);
    return result;
}

// The service's side: OAEP with SHA-256 for the digest and MGF1.
std::optional<QByteArray> rsaDecrypt(EVP_PKEY* key, const QByteArray& cipher)
{
    PKeyCtx ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, key, nullptr), &EVP_PKEY_CTX_free);
    char pad[] = OSSL_PKEY_RSA_PAD_MODE_OAEP;
    char digest[] = "SHA256";
    char mgf1[] = "SHA256";
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_ASYM_CIPHER_PARAM_PAD_MODE, pad, 0),
        OSSL_PARAM_construct_utf8_string(OSSL_ASYM_CIPHER_PARAM_OAEP_DIGEST, digest, 0),
        OSSL_PARAM_construct_utf8_string(OSSL_ASYM_CIPHER_PARAM_MGF1_DIGEST, mgf1, 0),
        OSSL_PARAM_construct_end(),
    };
    if (!ctx || EVP_PKEY_decrypt_init_ex(ctx.get(), params) != 1)
        return std::nullopt;
    size_t length = 0;
    if (EVP_PKEY_decrypt(ctx.get(), nullptr, &length, bytes(cipher), cipher.size()) != 1)
        return std::nullopt;
    QByteArray plain(int(length), Qt::Uninitialized);
    if (EVP_PKEY_decrypt(ctx.get(), reinterpret_cast<unsigned char*>(plain.data()), &length, bytes(cipher),
                         cipher.size())
        != 1)
        return std::nullopt;
    plain.resize(int(length));
    return plain;
}

// AES-256-CBC decryption without padding removal, to see the padding bytes.
QByteArray rawAes256CbcDecrypt(const QByteArray& key, const QByteArray& iv, const QByteArray& cipher)
{
    CipherCtx ctx(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    if (!ctx || EVP_DecryptInit_ex2(ctx.get(), EVP_aes_256_cbc(), bytes(key), bytes(iv), nullptr) != 1)
        return QByteArray();
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    QByteArray plain(cipher.size(), Qt::Uninitialized);
    int written = 0;
    int last = 0;
    auto* out = reinterpret_cast<unsigned char*>(plain.data());
    if (EVP_DecryptUpdate(ctx.get(), out, &written, bytes(cipher), cipher.size()) != 1
        || EVP_DecryptFinal_ex(ctx.get(), out + written, &last) != 1)
        return QByteArray();
    plain.resize(written + last);
    return plain;
}

QString base64(const QByteArray& data)
{
    return QString::fromLatin1(data.toBase64());
}

QByteArray pattern(int size)
{
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char(i * 7 + 3);
    return data;
}

const QByteArray kKey = QByteArray::fromHex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
const QByteArray kZeroIv(16, '\0');

} // namespace

class TstPlatformCrypto : public QObject
{
    Q_OBJECT

private slots:
    void generateAesKey_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("valid");
        QTest::newRow("AES-256") << 32 << true;
        QTest::newRow("AES-192") << 24 << true;
        QTest::newRow("AES-128") << 16 << true;
        QTest::newRow("zero") << 0 << false;
        QTest::newRow("negative") << -32 << false;
        QTest::newRow("one short") << 31 << false;
        QTest::newRow("one over") << 33 << false;
        QTest::newRow("twice 256 bits") << 64 << false;
    }

    void generateAesKey()
    {
        QFETCH(int, length);
        QFETCH(bool, valid);
        QByteArray first("stale");
        QByteArray second;
        QCOMPARE(KAesEncrypt::generateAesKey(first, length), valid);
        QCOMPARE(KAesEncrypt::generateAesKey(second, length), valid);
        if (!valid) {
            QVERIFY(first.isEmpty());
            return;
        }
        QCOMPARE(first.size(), length);
        QVERIFY(first != second);

        // A generated key of any size works with the cipher.
        QString cipher;
        QByteArray plain;
        QVERIFY(KAesEncrypt::aesEncryptCBCMode(first, kZeroIv, "secret", cipher));
        QVERIFY(KAesEncrypt::aesDecryptCBCMode(first, kZeroIv, cipher, plain));
        QCOMPARE(plain, QByteArray("secret"));
    }

    // Published CBC vectors (NIST SP 800-38A, F.2): the first cipher block is
    // the vector's, the second the full padding block.
    void aesKnownAnswer_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("firstBlock");
        QTest::newRow("AES-256") << kKey << QByteArray::fromHex("f58c4c04d6e5f1ba779eabfb5f7bfbd6");
        QTest::newRow("AES-192") << QByteArray::fromHex("8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b")
                                 << QByteArray::fromHex("4f021db243bc633d7178183a9fa071e8");
        QTest::newRow("AES-128") << QByteArray::fromHex("2b7e151628aed2a6abf7158809cf4f3c")
                                 << QByteArray::fromHex("7649abac8119b246cee98e9b12e9197d");
    }

    void aesKnownAnswer()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, firstBlock);
        const QByteArray iv = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");
        const QByteArray plain = QByteArray::fromHex("6bc1bee22e409f96e93d7e117393172a");

        QString cipherText = QStringLiteral("stale");
        QVERIFY(KAesEncrypt::aesEncryptCBCMode(key, iv, plain, cipherText));
        QCOMPARE(cipherText.size(), 44);
        const QByteArray cipher = QByteArray::fromBase64(cipherText.toLatin1());
        QCOMPARE(base64(cipher), cipherText);
        QCOMPARE(cipher.size(), 32);
        QCOMPARE(cipher.left(16).toHex(), firstBlock.toHex());

        QByteArray decrypted;
        QVERIFY(KAesEncrypt::aesDecryptCBCMode(key, iv, cipherText, decrypted));
        QCOMPARE(decrypted, plain);
    }

    void aesRoundTripWithPkcs7Padding_data()
    {
        QTest::addColumn<QByteArray>("plain");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("one byte") << QByteArray("x");
        QTest::newRow("one short of a block") << pattern(15);
        QTest::newRow("one block") << pattern(16);
        QTest::newRow("one over a block") << pattern(17);
        QTest::newRow("zero bytes inside") << QByteArray("a\0b\0\0c", 6);
        QTest::newRow("utf-8 json") << QStringLiteral("{\"name\": \"Grüße 世界\"}").toUtf8();
        QTest::newRow("large") << pattern(300001);
    }

    void aesRoundTripWithPkcs7Padding()
    {
        QFETCH(QByteArray, plain);
        QString cipherText;
        QVERIFY(KAesEncrypt::aesEncryptCBCMode(kKey, kZeroIv, plain, cipherText));
        QVERIFY(!cipherText.contains(QLatin1Char('\n')));

        const QByteArray cipher = QByteArray::fromBase64(cipherText.toLatin1());
        const int padding = 16 - plain.size() % 16;
        QCOMPARE(cipher.size(), plain.size() + padding);
        const QByteArray raw = rawAes256CbcDecrypt(kKey, kZeroIv, cipher);
        QCOMPARE(raw.left(plain.size()), plain);
        QCOMPARE(raw.mid(plain.size()), QByteArray(padding, char(padding)));

        QByteArray decrypted("stale");
        QVERIFY(KAesEncrypt::aesDecryptCBCMode(kKey, kZeroIv, cipherText, decrypted));
        QCOMPARE(decrypted, plain);
    }

    void aesEncryptRejectsBadKeyOrIv_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("iv");
        QTest::newRow("empty key") << QByteArray() << kZeroIv;
        QTest::newRow("key one short") << kKey.left(31) << kZeroIv;
        QTest::newRow("key one over") << kKey + 'x' << kZeroIv;
        QTest::newRow("empty iv") << kKey << QByteArray();
        QTest::newRow("iv one short") << kKey << kZeroIv.left(15);
        QTest::newRow("iv one over") << kKey << kZeroIv + 'x';
    }

    void aesEncryptRejectsBadKeyOrIv()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, iv);
        QString cipherText = QStringLiteral("stale");
        QVERIFY(!KAesEncrypt::aesEncryptCBCMode(key, iv, "data", cipherText));
        QVERIFY(cipherText.isEmpty());

        QByteArray plain("stale");
        QVERIFY(!KAesEncrypt::aesDecryptCBCMode(key, iv, QStringLiteral("AAAAAAAAAAAAAAAAAAAAAA=="), plain));
        QVERIFY(plain.isEmpty());
    }

    void aesDecryptRejectsDamagedInput_data()
    {
        // 40 bytes of text: two full blocks and one padded block.
        QString valid;
        QVERIFY(KAesEncrypt::aesEncryptCBCMode(kKey, kZeroIv, QByteArray(40, 'A'), valid));
        const QByteArray cipher = QByteArray::fromBase64(valid.toLatin1());
        QByteArray flipped = cipher;
        flipped[cipher.size() - 17] = char(flipped.at(cipher.size() - 17) ^ 0x01); // changes the last pad byte

        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QString>("cipherText");
        QTest::newRow("empty text") << kKey << QString();
        QTest::newRow("not base64") << kKey << QStringLiteral("@@@@");
        QTest::newRow("line break inside") << kKey << valid.left(8) + QLatin1Char('\n') + valid.mid(8);
        QTest::newRow("non-latin character") << kKey << valid.left(8) + QChar(0x4e16) + valid.mid(9);
        QTest::newRow("not whole blocks") << kKey << base64(cipher.left(40));
        QTest::newRow("last block missing") << kKey << base64(cipher.left(32));
        QTest::newRow("padding damaged") << kKey << base64(flipped);
        QTest::newRow("other key") << QByteArray(32, 'k') << valid;
    }

    void aesDecryptRejectsDamagedInput()
    {
        QFETCH(QByteArray, key);
        QFETCH(QString, cipherText);
        QByteArray plain("stale");
        QVERIFY(!KAesEncrypt::aesDecryptCBCMode(key, kZeroIv, cipherText, plain));
        QVERIFY(plain.isEmpty());
    }

    void serviceKeyIsThePublicHalfOfTheTestKey()
    {
        const QString publicKey = kzembaServicePublicKey();
        QCOMPARE(publicKey.size(), 392);
        QVERIFY(!publicKey.contains(QRegularExpression(QStringLiteral("[^A-Za-z0-9+/=]"))));

        const PKey privateKey = servicePrivateKey();
        QVERIFY(privateKey);
        QCOMPARE(EVP_PKEY_get_bits(privateKey.get()), 2048);
        QCOMPARE(base64(publicKeyDer(privateKey.get())), publicKey);
    }

    void rsaEncryptIsReadableWithThePrivateKey_data()
    {
        QByteArray aesKey;
        QVERIFY(KAesEncrypt::generateAesKey(aesKey, 32));
        QTest::addColumn<QByteArray>("plain");
        QTest::newRow("aes key") << aesKey;
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("zero bytes") << QByteArray(16, '\0');
        QTest::newRow("longest for 2048 bits") << pattern(190);
    }

    void rsaEncryptIsReadableWithThePrivateKey()
    {
        QFETCH(QByteArray, plain);
        QString cipherText = QStringLiteral("stale");
        QVERIFY(KRsaEncrypt::rsaEncrypt(kzembaServicePublicKey(), plain, cipherText));
        QCOMPARE(cipherText.size(), 344); // 256 bytes
        const QByteArray cipher = QByteArray::fromBase64(cipherText.toLatin1());
        QCOMPARE(base64(cipher), cipherText);

        const PKey privateKey = servicePrivateKey();
        QVERIFY(privateKey);
        const std::optional<QByteArray> decrypted = rsaDecrypt(privateKey.get(), cipher);
        QVERIFY(decrypted);
        QCOMPARE(*decrypted, plain);
    }

    void rsaEncryptIsRandomised()
    {
        const QByteArray aesKey(32, 'k');
        QString first;
        QString second;
        QVERIFY(KRsaEncrypt::rsaEncrypt(kzembaServicePublicKey(), aesKey, first));
        QVERIFY(KRsaEncrypt::rsaEncrypt(kzembaServicePublicKey(), aesKey, second));
        QVERIFY(first != second);
        const PKey privateKey = servicePrivateKey();
        QCOMPARE(rsaDecrypt(privateKey.get(), QByteArray::fromBase64(second.toLatin1())).value_or(QByteArray()),
                 aesKey);
    }

    void rsaEncryptRejectsBadKeyOrInput_data()
    {
        const QString good = kzembaServicePublicKey();
        const QByteArray der = QByteArray::fromBase64(good.toLatin1());
        const QString pem = QStringLiteral("-----BEGIN PUBLIC KEY-----\n%1\n%2\n-----END PUBLIC KEY-----\n")
                                .arg(good.left(64), good.mid(64));
        PKey ecKey(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"), &EVP_PKEY_free);
        QVERIFY(ecKey);
        // The key's inner RSAPublicKey, without the algorithm wrapper.
        const QByteArray pkcs1 = der.mid(24);
        QVERIFY(pkcs1.startsWith(QByteArray::fromHex("3082010a")));

        QTest::addColumn<QString>("publicKey");
        QTest::addColumn<QByteArray>("plain");
        QTest::newRow("one byte too long") << good << pattern(191);
        QTest::newRow("empty key") << QString() << QByteArray("k");
        QTest::newRow("not base64") << QStringLiteral("not a key!") << QByteArray("k");
        QTest::newRow("pem text") << pem << QByteArray("k");
        QTest::newRow("base64 of garbage") << base64(pattern(294)) << QByteArray("k");
        QTest::newRow("truncated key") << base64(der.left(200)) << QByteArray("k");
        QTest::newRow("trailing bytes") << base64(der + QByteArray(2, '\0')) << QByteArray("k");
        QTest::newRow("bare pkcs1 key") << base64(pkcs1) << QByteArray("k");
        QTest::newRow("ec key") << base64(publicKeyDer(ecKey.get())) << QByteArray("k");
    }

    void rsaEncryptRejectsBadKeyOrInput()
    {
        QFETCH(QString, publicKey);
        QFETCH(QByteArray, plain);
        QString cipherText = QStringLiteral("stale");
        QVERIFY(!KRsaEncrypt::rsaEncrypt(publicKey, plain, cipherText));
        QVERIFY(cipherText.isEmpty());
    }
};

KZEMBA_TEST_MAIN(TstPlatformCrypto)
#include "tst_platformcrypto.moc"
