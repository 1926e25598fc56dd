#include "kzembathemestylehelper.h"

#include <krt/kruntimeconfig.h>
#include <vdllite/jsonhelper.h>

#include <QFile>
#include <QSettings>

namespace {
constexpr qint64 kMaxSkinFileBytes = 1024 * 1024;
}

KZembaThemeStyleHelper::KZembaThemeStyleHelper(QObject* parent)
    : QObject(parent)
{
}

void KZembaThemeStyleHelper::registerModule(const QString& moduleName, const QString& skinConfigPath)
{
    if (moduleName.isEmpty())
        return;
    m_modules.insert(moduleName, skinConfigPath);
    m_moduleColors.remove(moduleName);
    QFile file(skinConfigPath);
    if (skinConfigPath.isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    const QJsonObject config = JsonHelper::convertStringToQJson(QString::fromUtf8(file.read(kMaxSkinFileBytes)));
    m_moduleColors.insert(moduleName, config.value(QStringLiteral("colors")).toObject().toVariantMap());
}

QString KZembaThemeStyleHelper::skinName() const
{
    return krt::KRuntimeConfig::value(QStringLiteral("skin/name"), QStringLiteral("default")).toString();
}

QVariantMap KZembaThemeStyleHelper::skinColors() const
{
    QVariantMap colors;
    QSettings settings(krt::KRuntimeConfig::configFilePath(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("skin/colors"));
    const QStringList keys = settings.childKeys();
    for (const QString& key : keys)
        colors.insert(key, settings.value(key).toString());
    for (auto module = m_moduleColors.constBegin(); module != m_moduleColors.constEnd(); ++module) {
        for (auto it = module->constBegin(); it != module->constEnd(); ++it)
            colors.insert(module.key() + QLatin1Char('.') + it.key(), it.value());
    }
    return colors;
}
