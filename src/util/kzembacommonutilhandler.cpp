#include "kzembacommonutilhandler.h"

#include "open/kzembaopenpage.h"
#include "util/apprunstatus.h"
#include "util/kzembaapprunmonitor.h"

#include <appmgr/kappcontext.h>
#include <appmgr/kappmgr.h>
#include <appmgr/kappobject.h>
#include <appmgr/kapprunner.h>
#include <krt/kdirs.h>
#include <krt/kprocess.h>
#include <krt/krt.h>
#include <vdllite/jsonhelper.h>
#include <vdllite/kxjsapiconstants.h>
#include <vdllite/kxwebviewasynjsobject.h>
#include <vdllite/kxwebviewcontainer.h>
#include <vdllite/kxwebviewjscontext.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

namespace {

const QString kAppId = QStringLiteral("appId");
const QString kStatus = QStringLiteral("status");

// The app `appId` when the manager knows it and it can run here, else null.
KAppObject* availableApp(const QString& appId)
{
    KAppMgr* manager = KAppMgr::getInstance();
    KAppObject* app = manager ? manager->getApp(appId) : nullptr;
    return app && app->isAvailable() ? app : nullptr;
}

void answerResult(KxWebViewJSContext& context, const QVariantMap& result)
{
    KxJSApiUtilHandler::setOk(context);
    context.result()[g_str_result] = JsonHelper::variantToJsonValue(result);
}

void answerPluginNotFound(KxWebViewJSContext& context)
{
    answerResult(context, {{kStatus, QStringLiteral("false")}, {QStringLiteral("message"), QStringLiteral("plugin not found.")}});
}

// Whether the shell plug-in `pluginName` is installed below the suite's framework folder.
// An app without a plug-in has none there, whatever the folder holds.
bool pluginFolderExists(const QString& pluginName)
{
    if (pluginName.isEmpty())
        return false;
    return QFile::exists(krt::dirs::frameworks() + krt::dirs::getPathFlattening(QStringLiteral("/addons/") + pluginName));
}

} // namespace

KZembaCommonUtilHandler::KZembaCommonUtilHandler(QObject* parent, KxWebViewAsynJSObject* jsObject)
    : KxJSApiUtilHandler(parent, jsObject)
{
    // The framework's openZembaPage opens store pages with this library's opener.
    setZembaPageOpener(&::openZembaPage);
}

KZembaCommonUtilHandler::~KZembaCommonUtilHandler() = default;

void KZembaCommonUtilHandler::postErrorResult(KxWebViewJSContext& context, const QString& message)
{
    setError(context, message);
}

void KZembaCommonUtilHandler::canOpenApp(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context, true);
    const QString appId = args.value(kAppId).toString();
    if (appId.isEmpty()) {
        postErrorResult(context, QStringLiteral("appId can not be empty."));
        return;
    }
    KAppObject* app = availableApp(appId);
    if (!app) {
        answerPluginNotFound(context);
        return;
    }

    const QStringList names = args.value(QStringLiteral("dependParams")).toStringList();
    const QVariantMap dependencies = app->getProperty(QStringLiteral("pluginDependParams"), QVariantMap()).toMap();
    const bool pluginPresent = pluginFolderExists(app->getStringProperty(QStringLiteral("pluginName")));
    QVariantMap answered;
    for (const QString& name : names) {
        const QString value = dependencies.value(name).toString();
        if (!value.isEmpty())
            answered.insert(name, value);
        // With the plug-in installed every dependency is met.
        if (pluginPresent)
            answered.insert(name, QStringLiteral("0"));
    }
    answerResult(context, {{kStatus, QStringLiteral("true")}, {QStringLiteral("dependParams"), answered}});
}

void KZembaCommonUtilHandler::openApp(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context, true);
    const QString appId = args.value(kAppId).toString();
    if (appId.isEmpty()) {
        postErrorResult(context, QStringLiteral("appId can not be empty."));
        return;
    }
    const QString operation = QStringLiteral("openApp");
    const QString src = args.value(QStringLiteral("src")).toString();
    if (src.isEmpty()) {
        kzemba::KZembaAppRunMonitor::postEvent(appId, operation, QStringLiteral("failed, no src"), QString());
        postErrorResult(context, QStringLiteral("src can not be empty."));
        return;
    }
    if (!availableApp(appId)) {
        kzemba::KZembaAppRunMonitor::postEvent(appId, operation, kzemba::AppRunStatus::text(kzemba::AppRunStatus::AppObjectNull), src);
        answerPluginNotFound(context);
        return;
    }

    QSharedPointer<KAppContext> launch =
        getAppContext(appId, src, args.value(QStringLiteral("urlParams")).toString(),
                      args.value(QStringLiteral("urlQueryParams")).toMap(), args.value(QStringLiteral("appParams")).toMap());
    kzemba::KZembaAppRunMonitor::postStepEvent(launch->params, appId, operation, QStringLiteral("success"), launch->source);
    // The page learns only that the launch was handed on; how it went is the monitor's.
    runApp(appId, launch);
    answerResult(context, {{kStatus, QStringLiteral("true")}});
}

bool KZembaCommonUtilHandler::runApp(const QString& appId, const QSharedPointer<KAppContext>& context)
{
    KAppMgr* manager = KAppMgr::getInstance();
    KAppRunner* runner = manager ? manager->getAppRunner() : nullptr;
    if (!runner) {
        kzemba::KZembaAppRunMonitor::postStepEvent(context->params, appId, QStringLiteral("runApp"),
                                                   kzemba::AppRunStatus::text(kzemba::AppRunStatus::AppManagerNull),
                                                   context->source);
        return false;
    }
    return runner->runApp(appId, context, QSharedPointer<KAppContext>(), 0);
}

QSharedPointer<KAppContext> KZembaCommonUtilHandler::getAppContext(const QString& appId, const QString& src,
                                                                   const QString& urlParams,
                                                                   const QVariantMap& urlQueryParams,
                                                                   const QVariantMap& appParams)
{
    QSharedPointer<KAppContext> context(new KAppContext());
    context->appId = appId;
    context->source = src;
    context->commandLine = appParams.value(QStringLiteral("cmdLine")).toString();
    context->entrance = appParams.value(QStringLiteral("entrance")).toInt();
    if (KxWebViewAsynJSObject* object = jsObject())
        context->hostWidget = object->container();
    for (auto it = appParams.cbegin(); it != appParams.cend(); ++it) {
        if (!it.key().isEmpty())
            context->params.insert(it.key(), it.value());
    }

    KAppObject* app = availableApp(appId);
    const QString webAppUrl = app ? app->getStringProperty(QStringLiteral("webAppUrl")) : QString();
    if (webAppUrl.isEmpty())
        return context;
    const QString fullUrl = QStringLiteral("fullUrl");
    if (!urlParams.isEmpty()) {
        context->params.insert(fullUrl, webAppUrl + urlParams);
    } else if (!urlQueryParams.isEmpty()) {
        QUrl url(webAppUrl);
        QUrlQuery query(url.query());
        for (auto it = urlQueryParams.cbegin(); it != urlQueryParams.cend(); ++it) {
            const QString value = it.value().toString();
            if (value.isEmpty())
                continue;
            query.removeAllQueryItems(it.key());
            query.addQueryItem(it.key(), value);
        }
        url.setQuery(query);
        context->params.insert(fullUrl, url.toString());
    }
    return context;
}

void KZembaCommonUtilHandler::isFileExist(KxWebViewJSContext& context)
{
    QString path = parseContextArgs(context, true).value(QStringLiteral("path")).toString();
    if (path.isEmpty()) {
        postErrorResult(context, QStringLiteral("path can not be empty."));
        return;
    }
    // A bare file name means a file on the user's desktop.
    if (QFileInfo(path).path() == QLatin1String("."))
        path = krt::dirs::desktop() + QDir::separator() + path;
    const bool exists = QFileInfo(path).isFile();
    setOk(context);
    context.result()["bexist"] = exists ? 1 : 0;
    if (exists)
        context.result()["filePath"] = JsonHelper::variantToJsonValue(path);
}

void KZembaCommonUtilHandler::innerOpenUrl(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context, true);
    const QString url = args.value(QStringLiteral("url")).toString();
    if (args.isEmpty() || url.isEmpty() || !krt::ksafe::KProcess::checkUrl(url))
        return;
    KxJSApiUtilHandler::innerOpenUrl(context);
}
