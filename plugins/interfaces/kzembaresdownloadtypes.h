#ifndef KZEMBA_PLUGINS_KZEMBARESDOWNLOADTYPES_H
#define KZEMBA_PLUGINS_KZEMBARESDOWNLOADTYPES_H

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>

// Records exchanged with the resource-network and batch-download services.
namespace kzembaresnetwork {

struct ResDownloadCommonArgs
{
    QString component;
    QString rmsp;
    QString client_type;
    QString channel;
    QString sub_channel;
    QString pay_source;
    qint64 platform = 8;
    QString sn;
    qint64 mb_app = 1;
    QVariantMap queryItems;
    QVariantMap headers;
    int tokenDownload = 0;
    QString plgName;
    QString plgVer;
    int timeout = -1;
};

struct ResDownloadResourceArgs
{
    QString id;
    QString rid;
    QString third_id;
    QString origin;
    QVariantMap extra;
    QString md5;
    QString downloadKey;
    QVariantMap templateCustomProps;
    qint64 resSize = 0;
    QString resRespId;
    QStringList urls;
    bool bServerAuth = false;
};

struct ResDownloadSaveArgs
{
    bool bUnzip = false;
    bool bCheckMd5 = false;
    bool bForceStart = false;
    bool bCacheMd5Check = false;
    QString saveFilePath;
    QString installFilePath;
    bool bReturnByteArray = false;
};

struct ResDownloadMethodInfo
{
    int option = 1;
    int priority = 2;
};

struct ResDownloadStatus
{
    int downloadstatus = 0;
    int progress = 0;
};

/// The parameters of one resource download.
struct ResDownloadParam
{
    QString resourceKey;
    ResDownloadCommonArgs commonArgs;
    ResDownloadResourceArgs resourceArgs;
    ResDownloadSaveArgs saveArgs;
    ResDownloadMethodInfo methodInfo;
    ResDownloadStatus status;
};

/// What a finished download reports. `data` holds the downloaded bytes under
/// "fileByteArray" when they were asked for or there was nowhere to save them.
struct DownloadSuccessInfo
{
    QString resourceKey;
    QString id;
    QString filePath;
    QStringList files;
    QString url;
    int httpStatusCode = 0;
    QVariantMap data;
};

/// Why a download failed.
struct DownloadFailInfo
{
    int errorCode = 0;
    int httpStatusCode = 0;
    QString description;
    QString url;
    bool bMd5Err = false;
    bool bUnzipErr = false;
    QString errorMsg;
    QByteArray content;
};

using SuccessHandler = std::function<void(const QString& id, const DownloadSuccessInfo& info)>;
using ProgressHandler = std::function<void(const QString& id, qint64 received, qint64 total)>;
using FailHandler = std::function<void(const QString& id, const DownloadFailInfo& info)>;

} // namespace kzembaresnetwork

// Slot and signal signatures name the failure record without its namespace
// ("onResDownloadError(const QString&, DownloadFailInfo)"), so the short name must exist.
using DownloadFailInfo = kzembaresnetwork::DownloadFailInfo;

Q_DECLARE_METATYPE(kzembaresnetwork::DownloadFailInfo)

#endif
