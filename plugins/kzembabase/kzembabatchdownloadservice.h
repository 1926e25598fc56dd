#ifndef KZEMBA_PLUGINS_KZEMBABATCHDOWNLOADSERVICE_H
#define KZEMBA_PLUGINS_KZEMBABATCHDOWNLOADSERVICE_H

#include "interfaces/ikzembabatchdownload.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class KZembaFileDownload;
class QNetworkAccessManager;

/// The base plug-in's batch-download service. A batch downloads its items one
/// after the other, each from the first of its URLs that works, into its save
/// path: a relative path lies below the download folder
/// ("<office data>/zemba/downloads"), an absolute one must lie inside the
/// office data folder, and without one the item goes to
/// "<download folder>/<batch id>/<file name of the URL>". Progress is the
/// percentage of the whole batch, sent whenever it grows; then either success,
/// or the failure record of the first item that failed (no partial file stays).
/// A batch is still known while its outcome is reported.
class KZembaBatchDownloadService : public QObject, public IKZembaBatchDownload
{
    Q_OBJECT
public:
    explicit KZembaBatchDownloadService(QObject* parent = nullptr);
    ~KZembaBatchDownloadService() override;

    static QString downloadFolder();
    // Where an item without a save path of its own is saved.
    static QString defaultSavePath(const QString& batchId, const QUrl& url);

    void startDownload(const QString& id, const QString& name, const QList<KZembaBatchDownloadItem>& items, int flag,
                       const QString& extra, const QVariantMap& options) override;
    bool hasDownload(const QString& id) override;
    void cancelDownload(const QString& id) override;
    bool connectDownloadSuccess(QObject* receiver, const char* slot, int connectionType) override;
    bool connectDownloadError(QObject* receiver, const char* slot, int connectionType) override;
    bool connectDownloadProgress(QObject* receiver, const char* slot, int connectionType) override;

signals:
    void downloadSuccess(const QString& id);
    void downloadError(const QString& id, DownloadFailInfo info);
    void downloadProgress(const QString& id, int percent);

private:
    struct Batch
    {
        QList<KZembaBatchDownloadItem> items;
        int item = 0; // the item being downloaded
        int url = 0;  // which of its URLs
        int percent = 0;
        QPointer<KZembaFileDownload> download;
    };

    void startItem(const QString& id);
    void onItemProgress(const QString& id, qint64 received, qint64 total);
    void onItemDone(const QString& id);
    void onItemFailed(const QString& id, const DownloadFailInfo& info);
    void finish(const QString& id, const DownloadFailInfo* failure);
    QString savePath(const QString& id, const KZembaBatchDownloadItem& item, const QUrl& url) const;

    QNetworkAccessManager* m_network;
    QHash<QString, Batch> m_batches;
};

#endif
