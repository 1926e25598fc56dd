#include "ktestresnetwork.h"

#include "ktestplugincontrol.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>

KTestResNetwork::KTestResNetwork(KTestPluginControl* control, QObject* parent)
    : QObject(parent)
    , m_control(control)
    , m_network(new QNetworkAccessManager(this))
{
}

void KTestResNetwork::reset()
{
    m_started.clear();
}

QString KTestResNetwork::serviceName() const
{
    return QStringLiteral("kzembaresnetwork-test");
}

bool KTestResNetwork::isDownloading(const QString& id) const
{
    return m_running.contains(id);
}

QString KTestResNetwork::startDownload(const kzembaresnetwork::ResDownloadParam& param,
                                       const kzembaresnetwork::SuccessHandler& onSuccess,
                                       const kzembaresnetwork::ProgressHandler& onProgress,
                                       const kzembaresnetwork::FailHandler& onFail)
{
    m_started.append(param);
    const QString id = QStringLiteral("res-%1").arg(++m_lastId);
    m_control->record(QStringLiteral("resnetwork.startDownload"), {id, param.resourceArgs.urls});

    if (param.resourceArgs.urls.isEmpty()) {
        QTimer::singleShot(0, this, [id, onFail]() {
            kzembaresnetwork::DownloadFailInfo info;
            info.errorCode = 1;
            info.description = QStringLiteral("no url");
            if (onFail)
                onFail(id, info);
        });
        return id;
    }

    m_running.insert(id);
    QUrl url(param.resourceArgs.urls.first());
    // Tests serve "default port" URLs from their local server's port.
    const QVariant defaultPort = m_control->option(QStringLiteral("resnetwork/defaultPort"));
    if (defaultPort.isValid() && url.port() == -1)
        url.setPort(defaultPort.toInt());
    QNetworkReply* reply = m_network->get(QNetworkRequest(url));
    if (onProgress) {
        connect(reply, &QNetworkReply::downloadProgress, this,
                [id, onProgress](qint64 received, qint64 total) { onProgress(id, received, total); });
    }
    connect(reply, &QNetworkReply::finished, this, [this, reply, id, param, onSuccess, onFail]() {
        reply->deleteLater();
        m_running.remove(id);
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() != QNetworkReply::NoError) {
            kzembaresnetwork::DownloadFailInfo info;
            info.errorCode = static_cast<int>(reply->error());
            info.httpStatusCode = status;
            info.description = reply->errorString();
            info.url = reply->url().toString();
            if (onFail)
                onFail(id, info);
            return;
        }
        const QByteArray body = reply->readAll();
        kzembaresnetwork::DownloadSuccessInfo info;
        info.resourceKey = param.resourceKey;
        info.id = param.resourceArgs.id;
        info.url = reply->url().toString();
        info.httpStatusCode = status;
        const QString savePath = param.saveArgs.saveFilePath;
        if (!savePath.isEmpty()) {
            QFile file(savePath);
            if (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size()) {
                kzembaresnetwork::DownloadFailInfo fail;
                fail.errorCode = 2;
                fail.httpStatusCode = status;
                fail.description = QStringLiteral("cannot save %1").arg(savePath);
                fail.url = info.url;
                if (onFail)
                    onFail(id, fail);
                return;
            }
            info.filePath = savePath;
            info.files = QStringList{savePath};
        }
        if (param.saveArgs.bReturnByteArray || savePath.isEmpty())
            info.data.insert(QStringLiteral("fileByteArray"), body);
        if (onSuccess)
            onSuccess(id, info);
    });
    return id;
}
