#ifndef KZEMBA_DOWNLOAD_KDOWNLOADMGR_H
#define KZEMBA_DOWNLOAD_KDOWNLOADMGR_H

#include "kzembaplatform_export.h"

#include "kdownloadparams.h"
#include "kdownloadtypes.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

class KDownloadTask;
class QNetworkAccessManager;

/// The suite's download manager on QNetworkAccessManager. A caller describes a
/// download with KDownloadParams, gets a task id from createTask(), binds a
/// KDownloadTask to that id and runs it; the task reports once, with onSuccess
/// or onError. The default instance belongs to the application. A running task
/// that has no parent belongs to the manager until it reports, so a task still
/// under way when the application ends is released with it.
class KZEMBAPLATFORM_EXPORT KDownloadMgr : public QObject
{
    Q_OBJECT
public:
    static KDownloadMgr* defaultInstance();

    // Registers a download and returns its id (never 0).
    TASKID createTask(const KDownloadParams& params);
    bool hasTask(TASKID taskId) const;
    // Hands the download `taskId` over to the task that attaches it; false when there is none.
    bool takeTask(TASKID taskId, KDownloadParams* params);

    QNetworkAccessManager* networkAccessManager() const { return m_network; }
    int runningTaskCount() const;

private:
    friend class KDownloadTask;

    explicit KDownloadMgr(QObject* parent);
    ~KDownloadMgr() override;

    void taskStarted(KDownloadTask* task);
    void taskEnded(KDownloadTask* task);

    QNetworkAccessManager* m_network;
    QHash<TASKID, KDownloadParams> m_tasks;
    TASKID m_lastTaskId = 0;
    QList<QPointer<KDownloadTask>> m_running;
};

#endif
