#ifndef KZEMBA_APPMGR_KAPPMGR_H
#define KZEMBA_APPMGR_KAPPMGR_H

#include "kzembaplatform_export.h"

#include <QMap>
#include <QObject>
#include <QStringList>

class KAppObject;
class KAppRunner;

/// The suite's store app registry. It knows the apps that the runtime
/// configuration lists ("appMgr/apps") and hands out one KAppObject per app
/// id. When the configuration turns it off ("appMgr/enabled" false) there is
/// no manager at all. It keeps every app id it was asked for.
class KZEMBAPLATFORM_EXPORT KAppMgr : public QObject
{
    Q_OBJECT
public:
    static KAppMgr* getInstance();

    QStringList knownApps() const;
    // The app `appId`, or null when the registry does not know it.
    KAppObject* getApp(const QString& appId);

    // The runner that starts apps, or null when the configuration turns it off
    // ("appMgr/runnerEnabled" false).
    KAppRunner* getAppRunner();

    QStringList requestedApps() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }

private:
    KAppMgr();
    ~KAppMgr() override;

    QMap<QString, KAppObject*> m_apps;
    QStringList m_requests;
    KAppRunner* m_runner;
};

#endif
