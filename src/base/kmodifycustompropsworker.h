#ifndef KZEMBA_BASE_KMODIFYCUSTOMPROPSWORKER_H
#define KZEMBA_BASE_KMODIFYCUSTOMPROPSWORKER_H

#include "base/kcustompropshelper.h"

#include <QObject>

namespace kzemba {

/// The file work of one custom-property request, on a thread of its own: copies
/// the document into a temporary file in the target folder, writes the
/// properties into it and only then moves it into place, so that the target path
/// never holds a half-made copy. Reports one outcome and ends its thread.
class KCustomPropsHelper::KModifyCustomPropsWorker : public QObject
{
    Q_OBJECT
public:
    KModifyCustomPropsWorker(const QString& sourcePath, const QString& targetPath,
                             const QHash<QString, QString>& props);
    ~KModifyCustomPropsWorker() override;

signals:
    void onSuccess(const QString& sourcePath, const QString& targetPath);
    void onError(const QString& sourcePath, KModifyCustomPropsErrorInfo error);

public slots:
    void process();

private:
    KModifyCustomPropsErrorInfo makeCopy();

    QString m_sourcePath;
    QString m_targetPath;
    QHash<QString, QString> m_props;
};

} // namespace kzemba

#endif
