#ifndef KZEMBA_VANTA_KVANTATAB_H
#define KZEMBA_VANTA_KVANTATAB_H

#include "kzembaplatform_export.h"

#include <QObject>
#include <QPointer>

class KVantaSubPage;
class KVantaTabBar;

/// One tab of a main window's tab bar. It belongs to the tab bar and stands
/// for one sub-page of a page in the central area; the sub-page closes its tab
/// when it goes.
class KZEMBAPLATFORM_EXPORT KVantaTab : public QObject
{
    Q_OBJECT
public:
    KVantaTab(KVantaSubPage* subPage, KVantaTabBar* tabBar);
    ~KVantaTab() override;

    // Null once the sub-page is gone.
    KVantaSubPage* subPage() const;
    KVantaTabBar* tabBar() const;

    // Whether the tab's sub-page may be taken out of its window and re-attached elsewhere.
    bool allowReAttachSubwindow() const { return m_allowReAttach; }
    void setAllowReAttachSubwindow(bool allow);
    // Re-attaches the tab's sub-page to `target`'s place; null takes it out of the window.
    // Ignored unless allowed. The tab counts the requests it accepted.
    void reAttachSubPage(KVantaSubPage* target);
    int reAttachCount() const { return m_reAttachCount; }

private:
    QPointer<KVantaSubPage> m_subPage;
    bool m_allowReAttach = false;
    int m_reAttachCount = 0;
};

#endif
