#ifndef KZEMBA_TESTS_KTESTRESNETWORK_H
#define KZEMBA_TESTS_KTESTRESNETWORK_H

#include "kzembatestplugins_export.h"

#include "interfaces/ikzembaresnetwork.h"

#include <QList>
#include <QObject>
#include <QSet>

class KTestPluginControl;
class QNetworkAccessManager;

/// The test resource-network service: it really downloads the record's first
/// URL and reports through the handlers, saving to "saveFilePath" or returning
/// the bytes under "fileByteArray". It keeps every record it was given. Option
/// "resnetwork/defaultPort": the port that URLs without one are fetched from.
class KZEMBATESTPLUGINS_EXPORT KTestResNetwork : public QObject, public IKZembaResNetwork
{
    Q_OBJECT
public:
    KTestResNetwork(KTestPluginControl* control, QObject* parent);

    void reset();

    QString serviceName() const override;
    bool isDownloading(const QString& id) const override;
    QString startDownload(const kzembaresnetwork::ResDownloadParam& param,
                          const kzembaresnetwork::SuccessHandler& onSuccess,
                          const kzembaresnetwork::ProgressHandler& onProgress,
                          const kzembaresnetwork::FailHandler& onFail) override;

    QList<kzembaresnetwork::ResDownloadParam> startedParams() const { return m_started; }

private:
    KTestPluginControl* m_control;
    QNetworkAccessManager* m_network;
    QList<kzembaresnetwork::ResDownloadParam> m_started;
    QSet<QString> m_running;
    int m_lastId = 0;
};

#endif
