#ifndef KZEMBA_SAFE_KZEMBASAFEJSLITECOMMONUTILHANDLER_H
#define KZEMBA_SAFE_KZEMBASAFEJSLITECOMMONUTILHANDLER_H

#include "kzembajsapilite_export.h"

#include <vdllite/kxwebviewjsapihandler.h>

class KZembaCommonUtilHandler;

/// The "common.util" name space of a restricted page: only ten util methods,
/// each handed to the store's own util handler, and downloads only from URLs
/// that pass the suite's URL check into folders that are not forbidden.
class KZEMBAJSAPILITE_EXPORT KZembaSafeJsLiteCommonUtilHandler : public KxWebViewJSApiHandler
{
    Q_OBJECT
public:
    KZembaSafeJsLiteCommonUtilHandler(QObject* parent, KxWebViewAsynJSObject* jsObject);
    ~KZembaSafeJsLiteCommonUtilHandler() override;

public slots:
    void canOpenApp(KxWebViewJSContext& context);
    void openApp(KxWebViewJSContext& context);
    void isFileExist(KxWebViewJSContext& context);
    void innerOpenUrl(KxWebViewJSContext& context);
    void openUrl(KxWebViewJSContext& context);
    void support(KxWebViewJSContext& context);
    void getPrivilegeSwitch(KxWebViewJSContext& context);
    void openZembaPage(KxWebViewJSContext& context);
    void download(KxWebViewJSContext& context);
    void reportTaskCenterInfo(KxWebViewJSContext& context);

private:
    KZembaCommonUtilHandler* const m_utilHandler;
};

#endif
