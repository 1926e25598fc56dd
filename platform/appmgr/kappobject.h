#ifndef KZEMBA_APPMGR_KAPPOBJECT_H
#define KZEMBA_APPMGR_KAPPOBJECT_H

#include "kzembaplatform_export.h"

#include <QObject>
#include <QString>

/// One store app that the app manager knows, by its app id.
class KZEMBAPLATFORM_EXPORT KAppObject : public QObject
{
    Q_OBJECT
public:
    explicit KAppObject(const QString& appId, QObject* parent = nullptr);
    ~KAppObject() override;

    QString appId() const { return m_appId; }

private:
    QString m_appId;
};

#endif
