#include "kzembaopenpage.h"

#include "resource/kzembapluginloader.h"

#include "interfaces/ikzembanetwork.h"

#include <appmgr/kappcontext.h>
#include <appmgr/kappmgr.h>
#include <vanta/kvantaapplication.h>
#include <vanta/kvantacentralarea.h>
#include <vanta/kvantamainwindow.h>
#include <vanta/kvantapage.h>
#include <vanta/kvantapluginchecker.h>
#include <vanta/kvantapluginwidget.h>
#include <vanta/kvantasubpage.h>
#include <vanta/kvantasubpages.h>
#include <vanta/kvantatab.h>
#include <vanta/kvantatabbar.h>

#include <QMetaObject>
#include <QPointer>

namespace {

const char* const kResourceShopAppIds[] = {"picture_resourceshop", "wordart_resourceshop", "textbox_resourceshop"};

// The resource shops open in their split variant.
QVariantMap withSplitResourceShop(const QVariantMap& params)
{
    const QString appId = params.value(QStringLiteral("appId")).toString();
    for (const char* shop : kResourceShopAppIds) {
        if (appId == QLatin1String(shop)) {
            QVariantMap copy = params;
            copy.insert(QStringLiteral("appId"), QStringLiteral("%1_split").arg(appId));
            return copy;
        }
    }
    return params;
}

// "key=value&..." in key order. Values go in as they are: the whole text travels
// hex-encoded, and the plug-in page reads it back the same way.
QString pageQueryText(const QVariantMap& params)
{
    QString query;
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        query += it.key() + QLatin1Char('=') + it.value().toString() + QLatin1Char('&');
    query.chop(1);
    return query;
}

KVantaTab* currentTabOf(KVantaPage* page)
{
    KVantaSubPage* subPage = page ? page->subPages()->currentSubPage() : nullptr;
    return subPage ? subPage->tab() : nullptr;
}

void moveTabAfterRequester(KVantaTabBar* tabBar, KVantaPage* newPage, QObject* requester)
{
    const int requesterIndex = tabBar->indexOf(currentTabOf(vantaPageContaining(requester)));
    const int newIndex = tabBar->indexOf(currentTabOf(newPage));
    if (requesterIndex < 0 || newIndex < 0)
        return;
    tabBar->moveTab(newIndex, requesterIndex + 1);
}

bool openAsApp(const QVariantMap& params, QString& errorText)
{
    const QString appId = params.value(QStringLiteral("appId")).toString();
    const QString entry = params.value(QStringLiteral("entry")).toString();
    if (entry.isEmpty()) {
        errorText = QStringLiteral("entry cannot be empty");
        return false;
    }

    KVantaApplication* app = KVantaApplication::instance();
    QObject* runner = app ? app->vantaAppRunner() : nullptr;
    errorText.clear();
    if (!runner)
        return true;
    if (!queueVantaRunApp(runner, appId, entry, params))
        errorText = QStringLiteral("on_processHost_vantaRunApp error");
    return errorText.isEmpty();
}

bool openAsPluginPage(const QVariantMap& params, QString& errorText, QObject* parent)
{
    const QString type = params.value(QStringLiteral("type")).toString();
    const QString pluginName = params.value(QStringLiteral("pluginName")).toString();
    if (pluginName.isEmpty()) {
        errorText.clear();
        return true;
    }

    const QString query = pageQueryText(params);
    const bool moveToNext = params.value(QStringLiteral("pageMoveToNext"), false).toBool();
    IKZembaNetWork* network = kzemba::KZembaPluginLoader::getZembaNetWork();
    if (!network) {
        errorText = QStringLiteral("OpenPluginZembaCommonPage failed");
        return false;
    }

    const QPointer<QObject> requester(parent);
    network->preparePlugin(
        pluginName,
        [query, type, moveToNext, requester](bool ready) {
            if (ready)
                showVantaPluginPage(query, type, moveToNext, requester);
        },
        [](double) {});
    errorText.clear();
    return true;
}

} // namespace

KVantaPage* showVantaPluginPage(const QString& query, const QString& type, bool moveToNext,
                                const QPointer<QObject>& requester, const std::function<void(KVantaMainWindow*)>& beforeShow)
{
    const QString pageArgument = QStringLiteral("pageFrom=%1").arg(QString::fromLatin1(query.toUtf8().toHex()));
    const int widgetType = KVantaPluginWidget::convertWidgetType(type);
    if (widgetType == KVantaPluginWidget::InvalidWidget)
        return nullptr;

    KVantaMainWindow* window = KVantaApplication::findRelativeVantaMainWindow(requester);
    if (!window) {
        if (KVantaApplication* app = KVantaApplication::instance())
            window = app->currentMainWindow();
    }
    if (!window)
        return nullptr;
    KVantaCentralArea* centralArea = window->centralArea();
    if (!centralArea)
        return nullptr;

    KVantaPage* page = centralArea->addPage(widgetType, pageArgument, QVariantMap());
    if (!page)
        return nullptr;
    if (beforeShow)
        beforeShow(window);
    centralArea->setCurrentPage(page);
    page->notifyPage(QString(), QStringList(), 2, 0, QVariantMap());

    KVantaTabBar* tabBar = window->tabBar();
    if (moveToNext && tabBar && requester)
        moveTabAfterRequester(tabBar, page, requester);
    return page;
}

KVantaPage* vantaPageContaining(QObject* object)
{
    for (QObject* o = object; o; o = o->parent()) {
        if (auto* page = qobject_cast<KVantaPage*>(o))
            return page;
    }
    return nullptr;
}

bool queueVantaRunApp(QObject* runner, const QString& appId, const QString& entry, const QVariantMap& params)
{
    // Queued: the app starts from the runner's event loop, after this call has returned.
    return QMetaObject::invokeMethod(runner, "on_processHost_vantaRunApp", Qt::QueuedConnection, Q_ARG(QString, appId),
                                     Q_ARG(QString, entry), Q_ARG(QString, KAppContext::switchMapToString(params)));
}

bool openZembaPage(const QVariantMap& args, QString& errorText, QObject* parent)
{
    const QVariantMap params = withSplitResourceShop(args);
    const QString openMode = params.value(QStringLiteral("openmode")).toString();
    if (openMode.isEmpty()) {
        errorText = QStringLiteral("open mode is empty");
        return false;
    }
    if (openMode == QLatin1String("popup"))
        return openAsApp(params, errorText);
    if (openMode == QLatin1String("emedd"))
        return openAsPluginPage(params, errorText, parent);
    return errorText.isEmpty();
}

bool getOpenZembaPageEnabled(const QVariantMap& params, QString& openMode)
{
    const QString pluginName = params.value(QStringLiteral("pluginName")).toString();
    const QString appId = params.value(QStringLiteral("appId")).toString();

    // The resource shop opens through its own route, never through openZembaPage().
    if (pluginName == QLatin1String("kzembaresource") && appId == QLatin1String("zembaresourceshop")) {
        if (KVantaPluginChecker::isPluginAvailable(pluginName)) {
            if (KAppMgr* appMgr = KAppMgr::getInstance())
                appMgr->getApp(appId);
        }
        return false;
    }

    if (appId.isEmpty())
        return false;
    openMode = QStringLiteral("popup");
    if (!KVantaPluginChecker::isPluginAvailable(pluginName))
        return false;
    KAppMgr* appMgr = KAppMgr::getInstance();
    return appMgr && appMgr->getApp(appId);
}
