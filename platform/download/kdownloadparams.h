#ifndef KZEMBA_DOWNLOAD_KDOWNLOADPARAMS_H
#define KZEMBA_DOWNLOAD_KDOWNLOADPARAMS_H

#include "kzembaplatform_export.h"

#include <QString>

/// What a download task fetches: the URL and the manager's operation and
/// priority codes. The codes are kept for the caller's sake; this manager
/// fetches every task the same way, with a GET into memory.
class KZEMBAPLATFORM_EXPORT KDownloadParams
{
public:
    KDownloadParams();

    void setUrl(const QString& url);
    QString url() const { return m_url; }
    void setOperation(int operation);
    int operation() const { return m_operation; }
    void setPriority(int priority);
    int priority() const { return m_priority; }

private:
    QString m_url;
    int m_operation = 0;
    int m_priority = 0;
};

#endif
