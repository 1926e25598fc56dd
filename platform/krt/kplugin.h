#ifndef KZEMBA_KRT_KPLUGIN_H
#define KZEMBA_KRT_KPLUGIN_H

#include "kzembaplatform_export.h"

#include <QLibrary>
#include <QObject>
#include <QString>

/// What an installed plug-in says about itself, from "plugin.json" in its folder
/// ({"name", "version", "featureList"}; a feature list that is not a text is kept
/// as its compact JSON text).
struct KZEMBAPLATFORM_EXPORT KPluginAttribute
{
    QString name;
    QString version;
    QString featureList;
};

/// One plug-in that the suite's plug-in manager knows. Loading it loads its
/// library from the plug-in's folder and keeps it loaded; the plug-in records
/// how often it was asked to load, so that a host can see what happened.
class KZEMBAPLATFORM_EXPORT KPlugin : public QObject
{
    Q_OBJECT
public:
    explicit KPlugin(const QString& name, QObject* parent = nullptr);
    ~KPlugin() override;

    QString name() const { return m_name; }
    QString libraryPath() const;

    // The flags are the manager's load options; they are recorded, not interpreted.
    bool load(int flags, int mode);
    bool isLoaded() const;
    int loadRequests() const { return m_loadRequests; }
    QString errorString() const;
    // Fills `attribute` from the plug-in's installed description; false when there is none.
    bool getLocalAttr(KPluginAttribute& attribute) const;

private:
    QString m_name;
    QLibrary m_library;
    int m_loadRequests = 0;
};

#endif
