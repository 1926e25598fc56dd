#include "kpluginconfig.h"

#include "krt.h"
#include "kruntimeconfig.h"

#include <QDir>

namespace kpluginconfig {

QString pluginsRoot()
{
    return krt::KRuntimeConfig::pathValue(QStringLiteral("paths/plugins"), krt::dirs::frameworks() + QStringLiteral("/addons"));
}

QString getPluginPath(const QString& name, const QString& subPath)
{
    if (name.isEmpty())
        return QString();
    QString path = krt::KRuntimeConfig::pathValue(QStringLiteral("pluginPaths/") + name, pluginsRoot() + QLatin1Char('/') + name);
    if (!subPath.isEmpty())
        path = QDir::cleanPath(path + QLatin1Char('/') + subPath);
    return path;
}

} // namespace kpluginconfig
