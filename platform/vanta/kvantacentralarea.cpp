#include "kvantacentralarea.h"

#include "kvantamainwindow.h"
#include "kvantapage.h"
#include "kvantaqoxpage.h"
#include "kvantasubpage.h"
#include "kvantasubpages.h"
#include "kvantatabbar.h"

#include <krt/kruntimeconfig.h>

KVantaCentralArea::KVantaCentralArea(QWidget* parent)
    : QWidget(parent)
{
}

KVantaCentralArea::~KVantaCentralArea() = default;

KVantaPage* KVantaCentralArea::addPage(int widgetType, const QString& text, const QVariantMap& params)
{
    m_requests.append({widgetType, text, params});
    if (widgetType < 0)
        return nullptr;
    const int maxPages = krt::KRuntimeConfig::value(QStringLiteral("vanta/maxPages"), 0).toInt();
    if (maxPages > 0 && pages().size() >= maxPages)
        return nullptr;

    KVantaPage* page = KVantaQoxPage::isQoxWidgetType(widgetType)
                           ? new KVantaQoxPage(widgetType, text, params, this)
                           : new KVantaPage(widgetType, text, params, this);
    m_pages.append(page);
    auto* window = qobject_cast<KVantaMainWindow*>(parent());
    KVantaTabBar* tabBar = window ? window->tabBar() : nullptr;
    KVantaSubPage* subPage = page->subPages()->initialSubPage();
    if (tabBar && subPage)
        subPage->setTab(tabBar->addTab(subPage));
    emit pageAdded(page);
    return page;
}

QList<KVantaPage*> KVantaCentralArea::pages() const
{
    QList<KVantaPage*> list;
    for (const QPointer<KVantaPage>& page : m_pages) {
        if (page)
            list.append(page);
    }
    return list;
}

KVantaPage* KVantaCentralArea::pageByType(int widgetType) const
{
    for (KVantaPage* page : pages()) {
        if (page->widgetType() == widgetType)
            return page;
    }
    return nullptr;
}

KVantaPage* KVantaCentralArea::currentPage() const
{
    return m_current;
}

void KVantaCentralArea::setCurrentPage(KVantaPage* page)
{
    if (page && !pages().contains(page))
        return;
    m_current = page;
    if (page) {
        if (KVantaSubPage* subPage = page->subPages()->currentSubPage()) {
            auto* window = qobject_cast<KVantaMainWindow*>(parent());
            if (KVantaTabBar* tabBar = window ? window->tabBar() : nullptr)
                tabBar->setCurrentTab(subPage->tab());
        }
    }
    emit currentPageChanged(page);
}
