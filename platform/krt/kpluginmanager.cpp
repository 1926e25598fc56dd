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
    // Generations start at 1 once the file was read, so 0 never matches.
    const quint64 generation = krt::KRuntimeConfig::generation();
    if (generation != m_knownGeneration) {
        m_known = krt::KRuntimeConfig::value(QStringLiteral("pluginManager/plugins")).toStringList();
        m_knownGeneration = generation;
    }
    return m_known;
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
