#include "kzembahttpheaders.h"

#include <QList>
#include <QNetworkRequest>

namespace kzembahttp {

namespace {

bool isHeaderSafe(const QByteArray& text)
{
    return !text.contains('\n') && !text.contains('\r') && !text.contains('\0');
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

} // namespace kzembahttp
