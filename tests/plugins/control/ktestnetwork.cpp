#include "ktestnetwork.h"

#include "ktestnetworktransfers.h"
#include "ktestplugincontrol.h"

#include <QTimer>

KTestNetWork::KTestNetWork(KTestPluginControl* control)
    : m_control(control)
    , m_transfers(new KTestNetworkTransfers(control, control))
{
}

KTestNetWork::~KTestNetWork() = default;

void KTestNetWork::preparePlugin(const QString& name, const PluginReadyHandler& onReady,
                                 const PluginProgressHandler& onProgress)
{
    m_control->record(QStringLiteral("network.preparePlugin"), {name});
    const QVariant scripted = m_control->option(QStringLiteral("network/prepareReady"));
    if (!scripted.isValid()) {
        m_pending.append({name, onReady, onProgress});
        return;
    }
    const bool ready = scripted.toBool();
    const QVariantList fractions = m_control->option(QStringLiteral("network/prepareProgress")).toList();
    // Like a real service, the outcome arrives after the call has returned.
    QTimer::singleShot(0, m_control, [onReady, onProgress, ready, fractions]() {
        for (const QVariant& fraction : fractions) {
            if (onProgress)
                onProgress(fraction.toDouble());
        }
        if (onReady)
            onReady(ready);
    });
}

QStringList KTestNetWork::pendingPreparations() const
{
    QStringList names;
    for (const Preparation& preparation : m_pending)
        names.append(preparation.name);
    return names;
}

void KTestNetWork::reportPreparationProgress(const QString& name, double fraction)
{
    // A copy: a handler may start another preparation.
    const QList<Preparation> pending = m_pending;
    for (const Preparation& preparation : pending) {
        if (preparation.name == name && preparation.onProgress)
            preparation.onProgress(fraction);
    }
}

bool KTestNetWork::completePreparation(const QString& name, bool ready)
{
    QList<Preparation> done;
    for (int i = m_pending.size() - 1; i >= 0; --i) {
        if (m_pending.at(i).name == name)
            done.prepend(m_pending.takeAt(i));
    }
    for (const Preparation& preparation : done) {
        if (preparation.onReady)
            preparation.onReady(ready);
    }
    return !done.isEmpty();
}

void KTestNetWork::request(const QUrl& url, const QVariantMap& headers, int flag,
                           const kzembanetwork::SuccessHandler& onSuccess, const kzembanetwork::FailHandler& onFail,
                           int timeoutMs, int flag2, int flag3)
{
    m_control->record(QStringLiteral("network.request"), {url, headers, flag, timeoutMs, flag2, flag3});
    m_transfers->request(url, headers, timeoutMs, onSuccess, onFail);
}

QString KTestNetWork::openStream(const QUrl& url, const QVariantMap& options, int requestKind,
                                 const kzembanetwork::SuccessHandler& onFinished,
                                 const kzembanetwork::ProgressHandler& onProgress,
                                 const kzembanetwork::FailHandler& onFail, int flag, int timeoutMs, int flag2,
                                 bool flag3)
{
    m_control->record(QStringLiteral("network.openStream"),
                      {url, options, requestKind, bool(onFinished), bool(onProgress), bool(onFail), flag, timeoutMs,
                       flag2, flag3});
    return m_transfers->openStream(url, options, timeoutMs);
}

void KTestNetWork::readStream(const QString& sessionId, const kzembanetwork::StreamHandler& handler)
{
    m_control->record(QStringLiteral("network.readStream"), {sessionId});
    m_transfers->readStream(sessionId, handler);
}

void KTestNetWork::closeStream(const QString& sessionId)
{
    m_control->record(QStringLiteral("network.closeStream"), {sessionId});
    m_transfers->closeStream(sessionId);
}
