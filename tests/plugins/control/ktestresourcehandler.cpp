#include "ktestresourcehandler.h"

#include "ktestplugincontrol.h"

KTestResourceHandler::KTestResourceHandler(const QString& resType, KTestPluginControl* control)
    : m_resType(resType)
    , m_control(control)
{
}

QString KTestResourceHandler::option(const char* name) const
{
    return QStringLiteral("res/%1/%2").arg(m_resType, QLatin1String(name));
}

bool KTestResourceHandler::isLocalResource(const ResourceInfo& info)
{
    m_control->record(QStringLiteral("res.isLocalResource"), {info.resType, info.id});
    return m_control->option(option("local"), false).toBool();
}

void KTestResourceHandler::prepareResource(const ResourceInfo& info)
{
    m_control->record(QStringLiteral("res.prepareResource"), {info.resType, info.id, info.resInfo});
}

QString KTestResourceHandler::validateResource(const ResourceInfo& info)
{
    m_control->record(QStringLiteral("res.validateResource"), {info.resType, info.id});
    return m_control->option(option("invalid")).toString();
}

KZembaBatchDownloadParam KTestResourceHandler::getDownloadList(const ResourceInfo& info)
{
    m_control->record(QStringLiteral("res.getDownloadList"), {info.resType, info.id});
    KZembaBatchDownloadParam download;
    download.id = info.resType + info.id;
    download.name = QStringLiteral("batch ") + download.id;
    download.flag = 0;
    const QStringList urls = info.resInfo.value(QStringLiteral("urls")).toStringList();
    for (const QString& url : urls) {
        KZembaBatchDownloadItem item;
        item.itemId = download.id;
        item.itemName = url;
        item.param.resourceArgs.id = info.id;
        item.param.resourceArgs.urls = QStringList{url};
        download.items.append(item);
    }
    return download;
}
