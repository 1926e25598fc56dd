#ifndef KZEMBA_PLUGINS_IKZEMBANETWORK_H
#define KZEMBA_PLUGINS_IKZEMBANETWORK_H

#include "kzembapluginexport.h"
#include "kzembanetworktypes.h"

#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <functional>

/// The network service of the base plug-in "kzembabase" (entry GetZembaNetWork):
/// requests and event streams on the store's behalf, and the preparation of
/// shell plug-ins that store pages open.
class KZEMBA_PLUGIN_INTERFACE IKZembaNetWork
{
public:
    using PluginReadyHandler = std::function<void(bool ready)>;
    using PluginProgressHandler = std::function<void(double fraction)>;

    virtual ~IKZembaNetWork() = default;

    // Makes the shell plug-in `name` ready to show its pages, installing it when
    // needed. `onProgress` gets the fraction done (0 to 1) while it works; `onReady`
    // gets the outcome once, on the GUI thread. Callers must not count on it coming
    // after the call has returned.
    virtual void preparePlugin(const QString& name, const PluginReadyHandler& onReady,
                               const PluginProgressHandler& onProgress) = 0;

    // A GET of `url` with `headers`; exactly one of the handlers is called, on the GUI thread.
    // The flags are the service's own.
    virtual void request(const QUrl& url, const QVariantMap& headers, int flag,
                         const kzembanetwork::SuccessHandler& onSuccess, const kzembanetwork::FailHandler& onFail,
                         int timeoutMs, int flag2, int flag3) = 0;
    // Opens an event stream: a POST of `url` with the options "data" (body), "header" (headers;
    // "Cookie" may be a map of cookies) and "bRawData". Returns the session id, empty when the
    // stream could not be opened. The handlers may be empty; the kind and flags are the
    // service's own.
    virtual QString openStream(const QUrl& url, const QVariantMap& options, int requestKind,
                               const kzembanetwork::SuccessHandler& onFinished,
                               const kzembanetwork::ProgressHandler& onProgress,
                               const kzembanetwork::FailHandler& onFail, int flag, int timeoutMs, int flag2,
                               bool flag3) = 0;
    // Registers the handler that receives the session's deliveries, each as a map.
    virtual void readStream(const QString& sessionId, const kzembanetwork::StreamHandler& handler) = 0;
    virtual void closeStream(const QString& sessionId) = 0;
};

using GetZembaNetWorkFn = IKZembaNetWork* (*)();

#endif
