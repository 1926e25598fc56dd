#ifndef KZEMBA_DOWNLOAD_KDOWNLOADTYPES_H
#define KZEMBA_DOWNLOAD_KDOWNLOADTYPES_H

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QtGlobal>

// Records of the suite's download manager.

// The id of a download task, unique in the process; 0 is never a task.
using TASKID = quint64;

/// Why a download failed: the network error code (QNetworkReply::NetworkError),
/// the HTTP status (0 without an answer), the error text and the URL.
struct KDownloadErrorInfo
{
    int errorCode = 0;
    int httpStatusCode = 0;
    QString errorString;
    QString url;
};

/// What the server answered to a task: HTTP status and body.
struct KDownloadResponse
{
    int httpStatusCode = 0;
    QByteArray body;
};

Q_DECLARE_METATYPE(KDownloadErrorInfo)

#endif
