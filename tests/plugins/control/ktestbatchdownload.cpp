#include "ktestbatchdownload.h"

#include "ktestplugincontrol.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

KTestBatchDownload::KTestBatchDownload(KTestPluginControl* control, QObject* parent)
    : QObject(parent)
    , m_control(control)
{
    qRegisterMetaType<kzembaresnetwork::DownloadFailInfo>("DownloadFailInfo");
}

void KTestBatchDownload::reset()
{
    m_batches.clear();
    m_itemsLeft.clear();
}

void KTestBatchDownload::startDownload(const QString& id, const QString& name,
                                       const QList<KZembaBatchDownloadItem>& items, int flag, const QString& extra,
                                       const QVariantMap& options)
{
    m_control->record(QStringLiteral("batch.startDownload"), {id, name, items.size(), flag, extra, options});
    m_batches.insert(id, items);
    if (m_control->option(QStringLiteral("batch/download"), false).toBool())
        download(id);
}

void KTestBatchDownload::download(const QString& id)
{
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    const QList<KZembaBatchDownloadItem> items = m_batches.value(id);
    m_itemsLeft.insert(id, items.size());
    if (items.isEmpty()) {
        QMetaObject::invokeMethod(this, [this, id]() { succeed(id); }, Qt::QueuedConnection);
        return;
    }
    for (const KZembaBatchDownloadItem& item : items) {
        QNetworkReply* reply = m_network->get(QNetworkRequest(QUrl(item.param.resourceArgs.urls.value(0))));
        connect(reply, &QNetworkReply::finished, this, [this, id, reply]() { onItemFinished(id, reply); });
    }
}

void KTestBatchDownload::onItemFinished(const QString& id, QNetworkReply* reply)
{
    reply->deleteLater();
    if (!m_itemsLeft.contains(id))
        return; // cancelled, or already failed
    if (reply->error() != QNetworkReply::NoError) {
        DownloadFailInfo info;
        info.errorCode = static_cast<int>(reply->error());
        info.httpStatusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        info.description = reply->errorString();
        info.url = reply->url().toString();
        info.content = reply->readAll();
        m_itemsLeft.remove(id);
        fail(id, info);
        return;
    }
    const int total = m_batches.value(id).size();
    const int left = --m_itemsLeft[id];
    progress(id, (total - left) * 100 / total);
    if (left == 0) {
        m_itemsLeft.remove(id);
        succeed(id);
    }
}

bool KTestBatchDownload::hasDownload(const QString& id)
{
    m_control->record(QStringLiteral("batch.hasDownload"), {id});
    return m_control->option(QStringLiteral("batch/knowsAll"), false).toBool() || m_batches.contains(id);
}

void KTestBatchDownload::cancelDownload(const QString& id)
{
    m_control->record(QStringLiteral("batch.cancelDownload"), {id});
    m_batches.remove(id);
    m_itemsLeft.remove(id);
}

bool KTestBatchDownload::connectNotification(const char* operation, const char* signal, QObject* receiver,
                                             const char* slot, int connectionType)
{
    m_control->record(QString::fromLatin1(operation), {QString::fromLatin1(slot), connectionType});
    return connect(this, signal, receiver, slot, static_cast<Qt::ConnectionType>(connectionType));
}

bool KTestBatchDownload::connectDownloadSuccess(QObject* receiver, const char* slot, int connectionType)
{
    return connectNotification("batch.connectDownloadSuccess", SIGNAL(downloadSuccess(const QString&)), receiver, slot,
                               connectionType);
}

bool KTestBatchDownload::connectDownloadError(QObject* receiver, const char* slot, int connectionType)
{
    return connectNotification("batch.connectDownloadError", SIGNAL(downloadError(const QString&, DownloadFailInfo)),
                               receiver, slot, connectionType);
}

bool KTestBatchDownload::connectDownloadProgress(QObject* receiver, const char* slot, int connectionType)
{
    return connectNotification("batch.connectDownloadProgress", SIGNAL(downloadProgress(const QString&, int)),
                               receiver, slot, connectionType);
}

// Like a real service, a batch is still known while its outcome is reported.
void KTestBatchDownload::succeed(const QString& id)
{
    emit downloadSuccess(id);
    m_batches.remove(id);
}

void KTestBatchDownload::fail(const QString& id, const DownloadFailInfo& info)
{
    emit downloadError(id, info);
    m_batches.remove(id);
}

void KTestBatchDownload::progress(const QString& id, int percent)
{
    emit downloadProgress(id, percent);
}
