#ifndef KZEMBA_VANTA_KVANTAMAINWINDOW_H
#define KZEMBA_VANTA_KVANTAMAINWINDOW_H

#include "kzembaplatform_export.h"

#include <QPointer>
#include <QWidget>

class KVantaCentralArea;
class KVantaTabBar;

/// A top-level window of the shell: a central area with the window's pages
/// and, unless the window is a standalone document window (header bar type 1),
/// a tab bar with one tab per shown sub-page.
class KZEMBAPLATFORM_EXPORT KVantaMainWindow : public QWidget
{
    Q_OBJECT
public:
    enum { StandaloneHeaderbar = 1 };

    explicit KVantaMainWindow(int headerbarType = 0, QWidget* parent = nullptr);
    ~KVantaMainWindow() override;

    int headerbarType() const { return m_headerbarType; }
    // Either may be null: a standalone window has no tab bar, and a window that is
    // closing may already have lost its parts.
    KVantaCentralArea* centralArea() const;
    KVantaTabBar* tabBar() const;

private:
    int m_headerbarType;
    QPointer<KVantaCentralArea> m_centralArea;
    QPointer<KVantaTabBar> m_tabBar;
};

#endif
