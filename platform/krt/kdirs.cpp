#include "kdirs.h"

#include "kruntimeconfig.h"

#include <QDir>
#include <QStandardPaths>
#include <QStringList>

namespace krt {
namespace dirs {

QString desktop()
{
    return KRuntimeConfig::pathValue(QStringLiteral("paths/desktop"),
                                     QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
}

QString getPathFlattening(const QString& path)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(path));
}

bool inBlackDownloadDir(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar::Null))
        return true;
    // "a/../../b" stays inside nothing once cleaned; any ".." step is refused before cleaning
    // can hide where it leads.
    const QStringList steps = QDir::fromNativeSeparators(path).split(QLatin1Char('/'));
    if (steps.contains(QStringLiteral("..")))
        return true;

    const QString absolute = getPathFlattening(QDir::current().absoluteFilePath(path));
    if (absolute == QLatin1String("/"))
        return true;
    const QString top = absolute.section(QLatin1Char('/'), 1, 1);
    static const QStringList systemFolders{QStringLiteral("etc"),  QStringLiteral("usr"),  QStringLiteral("bin"),
                                           QStringLiteral("sbin"), QStringLiteral("boot"), QStringLiteral("proc"),
                                           QStringLiteral("sys"),  QStringLiteral("dev"),  QStringLiteral("var")};
    return systemFolders.contains(top) || top.startsWith(QLatin1String("lib"));
}

} // namespace dirs
} // namespace krt
