#include "kdownloadmgr.h"

#include "kdownloadtask.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>

KDownloadMgr* KDownloadMgr::defaultInstance()
{
    // Owned by the application, so that its network objects go before Qt does.
    static QPointer<KDownloadMgr> manager;
    if (!manager)
        manager = new KDownloadMgr(QCoreApplication::instance());
    return manager;
}

KDownloadMgr::KDownloadMgr(QObject* parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
{
    qRegisterMetaType<TASKID>("TASKID");
    qRegisterMetaType<KDownloadErrorInfo>("KDownloadErrorInfo");
}

KDownloadMgr::~KDownloadMgr()
{
    // Tasks that nobody owns would outlive their reply otherwise.
    const QList<QPointer<KDownloadTask>> running = m_running;
    m_running.clear();
    for (const QPointer<KDownloadTask>& task : running) {
        if (task && !task->parent())
            delete task.data();
    }
}

TASKID KDownloadMgr::createTask(const KDownloadParams& params)
{
    const TASKID taskId = ++m_lastTaskId;
    m_tasks.insert(taskId, params);
    return taskId;
}

bool KDownloadMgr::hasTask(TASKID taskId) const
{
    return m_tasks.contains(taskId);
}

bool KDownloadMgr::takeTask(TASKID taskId, KDownloadParams* params)
{
    auto it = m_tasks.find(taskId);
    if (it == m_tasks.end())
        return false;
    if (params)
        *params = it.value();
    m_tasks.erase(it);
    return true;
}

int KDownloadMgr::runningTaskCount() const
{
    int count = 0;
    for (const QPointer<KDownloadTask>& task : m_running)
        count += task ? 1 : 0;
    return count;
}

void KDownloadMgr::taskStarted(KDownloadTask* task)
{
    m_running.append(task);
}

void KDownloadMgr::taskEnded(KDownloadTask* task)
{
    for (int i = m_running.size() - 1; i >= 0; --i) {
        if (!m_running.at(i) || m_running.at(i) == task)
            m_running.removeAt(i);
    }
}
