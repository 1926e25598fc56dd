#include "kzembalibrary.h"

#include <krt/krt.h>

#include <QDir>

namespace kzemba {

QString libraryModuleName()
{
    // Any address inside this library names it.
    static const char anchor = 0;
    static const QString name = krt::dirs::getModuleName(&anchor);
    return name;
}

QString localStoreDatabasePath(const QString& folder)
{
    const QString dir = krt::dirs::officeData(false) + QDir::separator()
        + (folder.isEmpty() ? QStringLiteral("KZembaCommon") : folder);
    QDir().mkpath(dir);
    return dir + QDir::separator() + QStringLiteral("localstorage.db");
}

} // namespace kzemba
