#include "kcustompropshelper.h"

#include "base/kmodifycustompropshost.h"
#include "base/kmodifycustompropsworker.h"

#include <krt/kpluginssettings.h>
#include <vdllite/kxloggerlite.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

namespace kzemba {

namespace {

const char kLogModule[] = "KCustomPropsHelper";

QVariant customPropsSetting(const QString& key, const QVariant& defaultValue)
{
    krt::KPluginsSettings settings;
    settings.beginGroup(QStringLiteral("kzembacommon"));
    settings.beginGroup(QStringLiteral("kcustomprops"));
    return settings.value(key, defaultValue);
}

// With the "debug" setting on, an existing file named by "debugFilePath" stands in for every
// source document, so that a developer can try the copy on a document of their choice.
QString debugSourcePath()
{
    static const bool debug = customPropsSetting(QStringLiteral("debug"), false).toBool();
    if (!debug)
        return QString();
    const QString path = customPropsSetting(QStringLiteral("debugFilePath"), QString()).toString();
    return !path.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}

void registerErrorType()
{
    // Signals name the type both with and without its namespace.
    static const bool registered = [] {
        qRegisterMetaType<KModifyCustomPropsErrorInfo>("KModifyCustomPropsErrorInfo");
        qRegisterMetaType<KModifyCustomPropsErrorInfo>("kzemba::KModifyCustomPropsErrorInfo");
        return true;
    }();
    Q_UNUSED(registered)
}

} // namespace

void KCustomPropsHelper::asyncModifyCustomProps(const QString& filePath, const QString& folderName,
                                                const QHash<QString, QString>& props, SuccessCallback onSuccess,
                                                ErrorCallback onError, int timeoutMs)
{
    QString source = debugSourcePath();
    if (source.isEmpty())
        source = filePath;
    else
        KxLoggerLite::writeInfo(QLatin1String(kLogModule),
                                QStringLiteral("debug source %1 used for %2").arg(source, filePath));

    const QFileInfo sourceInfo(source);
    if (!sourceInfo.exists()) {
        if (onError)
            onError(source, {1, QStringLiteral("file %1 not found").arg(source)});
        return;
    }

    const QString folder = sourceInfo.absolutePath() + QDir::separator() + folderName;
    if (!QFileInfo::exists(folder))
        QDir().mkdir(folder);
    const QString target = folder + QDir::separator() + sourceInfo.fileName();
    const QFileInfo targetInfo(target);
    // An empty or "." folder names the document itself, which is no copy.
    if (targetInfo == sourceInfo) {
        KxLoggerLite::writeWarning(QLatin1String(kLogModule),
                                   QStringLiteral("the copy of %1 would be the document itself").arg(source));
        if (onError)
            onError(source, {2, QStringLiteral("file %1 to %2 copy failed").arg(source, target)});
        return;
    }
    if (targetInfo.isFile()) {
        if (onSuccess)
            onSuccess(source, target);
        return;
    }

    registerErrorType();
    auto* worker = new KModifyCustomPropsWorker(source, target, props);
    auto* host = new KModifyCustomPropsHost(std::move(onSuccess), std::move(onError), source,
                                            QDateTime::currentMSecsSinceEpoch());
    // The thread and the worker delete themselves once the worker has reported; the host
    // deletes itself after the first outcome.
    auto* thread = new QThread;
    thread->setObjectName(QStringLiteral("KModifyCustomPropsWorker"));
    worker->moveToThread(thread);
    QObject::connect(thread, &QThread::started, worker, &KModifyCustomPropsWorker::process);
    QObject::connect(worker, &KModifyCustomPropsWorker::onSuccess, host, &KModifyCustomPropsHost::onSuccess,
                     Qt::BlockingQueuedConnection);
    QObject::connect(worker, &KModifyCustomPropsWorker::onError, host, &KModifyCustomPropsHost::onError,
                     Qt::BlockingQueuedConnection);
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    QObject::connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    if (timeoutMs >= 0)
        QTimer::singleShot(timeoutMs, host, &KModifyCustomPropsHost::onTimeOut);
    thread->start(QThread::InheritPriority);
}

} // namespace kzemba
