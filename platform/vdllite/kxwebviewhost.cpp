#include "kxwebviewhost.h"

#include "kxwebviewcontainer.h"

KxWebViewHost* KxWebViewHost::instance()
{
    static KxWebViewHost host;
    return &host;
}

void KxWebViewHost::addInstance(const QString& pageFlag, KxWebViewContainer* container, const QString& extra)
{
    if (!container)
        return;
    removeInstance(container);
    m_entries.append(Entry{pageFlag, container, extra});
}

void KxWebViewHost::removeInstance(KxWebViewContainer* container)
{
    for (int i = m_entries.size() - 1; i >= 0; --i) {
        if (!m_entries.at(i).container || m_entries.at(i).container == container)
            m_entries.removeAt(i);
    }
}

QList<KxWebViewContainer*> KxWebViewHost::instances(const QString& pageFlag) const
{
    QList<KxWebViewContainer*> list;
    for (const Entry& entry : m_entries) {
        if (entry.container && entry.pageFlag == pageFlag)
            list.append(entry.container.data());
    }
    return list;
}
