#include "ktesturlcatcher.h"

#include <QDesktopServices>

KTestUrlCatcher::KTestUrlCatcher(const QStringList& schemes)
    : m_schemes(schemes)
{
    for (const QString& scheme : m_schemes)
        QDesktopServices::setUrlHandler(scheme, this, "open");
}

KTestUrlCatcher::~KTestUrlCatcher()
{
    for (const QString& scheme : m_schemes)
        QDesktopServices::unsetUrlHandler(scheme);
}

void KTestUrlCatcher::open(const QUrl& url)
{
    urls.append(url);
}
