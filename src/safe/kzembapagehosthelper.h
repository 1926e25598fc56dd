#ifndef KZEMBA_SAFE_KZEMBAPAGEHOSTHELPER_H
#define KZEMBA_SAFE_KZEMBAPAGEHOSTHELPER_H

#include "kzembajsapilite_export.h"

#include <QString>

#include <functional>

/// Decides whether a page may use the store's JS API. A page is trusted when its
/// host is one of the built-in trusted hosts or domains, when the same app passed
/// the check for the same host within the last 30 days, or when the host serves
/// a sign file equal to the sign that the store's server registered for the app.
/// Every check reports exactly one result to its callback.
class KZEMBAJSAPILITE_EXPORT KZembaPageHostHelper
{
public:
    enum Error {
        Success = 0,
        EmptyParam = 1,
        SignMismatch = 2,
        SignDownloadFailed = 3,
        AppInfoFailed = 4,
    };

    // Whitelist and cache hits and empty arguments are reported before the call returns,
    // everything else later from the event loop. An empty callback makes this do nothing.
    static void checkPageHostSignValid(const QString& appId, const QString& url,
                                       std::function<void(KZembaPageHostHelper::Error)> callback);

    // Whether the host of `url` is trusted without a check.
    static bool isWhitelistHost(const QString& url);
    // The store holding the hosts that passed the check.
    static QString cacheDatabasePath();
};

#endif
