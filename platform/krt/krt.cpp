#include "krt.h"

#include "kruntimeconfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

namespace krt {

QString appName()
{
    const QString configured = KRuntimeConfig::value(QStringLiteral("app/name")).toString();
    if (!configured.isEmpty())
        return configured;
    return QCoreApplication::applicationName();
}

QString getLibFileName(const QString& name)
{
    return QStringLiteral("lib") + name + QStringLiteral(".so");
}

namespace dirs {

QString officeData(bool)
{
    const QString path = KRuntimeConfig::pathValue(QStringLiteral("paths/data"),
                                                   KRuntimeConfig::runtimeDir() + QStringLiteral("/data"));
    QDir().mkpath(path);
    return path;
}

QString officeHome()
{
    return KRuntimeConfig::pathValue(QStringLiteral("paths/home"), KRuntimeConfig::runtimeDir() + QStringLiteral("/office"));
}

QString frameworks()
{
    return KRuntimeConfig::pathValue(QStringLiteral("paths/frameworks"), officeHome() + QStringLiteral("/frameworks"));
}

QString getModuleName(const void* address)
{
    Dl_info info;
    if (!address || dladdr(address, &info) == 0 || !info.dli_fname)
        return QString();
    QString name = QFileInfo(QString::fromLocal8Bit(info.dli_fname)).fileName();
    const int so = name.indexOf(QStringLiteral(".so"));
    if (so > 0)
        name.truncate(so);
    if (name.startsWith(QStringLiteral("lib")) && name.length() > 3)
        name.remove(0, 3);
    return name;
}

} // namespace dirs

namespace product {

bool isHttpsSecurityBypass()
{
    return KRuntimeConfig::value(QStringLiteral("product/httpsSecurityBypass"), false).toBool();
}

bool isVantaShelllessMode(bool defaultValue)
{
    return KRuntimeConfig::value(QStringLiteral("product/vantaShelllessMode"), defaultValue).toBool();
}

} // namespace product

namespace config {

QVariant value(const QString& key, const QVariant& defaultValue)
{
    return KRuntimeConfig::value(QStringLiteral("config/") + key, defaultValue);
}

} // namespace config

} // namespace krt
