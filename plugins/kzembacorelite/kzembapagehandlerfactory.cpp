#include "kzembapagehandlerfactory.h"

#include "kzembaaccount.h"
#include "kzembapagehandler.h"
#include "kzembaresourcehandler.h"
#include "kzembathemestylehelper.h"

#include <krt/kdcinfoc.h>
#include <krt/kdcinfocdetail.h>
#include <krt/kdomainmgr.h>
#include <krt/krt.h>
#include <krt/kruntimeconfig.h>
#include <vanta/kvantapluginchecker.h>

#include <QNetworkInterface>
#include <QPointer>
#include <QRegularExpression>
#include <QSettings>

namespace {

using Method = KZembaPageHandler::Method;

// Pages get "" for a text nobody set, never null.
QString text(const QVariant& value)
{
    const QString string = value.toString();
    return string.isNull() ? QStringLiteral("") : string;
}

Method payEnv(KZembaAccount* account)
{
    const QPointer<KZembaAccount> guard(account);
    return [guard](KZembaPageHandler&, KxWebViewJSContext& context) {
        KZembaPageHandler::ok(context, QVariantMap{
                                           {QStringLiteral("active"), guard && guard->isActive()},
                                           {QStringLiteral("payUrl"), text(KDomainMgr().getDomainUrl(QStringLiteral("zembapay")))},
                                           {QStringLiteral("source"), text(krt::KRuntimeConfig::value(QStringLiteral("payment/source")))},
                                       });
    };
}

// {"event", "params"}: one data-collection event. Restricted pages may only report the store's
// own events ("zemba_...").
Method report(bool restricted)
{
    return [restricted](KZembaPageHandler& handler, KxWebViewJSContext& context) {
        static const QRegularExpression validName(QStringLiteral("^[a-z0-9_]{1,64}$"));
        const QVariantMap args = handler.parseContextArgs(context);
        const QString event = args.value(QStringLiteral("event")).toString();
        if (!validName.match(event).hasMatch() || (restricted && !event.startsWith(QLatin1String("zemba_")))) {
            KZembaPageHandler::error(context, QStringLiteral("event not allowed"));
            return;
        }
        KDcInfoC* dc = KDcInfoC::instance();
        if (!dc) {
            KZembaPageHandler::error(context, QStringLiteral("data collection off"));
            return;
        }
        QHash<QString, QString> params;
        const QVariantMap given = args.value(QStringLiteral("params")).toMap();
        for (auto it = given.constBegin(); it != given.constEnd(); ++it)
            params.insert(it.key(), it.value().toString());
        dc->postGeneralEvent(event, params);
        KZembaPageHandler::ok(context, QVariantMap{{QStringLiteral("event"), event}});
    };
}

void pluginAvailable(KZembaPageHandler& handler, KxWebViewJSContext& context)
{
    const QString name = handler.parseContextArgs(context).value(QStringLiteral("pluginName")).toString();
    KZembaPageHandler::ok(context, QVariantMap{{QStringLiteral("available"), KVantaPluginChecker::isPluginAvailable(name)}});
}

void resourcePath(KZembaPageHandler& handler, KxWebViewJSContext& context)
{
    const QVariantMap args = handler.parseContextArgs(context);
    const QVariantMap record = KZembaResourceHandler::appliedResource(args.value(QStringLiteral("resType")).toString(),
                                                                      args.value(QStringLiteral("id")).toString());
    if (record.isEmpty())
        KZembaPageHandler::error(context, QStringLiteral("resource not applied"));
    else
        KZembaPageHandler::ok(context, record);
}

void pluginInfo(KZembaPageHandler&, KxWebViewJSContext& context)
{
    KZembaPageHandler::ok(context, QVariantMap{{QStringLiteral("name"), QStringLiteral("kzembacorelite")},
                                               {QStringLiteral("handlers"), KZembaPageHandlerFactory::handlerNames()},
                                               {QStringLiteral("resourceTypes"), KZembaResourceHandler::knownTypes()}});
}

void aiConfig(KZembaPageHandler&, KxWebViewJSContext& context)
{
    QSettings settings(krt::KRuntimeConfig::configFilePath(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("ai"));
    QVariantMap config;
    const QStringList keys = settings.allKeys();
    for (const QString& key : keys)
        config.insert(key, settings.value(key));
    KZembaPageHandler::ok(context, config);
}

void aiEnabled(KZembaPageHandler&, KxWebViewJSContext& context)
{
    KZembaPageHandler::ok(context, QVariantMap{{QStringLiteral("enabled"),
                                                krt::KRuntimeConfig::value(QStringLiteral("ai/enabled"), false).toBool()}});
}

Method accountState(KZembaAccount* account)
{
    const QPointer<KZembaAccount> guard(account);
    return [guard](KZembaPageHandler&, KxWebViewJSContext& context) {
        const QVariantMap profile = guard ? guard->profile() : QVariantMap();
        KZembaPageHandler::ok(context, QVariantMap{{QStringLiteral("active"), guard && guard->isActive()},
                                                   {QStringLiteral("userid"), text(profile.value(QStringLiteral("userid")))},
                                                   {QStringLiteral("nickname"), text(profile.value(QStringLiteral("nickname")))}});
    };
}

Method profile(KZembaAccount* account)
{
    const QPointer<KZembaAccount> guard(account);
    return [guard](KZembaPageHandler&, KxWebViewJSContext& context) {
        const QVariantMap profile = guard ? guard->profile() : QVariantMap();
        KZembaPageHandler::ok(context, QVariantMap{{QStringLiteral("userid"), text(profile.value(QStringLiteral("userid")))},
                                                   {QStringLiteral("nickname"), text(profile.value(QStringLiteral("nickname")))},
                                                   {QStringLiteral("avatar"), text(profile.value(QStringLiteral("avatar")))}});
    };
}

Method skinInfo(KZembaThemeStyleHelper* theme)
{
    const QPointer<KZembaThemeStyleHelper> guard(theme);
    return [guard](KZembaPageHandler&, KxWebViewJSContext& context) {
        if (!guard) {
            KZembaPageHandler::error(context, QStringLiteral("no theme"));
            return;
        }
        KZembaPageHandler::ok(context, QVariantMap{{QStringLiteral("name"), guard->skinName()},
                                                   {QStringLiteral("colors"), guard->skinColors()}});
    };
}

void appInfo(KZembaPageHandler&, KxWebViewJSContext& context)
{
    KZembaPageHandler::ok(context, QVariantMap{{QStringLiteral("appName"), krt::appName()},
                                               {QStringLiteral("version"), KDcInfoCDetail::getVersion()},
                                               {QStringLiteral("channel"), KDcInfoCDetail::getMC()}});
}

void isOnline(KZembaPageHandler&, KxWebViewJSContext& context)
{
    bool online = false;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& interface : interfaces) {
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning)
            && !flags.testFlag(QNetworkInterface::IsLoopBack) && !interface.addressEntries().isEmpty()) {
            online = true;
            break;
        }
    }
    KZembaPageHandler::ok(context, QVariantMap{{QStringLiteral("online"), online}});
}

void storeUrl(KZembaPageHandler& handler, KxWebViewJSContext& context)
{
    const QString service = handler.parseContextArgs(context).value(QStringLiteral("service")).toString();
    const QString url = KDomainMgr().getDomainUrl(service);
    if (url.isEmpty())
        KZembaPageHandler::error(context, QStringLiteral("unknown service"));
    else
        KZembaPageHandler::ok(context, QVariantMap{{QStringLiteral("url"), url}});
}

} // namespace

KZembaPageHandlerFactory::KZembaPageHandlerFactory(KZembaAccount* account, KZembaThemeStyleHelper* theme)
    : m_account(account)
    , m_theme(theme)
{
}

QStringList KZembaPageHandlerFactory::handlerNames()
{
    return {QStringLiteral("common.payment"),      QStringLiteral("common.event"),
            QStringLiteral("common.plugin"),       QStringLiteral("zemba.vanta.ai"),
            QStringLiteral("common.safe.payment"), QStringLiteral("common.safe.report"),
            QStringLiteral("common.safe.account"), QStringLiteral("common.safe.event"),
            QStringLiteral("common.safe.skin"),    QStringLiteral("common.safe.qoxoffice"),
            QStringLiteral("common.safe.profile"), QStringLiteral("common.safe.network")};
}

KZembaPageHandler* KZembaPageHandlerFactory::create(const QString& name, QObject* parent,
                                                    KxWebViewAsynJSObject* jsObject) const
{
    QMap<QString, Method> methods;
    if (name == QLatin1String("common.payment") || name == QLatin1String("common.safe.payment")) {
        methods.insert(QStringLiteral("getPayEnv"), payEnv(m_account));
    } else if (name == QLatin1String("common.event")) {
        methods.insert(QStringLiteral("report"), report(false));
    } else if (name == QLatin1String("common.safe.event") || name == QLatin1String("common.safe.report")) {
        methods.insert(QStringLiteral("report"), report(true));
    } else if (name == QLatin1String("common.plugin")) {
        methods.insert(QStringLiteral("isPluginAvailable"), pluginAvailable);
        methods.insert(QStringLiteral("getResourcePath"), resourcePath);
        methods.insert(QStringLiteral("getPluginInfo"), pluginInfo);
    } else if (name == QLatin1String("zemba.vanta.ai")) {
        methods.insert(QStringLiteral("getAiConfig"), aiConfig);
        methods.insert(QStringLiteral("isAiEnabled"), aiEnabled);
    } else if (name == QLatin1String("common.safe.account")) {
        methods.insert(QStringLiteral("getAccountState"), accountState(m_account));
    } else if (name == QLatin1String("common.safe.skin")) {
        methods.insert(QStringLiteral("getSkinInfo"), skinInfo(m_theme));
    } else if (name == QLatin1String("common.safe.qoxoffice")) {
        methods.insert(QStringLiteral("getAppInfo"), appInfo);
    } else if (name == QLatin1String("common.safe.profile")) {
        methods.insert(QStringLiteral("getProfile"), profile(m_account));
    } else if (name == QLatin1String("common.safe.network")) {
        methods.insert(QStringLiteral("isOnline"), isOnline);
        methods.insert(QStringLiteral("getStoreUrl"), storeUrl);
    } else {
        return nullptr;
    }
    return new KZembaPageHandler(name, methods, parent, jsObject);
}
