#include "kpluginmanager.h"

#include "kplugin.h"
#include "kruntimeconfig.h"

KPluginManager::KPluginManager() = default;

KPluginManager::~KPluginManager() = default;

KPluginManager* KPluginManager::getInstance()
{
    static KPluginManager manager;
    if (!krt::KRuntimeConfig::value(QStringLiteral("pluginManager/enabled"), true).toBool())
        return nullptr;
    return &manager;
}

QStringList KPluginManager::knownPlugins() const
{
    return krt::KRuntimeConfig::value(QStringLiteral("pluginManager/plugins")).toStringList();
}

KPlugin* KPluginManager::getPlugin(const QString& name)
{
    if (name.isEmpty() || !knownPlugins().contains(name))
        return nullptr;
    KPlugin*& plugin = m_plugins[name];
    if (!plugin)
        plugin = new KPlugin(name, this);
    return plugin;
}
