#ifndef KZEMBA_OPEN_KZEMBAJSAPILITE_H
#define KZEMBA_OPEN_KZEMBAJSAPILITE_H

#include "kzembajsapilite_export.h"

#include "jsapi/kzembacommonjsapi.h"

#include <QMap>
#include <QString>

/// The JS API object that the suite's components create for store pages. It
/// completes the common JS API with its handler set ("common.zembaresource",
/// "zemba.util", "common.util"), skin colours through the framework's skin
/// handler, installed fonts, the unified payment dialog, and the opening of
/// store pages and the resource shop. It also hands messages from a page to the
/// store panel of the document components (text document, spreadsheet,
/// presentation) in every main window of the shell.
class KZEMBAJSAPILITE_EXPORT KZembaJsApiLite : public KZembaCommonJsApi
{
    Q_OBJECT
public:
    KZembaJsApiLite(KxWebViewContainer* container, QWidget* host);
    ~KZembaJsApiLite() override;

    // The shell main window this object lives in, or null.
    QWidget* widgetParent() override;

    // The component names "notifyComponentMsg" accepts, with the document widget type each selects.
    static QMap<QString, int> componentWidgetTypes();

protected:
    void initZembaResourceHandler() override;

public slots:
    void checkFontsExist(KxWebViewJSContext& context) override;
    void getSkinColorConfig(KxWebViewJSContext& context) override;
    // Answers with the skin handler's colours, as the suite's pages expect.
    void getSkinHintConfig(KxWebViewJSContext& context) override;
    void getZembaResourceShopInfo(KxWebViewJSContext& context);
    void openZembaResourceShop(KxWebViewJSContext& context);
    void openZembaPage(KxWebViewJSContext& context);
    void getZembaPageEnabled(KxWebViewJSContext& context);
    void openZembaUnifyPayDlg(KxWebViewJSContext& context) override;
    void notifyComponentMsg(KxWebViewJSContext& context);
};

#endif
