#include "kprocess.h"

#include "kruntimeconfig.h"

#include <QStringList>
#include <QUrl>

namespace krt {
namespace ksafe {

bool KProcess::checkUrl(const QString& url)
{
    const QUrl parsed(url.trimmed(), QUrl::StrictMode);
    if (!parsed.isValid())
        return false;
    const QString scheme = parsed.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return false;
    const QString host = parsed.host(QUrl::FullyDecoded).toLower();
    if (host.isEmpty())
        return false;

    const QStringList suffixes = KRuntimeConfig::value(QStringLiteral("ksafe/allowedHostSuffixes")).toStringList();
    if (suffixes.isEmpty())
        return true;
    for (QString suffix : suffixes) {
        suffix = suffix.trimmed().toLower();
        if (suffix.startsWith(QLatin1Char('.')))
            suffix.remove(0, 1);
        if (suffix.isEmpty())
            continue;
        if (host == suffix || host.endsWith(QLatin1Char('.') + suffix))
            return true;
    }
    return false;
}

} // namespace ksafe
} // namespace krt
