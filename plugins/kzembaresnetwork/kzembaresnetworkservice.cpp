#include "kzembaresnetworkservice.h"

#include "kzembafiledownload.h"

#include <QFile>
#include <QNetworkAccessManager>

namespace {
constexpr int kDefaultTimeoutMs = 30000;
}

KZembaResNetworkService::KZembaResNetworkService(QObject* parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
{
}

KZembaResNetworkService::~KZembaResNetworkService() = default;

QString KZembaResNetworkService::serviceName() const
{
    return QStringLiteral("kzembaresnetwork");
}

bool KZembaResNetworkService::isDownloading(const QString& id) const
{
    return m_jobs.contains(id);
}

QString KZembaResNetworkService::startDownload(const kzembaresnetwork::ResDownloadParam& param,
                                               const kzembaresnetwork::SuccessHandler& onSuccess,
                                               const kzembaresnetwork::ProgressHandler& onProgress,
                                               const kzembaresnetwork::FailHandler& onFail)
{
    const QString id = QStringLiteral("res-%1").arg(++m_lastId);
    m_jobs.insert(id, Job{param, onSuccess, onProgress, onFail, 0});
    startUrl(id);
    return id;
}

void KZembaResNetworkService::startUrl(const QString& id)
{
    const auto it = m_jobs.constFind(id);
    if (it == m_jobs.constEnd())
        return;
    const kzembaresnetwork::ResDownloadParam& param = it->param;
    const QUrl url(param.resourceArgs.urls.value(it->url));
    const QString savePath = param.saveArgs.saveFilePath;

    auto* download = new KZembaFileDownload(m_network, this);
    download->setHeaders(param.commonArgs.headers);
    download->setTimeout(param.commonArgs.timeout > 0 ? param.commonArgs.timeout : kDefaultTimeoutMs);
    if (param.saveArgs.bCheckMd5)
        download->setExpectedMd5(param.resourceArgs.md5);
    // Without a save path the body is kept in memory; a saved file asked back as bytes is read again.
    const bool keepBytes = savePath.isEmpty();
    download->start(
        url, savePath,
        [this, id, download, savePath, keepBytes]() {
            download->deleteLater();
            const Job job = m_jobs.take(id);
            kzembaresnetwork::DownloadSuccessInfo info;
            info.resourceKey = job.param.resourceKey;
            info.id = job.param.resourceArgs.id;
            info.url = download->url().toString();
            info.httpStatusCode = download->httpStatusCode();
            if (!savePath.isEmpty()) {
                info.filePath = savePath;
                info.files = QStringList{savePath};
            }
            if (keepBytes) {
                info.data.insert(QStringLiteral("fileByteArray"), download->bytes());
            } else if (job.param.saveArgs.bReturnByteArray) {
                QFile file(savePath);
                if (file.open(QIODevice::ReadOnly))
                    info.data.insert(QStringLiteral("fileByteArray"), file.read(KZembaFileDownload::kMaxMemoryBytes));
            }
            if (job.onSuccess)
                job.onSuccess(id, info);
        },
        [this, id](qint64 received, qint64 total) {
            const auto job = m_jobs.constFind(id);
            if (job != m_jobs.constEnd() && job->onProgress)
                job->onProgress(id, received, total);
        },
        [this, id, download](const KZembaFileDownload::Failure& failure) {
            download->deleteLater();
            auto job = m_jobs.find(id);
            if (job == m_jobs.end())
                return;
            if (!failure.md5Error && job->url + 1 < job->param.resourceArgs.urls.size()) {
                ++job->url;
                startUrl(id);
                return;
            }
            const kzembaresnetwork::FailHandler onFail = job->onFail;
            m_jobs.erase(job);
            if (onFail)
                onFail(id, failure.toDownloadFailInfo());
        });
}
