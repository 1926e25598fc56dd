#ifndef KZEMBA_CRYPTO_KCRYPTOFAULTS_H
#define KZEMBA_CRYPTO_KCRYPTOFAULTS_H

#include "krt/kruntimeconfig.h"

#include <QStringList>

// Lets a host run with a broken crypto provider: operations named in the runtime
// configuration's "crypto/failing" list fail as the provider's would. Internal to
// the crypto helpers.
inline bool cryptoFailureRequested(const char* operation)
{
    return krt::KRuntimeConfig::value(QStringLiteral("crypto/failing"))
        .toStringList()
        .contains(QLatin1String(operation));
}

#endif
