#ifndef KZEMBA_VDLLITE_KXJSAPIUTILHANDLER_H
#define KZEMBA_VDLLITE_KXJSAPIUTILHANDLER_H

#include "kxwebviewjsapihandler.h"

#include <download/kdownloadtypes.h>

#include <QString>
#include <QVariantMap>

#include <functional>

/// The framework's utility name space for pages: open a URL (in the user's
/// browser, or in the suite's own), test a path, ask whether a method is
/// supported or a privilege switch is on, open a store page, download a file
/// and report task-center information. A URL opens only when the suite's URL
/// check (krt::ksafe::KProcess::checkUrl) passes, and a download never writes
/// into a system folder (krt::dirs::inBlackDownloadDir). Subclasses override
/// the page methods they handle differently.
class KZEMBAPLATFORM_EXPORT KxJSApiUtilHandler : public KxWebViewJSApiHandler
{
    Q_OBJECT
public:
    // What openZembaPage calls: the request, the error text to fill, the requesting widget.
    using ZembaPageOpener = std::function<bool(const QVariantMap& params, QString& errorText, QObject* parent)>;

    KxJSApiUtilHandler(QObject* parent, KxWebViewAsynJSObject* jsObject);
    ~KxJSApiUtilHandler() override;

    // The suite's store-page opener; until one is installed openZembaPage answers an error.
    static void setZembaPageOpener(const ZembaPageOpener& opener);

    // Sets "callstatus" "error" and "errormsg" `message` on the call's answer.
    static void setError(KxWebViewJSContext& context, const QString& message);
    static void setOk(KxWebViewJSContext& context);

public slots:
    // "url": opens it in the user's browser.
    virtual void openUrl(KxWebViewJSContext& context);
    // "url": opens it in the suite's own browser, which on this platform is the user's.
    virtual void innerOpenUrl(KxWebViewJSContext& context);
    // "path": "bexist" 1 when something exists there, else 0.
    virtual void isFileExist(KxWebViewJSContext& context);
    // "method": "result" {"support": whether this name space has that page method}.
    virtual void support(KxWebViewJSContext& context);
    // "name": "result" {"name", "enabled"} from the configuration value "privilege/<name>".
    virtual void getPrivilegeSwitch(KxWebViewJSContext& context);
    // The arguments are the request of the suite's store-page opener.
    virtual void openZembaPage(KxWebViewJSContext& context);
    // "url", "path" (a file, or a folder that takes the URL's file name) and "callback":
    // answers "ok" when the download starts; the callback then gets {"status":
    // "progress", "progress": percent} while it runs and one final answer, {"status":
    // "finished", "path": final path} or an error.
    virtual void download(KxWebViewJSContext& context);
    // Every argument becomes a text field of the data-collection event "taskcenter_info".
    virtual void reportTaskCenterInfo(KxWebViewJSContext& context);

private:
    void openCheckedUrl(KxWebViewJSContext& context);
    void answerDownload(const QString& callback, const QVariantMap& answer);
};

#endif
