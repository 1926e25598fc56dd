#ifndef KZEMBA_KRT_KPLUGINCONFIG_H
#define KZEMBA_KRT_KPLUGINCONFIG_H

#include "kzembaplatform_export.h"

#include <QString>

// Where the suite installs its plug-ins.
namespace kpluginconfig {

// The plug-ins' root folder: "paths/plugins" of the runtime, else "<frameworks>/addons".
KZEMBAPLATFORM_EXPORT QString pluginsRoot();
// The folder that ships with the library: "kzemba-plugins" beside the platform library
// ("<libdir>/kzemba-plugins/<name>/lib<name>.so"), where the reference store plug-ins live.
KZEMBAPLATFORM_EXPORT QString shippedPluginsRoot();
// The folder of plug-in `name`, with `subPath` appended when it is not empty:
// "pluginPaths/<name>" of the runtime; else "<root>/<name>" when "paths/plugins" is configured
// or that folder exists; else the shipped folder "<shipped root>/<name>".
// Empty while plug-ins are disabled.
KZEMBAPLATFORM_EXPORT QString getPluginPath(const QString& name, const QString& subPath = QString());
// Turns every plug-in path off for the rest of the process (a host's --no-plugins).
KZEMBAPLATFORM_EXPORT void setPluginsDisabled(bool disabled);

} // namespace kpluginconfig

#endif
