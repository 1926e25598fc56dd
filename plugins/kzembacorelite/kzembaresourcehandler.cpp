#include "kzembaresourcehandler.h"

#include "kzembafiledownload.h"
#include "kzembahttpheaders.h"

#include <krt/krt.h>
#include <vdllite/jsonhelper.h>
#include <vdllite/kxloggerlite.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUrl>

namespace {

const QString kLogModule = QStringLiteral("KZembaCoreLite");
const QString kRecordName = QStringLiteral("resource.json");

QString fileNameOf(const QUrl& url, int index)
{
    const QString name = KZembaFileDownload::safeFileName(QFileInfo(url.path()).fileName(), QString());
    return name.isEmpty() || name == kRecordName ? QStringLiteral("file%1").arg(index) : name;
}

} // namespace

KZembaResourceHandler::KZembaResourceHandler(const QString& resType)
    : m_resType(resType)
{
}

QStringList KZembaResourceHandler::knownTypes()
{
    return {QStringLiteral("template"), QStringLiteral("picture"), QStringLiteral("font"), QStringLiteral("material"),
            QStringLiteral("icon")};
}

QString KZembaResourceHandler::downloadFolder(const QString& resType, const QString& id)
{
    return krt::dirs::officeData() + QStringLiteral("/zemba/downloads/%1/%2").arg(resType, id);
}

QString KZembaResourceHandler::appliedFolder(const QString& resType, const QString& id)
{
    return krt::dirs::officeData() + QStringLiteral("/zemba/resources/%1/%2").arg(resType, id);
}

bool KZembaResourceHandler::isSafeId(const QString& id)
{
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9_-][A-Za-z0-9._-]{0,127}$"));
    return safe.match(id).hasMatch();
}

QVariantMap KZembaResourceHandler::appliedResource(const QString& resType, const QString& id)
{
    if (!knownTypes().contains(resType) || !isSafeId(id))
        return QVariantMap();
    const QString folder = appliedFolder(resType, id);
    QFile file(folder + QLatin1Char('/') + kRecordName);
    if (!file.open(QIODevice::ReadOnly))
        return QVariantMap();
    QVariantMap record = JsonHelper::convertStringToQJson(QString::fromUtf8(file.read(1024 * 1024))).toVariantMap();
    const QStringList files = record.value(QStringLiteral("files")).toStringList();
    for (const QString& name : files) {
        if (!QFileInfo(folder + QLatin1Char('/') + name).isFile())
            return QVariantMap(); // damaged: download it again
    }
    record.insert(QStringLiteral("path"), folder);
    return record;
}

QStringList KZembaResourceHandler::urlsOf(const ResourceInfo& info)
{
    QStringList urls = info.resInfo.value(QStringLiteral("urls")).toStringList();
    const QString url = info.resInfo.value(QStringLiteral("url")).toString();
    if (urls.isEmpty() && !url.isEmpty())
        urls.append(url);
    return urls;
}

QString KZembaResourceHandler::validateResource(const ResourceInfo& info)
{
    if (!isSafeId(info.id))
        return QStringLiteral("invalid resource id");
    if (!appliedResource(m_resType, info.id).isEmpty())
        return QString();
    const QStringList urls = urlsOf(info);
    if (urls.isEmpty())
        return QStringLiteral("no download url");
    for (const QString& url : urls) {
        if (!kzembahttp::isHttpUrl(QUrl(url)))
            return QStringLiteral("invalid download url");
    }
    return QString();
}

void KZembaResourceHandler::prepareResource(const ResourceInfo& info)
{
    if (isSafeId(info.id))
        m_descriptions.insert(info.id, info.resInfo);
}

bool KZembaResourceHandler::isLocalResource(const ResourceInfo& info)
{
    if (!isSafeId(info.id))
        return false;
    if (!appliedResource(m_resType, info.id).isEmpty())
        return true;
    return apply(info);
}

bool KZembaResourceHandler::apply(const ResourceInfo& info)
{
    const QString from = downloadFolder(m_resType, info.id);
    const QStringList downloaded = QDir(from).entryList(QDir::Files, QDir::Name);
    if (downloaded.isEmpty())
        return false;
    const QString to = appliedFolder(m_resType, info.id);
    QDir(to).removeRecursively();
    if (!QDir().mkpath(to)) {
        KxLoggerLite::writeError(kLogModule, QStringLiteral("cannot create %1").arg(to));
        return false;
    }
    for (const QString& name : downloaded) {
        if (!QFile::copy(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name)) {
            KxLoggerLite::writeError(kLogModule, QStringLiteral("cannot apply %1 to %2").arg(name, to));
            QDir(to).removeRecursively();
            return false;
        }
    }
    const QVariantMap record{{QStringLiteral("resType"), m_resType},
                             {QStringLiteral("id"), info.id},
                             {QStringLiteral("files"), downloaded},
                             {QStringLiteral("resInfo"), m_descriptions.take(info.id)}};
    QSaveFile file(to + QLatin1Char('/') + kRecordName);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(QJsonDocument(QJsonObject::fromVariantMap(record)).toJson()) < 0 || !file.commit()) {
        QDir(to).removeRecursively();
        return false;
    }
    QDir(from).removeRecursively();
    KxLoggerLite::writeInfo(kLogModule, QStringLiteral("applied %1 %2 at %3").arg(m_resType, info.id, to));
    return true;
}

KZembaBatchDownloadParam KZembaResourceHandler::getDownloadList(const ResourceInfo& info)
{
    KZembaBatchDownloadParam download;
    download.id = info.resType + info.id;
    download.name = info.resInfo.value(QStringLiteral("name")).toString();
    const QStringList urls = urlsOf(info);
    const QString md5 = info.resInfo.value(QStringLiteral("md5")).toString();
    for (int i = 0; i < urls.size(); ++i) {
        KZembaBatchDownloadItem item;
        item.itemId = info.id;
        item.itemName = urls.at(i);
        item.param.resourceArgs.id = info.id;
        item.param.resourceArgs.urls = QStringList{urls.at(i)};
        // One checksum describes a one-file resource.
        if (urls.size() == 1 && !md5.isEmpty()) {
            item.param.resourceArgs.md5 = md5;
            item.param.saveArgs.bCheckMd5 = true;
        }
        // Files of one resource never share a name, even when their URLs end alike.
        const QString name = fileNameOf(QUrl(urls.at(i)), i);
        item.param.saveArgs.saveFilePath = downloadFolder(m_resType, info.id) + QLatin1Char('/')
            + (urls.size() > 1 ? QStringLiteral("%1_%2").arg(i).arg(name) : name);
        download.items.append(item);
    }
    return download;
}
