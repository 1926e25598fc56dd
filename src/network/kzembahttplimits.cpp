#include "kzembahttplimits.h"

#include <krt/krt.h>

#include <QUrl>

#include <cmath>

namespace {

bool hasLineBreakOrNul(const QByteArray& bytes)
{
    for (char c : bytes) {
        if (c == '\r' || c == '\n' || c == '\0')
            return true;
    }
    return false;
}

// One pass over a name-to-text map: count, characters and total size, in that order.
QString checkPairs(const QVariantMap& pairs, const QString& what, int maxCount, int maxBytes)
{
    if (pairs.size() > maxCount)
        return QStringLiteral("more than %1 %2s").arg(QString::number(maxCount), what);
    qint64 total = 0;
    for (auto it = pairs.begin(); it != pairs.end(); ++it) {
        const QByteArray name = it.key().toUtf8();
        const QByteArray value = it.value().toString().toUtf8();
        if (hasLineBreakOrNul(name))
            return QStringLiteral("%1 name with CR, LF or NUL").arg(what);
        if (hasLineBreakOrNul(value))
            return QStringLiteral("%1 value with CR, LF or NUL").arg(what);
        total += name.size() + value.size();
        if (total > maxBytes)
            return QStringLiteral("%1s longer than %2 bytes").arg(what, QString::number(maxBytes));
    }
    return QString();
}

} // namespace

QString KZembaHttpLimits::maxBodyBytesKey()
{
    return QStringLiteral("qoxoffice/plugins/zemba/http/maxbodybytes");
}

qint64 KZembaHttpLimits::maxBodyBytes()
{
    bool ok = false;
    const qint64 configured = krt::config::value(maxBodyBytesKey()).toLongLong(&ok);
    return ok && configured > 0 && configured <= kMaxMaxBodyBytes ? configured : kDefaultMaxBodyBytes;
}

QString KZembaHttpLimits::checkUrl(const QUrl& url)
{
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return QStringLiteral("only http and https URLs are allowed");
    if (url.host().isEmpty())
        return QStringLiteral("URL without a host");
    return QString();
}

QString KZembaHttpLimits::checkHeaders(const QVariantMap& headers)
{
    return checkPairs(headers, QStringLiteral("header"), kMaxHeaderCount, kMaxHeaderBytes);
}

QString KZembaHttpLimits::checkCookies(const QVariantMap& cookies)
{
    return checkPairs(cookies, QStringLiteral("cookie"), kMaxCookieCount, kMaxCookieBytes);
}

int KZembaHttpLimits::timeoutFrom(const QVariant& value)
{
    bool ok = false;
    const double milliseconds = value.toDouble(&ok);
    if (!ok || std::isnan(milliseconds) || milliseconds <= 0)
        return 0;
    return milliseconds >= kMaxTimeoutMs ? kMaxTimeoutMs : static_cast<int>(milliseconds);
}

int KZembaHttpLimits::clampTimeout(qint64 milliseconds)
{
    return static_cast<int>(qBound<qint64>(0, milliseconds, kMaxTimeoutMs));
}
