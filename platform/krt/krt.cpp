#include "krt.h"

#include "kpluginconfig.h"
#include "kruntimeconfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

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

namespace i18n {

QString shippedPluginsRoot()
{
    return KRuntimeConfig::pathValue(QStringLiteral("paths/shippedPlugins"), QStringLiteral(KZEMBA_SHIPPED_PLUGINS_DIR));
}

static QStringList uiLanguages(const QString& fallbackLanguage)
{
    QStringList languages;
    const QString configured = KRuntimeConfig::value(QStringLiteral("i18n/locale")).toString();
    const QString name = configured.isEmpty() ? QLocale().name() : configured;
    for (const QString& language : {name, fallbackLanguage, QStringLiteral("en_US")}) {
        if (!language.isEmpty() && !languages.contains(language))
            languages.append(language);
    }
    return languages;
}

QStringList getLocalizedFiles(const QString& relativePath, const QString& muiDir, const QString& fallbackLanguage)
{
    QStringList folders{QDir::cleanPath(muiDir)};
    // A plug-in below the suite's plug-in root or in the library's own plug-in folder (where
    // the default runtime finds it) falls back to the shipped resources.
    for (const QString& pluginRoot : {kpluginconfig::pluginsRoot(), kpluginconfig::shippedPluginsRoot()}) {
        const QString root = QDir::cleanPath(pluginRoot);
        if (!pluginRoot.isEmpty() && folders.first().startsWith(root + QLatin1Char('/'))) {
            folders.append(QDir::cleanPath(shippedPluginsRoot()) + folders.first().mid(root.length()));
            break;
        }
    }

    QStringList files;
    for (const QString& folder : folders) {
        for (const QString& language : uiLanguages(fallbackLanguage)) {
            const QString path = folder + QLatin1Char('/') + language + QLatin1Char('/') + relativePath;
            if (QFileInfo(path).isFile() && !files.contains(path))
                files.append(path);
        }
        // The plug-in's own copies come before the shipped ones.
        if (!files.isEmpty())
            break;
    }
    return files;
}

} // namespace i18n

namespace config {

QVariant value(const QString& key, const QVariant& defaultValue)
{
    return KRuntimeConfig::value(QStringLiteral("config/") + key, defaultValue);
}

} // namespace config

} // namespace krt
