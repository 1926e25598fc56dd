#ifndef KZEMBA_OPEN_KZEMBAJSLITEUTILHANDLER_H
#define KZEMBA_OPEN_KZEMBAJSLITEUTILHANDLER_H

#include "kzembajsapilite_export.h"

#include "util/kzembajsutilhandler.h"

/// The lite JS API's "zemba.util" handler: it opens a page of a shell plug-in
/// once the base plug-in's network service has prepared the plug-in, and tells
/// the page how that goes ("pluginloadProgress", then "pluginloadComplete" or
/// "pluginloadFailed", each with the plug-in's "name"). A requesting shell page
/// marked "closeAfterOpen" lets its tab go once the new page is there. Nothing
/// reaches the page after the handler or its JS API object is gone.
class KZEMBAJSAPILITE_EXPORT KZembaJsLiteUtilHandler : public KZembaJsUtilHandler
{
    Q_OBJECT
public:
    KZembaJsLiteUtilHandler(QObject* parent, KxWebViewAsynJSObject* jsObject);
    ~KZembaJsLiteUtilHandler() override;

protected:
    void doOpenVantaPluginPage(const QString& pluginName, const QString& pageType, const QString& query,
                               bool moveToNext) override;
};

#endif
