#ifndef KZEMBA_TESTS_KTESTBATCHDOWNLOAD_H
#define KZEMBA_TESTS_KTESTBATCHDOWNLOAD_H

#include "kzembatestplugins_export.h"

#include "interfaces/ikzembabatchdownload.h"

#include <QMap>
#include <QObject>

class KTestPluginControl;
class QNetworkAccessManager;
class QNetworkReply;

/// The test batch-download service. It records what it is asked and keeps the
/// started batches. By default a test finishes, fails or advances them with
/// succeed(), fail() and progress(), which raise the service's notifications;
/// with the option "batch/download" it downloads every item's first URL for
/// real and reports progress per finished item, then success or the first
/// failure.
class KZEMBATESTPLUGINS_EXPORT KTestBatchDownload : public QObject, public IKZembaBatchDownload
{
    Q_OBJECT
public:
    KTestBatchDownload(KTestPluginControl* control, QObject* parent);

    void reset();

    void startDownload(const QString& id, const QString& name, const QList<KZembaBatchDownloadItem>& items, int flag,
                       const QString& extra, const QVariantMap& options) override;
    bool hasDownload(const QString& id) override;
    void cancelDownload(const QString& id) override;
    bool connectDownloadSuccess(QObject* receiver, const char* slot, int connectionType) override;
    bool connectDownloadError(QObject* receiver, const char* slot, int connectionType) override;
    bool connectDownloadProgress(QObject* receiver, const char* slot, int connectionType) override;

    QList<KZembaBatchDownloadItem> items(const QString& id) const { return m_batches.value(id); }
    void succeed(const QString& id);
    void fail(const QString& id, const DownloadFailInfo& info);
    void progress(const QString& id, int percent);

signals:
    void downloadSuccess(const QString& id);
    void downloadError(const QString& id, DownloadFailInfo info);
    void downloadProgress(const QString& id, int percent);

private:
    bool connectNotification(const char* operation, const char* signal, QObject* receiver, const char* slot,
                             int connectionType);
    void download(const QString& id);
    void onItemFinished(const QString& id, QNetworkReply* reply);

    KTestPluginControl* m_control;
    QNetworkAccessManager* m_network = nullptr;
    QMap<QString, QList<KZembaBatchDownloadItem>> m_batches;
    QMap<QString, int> m_itemsLeft;
};

#endif
