#ifndef KZEMBA_BASE_KMODIFYCUSTOMPROPSHOST_H
#define KZEMBA_BASE_KMODIFYCUSTOMPROPSHOST_H

#include "base/kcustompropshelper.h"

#include <QObject>

namespace kzemba {

/// The caller's side of one custom-property request, on the caller's thread: it
/// holds the callbacks, takes the first outcome (success, error or time-out),
/// answers it, posts the usage report and deletes itself. Later outcomes find
/// the host gone or done and are dropped.
class KCustomPropsHelper::KModifyCustomPropsHost : public QObject
{
    Q_OBJECT
public:
    KModifyCustomPropsHost(SuccessCallback onSuccess, ErrorCallback onError, const QString& sourcePath,
                           qint64 startTime);
    ~KModifyCustomPropsHost() override;

public slots:
    void onSuccess(const QString& sourcePath, const QString& targetPath);
    void onError(const QString& sourcePath, KModifyCustomPropsErrorInfo error);
    void onTimeOut();

private:
    // Marks the request answered; false when it already was.
    bool takeOutcome();
    void report(int code, const QString& desc) const;

    SuccessCallback m_onSuccess;
    ErrorCallback m_onError;
    bool m_done = false;
    QString m_sourcePath;
    qint64 m_startTime;
};

} // namespace kzemba

#endif
