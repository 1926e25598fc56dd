#ifndef KZEMBA_KRT_KPLUGINMANAGER_H
#define KZEMBA_KRT_KPLUGINMANAGER_H

#include "kzembaplatform_export.h"

#include <QMap>
#include <QObject>
#include <QStringList>

class KPlugin;

/// The suite's plug-in manager. It knows the plug-ins that the runtime
/// configuration lists ("pluginManager/plugins") and hands out one KPlugin per
/// name. When the configuration turns it off ("pluginManager/enabled" false)
/// there is no manager at all.
class KZEMBAPLATFORM_EXPORT KPluginManager : public QObject
{
    Q_OBJECT
public:
    static KPluginManager* getInstance();

    QStringList knownPlugins() const;
    // The plug-in `name`, or null when the manager does not know it.
    KPlugin* getPlugin(const QString& name);

private:
    KPluginManager();
    ~KPluginManager() override;

    QMap<QString, KPlugin*> m_plugins;
    // The configured list as last read, kept while the configuration stays as it was:
    // the loader asks on every use of a missing plug-in.
    mutable QStringList m_known;
    mutable quint64 m_knownGeneration = 0;
};

#endif
