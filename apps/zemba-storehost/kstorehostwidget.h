#ifndef KZEMBA_STOREHOST_KSTOREHOSTWIDGET_H
#define KZEMBA_STOREHOST_KSTOREHOSTWIDGET_H

#include "webwidget/kzembawebwidgetlite.h"

/// The demo host's store page widget: a lite web widget whose page talks to the lite JS
/// API object, or to the restricted one (`KZembaSafeJSAPILite`) when the widget is
/// restricted. The page's own ready report makes it ready; a single-shot timer over the
/// widget's load time-out stands in for the suite's load monitor. `browserCreated` lets the
/// host reach the browser before the page loads.
class KStoreHostWidget : public KZembaWebWidgetLite
{
    Q_OBJECT
public:
    explicit KStoreHostWidget(QWidget* parent = nullptr);
    ~KStoreHostWidget() override;

    // Whether the page gets the restricted JS API; takes effect when the page is created.
    void setRestricted(bool restricted) { m_restricted = restricted; }
    bool isRestricted() const { return m_restricted; }

    vdllite::KxCommonJsApi* createJsApi(KxWebViewContainer* container) override;
    void startLoadMonitor() override;
    void stopLoadMonitor() override;

signals:
    void browserCreated();

protected slots:
    void onBrowserCreated() override;

private:
    void onPageReady();

    bool m_restricted = false;
};

#endif
