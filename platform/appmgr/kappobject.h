#ifndef KZEMBA_APPMGR_KAPPOBJECT_H
#define KZEMBA_APPMGR_KAPPOBJECT_H

#include "kzembaplatform_export.h"

#include <QObject>
#include <QString>
#include <QVariant>

/// One store app that the app manager knows, by its app id. What the suite
/// knows about the app comes from the runtime configuration's group
/// "appMgr/app/<app id>": "available" (default true) and the app's properties,
/// where a sub-group is read as a map ("pluginDependParams/<name>=<value>").
class KZEMBAPLATFORM_EXPORT KAppObject : public QObject
{
    Q_OBJECT
public:
    explicit KAppObject(const QString& appId, QObject* parent = nullptr);
    ~KAppObject() override;

    QString appId() const { return m_appId; }

    // Whether the app can run here; an app that cannot is treated as missing.
    bool isAvailable() const;
    QVariant getProperty(const QString& name, const QVariant& defaultValue = QVariant()) const;
    QString getStringProperty(const QString& name, const QString& defaultValue = QString()) const;

private:
    QString m_appId;
};

#endif
