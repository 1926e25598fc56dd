#include "kzembacommonwebdiaglog.h"

#include <vdllite/kxcommonjsapi.h>
#include <vdllite/kxwebviewcontainer.h>

namespace {
const int kKeyDown = 0;
const int kKeyEscape = 27;
} // namespace

KZembaCommonWebDiaglog::KZembaCommonWebDiaglog(QWidget* parent, const QString& name, bool)
    : KZembaCommonDragableWidget(parent, name, 0)
{
    // The dialog shows the page itself, never a copy of it.
    setNeedClone(false);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
}

KZembaCommonWebDiaglog::~KZembaCommonWebDiaglog() = default;

void KZembaCommonWebDiaglog::initWebView()
{
    KZembaCommonDragableWidget::initWebView();
    connectIfPresent(jsApi(), SIGNAL(webPageInitialed()), this, SLOT(onWebLoadFinished()));
    connectIfPresent(jsApi(), SIGNAL(webScriptReady()), this, SLOT(onWebLoadFinished()));
    connectIfPresent(jsApi(), SIGNAL(hideCloseButton()), this, SLOT(onHideCloseBtn()));
    connectIfPresent(container(), SIGNAL(keyBoardEvent(int, int, int)), this, SLOT(onKeyBoardEvent(int, int, int)),
                     Qt::UniqueConnection);
}

void KZembaCommonWebDiaglog::onKeyBoardEvent(int type, int key, int)
{
    if (type == kKeyDown && key == kKeyEscape && isVisible())
        closeWindow();
}
