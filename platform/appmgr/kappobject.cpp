#include "kappobject.h"

#include <krt/kruntimeconfig.h>

#include <QSettings>
#include <QVariantMap>

KAppObject::KAppObject(const QString& appId, QObject* parent)
    : QObject(parent)
    , m_appId(appId)
{
}

KAppObject::~KAppObject() = default;

bool KAppObject::isAvailable() const
{
    return getProperty(QStringLiteral("available"), true).toBool();
}

QVariant KAppObject::getProperty(const QString& name, const QVariant& defaultValue) const
{
    if (name.isEmpty())
        return defaultValue;
    QSettings settings(krt::KRuntimeConfig::configFilePath(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("appMgr/app/") + m_appId);
    if (settings.contains(name))
        return settings.value(name);
    if (!settings.childGroups().contains(name))
        return defaultValue;
    settings.beginGroup(name);
    QVariantMap map;
    for (const QString& key : settings.childKeys())
        map.insert(key, settings.value(key));
    return map;
}

QString KAppObject::getStringProperty(const QString& name, const QString& defaultValue) const
{
    return getProperty(name, defaultValue).toString();
}
