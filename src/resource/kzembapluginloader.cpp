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
#include <krt/kruntimeconfig.h>
#include <vdllite/kxloggerlite.h>

#include <QDir>
#include <QFile>
#include <QLibrary>

#include <map>

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

// What a retry reuses from the attempts before it while the runtime configuration stays as it
// was: the library path, the lines a missing plug-in logs (made once, compared on every retry),
// and the last line of each kind logged for the plug-in.
struct RetryState
{
    quint64 generation = 0;
    QString path;
    QString missingLine;
    QString unknownLine;
    QString loggedLoad;
    QString loggedManager;
};

QString loadFailedLine(const QString& error)
{
    return QStringLiteral("load dll failed %1, %2").arg(QString(), error);
}

// Like the entry slots, used on the GUI thread only. A map keeps each state in place while a
// library loaded meanwhile asks for another plug-in.
RetryState& retryStateFor(const QString& pluginName)
{
    static std::map<QString, RetryState> states;
    RetryState& state = states[pluginName];
    const quint64 generation = krt::KRuntimeConfig::generation();
    if (state.generation != generation) {
        state = RetryState();
        state.generation = generation;
        const QString folder = kpluginconfig::getPluginPath(pluginName, QString());
        state.path = folder.isEmpty() ? QString() : QDir(folder).absoluteFilePath(krt::getLibFileName(pluginName));
        state.missingLine = loadFailedLine(QStringLiteral("path not exist %1").arg(state.path));
        state.unknownLine = QStringLiteral("no plugin:[%1] configred").arg(pluginName);
    }
    return state;
}

// A plug-in that stays missing is retried on every use: its line is logged once, again when it
// changes, and again after the configuration changed.
void logUnlessRepeated(QString& lastLogged, const QString& module, const QString& message)
{
    if (message == lastLogged)
        return;
    lastLogged = message;
    KxLoggerLite::writeInfo(module, message);
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
    RetryState& state = retryStateFor(pluginName);
    const QString path = state.path;

    if (!path.isEmpty() && QFile::exists(path)) {
        // The library object goes out of scope but the library stays loaded: Qt never
        // unloads without an explicit unload().
        QLibrary library(path);
        if (library.load()) {
            slot = library.resolve(entryName);
            state.loggedLoad.clear();
        } else {
            logUnlessRepeated(state.loggedLoad, modules.load, loadFailedLine(library.errorString() + path));
        }
    } else {
        logUnlessRepeated(state.loggedLoad, modules.load, state.missingLine);
    }

    KPluginManager* manager = KPluginManager::getInstance();
    if (!manager)
        return;
    if (KPlugin* plugin = manager->getPlugin(pluginName))
        plugin->load(0, 1);
    else
        logUnlessRepeated(state.loggedManager, modules.manager, state.unknownLine);
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
