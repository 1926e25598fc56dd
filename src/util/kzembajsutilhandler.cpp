#include "kzembajsutilhandler.h"

#include "interfaces/ikzembanetwork.h"
#include "resource/kzembapluginloader.h"

#include <krt/kplugin.h>
#include <krt/kpluginmanager.h>
#include <ui/kdesktopshortcut.h>
#include <vdllite/jsonhelper.h>
#include <vdllite/kxdesktopshortcuttips.h>
#include <vdllite/kxjsapiconstants.h>
#include <vdllite/kxjsapiutilhandler.h>
#include <vdllite/kxwebviewasynjsobject.h>
#include <vdllite/kxwebviewjscontext.h>

#include <QPointer>

namespace {

const QString kShortCutName = QStringLiteral("shortCutName");
const QString kArgument = QStringLiteral("argument");

// Answers the first of `required` that is empty in `args`, in order; true when one was.
bool answerMissing(KxWebViewJSContext& context, const QVariantMap& args, const QStringList& required)
{
    for (const QString& key : required) {
        if (args.value(key).toString().isEmpty()) {
            KxJSApiUtilHandler::setError(context, key + QStringLiteral(" empty"));
            return true;
        }
    }
    return false;
}

} // namespace

KZembaJsUtilHandler::KZembaJsUtilHandler(QObject* parent, KxWebViewAsynJSObject* jsObject)
    : KxWebViewJSApiHandler(parent, jsObject)
{
}

KZembaJsUtilHandler::~KZembaJsUtilHandler() = default;

void KZembaJsUtilHandler::openVantaPluginPage(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context, true);
    const QString pluginName = args.value(QStringLiteral("pluginName")).toString();
    const QString pageType = args.value(QStringLiteral("pageType")).toString();
    const QString badInput = pluginName.isEmpty() ? QStringLiteral("plugin name can not be empty.")
                             : pageType.isEmpty() ? QStringLiteral("page type can not be empty.")
                                                  : QString();
    if (!badInput.isEmpty()) {
        context.result()[g_str_result][g_str_callstatus] = g_str_error;
        context.result()[g_str_result][g_str_errormsg] = JsonHelper::variantToJsonValue(badInput);
        return;
    }

    QString query;
    for (auto it = args.cbegin(); it != args.cend(); ++it)
        query += QStringLiteral("%1=%2&").arg(it.key(), it.value().toString());
    query.chop(1);
    doOpenVantaPluginPage(pluginName, pageType, query, args.value(QStringLiteral("pageMoveToNext"), false).toBool());
}

void KZembaJsUtilHandler::creatDesktopShortCut(KxWebViewJSContext& context)
{
    QVariantMap args = parseContextArgs(context, true);
    // The callback is a value of the call itself, wherever the page put the other arguments.
    args.insert(QStringLiteral("callback"), context.getValue(QStringLiteral("callback")));
    if (answerMissing(context, args, {QStringLiteral("callback"), QStringLiteral("icon"), kArgument, kShortCutName}))
        return;
    // Pages may not put files on the desktop here; the user is shown how to do it.
    vdllite::showCreateDesktopShortCutTipsOnLinux();
}

void KZembaJsUtilHandler::resolveDesktopShortCut(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context, true);
    if (answerMissing(context, args, {kShortCutName, kArgument}))
        return;

    QString target;
    QString targetArgument;
    QString iconPath;
    int iconIndex = 0;
    QString error;
    const bool resolved = KDesktopShortcut::resolveDesktopShortcut(args.value(kShortCutName).toString(), target,
                                                                   targetArgument, iconPath, iconIndex, error);
    const QVariantMap targetInfo{{QStringLiteral("target"), target},
                                 {QStringLiteral("targetArgument"), targetArgument},
                                 {QStringLiteral("iconPath"), iconPath},
                                 {QStringLiteral("iconIndex"), iconIndex}};
    KxJSApiUtilHandler::setOk(context);
    context.result()["success"] = resolved && targetArgument == args.value(kArgument).toString();
    // A text even when empty: pages compare it with "".
    context.result()[g_str_errormsg] = error.toStdString();
    context.result()["targetInfo"] = JsonHelper::variantToJsonValue(JsonHelper::variantMapSerialize(targetInfo));
}

void KZembaJsUtilHandler::deleteDesktopShortCut(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context, true);
    if (answerMissing(context, args, {kShortCutName}))
        return;
    const bool removed = KDesktopShortcut::deleteDesktopShortcut(args.value(kShortCutName).toString());
    KxJSApiUtilHandler::setOk(context);
    context.result()["success"] = removed;
    if (!removed)
        context.result()[g_str_errormsg] = "error, remove failed";
}

void KZembaJsUtilHandler::getPluginFeatureList(KxWebViewJSContext& context)
{
    const QString pluginName = parseContextArgs(context, true).value(QStringLiteral("pluginName")).toString();
    KPluginManager* manager = KPluginManager::getInstance();
    KPlugin* plugin = manager ? manager->getPlugin(pluginName) : nullptr;
    if (!plugin) {
        KxJSApiUtilHandler::setOk(context);
        context.result()["featureList"] = "";
        return;
    }

    IKZembaNetWork* network = kzemba::KZembaPluginLoader::getZembaNetWork();
    if (!network) {
        context.result()[g_str_callstatus] = g_str_error;
        context.result()["message"] = "getZembaNetWork failed";
        return;
    }
    // The service answers whenever it is done; by then the page or the plug-in may be gone.
    const QPointer<KPlugin> guardedPlugin(plugin);
    const QPointer<KxWebViewAsynJSObject> page(jsObject());
    const KxWebViewJSContext saved(context);
    network->preparePlugin(
        pluginName,
        [guardedPlugin, page, saved](bool ready) {
            if (!page)
                return;
            KPluginAttribute attribute;
            const bool known = ready && guardedPlugin && guardedPlugin->getLocalAttr(attribute);
            KxWebViewJSContext answer(saved);
            KxJSApiUtilHandler::setOk(answer);
            answer.result()["featureList"] = (known ? attribute.featureList : QString()).toStdString();
            page->publishResult(answer);
        },
        IKZembaNetWork::PluginProgressHandler());
}
