#include "kxzembaresourcerpcclienthelper.h"

#include <vanta/kvantaapplication.h>
#include <vanta/kvantacentralarea.h>
#include <vanta/kvantamainwindow.h>
#include <vanta/kvantapage.h>
#include <vanta/kvantaprocesshost.h>
#include <vanta/kvantasubpage.h>
#include <vanta/kvantatab.h>
#include <vanta/kvantatabbar.h>

namespace {

bool isDocumentType(int widgetType)
{
    return KxZembaResourceRpcClientHelper::isDocumentPage(static_cast<KVantaPluginWidget::WidgetType>(widgetType));
}

std::shared_ptr<KVantaServicesCobClient> clientFor(int widgetType)
{
    KVantaApplication* app = KVantaApplication::instance();
    KVantaProcessHost* host = app ? app->processHost() : nullptr;
    return host ? host->cobClient(widgetType) : nullptr;
}

} // namespace

std::shared_ptr<KVantaServicesCobClient> KxZembaResourceRpcClientHelper::getCurrentStandaloneClient()
{
    KVantaApplication* app = KVantaApplication::instance();
    KVantaMainWindow* window = app ? app->currentMainWindow() : nullptr;
    if (!window || window->headerbarType() != KVantaMainWindow::StandaloneHeaderbar)
        return nullptr;
    KVantaCentralArea* centralArea = window->centralArea();
    KVantaPage* page = centralArea ? centralArea->currentPage() : nullptr;
    if (!page || !isDocumentType(page->widgetType()))
        return nullptr;
    return clientFor(page->widgetType());
}

std::shared_ptr<KVantaServicesCobClient> KxZembaResourceRpcClientHelper::getCurrentClient()
{
    QPointer<KVantaTab> tab;
    return getCurrentClient(tab);
}

std::shared_ptr<KVantaServicesCobClient> KxZembaResourceRpcClientHelper::getCurrentClient(QPointer<KVantaTab>& tab)
{
    KVantaApplication* app = KVantaApplication::instance();
    if (!app)
        return nullptr;
    QList<KVantaMainWindow*> windows = app->mainWindows();
    if (KVantaMainWindow* current = app->currentMainWindow()) {
        windows.removeAll(current);
        windows.prepend(current);
    }
    for (KVantaMainWindow* window : windows) {
        KVantaTab* documentTab = findDocumentTab(window);
        KVantaSubPage* subPage = documentTab ? documentTab->subPage() : nullptr;
        if (!subPage)
            continue;
        tab = documentTab;
        return clientFor(subPage->widgetType());
    }
    return nullptr;
}

KVantaTab* KxZembaResourceRpcClientHelper::findDocumentTab(KVantaMainWindow* window)
{
    KVantaTabBar* tabBar = window ? window->tabBar() : nullptr;
    if (!tabBar)
        return nullptr;
    KVantaTab* current = tabBar->currentTab();
    KVantaSubPage* subPage = current ? current->subPage() : nullptr;
    if (subPage && isDocumentType(subPage->widgetType()))
        return current;
    return tabBar->documentTab();
}

bool KxZembaResourceRpcClientHelper::isDocumentPage(KVantaPluginWidget::WidgetType type)
{
    return type >= KVantaPluginWidget::TextDocumentWidget && type < KVantaPluginWidget::PdfWidget;
}
