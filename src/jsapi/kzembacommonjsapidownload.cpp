// KZembaCommonJsApi: downloading and applying online resources for the page.
#include "kzembacommonjsapi.h"

#include "jsapi/kzembalibrary.h"
#include "resource/kzembapluginloader.h"

#include "interfaces/ikzembabatchdownload.h"
#include "interfaces/ikzembacorelite.h"
#include "interfaces/ikzembaresourcehandler.h"

#include <vdllite/convertjsonhelper.h>
#include <vdllite/kxjsapiconstants.h>
#include <vdllite/kxloggerlite.h>

namespace {

const char kPluginVersion[] = "0.0.0.0";

void answerError(KxWebViewJSContext& context, const QString& message)
{
    context.result()[g_str_callstatus] = g_str_error;
    context.result()[g_str_errormsg] = message.toStdString();
}

void stampItems(QList<KZembaBatchDownloadItem>& items, const QString* downloadKey)
{
    const QString module = kzemba::libraryModuleName();
    for (KZembaBatchDownloadItem& item : items) {
        if (downloadKey)
            item.param.resourceArgs.downloadKey = *downloadKey;
        item.param.commonArgs.plgName = module;
        item.param.commonArgs.plgVer = QString::fromLatin1(kPluginVersion);
    }
}

// {"callstatus": "ok", "result": result} as the request form's callbacks carry it.
QString requestForm(const QVariantMap& result)
{
    return ConvertJsonHelper::variantMapSerialize(
        {{QString::fromLatin1(g_str_callstatus), QString::fromLatin1(g_str_ok)}, {QString::fromLatin1(g_str_result), result}});
}

QString failInfoText(const DownloadFailInfo& info)
{
    const int zero = info.content.indexOf('\0');
    const QString content = QString::fromLatin1(zero < 0 ? info.content : info.content.left(zero));
    return QStringLiteral("errorCode: %1, httpStatusCode: %2, description: %3, url : %4, bMd5Err %5, bUnzipErr %6, "
                          "errorMsg: %7, content: %8")
        .arg(QString::number(info.errorCode), QString::number(info.httpStatusCode), info.description, info.url,
             QString::number(info.bMd5Err ? 1 : 0), QString::number(info.bUnzipErr ? 1 : 0), info.errorMsg, content);
}

} // namespace

IKZembaResourceHandler* KZembaCommonJsApi::getResourceHandler(const QString& resType)
{
    IKZembaCoreLite* coreLite = kzemba::KZembaPluginLoader::getCoreLite();
    return coreLite ? coreLite->getResourceHandler(resType) : nullptr;
}

void KZembaCommonJsApi::insertOnlineResource(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    if (args.isEmpty()) {
        answerError(context, QStringLiteral("input json empty"));
        return;
    }
    const QString resType = args.value(QStringLiteral("resType")).toString();
    if (resType.isEmpty()) {
        answerError(context, QStringLiteral("input json invalid. no restype."));
        return;
    }
    const QVariantMap resInfo = args.value(QStringLiteral("resInfo")).toMap();
    const QString id = resInfo.value(QStringLiteral("id")).toString();
    if (id.isEmpty()) {
        answerError(context, QStringLiteral("input json invalid. no id."));
        return;
    }

    IKZembaResourceHandler* handler = getResourceHandler(resType);
    if (!handler) {
        downloadAndApplyOnlineRes(context);
        return;
    }
    beforeDownloadAndApplyOnlineRes(resInfo);

    ResourceInfo info{resType, id, resInfo};
    if (QWidget* host = hostWidget())
        info.resInfo.insert(QStringLiteral("hostKLMInfo"), host->property("klmInfo").toMap());

    const QString invalid = handler->validateResource(info);
    if (!invalid.isEmpty()) {
        answerError(context, invalid);
        return;
    }

    handler->prepareResource(info);
    if (handler->isLocalResource(info)) {
        beforeApplyLocalRes(info);
        applyLocalRes(info);
        afterDownloadAndApplyOnlineRes(info);
        return;
    }

    const QString key = resType + id;
    if (m_downloadKeys.contains(key))
        return; // already on its way

    KZembaBatchDownloadParam download = handler->getDownloadList(info);
    const QString downloadKey = resInfo.value(QStringLiteral("download_key")).toString();
    stampItems(download.items, &downloadKey);
    m_downloadKeys.insert(key, info);

    IKZembaBatchDownload* service = kzemba::KZembaPluginLoader::getZembaBatchDownload();
    if (!service) {
        answerError(context, QStringLiteral("getZembaBatchDownload failed"));
        return;
    }
    service->startDownload(download.id, download.name, download.items, download.flag, QString(), QVariantMap());
}

void KZembaCommonJsApi::downloadAndApplyOnlineRes(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    if (args.isEmpty()) {
        answerError(context, QStringLiteral("input json empty"));
        return;
    }
    beforeDownloadAndApplyOnlineRes(args);
    const QString callback = context.getValue(QStringLiteral("callback")).toString();

    KZembaBatchDownloadParam download;
    if (!getDownloadResData(args, download)) {
        answerError(context, QStringLiteral("input json invalid: param is wrong."));
        return;
    }
    m_pendingDownloadRequests.insert(download.id, callback);

    IKZembaBatchDownload* service = kzemba::KZembaPluginLoader::getZembaBatchDownload();
    if (!service) {
        answerError(context, QStringLiteral("getZembaBatchDownload failed"));
        return;
    }
    stampItems(download.items, nullptr);
    service->startDownload(download.id, download.name, download.items, 1, download.extra, QVariantMap());

    context.result()[g_str_callstatus] = g_str_ok;
    context.result()[g_str_errormsg] = "success";
    afterDownloadAndApplyOnlineRes(ResourceInfo{QString(), download.id, QVariantMap()});
}

void KZembaCommonJsApi::cancelDownload(const QString& id)
{
    if (!m_pendingDownloadRequests.contains(id) && !m_downloadKeys.contains(id))
        return;
    IKZembaBatchDownload* service = kzemba::KZembaPluginLoader::getZembaBatchDownload();
    if (!service)
        return;
    service->cancelDownload(id);
    m_pendingDownloadRequests.remove(id);
    m_downloadKeys.remove(id);
}

void KZembaCommonJsApi::onResDownloadSuccess(const QString& id)
{
    if (m_downloadKeys.contains(id)) {
        const ResourceInfo info = m_downloadKeys.value(id);
        IKZembaResourceHandler* handler = getResourceHandler(info.resType);
        if (handler && handler->isLocalResource(info))
            applyLocalRes(info);
        callbackToJS(QStringLiteral("onDownloadSuccess"),
                     formatResult(QVariant(QVariantMap{{QStringLiteral("resType"), info.resType},
                                                       {QStringLiteral("id"), info.id}})),
                     true);
        afterDownloadAndApplyOnlineRes(info);
        m_downloadKeys.remove(id);
        return;
    }
    if (!m_pendingDownloadRequests.contains(id))
        return;
    IKZembaBatchDownload* service = kzemba::KZembaPluginLoader::getZembaBatchDownload();
    if (service && service->hasDownload(id))
        callbackToJS(QStringLiteral("onDownloadSuccess"), requestForm({{QStringLiteral("id"), id}}), true);
    m_pendingDownloadRequests.remove(id);
}

void KZembaCommonJsApi::onUpdateResDownloadProgress(const QString& id, int percent)
{
    if (m_downloadKeys.contains(id)) {
        const ResourceInfo info = m_downloadKeys.value(id);
        callbackToJS(QStringLiteral("onDownloadProgress"),
                     formatResult(QVariant(QVariantMap{{QStringLiteral("resType"), info.resType},
                                                       {QStringLiteral("id"), info.id},
                                                       {QStringLiteral("percent"), percent}})),
                     true);
        return;
    }
    if (m_pendingDownloadRequests.contains(id)) {
        callbackToJS(QStringLiteral("onDownloadProgress"),
                     requestForm({{QStringLiteral("id"), id}, {QStringLiteral("percent"), percent}}), true);
    }
}

void KZembaCommonJsApi::onResDownloadError(const QString& id, DownloadFailInfo info)
{
    KxLoggerLite::writeInfo(QStringLiteral("kzembajsapilite"),
                            QStringLiteral("resId %1, errorInfo %2").arg(id, failInfoText(info)));

    if (m_downloadKeys.contains(id)) {
        const ResourceInfo resource = m_downloadKeys.value(id);
        if (resource.resType != QLatin1String("commercial"))
            publishMsg(zemba::FunctionErrorDownload, QString());
        callbackToJS(QStringLiteral("onDownloadError"),
                     formatResult(QVariant(QVariantMap{
                         {QStringLiteral("resType"), resource.resType},
                         {QStringLiteral("id"), resource.id},
                         {QStringLiteral("errorCode"), info.errorCode},
                         {QStringLiteral("description"), info.description + QStringLiteral(" url: ") + info.url}})),
                     true);
        m_downloadKeys.remove(id);
        return;
    }
    if (!m_pendingDownloadRequests.contains(id))
        return;
    IKZembaBatchDownload* service = kzemba::KZembaPluginLoader::getZembaBatchDownload();
    if (service && service->hasDownload(id)) {
        callbackToJS(QStringLiteral("onDownloadError"),
                     requestForm({{QStringLiteral("id"), id},
                                  {QStringLiteral("errorCode"), info.errorCode},
                                  {QStringLiteral("description"), info.description}}),
                     true);
    }
    m_pendingDownloadRequests.remove(id);
}
