#include "kvantatabbar.h"

#include "kvantatab.h"

KVantaTabBar::KVantaTabBar(QWidget* parent)
    : QWidget(parent)
{
}

KVantaTabBar::~KVantaTabBar()
{
    // The tabs go while the row still exists: their removal touches it.
    const QList<KVantaTab*> tabs = m_tabs;
    qDeleteAll(tabs);
}

KVantaTab* KVantaTabBar::addTab(KVantaSubPage* subPage)
{
    auto* tab = new KVantaTab(subPage, this);
    m_tabs.append(tab);
    // The pointer is only compared, never used, once the tab is being destroyed.
    connect(tab, &QObject::destroyed, this, [this, tab]() { m_tabs.removeAll(tab); });
    return tab;
}

KVantaTab* KVantaTabBar::tabAt(int index) const
{
    return m_tabs.value(index, nullptr);
}

int KVantaTabBar::indexOf(const KVantaTab* tab) const
{
    for (int i = 0; i < m_tabs.size(); ++i) {
        if (m_tabs.at(i) == tab)
            return i;
    }
    return -1;
}

KVantaTab* KVantaTabBar::currentTab() const
{
    return m_current;
}

void KVantaTabBar::setCurrentTab(KVantaTab* tab)
{
    if (!tab || indexOf(tab) >= 0)
        m_current = tab;
}

KVantaTab* KVantaTabBar::documentTab() const
{
    return m_documentTab;
}

void KVantaTabBar::setDocumentTab(KVantaTab* tab)
{
    if (!tab || indexOf(tab) >= 0)
        m_documentTab = tab;
}

void KVantaTabBar::moveTab(int from, int to)
{
    m_moveRequests.append(qMakePair(from, to));
    if (from < 0 || from >= m_tabs.size() || to < 0 || to >= m_tabs.size() || from == to)
        return;
    m_tabs.move(from, to);
    emit tabMoved(from, to);
}
