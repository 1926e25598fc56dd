#ifndef KZEMBA_KRT_KRT_H
#define KZEMBA_KRT_KRT_H

#include "kzembaplatform_export.h"

#include <QString>
#include <QStringList>
#include <QVariant>

// The runtime's free functions: folders, product switches, configuration values
// and library naming. Everything comes from krt::KRuntimeConfig.
namespace krt {

KZEMBAPLATFORM_EXPORT QString appName();
// "kzembabase" -> "libkzembabase.so"
KZEMBAPLATFORM_EXPORT QString getLibFileName(const QString& name);

namespace dirs {
// The office data folder (created when missing). The flag selects the roaming copy, which
// this runtime keeps in the same place.
KZEMBAPLATFORM_EXPORT QString officeData(bool roaming = false);
KZEMBAPLATFORM_EXPORT QString officeHome();
KZEMBAPLATFORM_EXPORT QString frameworks();
// The name of the module (shared library or program) that holds `address`, without "lib"
// and suffix: "kzembajsapilite".
KZEMBAPLATFORM_EXPORT QString getModuleName(const void* address);
} // namespace dirs

namespace product {
KZEMBAPLATFORM_EXPORT bool isHttpsSecurityBypass();
KZEMBAPLATFORM_EXPORT bool isVantaShelllessMode(bool defaultValue = false);
} // namespace product

namespace i18n {
// The localised copies of `relativePath` under the folder `muiDir`, best first: for each
// language of the user interface ("i18n/locale" of the runtime, else the system's, then
// "en_US"), "<muiDir>/<language>/<relativePath>" when it exists. A folder under the plug-ins'
// root that lacks a copy falls back to the same place under the shipped plug-in resources
// ("paths/shippedPlugins" of the runtime, else the folder this build ships).
// `fallbackLanguage`, when set, is tried before "en_US".
KZEMBAPLATFORM_EXPORT QStringList getLocalizedFiles(const QString& relativePath, const QString& muiDir,
                                                    const QString& fallbackLanguage = QString());
// The shipped plug-in resources folder.
KZEMBAPLATFORM_EXPORT QString shippedPluginsRoot();
} // namespace i18n

namespace config {
// A value of the suite's configuration service by its path ("qoxoffice/plugins/webwidget/timeout").
KZEMBAPLATFORM_EXPORT QVariant value(const QString& key, const QVariant& defaultValue = QVariant());
} // namespace config

} // namespace krt

#endif
