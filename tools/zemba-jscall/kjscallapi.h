#ifndef KZEMBA_TOOLS_KJSCALLAPI_H
#define KZEMBA_TOOLS_KJSCALLAPI_H

#include "jsapi/kzembacommonjsapi.h"

/// The command-line host's own concrete JS API object, as every suite host has
/// one: the page lives in the host widget, and the host offers no skin, font
/// or payment services of its own.
class KJsCallApi : public KZembaCommonJsApi
{
    Q_OBJECT
public:
    KJsCallApi(KxWebViewContainer* container, QWidget* host);

    QWidget* widgetParent() override;

protected:
    void initZembaResourceHandler() override;

public slots:
    void getSkinColorConfig(KxWebViewJSContext& context) override;
    void getSkinHintConfig(KxWebViewJSContext& context) override;
    void openZembaUnifyPayDlg(KxWebViewJSContext& context) override;
    void checkFontsExist(KxWebViewJSContext& context) override;

private:
    void answerNotSupported(KxWebViewJSContext& context);
};

#endif
