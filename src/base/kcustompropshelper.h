#ifndef KZEMBA_BASE_KCUSTOMPROPSHELPER_H
#define KZEMBA_BASE_KCUSTOMPROPSHELPER_H

#include "kzembajsapilite_export.h"

#include "base/kmodifycustompropserrorinfo.h"

#include <QHash>
#include <QString>

#include <functional>

namespace kzemba {

/// Makes, next to a document, a copy that carries a set of custom document
/// properties, without blocking the calling thread. The file work runs on a
/// worker thread of its own; the caller gets exactly one answer on its own
/// thread: the path of the finished copy, an error, or a time-out. Office Open
/// XML documents get the properties in "docProps/custom.xml", OpenDocument
/// files as user-defined metadata in "meta.xml"; other files are refused.
class KZEMBAJSAPILITE_EXPORT KCustomPropsHelper
{
public:
    class KModifyCustomPropsWorker;
    class KModifyCustomPropsHost;

    using SuccessCallback = std::function<void(const QString& sourcePath, const QString& targetPath)>;
    using ErrorCallback =
        std::function<void(const QString& sourcePath, const kzemba::KModifyCustomPropsErrorInfo& error)>;

    // Copies `filePath` to `<its folder>/<folderName>/<its name>` and writes `props` (name to
    // text) into the copy. An existing copy counts as done and is answered at once. The
    // callbacks run on the calling thread, which needs an event loop; an empty callback is
    // skipped. A negative `timeoutMs` sets no time limit.
    static void asyncModifyCustomProps(const QString& filePath, const QString& folderName,
                                       const QHash<QString, QString>& props, SuccessCallback onSuccess,
                                       ErrorCallback onError, int timeoutMs);
};

} // namespace kzemba

#endif
