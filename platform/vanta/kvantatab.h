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

private:
    QPointer<KVantaSubPage> m_subPage;
};

#endif
