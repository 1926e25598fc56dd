#include "kuserprofessionhelper.h"

#include "resource/kzembapluginloader.h"

#include "interfaces/ikzembabase.h"

#include <download/kdownloadmgr.h>
#include <download/kdownloadparams.h>
#include <download/kdownloadtask.h>
#include <krt/kcoreapplication.h>
#include <krt/kdcinfocdetail.h>
#include <krt/kdomainmgr.h>
#include <krt/kpluginssettings.h>
#include <vdllite/jsonhelper.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QUrl>

namespace {

const char kSettingsGroup[] = "kuserprofession";
const char kGroupMatchCacheKey[] = "groupMatchQueryCache";
// Answers and cache items hold for seven days.
const qint64 kValidityMs = 604800000;
// The download manager's codes for a fetch into memory and its priority.
const int kDownloadOperation = 5;
const int kDownloadPriority = 2;

QString storeApiBaseUrl()
{
    if (!QCoreApplication::instance())
        return QString();
    KDomainMgr* domains = KCoreApplication::getDomainMgr();
    return domains ? domains->getDomainUrl(QStringLiteral("zembaapiqox")) : QString();
}

bool hasDomainManager()
{
    return QCoreApplication::instance() && KCoreApplication::getDomainMgr();
}

// Starts a download of `url` whose outcome goes to the two slots of `receiver`, which
// releases the task.
void startDownload(const QString& url, KUserProfessionHelper* receiver, const char* successSlot,
                   const char* errorSlot, const QString& argInclude = QString())
{
    KDownloadParams params;
    params.setUrl(url);
    params.setOperation(kDownloadOperation);
    params.setPriority(kDownloadPriority);
    const TASKID taskId = KDownloadMgr::defaultInstance()->createTask(params);

    // The helper owns its tasks, so that one that dies while a query runs leaves none behind.
    auto* task = new KDownloadTask(receiver);
    task->attach(taskId, nullptr);
    if (!argInclude.isNull())
        task->setProperty("argInclude", argInclude);
    QObject::connect(task, SIGNAL(onSuccess(TASKID, const QString&)), receiver, successSlot);
    QObject::connect(task, SIGNAL(onError(TASKID, KDownloadErrorInfo)), receiver, errorSlot);
    task->run();
}

QJsonObject responseObject(const KDownloadTask* task)
{
    return JsonHelper::convertStringToQJson(QString::fromUtf8(task->response().body));
}

bool isOkAnswer(const QJsonObject& answer)
{
    return answer.contains(QStringLiteral("data")) && answer.value(QStringLiteral("result")).toString() == QLatin1String("ok");
}

} // namespace

KUserProfessionHelper& KUserProfessionHelper::Instance()
{
    static KUserProfessionHelper instance(nullptr);
    return instance;
}

KUserProfessionHelper::KUserProfessionHelper(QObject* parent)
    : QObject(parent)
{
    readGroupMatchCache();
}

KUserProfessionHelper::~KUserProfessionHelper() = default;

qint64 KUserProfessionHelper::currentMSecsSinceEpoch() const
{
    return QDateTime::currentMSecsSinceEpoch();
}

QString KUserProfessionHelper::getUserProfession()
{
    readUserProfessionConfig();
    return QStringLiteral("%1_%2").arg(m_tag, m_groups);
}

QString KUserProfessionHelper::getUserProfessionGroups()
{
    readUserProfessionConfig();
    return m_groups;
}

bool KUserProfessionHelper::isUserProfessionGroupMatch(const QStringList& includes, QStringList* result)
{
    const QString key = includes.join(QLatin1Char(';'));
    auto it = m_groupMatchCache.constFind(key);
    if (it != m_groupMatchCache.constEnd()) {
        if (result)
            *result = it->result;
        return it->bMatch;
    }
    queryGroupMatch(key);
    return false;
}

void KUserProfessionHelper::readUserProfessionConfig()
{
    krt::KPluginsSettings settings;
    settings.beginGroup(QLatin1String(kSettingsGroup));
    m_validity = kValidityMs;
    m_lastQueryTime = settings.value(QStringLiteral("timestamp"), 0).toLongLong();
    m_groups.clear();

    const QStringList storedGroupsList = settings.value(QStringLiteral("groups")).toStringList();
    const QString storedGroups = storedGroupsList.size() == 1 ? storedGroupsList.first() : QString();
    const QString storedTag = settings.value(QStringLiteral("tag")).toString();
    const QString storedMd5 = settings.value(QStringLiteral("md5")).toString();

    if (m_lastQueryTime + m_validity < currentMSecsSinceEpoch()
        || getConfigInfoMd5(storedGroups, storedTag, m_lastQueryTime) != storedMd5) {
        queryUserProfession();
        return;
    }
    if (IKZembaBase* base = kzemba::KZembaPluginLoader::getZembaBase()) {
        m_groups = base->decodeFromStorage(storedGroups);
        m_tag = base->decodeFromStorage(storedTag);
    }
}

void KUserProfessionHelper::writeUserProfessionConfig()
{
    QString encodedGroups;
    QString encodedTag;
    if (IKZembaBase* base = kzemba::KZembaPluginLoader::getZembaBase()) {
        encodedGroups = base->encodeForStorage(m_groups);
        encodedTag = base->encodeForStorage(m_tag);
    }
    const QString md5 = getConfigInfoMd5(encodedGroups, encodedTag, m_lastQueryTime);

    krt::KPluginsSettings settings;
    settings.beginGroup(QLatin1String(kSettingsGroup));
    settings.setValue(QStringLiteral("timestamp"), m_lastQueryTime);
    settings.setValue(QStringLiteral("groups"), QStringList{encodedGroups});
    settings.setValue(QStringLiteral("tag"), encodedTag);
    settings.setValue(QStringLiteral("md5"), md5);
}

QString KUserProfessionHelper::getConfigInfoMd5(const QString& groups, const QString& tag, qint64 timestamp)
{
    const QByteArray text = (groups + tag + QString::number(timestamp)).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex().toUpper());
}

void KUserProfessionHelper::queryUserProfession()
{
    const QString payload = QStringLiteral("{\"hdid\":\"%1\"}").arg(KDcInfoCDetail::getHdid());
    QString fragment;
    if (IKZembaBase* base = kzemba::KZembaPluginLoader::getZembaBase())
        fragment = base->encodeRequestParams(payload);
    // The text ends with an underscore: the server expects the slot of a third value.
    const QString rmsp = QStringLiteral("pc_common_client_%1_%2_").arg(KDcInfoCDetail::getVersion(), KDcInfoCDetail::getMC());
    const QString url =
        QStringLiteral("%1/proxy/zemba/partner.php/api/startup/v2/pro_recommend/profession_v2?cv=tag_group&rmsp=%2&%3")
            .arg(storeApiBaseUrl(), rmsp, fragment);
    startDownload(url, this, SLOT(onQueryInfoSuccess(TASKID, const QString&)),
                  SLOT(onQueryInfoError(TASKID, KDownloadErrorInfo)));
}

void KUserProfessionHelper::queryGroupMatch(const QString& key)
{
    const QString hdid = KDcInfoCDetail::getHdid();
    const QString rmsp =
        QStringLiteral("pc_common_client_%1_%2_%3").arg(KDcInfoCDetail::getVersion(), KDcInfoCDetail::getMC(), hdid);
    const QString base = hasDomainManager() ? storeApiBaseUrl() + QStringLiteral("/proxy/recommend") : QString();
    const QString url = QStringLiteral("%1/profession/v1/index_v2?rmsp=%2&uuid=%3&hdid=%4&guid=%5&include=%6")
                            .arg(base, rmsp, KDcInfoCDetail::getUuid(), hdid, KDcInfoCDetail::getGuid(),
                                 QString::fromLatin1(QUrl::toPercentEncoding(key)));
    startDownload(url, this, SLOT(onQueryGroupMatchSuccess(TASKID, const QString&)),
                  SLOT(onQueryGroupMatchError(TASKID, KDownloadErrorInfo)), key);
}

void KUserProfessionHelper::onQueryInfoSuccess(TASKID, const QString&)
{
    auto* task = qobject_cast<KDownloadTask*>(sender());
    if (!task)
        return;
    const QJsonObject answer = responseObject(task);
    m_validity = kValidityMs;
    // A refused answer also holds for a week: the server is not asked again sooner.
    m_lastQueryTime = currentMSecsSinceEpoch();
    if (isOkAnswer(answer)) {
        const QJsonObject data = answer.value(QStringLiteral("data")).toObject();
        m_groups = data.value(QStringLiteral("group")).toVariant().toStringList().join(QLatin1Char(';'));
        m_tag = data.value(QStringLiteral("tag")).toVariant().toString();
    }
    writeUserProfessionConfig();
    task->deleteLater();
}

void KUserProfessionHelper::onQueryInfoError(TASKID, KDownloadErrorInfo)
{
    if (QObject* task = qobject_cast<KDownloadTask*>(sender()))
        task->deleteLater();
}

void KUserProfessionHelper::onQueryGroupMatchSuccess(TASKID, const QString&)
{
    auto* task = qobject_cast<KDownloadTask*>(sender());
    if (!task)
        return;
    GroupMatchCacheItem item;
    item.argInclude = task->property("argInclude").toString();
    item.tsLast = currentMSecsSinceEpoch();
    const QJsonObject answer = responseObject(task);
    if (isOkAnswer(answer)) {
        const QJsonValue data = answer.value(QStringLiteral("data"));
        item.bMatch = data.isArray() && !data.toArray().isEmpty();
        item.result = data.toVariant().toStringList();
    }
    // Refusals are kept too, so the server is not asked again for a week.
    m_groupMatchCache.insert(item.argInclude, item);
    writeGroupMatchCache();
    task->deleteLater();
}

void KUserProfessionHelper::onQueryGroupMatchError(TASKID, KDownloadErrorInfo)
{
    if (QObject* task = qobject_cast<KDownloadTask*>(sender()))
        task->deleteLater();
}

void KUserProfessionHelper::readGroupMatchCache()
{
    krt::KPluginsSettings settings;
    settings.beginGroup(QLatin1String(kSettingsGroup));
    const QStringList stored = settings.value(QLatin1String(kGroupMatchCacheKey)).toStringList();
    if (stored.size() != 1)
        return;
    QByteArray json = QByteArray::fromHex(stored.first().toUtf8());
    const int end = json.indexOf('\0');
    if (end >= 0)
        json.truncate(end);

    const qint64 now = currentMSecsSinceEpoch();
    const QJsonArray caches = JsonHelper::convertStringToQJson(QString::fromUtf8(json)).value(QStringLiteral("caches")).toArray();
    for (const QJsonValue& value : caches) {
        const QJsonObject object = value.toObject();
        GroupMatchCacheItem item;
        item.argInclude = object.value(QStringLiteral("argInclude")).toString();
        item.bMatch = object.value(QStringLiteral("bMatch")).toBool(false);
        item.tsLast = object.value(QStringLiteral("tsLast")).toVariant().toLongLong();
        const QString result = object.value(QStringLiteral("result")).toString();
        // An empty text is an empty list, not a list of one empty group.
        if (!result.isEmpty())
            item.result = result.split(QLatin1Char('|'), Qt::KeepEmptyParts, Qt::CaseSensitive);
        if (now < item.tsLast + kValidityMs)
            m_groupMatchCache.insert(item.argInclude, item);
    }
}

void KUserProfessionHelper::writeGroupMatchCache()
{
    QJsonArray caches;
    for (const GroupMatchCacheItem& item : qAsConst(m_groupMatchCache)) {
        QJsonObject object;
        object.insert(QStringLiteral("argInclude"), item.argInclude);
        object.insert(QStringLiteral("bMatch"), item.bMatch);
        object.insert(QStringLiteral("tsLast"), item.tsLast);
        object.insert(QStringLiteral("result"), item.result.join(QLatin1Char('|')));
        caches.append(object);
    }
    QJsonObject root;
    root.insert(QStringLiteral("caches"), caches);
    const QByteArray hex = JsonHelper::convertQJsonToString(root).toUtf8().toHex();

    krt::KPluginsSettings settings;
    settings.beginGroup(QLatin1String(kSettingsGroup));
    settings.setValue(QLatin1String(kGroupMatchCacheKey), QStringList{QString::fromLatin1(hex)});
}
