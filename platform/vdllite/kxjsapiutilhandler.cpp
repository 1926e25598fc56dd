#include "kxjsapiutilhandler.h"

#include "jsonhelper.h"
#include "kxjsapiconstants.h"
#include "kxwebviewasynjsobject.h"
#include "kxwebviewcontainer.h"
#include "kxwebviewjscontext.h"

#include <download/kdownloadmgr.h>
#include <download/kdownloadtask.h>
#include <krt/kdcinfoc.h>
#include <krt/kdirs.h>
#include <krt/kprocess.h>
#include <krt/krt.h>

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUrl>

#include <memory>

namespace {

KxJSApiUtilHandler::ZembaPageOpener& zembaPageOpener()
{
    static KxJSApiUtilHandler::ZembaPageOpener opener;
    return opener;
}

// Where a download of `url` to `path` lands: `path` itself, or the URL's file name inside
// `path` when that is a folder.
QString downloadTarget(const QString& path, const QUrl& url)
{
    if (!QFileInfo(path).isDir())
        return QDir::cleanPath(QDir::current().absoluteFilePath(path));
    QString name = url.fileName(QUrl::FullyDecoded);
    if (name.isEmpty() || name == QLatin1String("..") || name == QLatin1String("."))
        name = QStringLiteral("download");
    return QDir(QDir::current().absoluteFilePath(path)).filePath(name);
}

} // namespace

KxJSApiUtilHandler::KxJSApiUtilHandler(QObject* parent, KxWebViewAsynJSObject* jsObject)
    : KxWebViewJSApiHandler(parent, jsObject)
{
}

KxJSApiUtilHandler::~KxJSApiUtilHandler() = default;

void KxJSApiUtilHandler::setZembaPageOpener(const ZembaPageOpener& opener)
{
    zembaPageOpener() = opener;
}

void KxJSApiUtilHandler::setError(KxWebViewJSContext& context, const QString& message)
{
    context.result()[g_str_callstatus] = g_str_error;
    context.result()[g_str_errormsg] = JsonHelper::variantToJsonValue(message);
}

void KxJSApiUtilHandler::setOk(KxWebViewJSContext& context)
{
    context.result()[g_str_callstatus] = g_str_ok;
}

void KxJSApiUtilHandler::openUrl(KxWebViewJSContext& context)
{
    openCheckedUrl(context);
}

void KxJSApiUtilHandler::innerOpenUrl(KxWebViewJSContext& context)
{
    openCheckedUrl(context);
}

void KxJSApiUtilHandler::openCheckedUrl(KxWebViewJSContext& context)
{
    const QString url = parseContextArgs(context, true).value(QStringLiteral("url")).toString();
    if (url.isEmpty()) {
        setError(context, QStringLiteral("url can not be empty."));
        return;
    }
    if (!krt::ksafe::KProcess::checkUrl(url)) {
        setError(context, QStringLiteral("url is not allowed."));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl(url.trimmed(), QUrl::StrictMode))) {
        setError(context, QStringLiteral("open url failed."));
        return;
    }
    setOk(context);
}

void KxJSApiUtilHandler::isFileExist(KxWebViewJSContext& context)
{
    const QString path = parseContextArgs(context, true).value(QStringLiteral("path")).toString();
    if (path.isEmpty()) {
        setError(context, QStringLiteral("path can not be empty."));
        return;
    }
    setOk(context);
    context.result()["bexist"] = QFileInfo::exists(path) ? 1 : 0;
}

void KxJSApiUtilHandler::support(KxWebViewJSContext& context)
{
    const QString method = parseContextArgs(context, true).value(QStringLiteral("method")).toString();
    if (method.isEmpty()) {
        setError(context, QStringLiteral("method can not be empty."));
        return;
    }
    setOk(context);
    context.result()[g_str_result]["support"] = hasJsMethod(method);
}

void KxJSApiUtilHandler::getPrivilegeSwitch(KxWebViewJSContext& context)
{
    const QString name = parseContextArgs(context, true).value(QStringLiteral("name")).toString();
    // A switch name is one configuration key, never a path into other groups.
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z0-9_.-]+$"));
    if (!plainName.match(name).hasMatch()) {
        setError(context, QStringLiteral("name is not valid."));
        return;
    }
    setOk(context);
    context.result()[g_str_result]["name"] = JsonHelper::variantToJsonValue(name);
    context.result()[g_str_result]["enabled"] =
        krt::config::value(QStringLiteral("privilege/") + name, false).toBool();
}

void KxJSApiUtilHandler::openZembaPage(KxWebViewJSContext& context)
{
    const QVariantMap params = parseContextArgs(context, true);
    if (params.isEmpty()) {
        setError(context, QStringLiteral("params can not be empty."));
        return;
    }
    const ZembaPageOpener opener = zembaPageOpener();
    if (!opener) {
        setError(context, QStringLiteral("openZembaPage is not supported."));
        return;
    }
    KxWebViewAsynJSObject* object = jsObject();
    QString errorText;
    if (!opener(params, errorText, object ? object->container() : nullptr)) {
        setError(context, errorText.isEmpty() ? QStringLiteral("openZembaPage failed.") : errorText);
        return;
    }
    setOk(context);
}

void KxJSApiUtilHandler::download(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context, true);
    const QString url = args.value(QStringLiteral("url")).toString();
    const QString path = args.value(QStringLiteral("path")).toString();
    const QString callback = args.value(QStringLiteral("callback")).toString();
    if (url.isEmpty() || !krt::ksafe::KProcess::checkUrl(url)) {
        setError(context, QStringLiteral("url is not allowed."));
        return;
    }
    if (krt::dirs::inBlackDownloadDir(path)) {
        setError(context, QStringLiteral("path is not allowed."));
        return;
    }
    const QString target = downloadTarget(path, QUrl(url.trimmed()));
    if (krt::dirs::inBlackDownloadDir(target)) {
        setError(context, QStringLiteral("path is not allowed."));
        return;
    }

    KDownloadParams params;
    params.setUrl(url.trimmed());
    KDownloadMgr* manager = KDownloadMgr::defaultInstance();
    // The task belongs to this handler: when the page goes, its download goes with it.
    auto* task = new KDownloadTask(this);
    if (!task->attach(manager->createTask(params), nullptr) || !task->run()) {
        delete task;
        setError(context, QStringLiteral("download failed."));
        return;
    }

    auto lastPercent = std::make_shared<int>(-1);
    connect(task, &KDownloadTask::onProgress, this, [this, callback, lastPercent](TASKID, qint64 received, qint64 total) {
        const int percent = total > 0 ? static_cast<int>(qBound<qint64>(0, received * 100 / total, 100)) : -1;
        if (percent < 0 || percent == *lastPercent)
            return;
        *lastPercent = percent;
        answerDownload(callback, {{QStringLiteral("status"), QStringLiteral("progress")},
                                  {QStringLiteral("progress"), percent}});
    });
    connect(task, &KDownloadTask::onSuccess, this, [this, task, callback, target](TASKID, const QString&) {
        task->deleteLater();
        QDir().mkpath(QFileInfo(target).absolutePath());
        QSaveFile file(target);
        if (!file.open(QIODevice::WriteOnly) || file.write(task->response().body) != task->response().body.size()
            || !file.commit()) {
            answerDownload(callback, {{QStringLiteral("status"), QStringLiteral("failed")},
                                      {QStringLiteral("errormsg"), QStringLiteral("write file failed.")}});
            return;
        }
        answerDownload(callback, {{QStringLiteral("status"), QStringLiteral("finished")},
                                  {QStringLiteral("progress"), 100},
                                  {QStringLiteral("path"), target}});
    });
    connect(task, &KDownloadTask::onError, this, [this, task, callback](TASKID, const KDownloadErrorInfo& info) {
        task->deleteLater();
        answerDownload(callback, {{QStringLiteral("status"), QStringLiteral("failed")},
                                  {QStringLiteral("errormsg"), info.errorString},
                                  {QStringLiteral("httpStatus"), info.httpStatusCode}});
    });
    setOk(context);
}

void KxJSApiUtilHandler::answerDownload(const QString& callback, const QVariantMap& answer)
{
    KxWebViewAsynJSObject* object = jsObject();
    if (callback.isEmpty() || !object)
        return;
    const bool failed = answer.value(QStringLiteral("status")) == QLatin1String("failed");
    QVariantMap envelope{{QLatin1String(g_str_callstatus), QLatin1String(failed ? g_str_error : g_str_ok)},
                         {QLatin1String(g_str_result), answer}};
    if (failed)
        envelope.insert(QLatin1String(g_str_errormsg), answer.value(QStringLiteral("errormsg")));
    object->callbackToJS(callback, JsonHelper::variantMapSerialize(envelope), true);
}

void KxJSApiUtilHandler::reportTaskCenterInfo(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context, true);
    if (args.isEmpty()) {
        setError(context, QStringLiteral("params can not be empty."));
        return;
    }
    QHash<QString, QString> fields;
    for (auto it = args.cbegin(); it != args.cend(); ++it) {
        const QVariant& value = it.value();
        const bool nested = value.type() == QVariant::Map || value.type() == QVariant::List;
        fields.insert(it.key(), nested ? JsonHelper::jsonValueToString(JsonHelper::variantToJsonValue(value))
                                       : value.toString());
    }
    if (KDcInfoC* collector = KDcInfoC::instance())
        collector->postGeneralEvent(QStringLiteral("taskcenter_info"), fields);
    setOk(context);
}
