#ifndef KZEMBA_TESTS_KTESTUSERINFO_H
#define KZEMBA_TESTS_KTESTUSERINFO_H

#include "kzembatestplugins_export.h"

#include "interfaces/ikzembauserinfo.h"

#include <QList>
#include <QMap>

class KTestPluginControl;

/// The test plug-in's IKZembaUserInfo service. It records every call
/// ("userinfo.isRegistered", "userinfo.register", "userinfo.queryAllInfo",
/// "userinfo.removeListener", "userinfo.queryAccountState"), remembers the
/// modules registered since the last reset, and keeps queries open until the
/// test completes them, so that a test decides when and how the service answers.
class KZEMBATESTPLUGINS_EXPORT KTestUserInfo : public IKZembaUserInfo
{
public:
    explicit KTestUserInfo(KTestPluginControl* control);
    ~KTestUserInfo() override;

    void reset();

    bool isRegistered(const QString& moduleName, KZembaUserInfoRegistration& registration) override;
    void registerModule(const KZembaUserInfoRegistration& registration) override;
    void queryAllInfo(const QString& moduleName, IKUserInfoEvent* listener) override;
    void removeListener(IKUserInfoEvent* listener) override;
    void queryAccountState(const QString& moduleName, const KZembaUserInfoQueryHandler& done,
                           bool forceUpdate) override;

    int pendingAccountStateQueries() const { return m_pendingQueries.size(); }
    // Answers every open account-state query with `result`, oldest first.
    void completeAccountStateQueries(const KZembaUserInfoQueryResult& result);
    // Hands `info` to every listener that is still registered.
    void notifyAllInfo(const QVariantMap& info);
    int listenerCount() const { return m_listeners.size(); }

private:
    KTestPluginControl* m_control;
    QMap<QString, KZembaUserInfoRegistration> m_registered;
    QList<IKUserInfoEvent*> m_listeners;
    QList<KZembaUserInfoQueryHandler> m_pendingQueries;
};

#endif
