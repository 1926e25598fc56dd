#include "kzembacommonjsapi.h"

#include "network/kzembacommonhttpaccess.h"
#include "resource/kzembapluginloader.h"
#include "util/kzembajsutilhandler.h"

#include "interfaces/ikzembabatchdownload.h"
#include "interfaces/ikzembacorelite.h"
#include "interfaces/ikzembashellthemestylehelper.h"

#include <krt/kcoreapplication.h>
#include <vdllite/jsonhelper.h>
#include <vdllite/kxjsapiconstants.h>
#include <vdllite/kxloggerlite.h>

#include <QDateTime>

namespace {
const char kModule[] = "KZembaCommonJsApi";
// Handlers that the core-lite plug-in makes for every store page, in registration order.
const char* const kCoreLiteHandlers[] = {"common.payment", "common.event", "common.plugin", "zemba.vanta.ai"};
} // namespace

KZembaCommonJsApi::KZembaCommonJsApi(KxWebViewContainer* container, QWidget* host)
    : vdllite::KxCommonJsApi(container)
    , m_hostWidget(host)
{
    if (KCoreApplication* app = KCoreApplication::instance()) {
        if (QObject* source = app->userInfoSource())
            connect(source, SIGNAL(userInfoChange(int)), this, SLOT(onUserInfoChange(int)));
    }

    if (IKZembaBatchDownload* downloads = kzemba::KZembaPluginLoader::getZembaBatchDownload()) {
        downloads->connectDownloadSuccess(this, SLOT(onResDownloadSuccess(const QString&)), 0);
        downloads->connectDownloadError(this, SLOT(onResDownloadError(const QString&, DownloadFailInfo)), 0);
        downloads->connectDownloadProgress(this, SLOT(onUpdateResDownloadProgress(const QString&, int)), 0);
    }
}

KZembaCommonJsApi::~KZembaCommonJsApi()
{
    // Requests still in flight end here unanswered; their replies are aborted.
    qDeleteAll(m_httpAccessList);
}

void KZembaCommonJsApi::initHandlers()
{
    KxWebViewAsynJSObject::initHandlers();
    initZembaResourceHandler();

    IKZembaCoreLite* coreLite = kzemba::KZembaPluginLoader::getCoreLite();
    if (!coreLite)
        return;
    for (const char* name : kCoreLiteHandlers) {
        const QString handlerName = QString::fromLatin1(name);
        setHandler(handlerName, coreLite->createJsApiHandler(handlerName, this, this));
    }
}

void KZembaCommonJsApi::init()
{
    const QString skinConfigPath = getSkinConfigPath();
    if (IKZembaCoreLite* coreLite = kzemba::KZembaPluginLoader::getCoreLite()) {
        if (IKZembaShellThemeStyleHelper* theme = coreLite->getThemeStyleHelper())
            theme->registerModule(getModuleName(), skinConfigPath);
    }
    vdllite::KxCommonJsApi::init();
}

QWidget* KZembaCommonJsApi::createNewUrlWidget(QWidget*, int, int, bool, bool)
{
    return nullptr;
}

QString KZembaCommonJsApi::getSkinConfigPath() const
{
    return QString();
}

void KZembaCommonJsApi::notifyJsActionAndDataObject(const QString& action, const QString& data)
{
    if (m_pushHandler.isEmpty())
        return;
    QJsonObject event;
    event.insert(QStringLiteral("action"), action);
    event.insert(QStringLiteral("params"), JsonHelper::convertStringToQJson(data));
    callbackToJS(m_pushHandler, JsonHelper::convertQJsonToString(event), true);
}

void KZembaCommonJsApi::ensureNotifyJsActionAndData(const QString& action, const QString& data)
{
    if (m_pushHandler.isEmpty())
        m_pendingNotifications.append(qMakePair(action, data));
    else
        notifyJsActionAndDataObject(action, data);
}

void KZembaCommonJsApi::notifyCallback(QString callbackName, QVariantMap result)
{
    callbackToJS(callbackName, formatResult(QVariant(result)), true);
}

QWidget* KZembaCommonJsApi::hostWidget() const
{
    return m_hostWidget.data();
}

KZembaJsUtilHandler* KZembaCommonJsApi::zembaUtilHandler() const
{
    return qobject_cast<KZembaJsUtilHandler*>(findHandler(QStringLiteral("zemba.util.")));
}

QString KZembaCommonJsApi::GetModuleName() const
{
    return getModuleName();
}

QWidget* KZembaCommonJsApi::GetHostWidget() const
{
    return hostWidget();
}

void KZembaCommonJsApi::NotifyJsHidePreview()
{
    notifyJsHidePreview();
}

void KZembaCommonJsApi::CallbackToJS(QString name, QString json, bool flag)
{
    callbackToJS(name, json, flag);
}

void KZembaCommonJsApi::notifyJsHidePreview()
{
}

QString KZembaCommonJsApi::getModuleName() const
{
    return QStringLiteral("zemba");
}

QString KZembaCommonJsApi::getModuleVersion() const
{
    return QStringLiteral("0.0.0.0");
}

QString KZembaCommonJsApi::getFeedBackUrl() const
{
    return QString();
}

void KZembaCommonJsApi::applyLocalRes(const ResourceInfo&)
{
}

void KZembaCommonJsApi::beforeOpenZembaResourceShop()
{
}

void KZembaCommonJsApi::registPushUIEventHandler(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    if (args.isEmpty())
        return;
    const QString handler = args.value(QStringLiteral("handler")).toString();
    if (handler.isEmpty())
        return;
    m_pushHandlerRegistered = true;
    m_pushHandler = handler;
    registDone();
}

void KZembaCommonJsApi::notifyWebPageInitialed(KxWebViewJSContext&)
{
    emit webPageInitialed();
}

void KZembaCommonJsApi::webLoadFinish(KxWebViewJSContext&)
{
    emit webPageInitialed();
}

void KZembaCommonJsApi::onScriptReady(KxWebViewJSContext&)
{
    emit webScriptReady();
}

void KZembaCommonJsApi::notifyWebPerfCollect(KxWebViewJSContext&)
{
    emit sig_notifyWebPerfCollect();
}

void KZembaCommonJsApi::showWindow(KxWebViewJSContext&)
{
    emit showView();
}

void KZembaCommonJsApi::showUserInfoTips(KxWebViewJSContext&)
{
}

void KZembaCommonJsApi::dispatchMethod(KxWebViewJSContext&)
{
}

void KZembaCommonJsApi::localStorageBatchDelete(KxWebViewJSContext&)
{
}

void KZembaCommonJsApi::localStorageBatchGet(KxWebViewJSContext&)
{
}

void KZembaCommonJsApi::onUserInfoChange(int)
{
    m_lastUserInfoChangeTime = QDateTime::currentMSecsSinceEpoch();
}

void KZembaCommonJsApi::registDone()
{
    // Events produced while the page was still loading go out in the order they came.
    while (!m_pendingNotifications.isEmpty()) {
        const QPair<QString, QString> event = m_pendingNotifications.takeFirst();
        notifyJsActionAndDataObject(event.first, event.second);
    }
}

void KZembaCommonJsApi::beforeApplyLocalRes(const ResourceInfo&)
{
}

void KZembaCommonJsApi::beforeDownloadAndApplyOnlineRes(const QVariantMap&)
{
}

void KZembaCommonJsApi::afterDownloadAndApplyOnlineRes(const ResourceInfo&)
{
}

bool KZembaCommonJsApi::getDownloadResData(const QVariantMap&, KZembaBatchDownloadParam&)
{
    return false;
}

void KZembaCommonJsApi::publishMsg(zemba::FunctionError, const QString&)
{
}

void KZembaCommonJsApi::onPublishApplyResult(const ApplyResultInfo& info)
{
    const QVariantMap result{
        {QStringLiteral("resType"), info.resType},
        {QStringLiteral("status"), info.errorCode == 0},
        {QStringLiteral("errorCode"), info.errorCode},
        {QStringLiteral("id"), info.id},
    };
    const QString savedContext = info.extraData.value(QStringLiteral("jsContextJsonIn")).toString();
    if (savedContext.isEmpty()) {
        callbackToJS(QStringLiteral("onPublishApplyResult"), formatResult(QVariant(result)), true);
        return;
    }

    KxWebViewJSContext context;
    if (!context.parse(savedContext)) {
        // Without the call it came from there is nobody to answer.
        KxLoggerLite::writeWarning(QString::fromLatin1(kModule),
                                   QStringLiteral("onPublishApplyResult: saved context unreadable, id %1").arg(info.id));
        return;
    }
    context.result()[g_str_callstatus] = g_str_ok;
    context.result()[g_str_errormsg] = "success";
    context.result()[g_str_result] = JsonHelper::variantToJsonValue(result);
    publishResult(context);
}
