#ifndef KZEMBA_VANTA_KVANTAPLUGINCHECKER_H
#define KZEMBA_VANTA_KVANTAPLUGINCHECKER_H

#include "kzembaplatform_export.h"

#include <QString>

/// The shell's test whether a plug-in is installed: the plug-in manager knows
/// it, or its library file lies in its folder below "addons" of the frameworks
/// folder ("<frameworks>/addons/<name>/lib<name>.so"). The file is only looked
/// at, never loaded.
class KZEMBAPLATFORM_EXPORT KVantaPluginChecker
{
public:
    static bool isPluginAvailable(const QString& name);
    static QString addonLibraryPath(const QString& name);
};

#endif
