#ifndef KZEMBA_KRT_KDIRS_H
#define KZEMBA_KRT_KDIRS_H

#include "kzembaplatform_export.h"

#include <QString>

// The runtime's folder rules that store pages run into: the user's desktop folder,
// the suite's path normalisation and the folders a page may never download into.
namespace krt {
namespace dirs {

// The user's desktop folder: "paths/desktop" of the runtime configuration, else the
// platform's desktop location.
KZEMBAPLATFORM_EXPORT QString desktop();
// `path` with one kind of separator and without "." and ".." steps or doubled separators.
KZEMBAPLATFORM_EXPORT QString getPathFlattening(const QString& path);
// True when `path` names one of the system's folders ("/", "/etc", "/usr", "/bin", "/sbin",
// "/lib*", "/boot", "/proc", "/sys", "/dev", "/var") or anything under them, when it leaves
// its folder with "..", or when it is empty: a page may not download there.
KZEMBAPLATFORM_EXPORT bool inBlackDownloadDir(const QString& path);

} // namespace dirs
} // namespace krt

#endif
