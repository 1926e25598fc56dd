#ifndef KZEMBA_VDLLITE_KXJSAPISKINHANDLER_H
#define KZEMBA_VDLLITE_KXJSAPISKINHANDLER_H

#include "kxwebviewjsapihandler.h"

/// The framework's skin name space ("common.skin"): a page reads colours and
/// hints of the current theme by group and key, as the suite's widgets do
/// (KDrawHelper). Arguments: "group" (text) and "keys" (list of texts). The
/// answer's "result" maps each key to its value: a colour as "#rrggbb" (with
/// alpha, "#aarrggbb") or "" when the theme has none; a hint as its value, or
/// null when the theme has none.
class KZEMBAPLATFORM_EXPORT KxJSApiSkinHandler : public KxWebViewJSApiHandler
{
    Q_OBJECT
public:
    KxJSApiSkinHandler(QObject* parent, KxWebViewAsynJSObject* jsObject);
    ~KxJSApiSkinHandler() override;

public slots:
    virtual void getSkinColorConfig(KxWebViewJSContext& context);
    virtual void getSkinHintConfig(KxWebViewJSContext& context);
};

#endif
