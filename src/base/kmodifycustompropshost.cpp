#include "kmodifycustompropshost.h"

#include "webwidget/kzembaeventreporter.h"

#include <QDateTime>
#include <QFileInfo>

#include <utility>

namespace kzemba {

KCustomPropsHelper::KModifyCustomPropsHost::KModifyCustomPropsHost(SuccessCallback onSuccess, ErrorCallback onError,
                                                                   const QString& sourcePath, qint64 startTime)
    : m_onSuccess(std::move(onSuccess))
    , m_onError(std::move(onError))
    , m_sourcePath(sourcePath)
    , m_startTime(startTime)
{
}

KCustomPropsHelper::KModifyCustomPropsHost::~KModifyCustomPropsHost() = default;

bool KCustomPropsHelper::KModifyCustomPropsHost::takeOutcome()
{
    // Marked before any callback runs, so that an outcome arriving while the callback spins
    // an event loop is dropped too.
    return !std::exchange(m_done, true);
}

void KCustomPropsHelper::KModifyCustomPropsHost::onSuccess(const QString& sourcePath, const QString& targetPath)
{
    if (takeOutcome()) {
        if (m_onSuccess)
            m_onSuccess(sourcePath, targetPath);
        report(0, QStringLiteral("success"));
    }
    deleteLater();
}

void KCustomPropsHelper::KModifyCustomPropsHost::onError(const QString& sourcePath, KModifyCustomPropsErrorInfo error)
{
    if (takeOutcome()) {
        if (m_onError)
            m_onError(sourcePath, error);
        report(error.code, error.desc);
    }
    deleteLater();
}

void KCustomPropsHelper::KModifyCustomPropsHost::onTimeOut()
{
    if (takeOutcome()) {
        const KModifyCustomPropsErrorInfo error{5, QStringLiteral("time out.")};
        if (m_onError)
            m_onError(m_sourcePath, error);
        report(error.code, error.desc);
    }
    deleteLater();
}

void KCustomPropsHelper::KModifyCustomPropsHost::report(int code, const QString& desc) const
{
    const QHash<QString, QString> params = {
        {QStringLiteral("file_path"), m_sourcePath},
        {QStringLiteral("file_size"), QString::number(QFileInfo(m_sourcePath).size())},
        {QStringLiteral("time_cost"), QString::number(QDateTime::currentMSecsSinceEpoch() - m_startTime)},
        {QStringLiteral("code"), QString::number(code)},
        {QStringLiteral("desc"), desc},
    };
    KZembaEventReporter::post(QStringLiteral("zemba_common_customprops_modify"), params, 0, 0);
}

} // namespace kzemba
