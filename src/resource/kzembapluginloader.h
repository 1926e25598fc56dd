#ifndef KZEMBA_RESOURCE_KZEMBAPLUGINLOADER_H
#define KZEMBA_RESOURCE_KZEMBAPLUGINLOADER_H

#include "kzembajsapilite_export.h"

#include <QString>
#include <QtGlobal>

class IKZembaBase;
class IKZembaBatchDownload;
class IKZembaCoreLite;
class IKZembaNetWork;
class IKZembaResNetwork;
class IKZembaUserInfo;

namespace kzemba {

/// The one way to the store plug-ins: it loads a plug-in library by name from
/// the suite's plug-in folder, resolves one exported entry and keeps its address
/// in a process-wide slot. A slot that is still empty makes the next use try the
/// whole routine again; a filled slot is never cleared. Every accessor returns
/// null when the plug-in, the entry or the service is missing.
class KZEMBAJSAPILITE_EXPORT KZembaPluginLoader
{
public:
    static const char* basePlugin();      // "kzembabase"
    static const char* coreLitePlugin();  // "kzembacorelite"
    static const char* resNetworkPlugin(); // "kzembaresnetwork"

    // Fills `slot` with the address of `entryName` in plug-in `pluginName` when it can be found;
    // does nothing when `slot` is already set.
    static void resolvePluginEntry(const QString& pluginName, const char* entryName, QFunctionPointer& slot);

    template <typename Entry>
    static void resolvePluginEntry(const QString& pluginName, const char* entryName, Entry& slot)
    {
        QFunctionPointer address = reinterpret_cast<QFunctionPointer>(slot);
        resolvePluginEntry(pluginName, entryName, address);
        slot = reinterpret_cast<Entry>(address);
    }

    static IKZembaNetWork* getZembaNetWork();
    static IKZembaBatchDownload* getZembaBatchDownload();
    static IKZembaUserInfo* getZembaUserInfo();
    static IKZembaBase* getZembaBase();
    static IKZembaCoreLite* getCoreLite();
    static IKZembaResNetwork* getResNetwork();
};

} // namespace kzemba

#endif
