#include "kvantatab.h"

#include "kvantasubpage.h"
#include "kvantatabbar.h"

KVantaTab::KVantaTab(KVantaSubPage* subPage, KVantaTabBar* tabBar)
    : QObject(tabBar)
    , m_subPage(subPage)
{
}

KVantaTab::~KVantaTab() = default;

KVantaSubPage* KVantaTab::subPage() const
{
    return m_subPage;
}

KVantaTabBar* KVantaTab::tabBar() const
{
    return qobject_cast<KVantaTabBar*>(parent());
}

void KVantaTab::setAllowReAttachSubwindow(bool allow)
{
    m_allowReAttach = allow;
}

void KVantaTab::reAttachSubPage(KVantaSubPage*)
{
    if (m_allowReAttach)
        ++m_reAttachCount;
}
