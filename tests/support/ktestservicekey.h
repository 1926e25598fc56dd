#ifndef KZEMBA_TESTS_KTESTSERVICEKEY_H
#define KZEMBA_TESTS_KTESTSERVICEKEY_H

#include <QByteArray>
#include <QString>

/// The store service's side of encrypted requests, for tests: the private half
/// of the service key (kept under tests/keys) opens what the library wraps with
/// the public half.
class KTestServiceKey
{
public:
    // The RSA-OAEP plain text of a Base64 cipher text; empty when it does not decrypt.
    static QByteArray rsaDecrypt(const QString& base64CipherText);
};

#endif
