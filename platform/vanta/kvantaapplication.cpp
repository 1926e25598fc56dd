#include "kvantaapplication.h"

#include "kvantaapprunner.h"
#include "kvantamainwindow.h"
#include "kvantaprocesshost.h"

namespace {
QPointer<KVantaApplication>& currentInstance()
{
    static QPointer<KVantaApplication> instance;
    return instance;
}
} // namespace

KVantaApplication::KVantaApplication(QObject* parent)
    : QObject(parent)
    , m_appRunner(new KVantaAppRunner(this))
    , m_processHost(new KVantaProcessHost(this))
{
    currentInstance() = this;
}

KVantaApplication::~KVantaApplication()
{
    for (const QPointer<KVantaMainWindow>& window : m_mainWindows)
        delete window.data();
    if (currentInstance() == this)
        currentInstance() = nullptr;
}

KVantaApplication* KVantaApplication::instance()
{
    return currentInstance();
}

QObject* KVantaApplication::vantaAppRunner() const
{
    return m_appRunner;
}

void KVantaApplication::setVantaAppRunner(QObject* runner)
{
    m_appRunner = runner;
}

KVantaProcessHost* KVantaApplication::processHost() const
{
    return m_processHost;
}

KVantaMainWindow* KVantaApplication::createMainWindow(int headerbarType)
{
    // Top-level widgets have no parent; the application deletes them when it goes.
    auto* window = new KVantaMainWindow(headerbarType);
    m_mainWindows.append(window);
    if (!m_currentMainWindow)
        m_currentMainWindow = window;
    return window;
}

QList<KVantaMainWindow*> KVantaApplication::mainWindows() const
{
    QList<KVantaMainWindow*> list;
    for (const QPointer<KVantaMainWindow>& window : m_mainWindows) {
        if (window)
            list.append(window);
    }
    return list;
}

KVantaMainWindow* KVantaApplication::currentMainWindow() const
{
    if (m_currentMainWindow)
        return m_currentMainWindow;
    const QList<KVantaMainWindow*> windows = mainWindows();
    return windows.isEmpty() ? nullptr : windows.first();
}

void KVantaApplication::setCurrentMainWindow(KVantaMainWindow* window)
{
    if (!window || mainWindows().contains(window))
        m_currentMainWindow = window;
}

KVantaMainWindow* KVantaApplication::findRelativeVantaMainWindow(QObject* object)
{
    for (QObject* o = object; o; o = o->parent()) {
        if (auto* window = qobject_cast<KVantaMainWindow*>(o))
            return window;
    }
    return nullptr;
}
