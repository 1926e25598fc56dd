#include "kzembasafejsapilite.h"

#include "kzembasafejslitecommonutilhandler.h"

#include "open/kzembajsapilite.h"

#include <vanta/kvantaapplication.h>
#include <vanta/kvantamainwindow.h>

KZembaSafeJSAPILite::KZembaSafeJSAPILite(KxWebViewContainer* container, QWidget* host)
    : KZembaSafeCommonJSAPI(container, host)
{
}

KZembaSafeJSAPILite::~KZembaSafeJSAPILite() = default;

QWidget* KZembaSafeJSAPILite::widgetParent()
{
    return KVantaApplication::findRelativeVantaMainWindow(this);
}

void KZembaSafeJSAPILite::initBaseUtil()
{
    setInnerApi(new KZembaJsApiLite(container(), hostWidget()));
}

void KZembaSafeJSAPILite::initCommonUtil()
{
    setHandler(QStringLiteral("common.util"), new KZembaSafeJsLiteCommonUtilHandler(this, this));
}
