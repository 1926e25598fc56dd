#ifndef KZEMBA_VANTA_KVANTATABBAR_H
#define KZEMBA_VANTA_KVANTATABBAR_H

#include "kzembaplatform_export.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QWidget>

class KVantaSubPage;
class KVantaTab;

/// The tab bar of a main window: an ordered row of tabs, one per shown
/// sub-page. New tabs go to the end; a tab leaves the row when it is deleted.
/// The bar keeps every move it was asked to make, so that a host can see
/// what happened.
class KZEMBAPLATFORM_EXPORT KVantaTabBar : public QWidget
{
    Q_OBJECT
public:
    explicit KVantaTabBar(QWidget* parent = nullptr);
    ~KVantaTabBar() override;

    // Appends a tab for `subPage`; the bar owns it.
    KVantaTab* addTab(KVantaSubPage* subPage);

    int count() const { return m_tabs.size(); }
    QList<KVantaTab*> tabs() const { return m_tabs; }
    KVantaTab* tabAt(int index) const;
    // -1 when the tab is not in this bar.
    int indexOf(const KVantaTab* tab) const;

    KVantaTab* currentTab() const;
    void setCurrentTab(KVantaTab* tab);

    // The document tab the shell remembers for the window, such as the one that was
    // current before a store page took over; null when none is remembered or it is gone.
    KVantaTab* documentTab() const;
    void setDocumentTab(KVantaTab* tab);

    // Takes the tab at `from` out of the row and puts it back at `to`, as QTabBar does;
    // indexes outside the row are ignored.
    void moveTab(int from, int to);
    // Every (from, to) asked of moveTab(), valid or not.
    QList<QPair<int, int>> moveRequests() const { return m_moveRequests; }

signals:
    void tabMoved(int from, int to);

private:
    QList<KVantaTab*> m_tabs;
    QPointer<KVantaTab> m_current;
    QPointer<KVantaTab> m_documentTab;
    QList<QPair<int, int>> m_moveRequests;
};

#endif
