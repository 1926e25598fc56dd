#include "kzembasafecommonjsapi.h"

#include "open/kzembajsapilite.h"
#include "resource/kzembapluginloader.h"

#include "interfaces/ikzembacorelite.h"

#include <krt/kprocess.h>
#include <vdllite/kxjsapiutilhandler.h>
#include <vdllite/kxwebviewjscontext.h>

namespace {

void refuse(KxWebViewJSContext& context, const char* message)
{
    KxJSApiUtilHandler::setError(context, QString::fromLatin1(message));
}

const char* const kEmptyInterface = "empty interface";
const char* const kIllegalUrlMessage = "parameter of 'url' is empty or is not legal";

// Registered name and the restricted handler the core-lite plug-in makes for it.
const char* const kSafeHandlers[][2] = {
    {"common.payment", "common.safe.payment"},     {"common.report", "common.safe.report"},
    {"common.account", "common.safe.account"},     {"common.event", "common.safe.event"},
    {"common.skin", "common.safe.skin"},           {"common.qoxoffice", "common.safe.qoxoffice"},
    {"common.profile", "common.safe.profile"},     {"common.network", "common.safe.network"},
};

} // namespace

KZembaSafeCommonJSAPI::KZembaSafeCommonJSAPI(KxWebViewContainer* container, QWidget* host)
    : vdllite::KxCommonJsApi(container)
    , m_hostWidget(host)
{
    m_nRestrict = 1;
}

KZembaSafeCommonJSAPI::~KZembaSafeCommonJSAPI() = default;

void KZembaSafeCommonJSAPI::initHandlers()
{
    if (isHandlersValid())
        return;
    initCommonUtil();
    if (IKZembaCoreLite* coreLite = kzemba::KZembaPluginLoader::getCoreLite()) {
        for (const auto& names : kSafeHandlers) {
            setHandler(QLatin1String(names[0]),
                       coreLite->createJsApiHandler(QLatin1String(names[1]), this, this));
        }
    }
    // The framework only adds its own name spaces where nothing is registered yet.
    vdllite::KxCommonJsApi::initHandlers();
}

QWidget* KZembaSafeCommonJSAPI::widgetParent()
{
    return nullptr;
}

QWidget* KZembaSafeCommonJSAPI::createNewUrlWidget(QWidget*, int, int, bool, bool)
{
    return nullptr;
}

void KZembaSafeCommonJSAPI::setInnerApi(KZembaJsApiLite* api)
{
    // The previous inner object still holds the page's old push handler and its own event
    // sources; left alive it would go on pushing to the page. Page calls reach this object,
    // never the inner one, so it is not on the call stack here.
    delete m_innerApi.data();
    if (api)
        api->setParent(this);
    m_innerApi = api;
}

bool KZembaSafeCommonJSAPI::isUrlAllowed(KxWebViewJSContext& context) const
{
    const QString url = parseContextArgs(context, true).value(QStringLiteral("url")).toString();
    return !url.isEmpty() && krt::ksafe::KProcess::checkUrl(url);
}

void KZembaSafeCommonJSAPI::navigateOnNewWidget(KxWebViewJSContext& context)
{
    if (isUrlAllowed(context))
        vdllite::KxCommonJsApi::navigateOnNewWidget(context);
}

void KZembaSafeCommonJSAPI::checkNetworkUrl(KxWebViewJSContext& context)
{
    refuse(context, kEmptyInterface);
}

void KZembaSafeCommonJSAPI::checkUserLogin(KxWebViewJSContext& context)
{
    if (m_nRestrict)
        refuse(context, kEmptyInterface);
    else
        vdllite::KxCommonJsApi::checkUserLogin(context);
}

void KZembaSafeCommonJSAPI::getUserInfoCookie(KxWebViewJSContext& context)
{
    if (m_nRestrict)
        refuse(context, kEmptyInterface);
    else
        vdllite::KxCommonJsApi::getUserInfoCookie(context);
}

void KZembaSafeCommonJSAPI::getUserLoginInfo(KxWebViewJSContext& context)
{
    if (m_nRestrict)
        refuse(context, kEmptyInterface);
    else
        vdllite::KxCommonJsApi::getUserLoginInfo(context);
}

void KZembaSafeCommonJSAPI::httpGet(KxWebViewJSContext& context)
{
    if (isUrlAllowed(context))
        vdllite::KxCommonJsApi::httpGet(context);
    else
        refuse(context, kIllegalUrlMessage);
}

void KZembaSafeCommonJSAPI::httpPost(KxWebViewJSContext& context)
{
    if (isUrlAllowed(context))
        vdllite::KxCommonJsApi::httpPost(context);
    else
        refuse(context, kIllegalUrlMessage);
}

void KZembaSafeCommonJSAPI::httpDelete(KxWebViewJSContext& context)
{
    refuse(context, kEmptyInterface);
}

void KZembaSafeCommonJSAPI::drovOpenVipAutoLoginUrl(KxWebViewJSContext& context)
{
    refuse(context, kEmptyInterface);
}

void KZembaSafeCommonJSAPI::openZembaUnifyPayDlg(KxWebViewJSContext& context)
{
    if (isUrlAllowed(context))
        vdllite::KxCommonJsApi::openZembaUnifyPayDlg(context);
}

void KZembaSafeCommonJSAPI::navigateOnNewCefWidget(KxWebViewJSContext& context)
{
    refuse(context, kEmptyInterface);
}

void KZembaSafeCommonJSAPI::registPushUIEventHandler(KxWebViewJSContext& context)
{
    initBaseUtil();
    if (KZembaJsApiLite* api = m_innerApi.data())
        api->registPushUIEventHandler(context);
}

void KZembaSafeCommonJSAPI::webLoadFinish(KxWebViewJSContext&)
{
    emit webPageInitialed();
}
