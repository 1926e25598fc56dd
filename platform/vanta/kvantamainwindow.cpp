#include "kvantamainwindow.h"

#include "kvantacentralarea.h"
#include "kvantatabbar.h"

KVantaMainWindow::KVantaMainWindow(int headerbarType, QWidget* parent)
    : QWidget(parent)
    , m_headerbarType(headerbarType)
{
    if (headerbarType != StandaloneHeaderbar)
        m_tabBar = new KVantaTabBar(this);
    m_centralArea = new KVantaCentralArea(this);
}

KVantaMainWindow::~KVantaMainWindow()
{
    // Pages go before the tab bar so that their tabs close in a complete window.
    delete m_centralArea.data();
}

KVantaCentralArea* KVantaMainWindow::centralArea() const
{
    return m_centralArea;
}

KVantaTabBar* KVantaMainWindow::tabBar() const
{
    return m_tabBar;
}
