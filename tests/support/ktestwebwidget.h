#ifndef KZEMBA_TESTS_KTESTWEBWIDGET_H
#define KZEMBA_TESTS_KTESTWEBWIDGET_H

#include "webwidget/kzembawebwidgetlite.h"

#include "ktestcommonjsapi.h"

#include <QPointer>

class KxHeadlessPage;

/// The tests' store page widget: a lite web widget whose page talks to the
/// tests' common JS API object and whose load monitor is a single-shot timer
/// over the widget's load time-out, as a page host's would be.
class KTestWebWidget : public KZembaWebWidgetLite
{
    Q_OBJECT
public:
    explicit KTestWebWidget(const QString& name = QStringLiteral("testpage"), QWidget* parent = nullptr);
    ~KTestWebWidget() override;

    vdllite::KxCommonJsApi* createJsApi(KxWebViewContainer* container) override;
    KTestCommonJsApi* testApi() const { return m_api.data(); }
    // The container's page when it is the headless one.
    KxHeadlessPage* headlessPage() const;

    void startLoadMonitor() override;
    void stopLoadMonitor() override;
    bool isLoadMonitorRunning() const;
    // Creates the browser again, as a host does to retry after an error page.
    void recreateBrowser();

private:
    QPointer<KTestCommonJsApi> m_api;
};

#endif
