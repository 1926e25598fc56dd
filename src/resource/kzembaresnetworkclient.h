#ifndef KZEMBA_RESOURCE_KZEMBARESNETWORKCLIENT_H
#define KZEMBA_RESOURCE_KZEMBARESNETWORKCLIENT_H

#include "kzembajsapilite_export.h"

#include "interfaces/kzembaresdownloadtypes.h"

#include <QString>

class IKZembaResNetwork;

// The client of the resource-network plug-in: it hands resource downloads to the
// plug-in in the record's JSON form.
namespace kzemba {

// The resource-network service, or null when the plug-in is missing.
KZEMBAJSAPILITE_EXPORT IKZembaResNetwork* getResNetwork();

// Starts a download and returns the service's download id. Without the service the
// id is empty and `onFail` runs once on the next pass of the event loop with error
// code 5 and HTTP status 0.
KZEMBAJSAPILITE_EXPORT QString startResDownload(const kzembaresnetwork::ResDownloadParam& param,
                                                const kzembaresnetwork::SuccessHandler& onSuccess,
                                                const kzembaresnetwork::ProgressHandler& onProgress,
                                                const kzembaresnetwork::FailHandler& onFail);

// The record's JSON form: every group and key always written.
KZEMBAJSAPILITE_EXPORT QString resDownloadParamToJson(const kzembaresnetwork::ResDownloadParam& param);
// Reads the JSON form; missing keys (and text that is not a JSON object) give the defaults.
KZEMBAJSAPILITE_EXPORT kzembaresnetwork::ResDownloadParam resDownloadParamFromJson(const QString& json);

} // namespace kzemba

#endif
