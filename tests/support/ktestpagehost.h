#ifndef KZEMBA_TESTS_KTESTPAGEHOST_H
#define KZEMBA_TESTS_KTESTPAGEHOST_H

#include <vdllite/kxheadlesspage.h>
#include <vdllite/kxwebviewcontainer.h>

#include <QPointer>
#include <QWidget>

#include <memory>

/// A host widget with a web view container and its headless page: what a test
/// needs to play a page against a JS API object.
class KTestPageHost
{
public:
    KTestPageHost();
    ~KTestPageHost();

    QWidget* hostWidget() const { return m_host.get(); }
    KxWebViewContainer* container() const { return m_container; }
    KxHeadlessPage* page() const;

    // Makes the page's JS API object (the container owns it) and installs it.
    template <typename Api>
    Api* installApi()
    {
        auto* api = new Api(container(), hostWidget());
        container()->setJsApiObject(api);
        return api;
    }

    // Runs the event loop until `function` has received `count` deliveries in all.
    bool waitForDeliveries(const QString& function, int count = 1, int timeoutMs = 5000) const;

private:
    std::unique_ptr<QWidget> m_host;
    QPointer<KxWebViewContainer> m_container;
};

#endif
