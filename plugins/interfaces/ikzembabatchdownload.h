#ifndef KZEMBA_PLUGINS_IKZEMBABATCHDOWNLOAD_H
#define KZEMBA_PLUGINS_IKZEMBABATCHDOWNLOAD_H

#include "kzembapluginexport.h"
#include "kzembaresdownloadtypes.h"

#include <QList>
#include <QString>
#include <QVariantMap>

class QObject;

/// One item of a batch download: two fields of the service's own, then the
/// resource download record.
struct KZembaBatchDownloadItem
{
    QString itemId;
    QString itemName;
    kzembaresnetwork::ResDownloadParam param;
};

/// A batch-download request.
struct KZembaBatchDownloadParam
{
    QString id;
    QString name;
    QList<KZembaBatchDownloadItem> items;
    QString extra;
    int flag = 0;
};

/// The batch-download service of the base plug-in "kzembabase" (entry
/// GetZembaBatchDownload). It reports each batch through three notifications
/// that receivers subscribe to by slot signature.
class KZEMBA_PLUGIN_INTERFACE IKZembaBatchDownload
{
public:
    virtual ~IKZembaBatchDownload() = default;

    virtual void startDownload(const QString& id, const QString& name, const QList<KZembaBatchDownloadItem>& items,
                               int flag, const QString& extra, const QVariantMap& options) = 0;
    virtual bool hasDownload(const QString& id) = 0;
    virtual void cancelDownload(const QString& id) = 0;

    // `slot` is a SLOT() signature: "1onResDownloadSuccess(const QString&)",
    // "1onResDownloadError(const QString&, DownloadFailInfo)" and
    // "1onUpdateResDownloadProgress(const QString&, int)"; `connectionType` is a Qt::ConnectionType.
    virtual bool connectDownloadSuccess(QObject* receiver, const char* slot, int connectionType) = 0;
    virtual bool connectDownloadError(QObject* receiver, const char* slot, int connectionType) = 0;
    virtual bool connectDownloadProgress(QObject* receiver, const char* slot, int connectionType) = 0;
};

using GetZembaBatchDownloadFn = IKZembaBatchDownload* (*)();

#endif
