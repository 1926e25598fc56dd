#include "kvantasubpages.h"

#include "kvantasubpage.h"

KVantaSubPages::KVantaSubPages(QWidget* parent)
    : QWidget(parent)
{
}

KVantaSubPages::~KVantaSubPages() = default;

KVantaSubPage* KVantaSubPages::addSubPage(int widgetType)
{
    auto* subPage = new KVantaSubPage(widgetType, this);
    m_subPages.append(subPage);
    if (!m_current)
        m_current = subPage;
    return subPage;
}

QList<KVantaSubPage*> KVantaSubPages::subPages() const
{
    QList<KVantaSubPage*> list;
    for (const QPointer<KVantaSubPage>& subPage : m_subPages) {
        if (subPage)
            list.append(subPage);
    }
    return list;
}

KVantaSubPage* KVantaSubPages::initialSubPage() const
{
    return m_subPages.isEmpty() ? nullptr : m_subPages.first().data();
}

KVantaSubPage* KVantaSubPages::currentSubPage() const
{
    return m_current;
}

void KVantaSubPages::setCurrentSubPage(KVantaSubPage* subPage)
{
    if (!subPage || subPages().contains(subPage))
        m_current = subPage;
}
