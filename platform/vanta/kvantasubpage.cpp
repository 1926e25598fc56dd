#include "kvantasubpage.h"

#include "kvantatab.h"

KVantaSubPage::KVantaSubPage(int widgetType, QWidget* parent)
    : KVantaPluginWidget(widgetType, parent)
{
}

KVantaSubPage::~KVantaSubPage()
{
    delete m_tab.data();
}

KVantaTab* KVantaSubPage::tab() const
{
    return m_tab;
}

void KVantaSubPage::setTab(KVantaTab* tab)
{
    m_tab = tab;
}
