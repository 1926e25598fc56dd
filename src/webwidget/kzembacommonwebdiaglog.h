#ifndef KZEMBA_WEBWIDGET_KZEMBACOMMONWEBDIAGLOG_H
#define KZEMBA_WEBWIDGET_KZEMBACOMMONWEBDIAGLOG_H

#include "webwidget/kzembacommondragablewidget.h"

/// A frameless store dialog that deletes itself when closed and closes on Esc
/// while it is shown. Concrete dialogs give it the slots `onWebLoadFinished()`
/// (the page initialised or its script is ready) and `onHideCloseBtn()` (the
/// page hides the dialog's close button); without them those reports go nowhere.
class KZEMBAJSAPILITE_EXPORT KZembaCommonWebDiaglog : public KZembaCommonDragableWidget
{
    Q_OBJECT
public:
    // The flag is kept for callers that pass it; it changes nothing.
    KZembaCommonWebDiaglog(QWidget* parent, const QString& name, bool unused = false);
    ~KZembaCommonWebDiaglog() override;

protected:
    void initWebView() override;

protected slots:
    // A key on the page: `type` 0 is a key down, `key` 27 is Esc.
    virtual void onKeyBoardEvent(int type, int key, int modifiers);
};

#endif
