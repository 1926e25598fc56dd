#ifndef KZEMBA_PLUGINS_IKZEMBASHELLTHEMESTYLEHELPER_H
#define KZEMBA_PLUGINS_IKZEMBASHELLTHEMESTYLEHELPER_H

#include "kzembapluginexport.h"

#include <QString>

/// The suite's theme helper as a JS API object sees it. The object behind it is
/// also a QObject, reached with a dynamic cast, whose dynamic properties are
/// shared between pages.
class KZEMBA_PLUGIN_INTERFACE IKZembaShellThemeStyleHelper
{
public:
    virtual ~IKZembaShellThemeStyleHelper() = default;

    // Registers a module's skin configuration with the theme.
    virtual void registerModule(const QString& moduleName, const QString& skinConfigPath) = 0;
};

#endif
