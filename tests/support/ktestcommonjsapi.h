#ifndef KZEMBA_TESTS_KTESTCOMMONJSAPI_H
#define KZEMBA_TESTS_KTESTCOMMONJSAPI_H

#include "jsapi/kzembacommonjsapi.h"

#include <QList>
#include <QPair>

/// The tests' concrete common JS API object: the page lives in the host widget,
/// it registers no resource handler of its own, and it records what the frame
/// asks of its subclass.
class KTestCommonJsApi : public KZembaCommonJsApi
{
    Q_OBJECT
public:
    KTestCommonJsApi(KxWebViewContainer* container, QWidget* host);

    QWidget* widgetParent() override;

    int resourceHandlerInits = 0;
    QList<QPair<int, QString>> publishedMessages;

protected:
    void initZembaResourceHandler() override;
    void publishMsg(zemba::FunctionError error, const QString& message) override;

public slots:
    void getSkinColorConfig(KxWebViewJSContext& context) override;
    void getSkinHintConfig(KxWebViewJSContext& context) override;
    void openZembaUnifyPayDlg(KxWebViewJSContext& context) override;
    void checkFontsExist(KxWebViewJSContext& context) override;
};

#endif
