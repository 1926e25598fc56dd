// KZembaCommonJsApi: the page's environment, account and configuration methods.
#include "kzembacommonjsapi.h"

#include "jsapi/kzembalibrary.h"
#include "profession/kuserprofessionhelper.h"
#include "resource/kzembapluginloader.h"

#include "interfaces/ikzembaaccount.h"
#include "interfaces/ikzembacorelite.h"
#include "interfaces/ikzembauserinfo.h"
#include "interfaces/ksremonitorrecord.h"

#include <krt/kcoreapplication.h>
#include <krt/kdcinfocdetail.h>
#include <krt/kdomainmgr.h>
#include <krt/kpluginconfig.h>
#include <krt/krt.h>
#include <privilege/kprivilegeresource.h>
#include <ui/kdrawhelper.h>
#include <vdllite/jsonhelper.h>
#include <vdllite/kxjsapiconstants.h>
#include <vdllite/kxloggerlite.h>
#include <vdllite/kxwebviewcontainer.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QLibrary>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QWindow>

#include <limits>

namespace {

const char kModule[] = "KZembaCommonJsApi";
const char kLibraryTag[] = "kzembajsapilite";
const char kMonitorLibrary[] = "kappesstoolbox";
// A VIP change this close to a change of user belongs to that change.
const qint64 kVipChangeQuietMs = 1001;

// An int argument of a page: a JSON number or decimal text whose value fits in an int. What
// does not fit is no int at all, rather than wrapped round into another one.
bool intArgument(const QVariant& value, int* out)
{
    bool ok = false;
    qint64 wide = 0;
    switch (static_cast<int>(value.type())) {
    case QMetaType::Double: {
        const double number = value.toDouble();
        ok = number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max();
        wide = ok ? qRound64(number) : 0;
        break;
    }
    case QMetaType::ULongLong:
        ok = value.toULongLong() <= static_cast<qulonglong>(std::numeric_limits<int>::max());
        wide = ok ? value.toLongLong() : 0;
        break;
    case QMetaType::QString:
        wide = value.toString().trimmed().toLongLong(&ok);
        break;
    default:
        wide = value.toLongLong(&ok);
        break;
    }
    if (!ok || wide < std::numeric_limits<int>::min() || wide > std::numeric_limits<int>::max())
        return false;
    *out = static_cast<int>(wide);
    return true;
}

// Whether the device falls into the A/B test bucket: the last byte of the MD5 of `text`
// below 128, about half of all devices, always the same for one device.
bool hitsAbTestBucket(const QString& text)
{
    const QByteArray digest = QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex();
    bool parsed = false;
    const int value = digest.right(2).toInt(&parsed, 16);
    return parsed && value < 128;
}

SREMonitorPostFn resolveMonitorPost()
{
    const QString name = QString::fromLatin1(kMonitorLibrary);
    const QString folder = kpluginconfig::getPluginPath(name, QString());
    if (folder.isEmpty())
        return nullptr;
    // The library stays loaded: Qt unloads only on an explicit unload().
    QLibrary library(QDir(folder).absoluteFilePath(krt::getLibFileName(name)));
    return reinterpret_cast<SREMonitorPostFn>(library.resolve("SREMonitorPost"));
}

// Pages that already reported their use of the legacy account API, for the whole process.
QSet<QString>& reportedLegacyUrls()
{
    static QSet<QString> urls;
    return urls;
}

KxWebViewContainer* findContainer(QObject* object)
{
    for (QObject* ancestor = object ? object->parent() : nullptr; ancestor; ancestor = ancestor->parent()) {
        if (auto* container = qobject_cast<KxWebViewContainer*>(ancestor))
            return container;
    }
    return nullptr;
}

IKZembaAccount* accountService()
{
    IKZembaCoreLite* coreLite = kzemba::KZembaPluginLoader::getCoreLite();
    return coreLite ? coreLite->getAccount() : nullptr;
}

} // namespace

QString KZembaCommonJsApi::getLocalStoragePath() const
{
    return kzemba::localStoreDatabasePath(kzemba::libraryModuleName());
}

void KZembaCommonJsApi::initUserInfo()
{
    IKZembaUserInfo* userInfo = kzemba::KZembaPluginLoader::getZembaUserInfo();
    if (!userInfo)
        return;
    const QString module = kzemba::libraryModuleName();
    KZembaUserInfoRegistration existing;
    if (userInfo->isRegistered(module, existing))
        return;

    QString accountInfoUrl;
    if (QCoreApplication::instance()) {
        if (KDomainMgr* domains = KCoreApplication::getDomainMgr())
            accountInfoUrl = domains->getDomainUrl(QStringLiteral("zembaapiqox"))
                + QStringLiteral("/proxy/client/user/v1/all_info_v6");
    }
    KZembaUserInfoRegistration registration;
    registration.moduleId = module;
    registration.moduleName = module;
    registration.version = QStringLiteral("0.0.0.0");
    registration.queryUrls = QStringList{accountInfoUrl};
    userInfo->registerModule(registration);
}

void KZembaCommonJsApi::getMatchParams(KxWebViewJSContext& context)
{
    context.result()[g_str_callstatus] = g_str_error;
    context.result()[g_str_errormsg] = "not support.";
}

void KZembaCommonJsApi::checkNetworkOnline(KxWebViewJSContext& context)
{
    context.result()["online"] = 1;
}

void KZembaCommonJsApi::getCurrentSkinName(KxWebViewJSContext& context)
{
    context.result()[g_str_result] = KDrawHelper::getCurrentSkinNameFromTheme().toUtf8().toStdString();
}

void KZembaCommonJsApi::getScreenResolution(KxWebViewJSContext& context)
{
    QScreen* screen = nullptr;
    for (QWidget* widget = widgetParent(); widget && !screen; widget = widget->parentWidget()) {
        if (QWindow* window = widget->windowHandle())
            screen = window->screen();
    }
    QVariantMap answer;
    if (screen) {
        const QRect available = screen->availableGeometry();
        answer.insert(QStringLiteral("dpi"), screen->logicalDotsPerInch() / 96.0);
        answer.insert(QStringLiteral("width"), available.width());
        answer.insert(QStringLiteral("height"), available.height());
    }
    setResult(context, answer);
}

void KZembaCommonJsApi::isHitABTest(KxWebViewJSContext& context)
{
    setResult(context, QVariantMap{{QStringLiteral("devabtest"), hitsAbTestBucket(KDcInfoCDetail::getHdid())}});
}

void KZembaCommonJsApi::getUserProfessionNew(KxWebViewJSContext& context)
{
    setResult(context,
              QVariantMap{{QStringLiteral("profession"), KUserProfessionHelper::Instance().getUserProfession()}});
}

void KZembaCommonJsApi::getConfig(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    if (args.isEmpty())
        return;
    QVariantMap answer{{QStringLiteral("message"), QStringLiteral("error")}};
    const QString key = args.value(QStringLiteral("key")).toString().toLower();
    const QString defaultValue = args.value(QStringLiteral("defaultValue")).toString().toLower();
    // No configuration is looked up: a page gets its own default back.
    if (!key.isEmpty() && !defaultValue.isEmpty())
        answer = {{QStringLiteral("message"), QStringLiteral("success")}, {QStringLiteral("value"), defaultValue}};
    setResult(context, answer);
}

void KZembaCommonJsApi::writeLogInfo(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    if (args.isEmpty())
        return;
    const QString text = args.value(QStringLiteral("text")).toString();
    if (text.isEmpty())
        return;
    const QString line = QStringLiteral("--XX jscall XX-- ") + text;
    const QString module = QString::fromLatin1(kModule);
    if (args.value(QStringLiteral("level")).toString() == QLatin1String("error"))
        KxLoggerLite::error(module) << line;
    else
        KxLoggerLite::info(module) << line;
}

void KZembaCommonJsApi::getUserAccountInfoState(KxWebViewJSContext& context)
{
    if (KxWebViewContainer* container = findContainer(this)) {
        const QString url = container->url().toString();
        QSet<QString>& reported = reportedLegacyUrls();
        if (!reported.contains(url)) {
            reported.insert(url);
            KSREMonitorRecord record;
            record.eventName = QStringLiteral("zemba_legacy_web_api");
            record.apiName = QStringLiteral("getUserAccountInfoState");
            record.params = {{QStringLiteral("web_version"), QStringLiteral("web1")}, {QStringLiteral("url"), url}};
            record.errorCode = 0;
            record.category = 4;
            record.source = 3;
            record.flags = 0;
            if (!KDcInfoCDetail::isFirebasePlatform()) {
                static const SREMonitorPostFn post = resolveMonitorPost();
                if (post)
                    post(record);
            }
        }
    }

    const QString callback = context.getValue(QStringLiteral("callback"), QString()).toString();
    if (callback.isEmpty())
        return;
    const bool forceUpdate = parseContextArgs(context).value(QStringLiteral("forceUpdate"), false).toBool();

    emit sig_queryUserAccountInfoState();
    initUserInfo();

    IKZembaUserInfo* userInfo = kzemba::KZembaPluginLoader::getZembaUserInfo();
    if (!userInfo)
        return;
    QPointer<KZembaCommonJsApi> self(this);
    userInfo->queryAccountState(
        kzemba::libraryModuleName(),
        [self, callback](const KZembaUserInfoQueryResult& result) {
            if (!self)
                return;
            const QVariantMap state{{QStringLiteral("state"), result.queryResult}};
            // The page learns the state even when the query failed; the log keeps the failure.
            self->callbackToJS(callback, self->formatResult(QVariant(state)), true);
            const QStringList line = result.failed
                ? QStringList{QStringLiteral("KZembaCommonJsApi::getUserAccountInfoState:result error"),
                              QStringLiteral("queryResult:"), result.queryResult, QStringLiteral("respInfo:"),
                              JsonHelper::variantMapSerialize(result.respInfo)}
                : QStringList{QStringLiteral("KZembaCommonJsApi::getUserAccountInfoState:result"),
                              QStringLiteral("queryResult:"), result.queryResult};
            KxLoggerLite::info(QString::fromLatin1(kLibraryTag)) << line.join(QLatin1Char(' '));
        },
        forceUpdate);
}

void KZembaCommonJsApi::login(KxWebViewJSContext& context)
{
    vdllite::KxCommonJsApi::login(context);
    QVariantMap args = parseContextArgs(context);
    args.insert(QStringLiteral("confirmId"), confirmId());
    if (IKZembaAccount* account = accountService())
        account->login(args);
}

void KZembaCommonJsApi::logout(KxWebViewJSContext& context)
{
    vdllite::KxCommonJsApi::logout(context);
    const QVariantMap args = parseContextArgs(context);
    if (IKZembaAccount* account = accountService())
        account->logout(args);
}

void KZembaCommonJsApi::onVipInfoChange(const QVariantMap& info)
{
    IKZembaAccount* account = accountService();
    if (!account || !account->isActive())
        return;
    // A log-in or an account switch changes the VIP state too; the page re-reads everything then.
    if (qAbs(QDateTime::currentMSecsSinceEpoch() - lastUserInfoChangeTime()) < kVipChangeQuietMs)
        return;

    QString signature;
    for (auto it = info.constBegin(); it != info.constEnd(); ++it) {
        if (it.key() == QLatin1String("byPush"))
            continue;
        signature += it.key() + it.value().toString();
    }
    if (signature == m_lastVipInfo)
        return;
    callbackToJS(QStringLiteral("onVipInfoChange"), QString(), true);
    m_lastVipInfo = signature;
}

void KZembaCommonJsApi::getFpcCombConfig(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    if (args.isEmpty())
        return;
    int projectId = 0;
    const bool projectValid = intArgument(args.value(QStringLiteral("projectId"), 0), &projectId);
    int moduleGroupId = 0;
    const bool groupValid = intArgument(args.value(QStringLiteral("moduleGroupId")), &moduleGroupId);

    IKZembaCoreLite* coreLite = kzemba::KZembaPluginLoader::getCoreLite();
    QString failure;
    if (!groupValid)
        failure = QStringLiteral("moduleGroupId is not valid");
    else if (!projectValid)
        failure = QStringLiteral("projectId is not valid");
    else if (!coreLite)
        failure = QStringLiteral("zembaCoreLite is not valid");
    else if (!coreLite->isFpcCombConfigReady())
        failure = QStringLiteral("zembaCoreLite fpc init is not finished");
    if (!failure.isEmpty()) {
        KxLoggerLite::writeWarning(QString::fromLatin1(kModule), failure);
        setResult(context, QVariantMap{{QStringLiteral("msg"), failure}});
        return;
    }

    const QJsonObject config =
        projectId != 0 ? coreLite->getFpcCombConfig(projectId, moduleGroupId) : coreLite->getFpcCombConfig(moduleGroupId);
    if (args.value(QStringLiteral("addWatch"), false).toBool() && !m_watchedFpcGroups.contains(moduleGroupId)) {
        m_watchedFpcGroups.append(moduleGroupId);
        coreLite->watchFpcCombConfig(moduleGroupId, this, SLOT(onFpcCombConfigNotify(qint64, qint64)));
    }
    setResult(context, config.toVariantMap());
}

void KZembaCommonJsApi::onFpcCombConfigNotify(qint64, qint64 moduleGroupId)
{
    bool watched = false;
    for (int group : qAsConst(m_watchedFpcGroups))
        watched = watched || group == moduleGroupId;
    if (!watched)
        return;
    IKZembaCoreLite* coreLite = kzemba::KZembaPluginLoader::getCoreLite();
    if (!coreLite || !coreLite->isFpcCombConfigReady())
        return;
    const QJsonObject config = coreLite->getFpcCombConfig(moduleGroupId);
    // Without a push handler the page has nobody to hand the change to.
    if (config.isEmpty() || pushHandler().isEmpty())
        return;
    QJsonObject param;
    param.insert(QStringLiteral("params"), config);
    param.insert(QStringLiteral("moduleId"), moduleGroupId);
    QJsonObject event;
    event.insert(QStringLiteral("action"), QStringLiteral("onFpcCombConfigNotify"));
    event.insert(QStringLiteral("param"), param);
    callbackToJSRaw(pushHandler(), JsonHelper::convertQJsonToString(event), true);
}

void KZembaCommonJsApi::getInsufficientSorvelConfig(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context);
    if (args.isEmpty()) {
        context.result()[g_str_callstatus] = g_str_error;
        context.result()[g_str_errormsg] = "contextArgs is empty";
        return;
    }
    const QString channelCode = args.value(QStringLiteral("channelCode")).toString();
    if (channelCode.isEmpty()) {
        context.result()[g_str_callstatus] = g_str_error;
        context.result()[g_str_errormsg] = "channelCode is empty";
        return;
    }
    // The service answers the page itself.
    KPrivilegeResource::getInsufficientSorvelConfig(
        channelCode, args.value(QStringLiteral("from")).toString(), args.value(QStringLiteral("extraData")).toMap(),
        args.value(QStringLiteral("noCache"), false).toBool(), args.value(QStringLiteral("timeOut"), 0).toInt(),
        QVariantMap(), true);
}
