#ifndef KZEMBA_PROFESSION_KUSERPROFESSIONHELPER_H
#define KZEMBA_PROFESSION_KUSERPROFESSIONHELPER_H

#include "kzembajsapilite_export.h"

#include <download/kdownloadtypes.h>

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

/// The user's profession as the store's recommendation service sees it: a
/// profession tag and the profession groups. The values are fetched from the
/// server at most once a week, kept in the plug-in settings (group
/// "kuserprofession") under a checksum, and answered from memory. The helper
/// also tells whether the user matches a set of group conditions, from a cache
/// per condition list that server answers fill in the background and that is
/// kept for seven days. Use the process-wide Instance().
class KZEMBAJSAPILITE_EXPORT KUserProfessionHelper : public QObject
{
    Q_OBJECT
public:
    static KUserProfessionHelper& Instance();

    explicit KUserProfessionHelper(QObject* parent);
    ~KUserProfessionHelper() override;

    // "<tag>_<groups>"; may start a server query, whose answer later calls see.
    QString getUserProfession();
    // The groups joined with ";".
    QString getUserProfessionGroups();
    // Whether the user matches `includes`. The first call for a condition list answers false,
    // leaves `result` alone and asks the server; later calls answer from the server's answer
    // and hand back the matching groups in `result`.
    bool isUserProfessionGroupMatch(const QStringList& includes, QStringList* result);

protected:
    // The clock, in milliseconds since the epoch. Construction always reads the system clock.
    virtual qint64 currentMSecsSinceEpoch() const;

private:
    struct GroupMatchCacheItem
    {
        QString argInclude;
        QStringList result;
        bool bMatch = false;
        qint64 tsLast = 0;
    };

    void readUserProfessionConfig();
    void writeUserProfessionConfig();
    void queryUserProfession();
    void readGroupMatchCache();
    void writeGroupMatchCache();
    QString getConfigInfoMd5(const QString& groups, const QString& tag, qint64 timestamp);
    void queryGroupMatch(const QString& key);

private slots:
    void onQueryInfoSuccess(TASKID taskId, const QString& url);
    void onQueryInfoError(TASKID taskId, KDownloadErrorInfo info);
    void onQueryGroupMatchSuccess(TASKID taskId, const QString& url);
    void onQueryGroupMatchError(TASKID taskId, KDownloadErrorInfo info);

private:
    QString m_tag;
    QString m_groups;
    qint64 m_lastQueryTime = 0;
    qint64 m_validity = 0;
    QMap<QString, GroupMatchCacheItem> m_groupMatchCache;
};

#endif
