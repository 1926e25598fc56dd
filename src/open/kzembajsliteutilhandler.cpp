#include "kzembajsliteutilhandler.h"

#include "kzembaopenpage.h"
#include "resource/kzembapluginloader.h"

#include "interfaces/ikzembanetwork.h"

#include <vanta/kvantamainwindow.h>
#include <vanta/kvantapage.h>
#include <vanta/kvantasubpage.h>
#include <vanta/kvantasubpages.h>
#include <vanta/kvantatab.h>
#include <vdllite/jsonhelper.h>
#include <vdllite/kxwebviewasynjsobject.h>

#include <QJsonObject>
#include <QPointer>

namespace {

// Pushes `function` with {"name": pluginName, extra...} while the handler and its JS API object live.
void pushToPage(const QPointer<KZembaJsLiteUtilHandler>& handler, const QString& function, const QString& pluginName,
                QJsonObject data = QJsonObject())
{
    KxWebViewAsynJSObject* jsObject = handler ? handler->jsObject() : nullptr;
    if (!jsObject)
        return;
    data.insert(QStringLiteral("name"), pluginName);
    jsObject->callbackToJS(function, JsonHelper::convertQJsonToString(data), true);
}

// A requesting page marked "closeAfterOpen" gives up its tab, except in a standalone window.
void closeRequestingPage(QObject* requester, KVantaMainWindow* window)
{
    KVantaPage* page = vantaPageContaining(requester);
    if (!page || !page->property("closeAfterOpen").toBool()
        || window->headerbarType() == KVantaMainWindow::StandaloneHeaderbar)
        return;
    KVantaSubPage* initial = page->subPages()->initialSubPage();
    if (KVantaTab* tab = initial ? initial->tab() : nullptr) {
        tab->setAllowReAttachSubwindow(true);
        tab->reAttachSubPage(nullptr);
    }
}

} // namespace

KZembaJsLiteUtilHandler::KZembaJsLiteUtilHandler(QObject* parent, KxWebViewAsynJSObject* jsObject)
    : KZembaJsUtilHandler(parent, jsObject)
{
}

KZembaJsLiteUtilHandler::~KZembaJsLiteUtilHandler() = default;

void KZembaJsLiteUtilHandler::doOpenVantaPluginPage(const QString& pluginName, const QString& pageType,
                                                    const QString& query, bool moveToNext)
{
    const QPointer<KZembaJsLiteUtilHandler> self(this);
    IKZembaNetWork* network = kzemba::KZembaPluginLoader::getZembaNetWork();
    if (!network) {
        pushToPage(self, QStringLiteral("pluginloadFailed"), pluginName);
        return;
    }

    auto onReady = [self, pluginName, pageType, query, moveToNext](bool ready) {
        if (!ready) {
            pushToPage(self, QStringLiteral("pluginloadFailed"), pluginName);
            return;
        }
        const QPointer<QObject> requester(self.data());
        KVantaPage* page = showVantaPluginPage(query, pageType, moveToNext, requester, [self](KVantaMainWindow* window) {
            closeRequestingPage(self, window);
        });
        if (page)
            pushToPage(self, QStringLiteral("pluginloadComplete"), pluginName);
    };
    auto onProgress = [self, pluginName](double fraction) {
        pushToPage(self, QStringLiteral("pluginloadProgress"), pluginName,
                   QJsonObject{{QStringLiteral("progress"), static_cast<int>(fraction * 100)}});
    };
    network->preparePlugin(pluginName, onReady, onProgress);
}
