#include "kxsplitresourceshopopenlite.h"

#include "kxzembaresourcerpcclienthelper.h"
#include "kzembaopenpage.h"

#include "kvantaservices.h"

#include <krt/kpluginssettings.h>
#include <vdllite/jsonhelper.h>
#include <vdllite/kxloggerlite.h>

#include <exception>
#include <map>
#include <string>

namespace {

const char* const kModule = "KxSplitResourceShopOpenLite";

enum SplitMode { PopupMode = 0, TaskpaneMode = 1 };

QString splitModeKey(const QString& appId)
{
    return QStringLiteral("kzembaresource/split/%1/mode").arg(appId);
}

bool openPopup(const QString& appId, const QVariantMap& params)
{
    QVariantMap request = params;
    request.insert(QStringLiteral("appId"), appId);
    const QVariantMap extra = params.value(QStringLiteral("extra")).toMap();
    request.insert(QStringLiteral("extra"), JsonHelper::variantMapSerialize(extra));
    request.insert(QStringLiteral("openmode"), QStringLiteral("popup"));
    QString error;
    return openZembaPage(request, error, nullptr) && error.isEmpty();
}

void logTaskpaneError(const char* what, const std::exception& e)
{
    KxLoggerLite::writeError(QString::fromLatin1(kModule),
                             QStringLiteral("openZembaResourceTaskpane %1: %2").arg(QLatin1String(what),
                                                                                     QString::fromUtf8(e.what())));
}

void readTaskpaneReply(KVantaServicesCobClient* client)
{
    try {
        std::map<std::string, std::string> result;
        client->recv_applyZembaResource(result);
    } catch (const std::exception& e) {
        logTaskpaneError("failed", e);
    }
}

bool openTaskpane(const QString& appId, const QVariantMap& params)
{
    QVariantMap request = params;
    request.insert(QStringLiteral("appId"), appId);
    request.insert(QStringLiteral("openmode"), QStringLiteral("taskpane"));

    std::shared_ptr<KVantaServicesCobClient> client = KxZembaResourceRpcClientHelper::getCurrentStandaloneClient();
    if (!client)
        client = KxZembaResourceRpcClientHelper::getCurrentClient();
    if (!client)
        return false;

    const QByteArray param = JsonHelper::variantMapSerialize(request).toUtf8().toBase64();
    try {
        client->applyZembaResource(readTaskpaneReply, "openZembaResourceTaskpane", param.toStdString());
    } catch (const std::exception& e) {
        logTaskpaneError("not sent", e);
        return false;
    }
    return true;
}

} // namespace

int getSplitResourceShopMode(const QString& appId)
{
    return krt::KPluginsSettings().value(splitModeKey(appId), PopupMode).toInt();
}

void setSplitResourceShopMode(const QString& appId, int mode)
{
    krt::KPluginsSettings().setValue(splitModeKey(appId), mode);
}

bool KxSplitResourceShopOpenLite::handleSplitResourceShop(const QVariantMap& params)
{
    if (!params.value(QStringLiteral("split_zembaresourceshop")).toBool())
        return false;
    const QString appId = params.value(QStringLiteral("appId")).toString();
    setSplitResourceShopMode(appId, PopupMode);
    open(appId, params);
    return true;
}

bool KxSplitResourceShopOpenLite::open(const QString& appId, const QVariantMap& params)
{
    const int mode = getSplitResourceShopMode(appId);
    const bool forcePopup = params.value(QStringLiteral("forcePopupMode")).toBool() ||
                            params.value(QStringLiteral("forcePopup")).toBool();
    if (mode == PopupMode || forcePopup)
        return openPopup(appId, params);
    if (mode == TaskpaneMode)
        return openTaskpane(appId, params);
    return false;
}
