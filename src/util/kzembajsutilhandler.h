#ifndef KZEMBA_UTIL_KZEMBAJSUTILHANDLER_H
#define KZEMBA_UTIL_KZEMBAJSUTILHANDLER_H

#include "kzembajsapilite_export.h"

#include <vdllite/kxwebviewjsapihandler.h>

#include <QString>

/// The store's own "zemba.util" name space: opening a page of a shell plug-in,
/// the feature list of a plug-in, and the user's desktop shortcuts (reading and
/// deleting them; creating one is left to the user, who gets the suite's hint).
/// How a plug-in page is opened is the concrete handler's business.
class KZEMBAJSAPILITE_EXPORT KZembaJsUtilHandler : public KxWebViewJSApiHandler
{
    Q_OBJECT
public:
    KZembaJsUtilHandler(QObject* parent, KxWebViewAsynJSObject* jsObject);
    ~KZembaJsUtilHandler() override;

public slots:
    void openVantaPluginPage(KxWebViewJSContext& context);
    virtual void creatDesktopShortCut(KxWebViewJSContext& context);
    virtual void resolveDesktopShortCut(KxWebViewJSContext& context);
    virtual void deleteDesktopShortCut(KxWebViewJSContext& context);
    void getPluginFeatureList(KxWebViewJSContext& context);

protected:
    // Opens page `pageType` of plug-in `pluginName` with the call's arguments as `query`.
    virtual void doOpenVantaPluginPage(const QString& pluginName, const QString& pageType, const QString& query,
                                       bool moveToNext) = 0;
};

#endif
