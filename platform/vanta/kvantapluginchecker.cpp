#include "kvantapluginchecker.h"

#include <krt/kpluginmanager.h>
#include <krt/krt.h>

#include <QFileInfo>

bool KVantaPluginChecker::isPluginAvailable(const QString& name)
{
    // A plug-in name is one folder name; anything else must not reach the file test.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String("..") || name == QLatin1String("."))
        return false;
    if (KPluginManager* manager = KPluginManager::getInstance()) {
        if (manager->getPlugin(name))
            return true;
    }
    return QFileInfo(addonLibraryPath(name)).isFile();
}

QString KVantaPluginChecker::addonLibraryPath(const QString& name)
{
    return krt::dirs::frameworks() + QStringLiteral("/addons/") + name + QLatin1Char('/') + krt::getLibFileName(name);
}
