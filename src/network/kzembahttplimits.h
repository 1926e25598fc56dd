#ifndef KZEMBA_NETWORK_KZEMBAHTTPLIMITS_H
#define KZEMBA_NETWORK_KZEMBAHTTPLIMITS_H

#include "kzembajsapilite_export.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>

class QUrl;

/// The bounds that a page's HTTP requests and event streams are held to: which URLs may be
/// requested, how many and how large the page's headers and cookies may be (no CR, LF or NUL
/// in any of them, so nothing a page sends can start a header line or a request of its own),
/// the range of a time-out, and the largest answer body kept in memory. Each check costs time
/// linear in what it checks and answers with the reason of a refusal, empty when it passes.
class KZEMBAJSAPILITE_EXPORT KZembaHttpLimits
{
public:
    static constexpr int kMaxHeaderCount = 100;
    static constexpr int kMaxHeaderBytes = 64 * 1024;
    static constexpr int kMaxCookieCount = 100;
    static constexpr int kMaxCookieBytes = 16 * 1024;
    static constexpr int kMaxTimeoutMs = 10 * 60 * 1000;
    static constexpr qint64 kDefaultMaxBodyBytes = 16 * 1024 * 1024;
    static constexpr qint64 kMaxMaxBodyBytes = 1024 * 1024 * 1024;

    // The configuration key (krt::config) of the body limit in bytes.
    static QString maxBodyBytesKey();
    // The configured body limit: a positive number of bytes up to kMaxMaxBodyBytes, else the default.
    static qint64 maxBodyBytes();

    // Only http and https URLs with a host.
    static QString checkUrl(const QUrl& url);
    // The page's "header" and "cookie" maps: names to text values.
    static QString checkHeaders(const QVariantMap& headers);
    static QString checkCookies(const QVariantMap& cookies);
    // The page's "timeout" in milliseconds clamped to 0..kMaxTimeoutMs; what is no number is 0.
    static int timeoutFrom(const QVariant& value);
    static int clampTimeout(qint64 milliseconds);
};

#endif
