#include "kzembahttpheaders.h"

#include <krt/kruntimeconfig.h>

#include <QList>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStringList>

namespace kzembahttp {

namespace {

bool isHeaderSafe(const QByteArray& text)
{
    return !text.contains('\n') && !text.contains('\r') && !text.contains('\0');
}

QString bareHost(const QString& host)
{
    return host.startsWith(QLatin1Char('[')) ? host.mid(1, host.size() - 2).toLower() : host.toLower();
}

} // namespace

void applyHeaders(QNetworkRequest& request, const QVariantMap& headers)
{
    for (auto it = headers.constBegin(); it != headers.constEnd(); ++it) {
        const QByteArray name = it.key().toUtf8();
        if (name.isEmpty() || !isHeaderSafe(name) || name.contains(':') || name.contains(' '))
            continue;
        if (it.value().type() == QVariant::Map) {
            QList<QByteArray> pairs;
            const QVariantMap cookies = it.value().toMap();
            for (auto cookie = cookies.constBegin(); cookie != cookies.constEnd(); ++cookie) {
                const QByteArray pair = cookie.key().toUtf8() + '=' + cookie.value().toString().toUtf8();
                if (!cookie.key().isEmpty() && isHeaderSafe(pair) && !pair.contains(';'))
                    pairs.append(pair);
            }
            if (!pairs.isEmpty())
                request.setRawHeader(name, pairs.join("; "));
            continue;
        }
        const QByteArray value = it.value().toString().toUtf8();
        if (isHeaderSafe(value))
            request.setRawHeader(name, value);
    }
}

bool isHttpUrl(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QUrl connectTarget(const QUrl& url)
{
    if (!isHttpUrl(url))
        return url;
    static const QRegularExpression entry(
        QStringLiteral("\\A(\\[[^\\]]+\\]|[^:\\[\\]]+):(\\d{1,5}):(\\[[^\\]]+\\]|[^:\\[\\]]+):(\\d{1,5})\\z"));
    const int defaultPort = url.scheme().toLower() == QLatin1String("https") ? 443 : 80;
    const QString host = url.host(QUrl::FullyDecoded).toLower();
    const int port = url.port(defaultPort);
    const QStringList rules = krt::KRuntimeConfig::value(QStringLiteral("network/connectTo")).toStringList();
    for (const QString& rule : rules) {
        const QRegularExpressionMatch match = entry.match(rule.trimmed());
        if (!match.hasMatch() || bareHost(match.captured(1)) != host || match.captured(2).toInt() != port)
            continue;
        const int toPort = match.captured(4).toInt();
        if (toPort < 1 || toPort > 65535)
            continue;
        QUrl target(url);
        target.setHost(bareHost(match.captured(3)));
        target.setPort(toPort);
        return target.isValid() ? target : url;
    }
    return url;
}

} // namespace kzembahttp
