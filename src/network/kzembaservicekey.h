#ifndef KZEMBA_NETWORK_KZEMBASERVICEKEY_H
#define KZEMBA_NETWORK_KZEMBASERVICEKEY_H

#include <QString>

/// The store service's RSA public key, which wraps the AES keys of encrypted
/// requests: a 2048-bit key as Base64 DER SubjectPublicKeyInfo, one line, no
/// PEM markers (392 characters). The value is deployment data: a deployment
/// puts its own service's key here. The private half of this default pair is
/// kept only with the tests (tests/keys), so that they can read what the
/// library sends.
inline QString kzembaServicePublicKey()
{
    return QStringLiteral("MIIBIjANBgkqhkiG9w0BAQEFAAOCAQ8AMIIBCgKCAQEAmaJCwBexCrclJ6LKzGUJmvD1zGZEIlmFSXXL0tjrIHSmblacDKsRr3g8W9AFlQhsZS3yz0+frSZ45FPM85IAmjL6YOHy9gLEW0aY0CFG7gYUcFPb3n4E4KHQ33r6q1upaDTwldkjck1FsrjoFe60k2H5tdPC3x24XMoev9zbl4StpJ+N+a1F2Whj44mDpGQKGbapsWyUpsd33S5QupTQE4+W/q/tLasz4JDBjm1jshBp8gnsV+5Y9T/a31W1uU9F7u5PDL0W630732rHMP5MMh9d8Cu3ygdOQJQ9ATPeEbGKKUYB31w8zUIwI/S7FiDJEEg/VpwIxaYsbZNUvve83wIDAQAB");
}

#endif
