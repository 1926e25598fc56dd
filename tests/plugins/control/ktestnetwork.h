#ifndef KZEMBA_TESTS_KTESTNETWORK_H
#define KZEMBA_TESTS_KTESTNETWORK_H

#include "kzembatestplugins_export.h"

#include "interfaces/ikzembanetwork.h"

#include <QList>
#include <QStringList>

class KTestNetworkTransfers;
class KTestPluginControl;

/// The test plug-in's IKZembaNetWork service. Requests and event streams are
/// real (KTestNetworkTransfers) and recorded as "network.request",
/// "network.openStream", "network.readStream" and "network.closeStream". Plug-in preparations are
/// recorded as "network.preparePlugin" (name) and kept pending until the test
/// reports progress on them or completes them. With the option
/// "network/prepareReady" set, the service completes each preparation by
/// itself on the next pass of the event loop, after reporting the fractions
/// listed in "network/prepareProgress".
class KZEMBATESTPLUGINS_EXPORT KTestNetWork : public IKZembaNetWork
{
public:
    explicit KTestNetWork(KTestPluginControl* control);
    ~KTestNetWork() override;

    void preparePlugin(const QString& name, const PluginReadyHandler& onReady,
                       const PluginProgressHandler& onProgress) override;
    void request(const QUrl& url, const QVariantMap& headers, int flag, const kzembanetwork::SuccessHandler& onSuccess,
                 const kzembanetwork::FailHandler& onFail, int timeoutMs, int flag2, int flag3) override;
    QString openStream(const QUrl& url, const QVariantMap& options, int requestKind,
                       const kzembanetwork::SuccessHandler& onFinished, const kzembanetwork::ProgressHandler& onProgress,
                       const kzembanetwork::FailHandler& onFail, int flag, int timeoutMs, int flag2,
                       bool flag3) override;
    void readStream(const QString& sessionId, const kzembanetwork::StreamHandler& handler) override;
    void closeStream(const QString& sessionId) override;

    KTestNetworkTransfers* transfers() const { return m_transfers; }

    // Names of the preparations still pending, oldest first.
    QStringList pendingPreparations() const;
    void reportPreparationProgress(const QString& name, double fraction);
    // Completes every pending preparation of `name`; false when there was none.
    bool completePreparation(const QString& name, bool ready);
    void clearPreparations() { m_pending.clear(); }

private:
    struct Preparation
    {
        QString name;
        PluginReadyHandler onReady;
        PluginProgressHandler onProgress;
    };

    KTestPluginControl* m_control;
    KTestNetworkTransfers* m_transfers;
    QList<Preparation> m_pending;
};

#endif
