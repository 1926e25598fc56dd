#ifndef KZEMBA_VANTA_KVANTASUBPAGE_H
#define KZEMBA_VANTA_KVANTASUBPAGE_H

#include "kzembaplatform_export.h"

#include "kvantapluginwidget.h"

#include <QPointer>

class KVantaTab;

/// One view inside a page of the central area, shown by one tab of the main
/// window's tab bar (none in a window without a tab bar). Closing the
/// sub-page closes its tab.
class KZEMBAPLATFORM_EXPORT KVantaSubPage : public KVantaPluginWidget
{
    Q_OBJECT
public:
    explicit KVantaSubPage(int widgetType, QWidget* parent = nullptr);
    ~KVantaSubPage() override;

    // Null when the sub-page has no tab, or its tab bar is gone.
    KVantaTab* tab() const;
    void setTab(KVantaTab* tab);

private:
    QPointer<KVantaTab> m_tab;
};

#endif
