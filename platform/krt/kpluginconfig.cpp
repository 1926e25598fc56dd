#include "kpluginconfig.h"

#include "krt.h"
#include "kruntimeconfig.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

namespace kpluginconfig {

namespace {

QAtomicInt& disabledFlag()
{
    static QAtomicInt flag(0);
    return flag;
}

} // namespace

QString pluginsRoot()
{
    return krt::KRuntimeConfig::pathValue(QStringLiteral("paths/plugins"), krt::dirs::frameworks() + QStringLiteral("/addons"));
}

QString shippedPluginsRoot()
{
    Dl_info info;
    if (dladdr(reinterpret_cast<const void*>(&shippedPluginsRoot), &info) == 0 || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath() + QStringLiteral("/kzemba-plugins");
}

QString getPluginPath(const QString& name, const QString& subPath)
{
    if (name.isEmpty() || disabledFlag().loadAcquire())
        return QString();
    QString path = krt::KRuntimeConfig::pathValue(QStringLiteral("pluginPaths/") + name, QString());
    if (path.isEmpty()) {
        // A suite installation (or a configured root) wins over the plug-ins shipped with the library.
        const QString installed = pluginsRoot() + QLatin1Char('/') + name;
        const bool configured = !krt::KRuntimeConfig::value(QStringLiteral("paths/plugins")).toString().isEmpty();
        path = configured || QFileInfo::exists(installed) ? installed : shippedPluginsRoot() + QLatin1Char('/') + name;
    }
    if (!subPath.isEmpty())
        path = QDir::cleanPath(path + QLatin1Char('/') + subPath);
    return path;
}

void setPluginsDisabled(bool disabled)
{
    disabledFlag().storeRelease(disabled ? 1 : 0);
}

} // namespace kpluginconfig
