#ifndef KZEMBA_KRT_KRT_H
#define KZEMBA_KRT_KRT_H

#include "kzembaplatform_export.h"

#include <QString>
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

namespace config {
// A value of the suite's configuration service by its path ("qoxoffice/plugins/webwidget/timeout").
KZEMBAPLATFORM_EXPORT QVariant value(const QString& key, const QVariant& defaultValue = QVariant());
} // namespace config

} // namespace krt

#endif
