#ifndef KZEMBA_KRT_KPLUGIN_H
#define KZEMBA_KRT_KPLUGIN_H

#include "kzembaplatform_export.h"

#include <QLibrary>
#include <QObject>
#include <QString>

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

private:
    QString m_name;
    QLibrary m_library;
    int m_loadRequests = 0;
};

#endif
