#ifndef KZEMBA_VDLLITE_KXCOMMONWEBWIDGET_H
#define KZEMBA_VDLLITE_KXCOMMONWEBWIDGET_H

#include "kzembaplatform_export.h"
#include "kxwebviewtypes.h"

#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

class KxWebViewContainer;
class QStackedLayout;

namespace vdllite {

class KxCommonJsApi;

/// The framework's widget for one web page. It owns the page's web view
/// container, its JS API object (made by the subclass) and its URL, and shows
/// them in a stacked layout together with a waiting widget. `init` builds the
/// waiting widget and the view and creates the browser; the container's
/// reports arrive at the virtual slots below, which subclasses extend.
class KZEMBAPLATFORM_EXPORT KxCommonWebWidget : public QWidget
{
    Q_OBJECT
public:
    explicit KxCommonWebWidget(QWidget* parent = nullptr);
    ~KxCommonWebWidget() override;

    // Keeps the URL and the app id, shows the waiting widget, builds the view and, when
    // `createBrowser` is true, creates the browser, which then loads the URL.
    virtual void init(const QString& url, const QString& appId, bool createBrowser,
                      KxWebViewCefJsApiFlag jsApiFlag = KxWebViewCefJsApiDefault);
    // The page's JS API object for `container`; the widget calls it once, from initWebView().
    virtual KxCommonJsApi* createJsApi(KxWebViewContainer* container) = 0;

    KxWebViewContainer* container() const;
    KxCommonJsApi* jsApi() const;
    QString url() const { return m_url; }
    QString appId() const { return m_appId; }
    QStackedLayout* stackedLayout() const { return m_stack; }

    void setPageFlag(const QString& flag) { m_pageFlag = flag; }
    QString pageFlag() const { return m_pageFlag; }
    // Whether a dialog built on this widget copies the page instead of moving it.
    void setNeedClone(bool needClone) { m_needClone = needClone; }
    bool needClone() const { return m_needClone; }
    // Whether the page keeps the keyboard focus away from the view.
    void setTakeFocus(bool takeFocus) { m_takeFocus = takeFocus; }
    virtual bool takeFocus() const { return m_takeFocus; }

    // The page shown when loading fails: the framework's built-in page.
    virtual QString getErrorPage();
    static QString defaultErrorPage();

    // Hands the events of the web view to webViewEventFilter().
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // Closes the window this widget lives in.
    void closeWindow();

protected:
    // The widget shown until the page is ready; null for none.
    virtual QWidget* createWaitingWidget();
    // Makes the container and the JS API object and puts the container in the layout.
    virtual void initWebView();
    // Creates the browser for the URL.
    virtual void loadWebView();
    // Sees every event of the web view before it; true stops the event. Nothing here.
    virtual bool webViewEventFilter(QObject* watched, QEvent* event);

protected slots:
    // Loads the URL again when the browser shows something else (a new browser after an
    // error page); a fresh browser is already loading it.
    virtual void onBrowserCreated();
    virtual void onLoadedFinished(bool ok);
    virtual void onLoadedFinishedWithCode(const QUrl& url, int code);
    virtual void onCefRenderProcAbnormalTerminate(int status);
    virtual void onBrowserException(int code);

private:
    QStackedLayout* m_stack;
    QPointer<KxWebViewContainer> m_container;
    QPointer<KxCommonJsApi> m_jsApi;
    QString m_url;
    QString m_appId;
    QString m_pageFlag;
    KxWebViewCefJsApiFlag m_jsApiFlag = KxWebViewCefJsApiDefault;
    bool m_needClone = false;
    bool m_takeFocus = false;
};

} // namespace vdllite

#endif
