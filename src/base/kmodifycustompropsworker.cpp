#include "kmodifycustompropsworker.h"

#include "base/kcustompropswriter.h"

#include <vdllite/kxloggerlite.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>

#include <cerrno>
#include <cstdio>

namespace kzemba {

namespace {

const char kLogModule[] = "KCustomPropsHelper";

bool copyContents(QFile& from, QFile& to)
{
    char buffer[256 * 1024];
    qint64 count = 0;
    while ((count = from.read(buffer, sizeof buffer)) > 0) {
        if (to.write(buffer, count) != count)
            return false;
    }
    return count == 0 && to.flush();
}

} // namespace

KCustomPropsHelper::KModifyCustomPropsWorker::KModifyCustomPropsWorker(const QString& sourcePath,
                                                                       const QString& targetPath,
                                                                       const QHash<QString, QString>& props)
    : m_sourcePath(sourcePath)
    , m_targetPath(targetPath)
    , m_props(props)
{
}

KCustomPropsHelper::KModifyCustomPropsWorker::~KModifyCustomPropsWorker() = default;

void KCustomPropsHelper::KModifyCustomPropsWorker::process()
{
    const KModifyCustomPropsErrorInfo outcome = makeCopy();
    if (outcome.code == 0)
        emit onSuccess(m_sourcePath, m_targetPath);
    else
        emit onError(m_sourcePath, outcome);
    thread()->quit();
}

KModifyCustomPropsErrorInfo KCustomPropsHelper::KModifyCustomPropsWorker::makeCopy()
{
    if (!QFileInfo::exists(m_sourcePath))
        return {1, QStringLiteral("file %1 not found").arg(m_sourcePath)};
    const KModifyCustomPropsErrorInfo copyFailed{
        2, QStringLiteral("file %1 to %2 copy failed").arg(m_sourcePath, m_targetPath)};

    // The copy is made under a hidden name and moved into place only when it is complete, so
    // that a failure, or a request that has already timed out, never leaves a half-made copy
    // where the next request would take it for a finished one. The temporary file removes
    // itself on every early return.
    const QFileInfo target(m_targetPath);
    QTemporaryFile copy(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    QFile source(m_sourcePath);
    if (!copy.open() || !source.open(QIODevice::ReadOnly) || !copyContents(source, copy)) {
        KxLoggerLite::writeError(
            QLatin1String(kLogModule),
            QStringLiteral("cannot copy %1 to %2: %3")
                .arg(m_sourcePath, m_targetPath,
                     copy.error() != QFileDevice::NoError ? copy.errorString() : source.errorString()));
        return copyFailed;
    }
    copy.setPermissions(source.permissions());
    copy.close();

    QString error;
    if (!KCustomPropsWriter::write(copy.fileName(), target.fileName(), m_props, &error)) {
        KxLoggerLite::writeError(
            QLatin1String(kLogModule),
            QStringLiteral("custom properties not written into the copy of %1: %2").arg(m_sourcePath, error));
        return {-1, QString()};
    }
    if (std::rename(QFile::encodeName(copy.fileName()).constData(), QFile::encodeName(m_targetPath).constData()) != 0) {
        const QString reason = qt_error_string(errno);
        KxLoggerLite::writeError(
            QLatin1String(kLogModule),
            QStringLiteral("cannot move the copy of %1 to %2: %3").arg(m_sourcePath, m_targetPath, reason));
        return copyFailed;
    }
    copy.setAutoRemove(false);
    return {0, QStringLiteral("success")};
}

} // namespace kzemba
