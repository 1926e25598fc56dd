#include "kzembaresourceutils.h"

#include "kzembaopenpage.h"

#include <appmgr/kappmgr.h>
#include <krt/kpluginssettings.h>
#include <vanta/kvantaapplication.h>
#include <vanta/kvantapluginchecker.h>
#include <vdllite/jsonhelper.h>

#include <QCoreApplication>

namespace {

const char* const kResourcePlugin = "kzembaresource";
const char* const kResourceShopAppId = "zembaresourceshop";
const char* const kAutoPopKey = "konlinetaskpane/LibrarySimilar/switch";

} // namespace

bool KZembaResourceUtils::isResourceShopAvailable()
{
    if (!KVantaPluginChecker::isPluginAvailable(QString::fromLatin1(kResourcePlugin)))
        return false;
    KAppMgr* appMgr = KAppMgr::getInstance();
    return appMgr && appMgr->getApp(QString::fromLatin1(kResourceShopAppId));
}

bool KZembaResourceUtils::isCanAutoPopDocSimilar()
{
    return krt::KPluginsSettings().value(QString::fromLatin1(kAutoPopKey), true).toBool();
}

void KZembaResourceUtils::setCanAutoPopDocSmilar(bool enabled)
{
    krt::KPluginsSettings().setValue(QString::fromLatin1(kAutoPopKey), enabled);
}

bool KZembaResourceUtils::openZembaResourceShop(QVariantMap& params)
{
    if (!isResourceShopAvailable())
        return false;

    const QString entry = params.value(QStringLiteral("entry")).toString();
    const QString action = params.value(QStringLiteral("action")).toString();
    QString appType = params.value(QStringLiteral("appType")).toString();
    // Only checked: the shop reads the application itself when the request does not name it.
    if (appType.isEmpty() && QCoreApplication::instance())
        appType = QCoreApplication::applicationName().toLower();
    if (entry.isEmpty() || appType.isEmpty() || action.isEmpty())
        return false;

    KVantaApplication* app = KVantaApplication::instance();
    QObject* runner = app ? app->vantaAppRunner() : nullptr;
    return runner && queueVantaRunApp(runner, QString::fromLatin1(kResourceShopAppId), entry, params);
}

void KZembaResourceUtils::getPushUiEventParams(const QVariantMap& request, QString& action, QString& entry,
                                               QString& params)
{
    action = request.value(QStringLiteral("action")).toString();
    entry = request.value(QStringLiteral("entry")).toString();
    params = request.value(QStringLiteral("params")).toString();
    if (!params.isEmpty())
        return;
    const auto extraIt = request.constFind(QStringLiteral("extra"));
    if (extraIt == request.cend())
        return;

    QVariantMap extra = extraIt->userType() == QMetaType::QVariantMap
                            ? extraIt->toMap()
                            : JsonHelper::convertStringToQJson(extraIt->toString()).toVariantMap();
    if (extra.value(QStringLiteral("routerName")).toString() == QLatin1String("icon-list")) {
        extra.insert(QStringLiteral("path"), QStringLiteral("fixed_icon"));
        extra.insert(QStringLiteral("targetResType"), QStringLiteral("icon"));
        extra.insert(QStringLiteral("product_entry"), QStringLiteral("insert_popup"));
    }
    params = JsonHelper::variantMapSerialize(extra);
}
