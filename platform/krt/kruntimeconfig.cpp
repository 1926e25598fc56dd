#include "kruntimeconfig.h"

#include <QDir>
#include <QMutex>
#include <QMutexLocker>
#include <QSettings>

namespace krt {

namespace {
QMutex& overrideMutex()
{
    static QMutex mutex;
    return mutex;
}

QString& overrideDir()
{
    static QString dir;
    return dir;
}
} // namespace

const char* KRuntimeConfig::environmentVariable()
{
    return "KZEMBA_RUNTIME";
}

QString KRuntimeConfig::runtimeDir()
{
    {
        QMutexLocker lock(&overrideMutex());
        if (!overrideDir().isEmpty())
            return overrideDir();
    }
    const QString fromEnv = qEnvironmentVariable(environmentVariable());
    if (!fromEnv.isEmpty())
        return QDir(fromEnv).absolutePath();
    return QDir::homePath() + QStringLiteral("/.kzemba");
}

void KRuntimeConfig::setRuntimeDir(const QString& dir)
{
    QMutexLocker lock(&overrideMutex());
    overrideDir() = dir.isEmpty() ? QString() : QDir(dir).absolutePath();
}

QString KRuntimeConfig::configFilePath()
{
    return runtimeDir() + QStringLiteral("/runtime.ini");
}

QVariant KRuntimeConfig::value(const QString& key, const QVariant& defaultValue)
{
    const QSettings settings(configFilePath(), QSettings::IniFormat);
    return settings.value(key, defaultValue);
}

void KRuntimeConfig::setValue(const QString& key, const QVariant& value)
{
    QSettings settings(configFilePath(), QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
}

void KRuntimeConfig::remove(const QString& key)
{
    QSettings settings(configFilePath(), QSettings::IniFormat);
    settings.remove(key);
    settings.sync();
}

QString KRuntimeConfig::pathValue(const QString& key, const QString& defaultPath)
{
    const QString configured = value(key).toString();
    if (configured.isEmpty())
        return QDir::cleanPath(defaultPath);
    return QDir::cleanPath(QDir(runtimeDir()).absoluteFilePath(configured));
}

} // namespace krt
