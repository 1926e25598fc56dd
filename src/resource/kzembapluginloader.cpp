#include "kzembapluginloader.h"

#include "interfaces/ikzembabase.h"
#include "interfaces/ikzembabatchdownload.h"
#include "interfaces/ikzembacorelite.h"
#include "interfaces/ikzembanetwork.h"
#include "interfaces/ikzembaresnetwork.h"
#include "interfaces/ikzembauserinfo.h"

#include <krt/kplugin.h>
#include <krt/kpluginconfig.h>
#include <krt/kpluginmanager.h>
#include <krt/krt.h>
#include <vdllite/kxloggerlite.h>

#include <QDir>
#include <QFile>
#include <QLibrary>

namespace kzemba {

namespace {

struct LogModules
{
    QString load;
    QString manager;
};

LogModules logModulesFor(const QString& pluginName)
{
    if (pluginName == QLatin1String(KZembaPluginLoader::coreLitePlugin()))
        return {QStringLiteral("KZembaCoreLite"), QStringLiteral("KZembaCoreLite")};
    return {QStringLiteral("KZembaBase"), QStringLiteral("KZembaResBaseLib")};
}

template <typename Service, typename Entry>
Service* callEntry(const char* pluginName, const char* entryName, Entry& slot)
{
    KZembaPluginLoader::resolvePluginEntry(QString::fromLatin1(pluginName), entryName, slot);
    return slot ? slot() : nullptr;
}

} // namespace

const char* KZembaPluginLoader::basePlugin()
{
    return "kzembabase";
}

const char* KZembaPluginLoader::coreLitePlugin()
{
    return "kzembacorelite";
}

const char* KZembaPluginLoader::resNetworkPlugin()
{
    return "kzembaresnetwork";
}

void KZembaPluginLoader::resolvePluginEntry(const QString& pluginName, const char* entryName, QFunctionPointer& slot)
{
    if (slot)
        return;

    const LogModules modules = logModulesFor(pluginName);
    const QString folder = kpluginconfig::getPluginPath(pluginName, QString());
    const QString path = folder.isEmpty() ? QString() : QDir(folder).absoluteFilePath(krt::getLibFileName(pluginName));

    bool loaded = false;
    QString error;
    if (!path.isEmpty() && QFile::exists(path)) {
        // The library object goes out of scope but the library stays loaded: Qt never
        // unloads without an explicit unload().
        QLibrary library(path);
        if (library.load()) {
            loaded = true;
            slot = library.resolve(entryName);
        } else {
            error = library.errorString() + path;
        }
    } else {
        error = QStringLiteral("path not exist %1").arg(path);
    }
    if (!loaded)
        KxLoggerLite::writeInfo(modules.load, QStringLiteral("load dll failed %1, %2").arg(QString(), error));

    KPluginManager* manager = KPluginManager::getInstance();
    if (!manager)
        return;
    if (KPlugin* plugin = manager->getPlugin(pluginName))
        plugin->load(0, 1);
    else
        KxLoggerLite::writeInfo(modules.manager, QStringLiteral("no plugin:[%1] configred").arg(pluginName));
}

IKZembaNetWork* KZembaPluginLoader::getZembaNetWork()
{
    static GetZembaNetWorkFn slot = nullptr;
    return callEntry<IKZembaNetWork>(basePlugin(), "GetZembaNetWork", slot);
}

IKZembaBatchDownload* KZembaPluginLoader::getZembaBatchDownload()
{
    static GetZembaBatchDownloadFn slot = nullptr;
    return callEntry<IKZembaBatchDownload>(basePlugin(), "GetZembaBatchDownload", slot);
}

IKZembaUserInfo* KZembaPluginLoader::getZembaUserInfo()
{
    static GetZembaUserInfoFn slot = nullptr;
    return callEntry<IKZembaUserInfo>(basePlugin(), "GetZembaUserInfo", slot);
}

IKZembaBase* KZembaPluginLoader::getZembaBase()
{
    static GetZembaBaseFn slot = nullptr;
    return callEntry<IKZembaBase>(basePlugin(), "GetZembaBase", slot);
}

IKZembaCoreLite* KZembaPluginLoader::getCoreLite()
{
    static GetIKZembaCoreLiteFn slot = nullptr;
    return callEntry<IKZembaCoreLite>(coreLitePlugin(), "GetIKZembaCoreLite", slot);
}

IKZembaResNetwork* KZembaPluginLoader::getResNetwork()
{
    static GetIKZembaResNetworkFn slot = nullptr;
    return callEntry<IKZembaResNetwork>(resNetworkPlugin(), "GetIKZembaResNetwork", slot);
}

} // namespace kzemba
