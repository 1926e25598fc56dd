#include "kdownloadtask.h"

#include "kdownloadmgr.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

KDownloadTask::KDownloadTask(QObject* parent)
    : QObject(parent)
{
}

KDownloadTask::~KDownloadTask()
{
    if (m_manager)
        m_manager->taskEnded(this);
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

bool KDownloadTask::attach(TASKID taskId, void* context)
{
    if (m_taskId != 0)
        return false;
    KDownloadMgr* manager = KDownloadMgr::defaultInstance();
    if (!manager->takeTask(taskId, &m_params))
        return false;
    m_manager = manager;
    m_taskId = taskId;
    m_context = context;
    return true;
}

bool KDownloadTask::run()
{
    if (m_taskId == 0 || m_started || !m_manager)
        return false;
    m_started = true;
    QNetworkRequest request(QUrl(m_params.url(), QUrl::TolerantMode));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_manager->networkAccessManager()->get(request);
    connect(m_reply.data(), &QNetworkReply::finished, this, &KDownloadTask::onReplyFinished);
    connect(m_reply.data(), &QNetworkReply::downloadProgress, this,
            [this](qint64 received, qint64 total) { emit onProgress(m_taskId, received, total); });
    m_manager->taskStarted(this);
    return true;
}

bool KDownloadTask::isRunning() const
{
    return !m_reply.isNull();
}

void KDownloadTask::onReplyFinished()
{
    QNetworkReply* reply = m_reply.data();
    if (!reply)
        return;
    m_reply.clear();
    if (m_manager)
        m_manager->taskEnded(this);

    m_response.httpStatusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_response.body = reply->readAll();
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorString = reply->errorString();
    reply->deleteLater();

    // The receiver may release this task; nothing follows the report.
    if (error == QNetworkReply::NoError) {
        emit onSuccess(m_taskId, m_params.url());
        return;
    }
    KDownloadErrorInfo info;
    info.errorCode = static_cast<int>(error);
    info.httpStatusCode = m_response.httpStatusCode;
    info.errorString = errorString;
    info.url = m_params.url();
    emit onError(m_taskId, info);
}
