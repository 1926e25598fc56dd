#ifndef KZEMBA_DOWNLOAD_KDOWNLOADTASK_H
#define KZEMBA_DOWNLOAD_KDOWNLOADTASK_H

#include "kzembaplatform_export.h"

#include "kdownloadparams.h"
#include "kdownloadtypes.h"

#include <QObject>
#include <QPointer>

class KDownloadMgr;
class QNetworkReply;

/// One run of a download that the default manager registered. attach() binds
/// the task to a task id, run() starts it, and the task then reports exactly
/// once: onSuccess with the URL when the server answered without error, or
/// onError. response() holds what the server sent, also after an error. The
/// task does not delete itself; receivers release it (deleteLater) when it has
/// reported. Deleting a running task aborts its request without a report.
class KZEMBAPLATFORM_EXPORT KDownloadTask : public QObject
{
    Q_OBJECT
public:
    explicit KDownloadTask(QObject* parent = nullptr);
    ~KDownloadTask() override;

    // Binds the task to the registered download `taskId`; `context` is the caller's and is
    // handed back by context(). False when the id is unknown or the task is already bound.
    bool attach(TASKID taskId, void* context);
    // Starts the download; false when the task is not bound or has already run.
    bool run();

    TASKID taskId() const { return m_taskId; }
    void* context() const { return m_context; }
    KDownloadParams params() const { return m_params; }
    bool isRunning() const;
    KDownloadResponse response() const { return m_response; }

signals:
    void onSuccess(TASKID taskId, const QString& url);
    void onError(TASKID taskId, KDownloadErrorInfo info);
    // While the body arrives; `total` is -1 when the server did not say how much comes.
    void onProgress(TASKID taskId, qint64 received, qint64 total);

private:
    void onReplyFinished();

    QPointer<KDownloadMgr> m_manager;
    TASKID m_taskId = 0;
    void* m_context = nullptr;
    KDownloadParams m_params;
    QPointer<QNetworkReply> m_reply;
    bool m_started = false;
    KDownloadResponse m_response;
};

#endif
