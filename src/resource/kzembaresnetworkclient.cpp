#include "kzembaresnetworkclient.h"

#include "kzembapluginloader.h"

#include "interfaces/ikzembaresnetwork.h"

#include <vdllite/jsonhelper.h>

#include <QJsonObject>
#include <QTimer>

namespace kzemba {

IKZembaResNetwork* getResNetwork()
{
    return KZembaPluginLoader::getResNetwork();
}

namespace {

const QString kCommonArgs = QStringLiteral("commonArgs");
const QString kResourceArgs = QStringLiteral("resourceArgs");
const QString kSaveArgs = QStringLiteral("saveArgs");
const QString kMethodInfo = QStringLiteral("methodInfo");
const QString kStatus = QStringLiteral("status");

// Reads typed values of one group with the record's defaults.
class GroupReader
{
public:
    explicit GroupReader(const QVariant& group)
        : m_map(group.toMap())
    {
    }
    QString text(const char* key) const { return m_map.value(QLatin1String(key)).toString(); }
    QVariantMap map(const char* key) const { return m_map.value(QLatin1String(key)).toMap(); }
    QStringList list(const char* key) const { return m_map.value(QLatin1String(key)).toStringList(); }
    qint64 int64(const char* key, qint64 def) const { return m_map.value(QLatin1String(key), def).toLongLong(); }
    int integer(const char* key, int def) const { return m_map.value(QLatin1String(key), def).toInt(); }
    bool flag(const char* key) const { return m_map.value(QLatin1String(key), false).toBool(); }

private:
    QVariantMap m_map;
};

} // namespace

QString resDownloadParamToJson(const kzembaresnetwork::ResDownloadParam& param)
{
    const kzembaresnetwork::ResDownloadCommonArgs& c = param.commonArgs;
    const kzembaresnetwork::ResDownloadResourceArgs& r = param.resourceArgs;
    const kzembaresnetwork::ResDownloadSaveArgs& s = param.saveArgs;

    const QVariantMap common{
        {"component", c.component},     {"rmsp", c.rmsp},
        {"client_type", c.client_type}, {"channel", c.channel},
        {"sub_channel", c.sub_channel}, {"pay_source", c.pay_source},
        {"platform", c.platform},       {"sn", c.sn},
        {"mb_app", c.mb_app},           {"queryItems", c.queryItems},
        {"headers", c.headers},         {"tokenDownload", c.tokenDownload},
        {"plgName", c.plgName},         {"plgVer", c.plgVer},
        {"timeout", c.timeout},
    };
    const QVariantMap resource{
        {"id", r.id},
        {"rid", r.rid},
        {"third_id", r.third_id},
        {"origin", r.origin},
        {"extra", r.extra},
        {"md5", r.md5},
        {"downloadKey", r.downloadKey},
        {"templateCustomProps", r.templateCustomProps},
        {"resSize", r.resSize},
        {"resRespId", r.resRespId},
        {"urls", r.urls},
        {"bServerAuth", r.bServerAuth},
    };
    const QVariantMap save{
        {"bUnzip", s.bUnzip},
        {"bCheckMd5", s.bCheckMd5},
        {"bForceStart", s.bForceStart},
        {"bCacheMd5Check", s.bCacheMd5Check},
        {"saveFilePath", s.saveFilePath},
        {"installFilePath", s.installFilePath},
        {"bReturnByteArray", s.bReturnByteArray},
    };
    const QVariantMap method{{"option", param.methodInfo.option}, {"priority", param.methodInfo.priority}};
    const QVariantMap status{{"downloadstatus", param.status.downloadstatus}, {"progress", param.status.progress}};

    return JsonHelper::variantMapSerialize({
        {"resourceKey", param.resourceKey},
        {kCommonArgs, common},
        {kResourceArgs, resource},
        {kSaveArgs, save},
        {kMethodInfo, method},
        {kStatus, status},
    });
}

kzembaresnetwork::ResDownloadParam resDownloadParamFromJson(const QString& json)
{
    const QVariantMap root = JsonHelper::convertStringToQJson(json).toVariantMap();
    kzembaresnetwork::ResDownloadParam param;
    param.resourceKey = root.value(QStringLiteral("resourceKey")).toString();

    const GroupReader common(root.value(kCommonArgs));
    kzembaresnetwork::ResDownloadCommonArgs& c = param.commonArgs;
    c.component = common.text("component");
    c.rmsp = common.text("rmsp");
    c.client_type = common.text("client_type");
    c.channel = common.text("channel");
    c.sub_channel = common.text("sub_channel");
    c.pay_source = common.text("pay_source");
    c.platform = common.int64("platform", 8);
    c.sn = common.text("sn");
    c.mb_app = common.int64("mb_app", 1);
    c.queryItems = common.map("queryItems");
    c.headers = common.map("headers");
    c.tokenDownload = common.integer("tokenDownload", 0);
    c.plgName = common.text("plgName");
    c.plgVer = common.text("plgVer");
    c.timeout = common.integer("timeout", -1);

    const GroupReader resource(root.value(kResourceArgs));
    kzembaresnetwork::ResDownloadResourceArgs& r = param.resourceArgs;
    r.id = resource.text("id");
    r.rid = resource.text("rid");
    r.third_id = resource.text("third_id");
    r.origin = resource.text("origin");
    r.extra = resource.map("extra");
    r.md5 = resource.text("md5");
    r.downloadKey = resource.text("downloadKey");
    r.templateCustomProps = resource.map("templateCustomProps");
    r.resSize = resource.int64("resSize", 0);
    r.resRespId = resource.text("resRespId");
    r.urls = resource.list("urls");
    r.bServerAuth = resource.flag("bServerAuth");

    const GroupReader save(root.value(kSaveArgs));
    kzembaresnetwork::ResDownloadSaveArgs& s = param.saveArgs;
    s.bUnzip = save.flag("bUnzip");
    s.bCheckMd5 = save.flag("bCheckMd5");
    s.bForceStart = save.flag("bForceStart");
    s.bCacheMd5Check = save.flag("bCacheMd5Check");
    s.saveFilePath = save.text("saveFilePath");
    s.installFilePath = save.text("installFilePath");
    s.bReturnByteArray = save.flag("bReturnByteArray");

    const GroupReader method(root.value(kMethodInfo));
    param.methodInfo.option = method.integer("option", 1);
    param.methodInfo.priority = method.integer("priority", 2);

    const GroupReader status(root.value(kStatus));
    param.status.downloadstatus = status.integer("downloadstatus", 0);
    param.status.progress = status.integer("progress", 0);
    return param;
}

QString startResDownload(const kzembaresnetwork::ResDownloadParam& param,
                         const kzembaresnetwork::SuccessHandler& onSuccess,
                         const kzembaresnetwork::ProgressHandler& onProgress,
                         const kzembaresnetwork::FailHandler& onFail)
{
    IKZembaResNetwork* service = getResNetwork();
    if (!service) {
        // Callers get their failure the same way as from the service: never inside this call.
        QTimer::singleShot(0, [onFail]() {
            if (!onFail)
                return;
            kzembaresnetwork::DownloadFailInfo info;
            info.errorCode = 5;
            info.httpStatusCode = 0;
            onFail(QString(), info);
        });
        return QString();
    }
    return service->startDownload(resDownloadParamFromJson(resDownloadParamToJson(param)), onSuccess, onProgress,
                                  onFail);
}

} // namespace kzemba
