#ifndef KZEMBA_KRT_KPLUGINCONFIG_H
#define KZEMBA_KRT_KPLUGINCONFIG_H

#include "kzembaplatform_export.h"

#include <QString>

// Where the suite installs its plug-ins.
namespace kpluginconfig {

// The plug-ins' root folder: "paths/plugins" of the runtime, else "<frameworks>/addons".
KZEMBAPLATFORM_EXPORT QString pluginsRoot();
// The folder of plug-in `name` ("pluginPaths/<name>" of the runtime, else "<root>/<name>"),
// with `subPath` appended when it is not empty.
KZEMBAPLATFORM_EXPORT QString getPluginPath(const QString& name, const QString& subPath = QString());

} // namespace kpluginconfig

#endif
