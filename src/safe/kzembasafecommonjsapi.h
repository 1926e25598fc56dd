#ifndef KZEMBA_SAFE_KZEMBASAFECOMMONJSAPI_H
#define KZEMBA_SAFE_KZEMBASAFECOMMONJSAPI_H

#include "kzembajsapilite_export.h"

#include <vdllite/kxcommonjsapi.h>

#include <QPointer>
#include <QWidget>

class KZembaJsApiLite;

/// The restricted JS API object for pages that are only partly trusted. A page
/// sees the framework's own methods, but the account methods, the delete
/// request and the framework's other windows are refused, and HTTP requests and
/// new windows go only to URLs that pass the suite's URL check. Its "common.*"
/// name spaces are the core-lite plug-in's restricted ("common.safe.*")
/// handlers. Pushed events travel through an inner full lite API object, owned
/// by this one. Subclasses supply that inner object and the "common.util"
/// name space.
class KZEMBAJSAPILITE_EXPORT KZembaSafeCommonJSAPI : public vdllite::KxCommonJsApi
{
    Q_OBJECT
public:
    KZembaSafeCommonJSAPI(KxWebViewContainer* container, QWidget* host);
    ~KZembaSafeCommonJSAPI() override;

    void initHandlers() override;
    // No parent widget and no new URL widgets for a restricted page.
    QWidget* widgetParent() override;
    QWidget* createNewUrlWidget(QWidget* parent, int width, int height, bool modal, bool resizable) override;

    // The inner API that carries pushed events to the page; null before the page registers.
    KZembaJsApiLite* innerApi() const { return m_innerApi.data(); }

signals:
    void webPageInitialed();

protected:
    QWidget* hostWidget() const { return m_hostWidget.data(); }
    // Replaces the inner API; the previous one is destroyed, so it pushes nothing more.
    void setInnerApi(KZembaJsApiLite* api);

public slots:
    // Makes a new inner API object (setInnerApi); called on every push-handler registration.
    virtual void initBaseUtil() = 0;
    // Registers the "common.util" name space.
    virtual void initCommonUtil() = 0;
    virtual void navigateOnNewWidget(KxWebViewJSContext& context);

    void checkNetworkUrl(KxWebViewJSContext& context);
    void checkUserLogin(KxWebViewJSContext& context);
    void getUserInfoCookie(KxWebViewJSContext& context);
    void getUserLoginInfo(KxWebViewJSContext& context);
    void httpGet(KxWebViewJSContext& context);
    void httpPost(KxWebViewJSContext& context);
    void httpDelete(KxWebViewJSContext& context);
    void drovOpenVipAutoLoginUrl(KxWebViewJSContext& context);
    void openZembaUnifyPayDlg(KxWebViewJSContext& context);
    void navigateOnNewCefWidget(KxWebViewJSContext& context);
    void registPushUIEventHandler(KxWebViewJSContext& context);
    void webLoadFinish(KxWebViewJSContext& context);

private:
    // Whether the call's "url" is non-empty and passes the suite's URL check.
    bool isUrlAllowed(KxWebViewJSContext& context) const;

    QPointer<QWidget> m_hostWidget;
    QPointer<KZembaJsApiLite> m_innerApi;
};

#endif
