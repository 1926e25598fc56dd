#include "kzembabatchdownloadservice.h"

#include "kzembafiledownload.h"

#include <krt/krt.h>
#include <vdllite/kxloggerlite.h>

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QTimer>

namespace {

constexpr int kDefaultTimeoutMs = 30000;

bool isInside(const QString& path, const QString& folder)
{
    const QString clean = QDir::cleanPath(path);
    const QString root = QDir::cleanPath(folder) + QLatin1Char('/');
    return clean.startsWith(root);
}

} // namespace

KZembaBatchDownloadService::KZembaBatchDownloadService(QObject* parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
{
    qRegisterMetaType<kzembaresnetwork::DownloadFailInfo>("DownloadFailInfo");
}

KZembaBatchDownloadService::~KZembaBatchDownloadService() = default;

QString KZembaBatchDownloadService::downloadFolder()
{
    return krt::dirs::officeData() + QStringLiteral("/zemba/downloads");
}

QString KZembaBatchDownloadService::defaultSavePath(const QString& batchId, const QUrl& url)
{
    return downloadFolder() + QLatin1Char('/') + KZembaFileDownload::safeFileName(batchId, QStringLiteral("batch")) + QLatin1Char('/')
        + KZembaFileDownload::safeFileName(QFileInfo(url.path()).fileName(), QStringLiteral("download"));
}

void KZembaBatchDownloadService::startDownload(const QString& id, const QString&,
                                               const QList<KZembaBatchDownloadItem>& items, int, const QString&,
                                               const QVariantMap&)
{
    if (id.isEmpty() || m_batches.contains(id))
        return; // nothing to name it by, or it is running already
    Batch batch;
    batch.items = items;
    m_batches.insert(id, batch);
    // The outcome always comes after the call has returned.
    QTimer::singleShot(0, this, [this, id]() { startItem(id); });
}

void KZembaBatchDownloadService::startItem(const QString& id)
{
    auto it = m_batches.find(id);
    if (it == m_batches.end())
        return;
    if (it->item >= it->items.size()) {
        finish(id, nullptr);
        return;
    }
    const KZembaBatchDownloadItem& item = it->items.at(it->item);
    const QStringList& urls = item.param.resourceArgs.urls;
    if (urls.isEmpty()) {
        DownloadFailInfo info;
        info.errorCode = KZembaFileDownload::NoUrl;
        info.description = QStringLiteral("item %1 has no url").arg(it->item);
        finish(id, &info);
        return;
    }
    const QUrl url(urls.value(it->url));
    const QString path = savePath(id, item, url);
    if (path.isEmpty()) {
        DownloadFailInfo info;
        info.errorCode = KZembaFileDownload::CannotWrite;
        info.description = QStringLiteral("save path outside the data folder: %1").arg(item.param.saveArgs.saveFilePath);
        info.url = url.toString();
        finish(id, &info);
        return;
    }

    auto* download = new KZembaFileDownload(m_network, this);
    download->setHeaders(item.param.commonArgs.headers);
    download->setTimeout(item.param.commonArgs.timeout > 0 ? item.param.commonArgs.timeout : kDefaultTimeoutMs);
    if (item.param.saveArgs.bCheckMd5)
        download->setExpectedMd5(item.param.resourceArgs.md5);
    it->download = download;
    download->start(
        url, path,
        [this, id, download]() {
            download->deleteLater();
            onItemDone(id);
        },
        [this, id](qint64 received, qint64 total) { onItemProgress(id, received, total); },
        [this, id, download](const KZembaFileDownload::Failure& failure) {
            download->deleteLater();
            onItemFailed(id, failure.toDownloadFailInfo());
        });
}

QString KZembaBatchDownloadService::savePath(const QString& id, const KZembaBatchDownloadItem& item,
                                             const QUrl& url) const
{
    const QString given = item.param.saveArgs.saveFilePath;
    if (given.isEmpty())
        return defaultSavePath(id, url);
    const QString path = QDir::isAbsolutePath(given) ? QDir::cleanPath(given)
                                                     : QDir::cleanPath(downloadFolder() + QLatin1Char('/') + given);
    return isInside(path, krt::dirs::officeData()) ? path : QString();
}

void KZembaBatchDownloadService::onItemProgress(const QString& id, qint64 received, qint64 total)
{
    auto it = m_batches.find(id);
    if (it == m_batches.end() || total <= 0)
        return;
    const double fraction = double(qMin(received, total)) / double(total);
    const int percent = int((it->item + fraction) * 100.0 / it->items.size());
    if (percent <= it->percent || percent >= 100)
        return; // 100 is sent once, when the whole batch is there
    it->percent = percent;
    emit downloadProgress(id, percent);
}

void KZembaBatchDownloadService::onItemDone(const QString& id)
{
    auto it = m_batches.find(id);
    if (it == m_batches.end())
        return;
    ++it->item;
    it->url = 0;
    startItem(id);
}

void KZembaBatchDownloadService::onItemFailed(const QString& id, const DownloadFailInfo& info)
{
    auto it = m_batches.find(id);
    if (it == m_batches.end())
        return;
    // Another URL of the same item may still work; a bad checksum is the item's own fault.
    if (!info.bMd5Err && it->url + 1 < it->items.at(it->item).param.resourceArgs.urls.size()) {
        ++it->url;
        startItem(id);
        return;
    }
    finish(id, &info);
}

void KZembaBatchDownloadService::finish(const QString& id, const DownloadFailInfo* failure)
{
    if (failure) {
        KxLoggerLite::writeInfo(QStringLiteral("KZembaBase"),
                                QStringLiteral("batch %1 failed: %2 %3").arg(id, failure->description, failure->url));
        emit downloadError(id, *failure);
    } else {
        if (m_batches.value(id).percent < 100)
            emit downloadProgress(id, 100);
        emit downloadSuccess(id);
    }
    m_batches.remove(id);
}

bool KZembaBatchDownloadService::hasDownload(const QString& id)
{
    return m_batches.contains(id);
}

void KZembaBatchDownloadService::cancelDownload(const QString& id)
{
    const Batch batch = m_batches.take(id);
    if (batch.download) {
        batch.download->cancel();
        batch.download->deleteLater();
    }
}

bool KZembaBatchDownloadService::connectDownloadSuccess(QObject* receiver, const char* slot, int connectionType)
{
    return connect(this, SIGNAL(downloadSuccess(const QString&)), receiver, slot,
                   static_cast<Qt::ConnectionType>(connectionType));
}

bool KZembaBatchDownloadService::connectDownloadError(QObject* receiver, const char* slot, int connectionType)
{
    return connect(this, SIGNAL(downloadError(const QString&, DownloadFailInfo)), receiver, slot,
                   static_cast<Qt::ConnectionType>(connectionType));
}

bool KZembaBatchDownloadService::connectDownloadProgress(QObject* receiver, const char* slot, int connectionType)
{
    return connect(this, SIGNAL(downloadProgress(const QString&, int)), receiver, slot,
                   static_cast<Qt::ConnectionType>(connectionType));
}
