#ifndef KZEMBA_PLUGINS_KZEMBARESNETWORKSERVICE_H
#define KZEMBA_PLUGINS_KZEMBARESNETWORKSERVICE_H

#include "interfaces/ikzembaresnetwork.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class KZembaFileDownload;
class QNetworkAccessManager;

/// The resource-network plug-in's service. A download tries the record's URLs
/// in order (the "headers" of the common arguments go with each request; a
/// positive "timeout" is the time without a byte after which it gives up). The
/// body goes to "saveFilePath" (through a temporary file, so a failure leaves
/// nothing) and, when "bReturnByteArray" is set or there is no save path, into
/// the success record's data under "fileByteArray". With "bCheckMd5" the body
/// must match "md5". Each download's outcome comes after startDownload() has
/// returned: the success handler or the failure handler, once.
class KZembaResNetworkService : public QObject, public IKZembaResNetwork
{
    Q_OBJECT
public:
    explicit KZembaResNetworkService(QObject* parent = nullptr);
    ~KZembaResNetworkService() override;

    QString serviceName() const override;
    bool isDownloading(const QString& id) const override;
    QString startDownload(const kzembaresnetwork::ResDownloadParam& param,
                          const kzembaresnetwork::SuccessHandler& onSuccess,
                          const kzembaresnetwork::ProgressHandler& onProgress,
                          const kzembaresnetwork::FailHandler& onFail) override;

private:
    struct Job
    {
        kzembaresnetwork::ResDownloadParam param;
        kzembaresnetwork::SuccessHandler onSuccess;
        kzembaresnetwork::ProgressHandler onProgress;
        kzembaresnetwork::FailHandler onFail;
        int url = 0;
    };

    void startUrl(const QString& id);

    QNetworkAccessManager* m_network;
    QHash<QString, Job> m_jobs;
    quint64 m_lastId = 0;
};

#endif
