#ifndef KZEMBA_PLUGINS_IKZEMBARESNETWORK_H
#define KZEMBA_PLUGINS_IKZEMBARESNETWORK_H

#include "kzembapluginexport.h"
#include "kzembaresdownloadtypes.h"

#include <QString>

/// The resource-network service of the plug-in "kzembaresnetwork" (entry
/// GetIKZembaResNetwork): it downloads the record's "urls" and reports through
/// the three handlers.
class KZEMBA_PLUGIN_INTERFACE IKZembaResNetwork
{
public:
    virtual ~IKZembaResNetwork() = default;

    virtual QString serviceName() const = 0;
    virtual bool isDownloading(const QString& id) const = 0;
    // Starts a download and returns its id.
    virtual QString startDownload(const kzembaresnetwork::ResDownloadParam& param,
                                  const kzembaresnetwork::SuccessHandler& onSuccess,
                                  const kzembaresnetwork::ProgressHandler& onProgress,
                                  const kzembaresnetwork::FailHandler& onFail) = 0;
};

using GetIKZembaResNetworkFn = IKZembaResNetwork* (*)();

#endif
