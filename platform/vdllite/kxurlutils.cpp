#include "kxurlutils.h"

#include <QUrl>

namespace vdllite {

QString getDomainFromUrl(const QString& url)
{
    return QUrl(url, QUrl::StrictMode).host().toLower();
}

} // namespace vdllite
