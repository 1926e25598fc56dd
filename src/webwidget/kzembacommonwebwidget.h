#ifndef KZEMBA_WEBWIDGET_KZEMBACOMMONWEBWIDGET_H
#define KZEMBA_WEBWIDGET_KZEMBACOMMONWEBWIDGET_H

#include "kzembajsapilite_export.h"

#include "base/kzembawidgettype.h"
#include "interfaces/ikuserinfoevent.h"
#include "webwidget/kzembawebpageprofiler.h"

#include <vdllite/kxcommonwebwidget.h>

#include <QPointer>
#include <QQueue>
#include <QVariantMap>

#include <functional>

class QTimer;

/// The widget that hosts one store page. On top of the framework's web widget
/// it shows a waiting widget until the page is ready, creates the browser with
/// its cache in the suite's per-user data folder, sets the account's cookies
/// for the store's domains, loads an error page when loading fails (a failed
/// load, an error status of the main URL, a time-out, a render-process or
/// browser failure), holds script callbacks until the page's script is ready,
/// passes skin and account changes to the page, and measures the load. Concrete
/// page widgets derive from it.
class KZEMBAJSAPILITE_EXPORT KZembaCommonWebWidget : public vdllite::KxCommonWebWidget, public IKUserInfoEvent
{
    Q_OBJECT
public:
    KZembaCommonWebWidget(QWidget* parent, const QString& name, zemba::base::KZembaWidgetType type);
    ~KZembaCommonWebWidget() override;

    void init(const QString& url, const QString& appId, bool createBrowser,
              KxWebViewCefJsApiFlag jsApiFlag = KxWebViewCefJsApiDefault) override;
    QString getErrorPage() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Runs `closure` now when the page is ready, else when it becomes ready.
    void callOnLoadFinish(const std::function<void()>& closure);
    // Runs and forgets every held closure, oldest first.
    void runDelayClosure();
    // Shows the waiting widget again.
    void showTransit();
    // Sets each entry as a dynamic property ("startLoadTime", "needDownload").
    void setLoadInfo(QVariantMap info);
    void setWidgetType(zemba::base::KZembaWidgetType type);

    QString name() const { return m_name; }
    bool isPageReady() const { return m_pageReady; }
    bool isErrorPageShown() const { return m_errorPageShown; }
    QWidget* waitingWidget() const { return m_waitingWidget.data(); }
    int loadTimeout() const { return m_loadTimeout; }
    qint64 loadStartTime() const { return m_loadStartTime; }
    const KZembaWebPageProfiler& profiler() const { return m_profiler; }

    virtual bool isInZembaEmbedQhPanel() const;
    virtual zemba::base::KZembaWidgetType widgetType() const;
    virtual QString getMainUrl();
    virtual QString getCookiePath();
    virtual void loadMainPage();
    virtual void loadErrorPage();
    void allInfoUpdate(const QVariantMap& info) override;
    virtual void startLoadMonitor();
    virtual void stopLoadMonitor();

    Q_INVOKABLE int GetWidgetType();
    Q_INVOKABLE void OnBackGround();
    Q_INVOKABLE void NotifyDisplay();

signals:
    void loadFinished(bool ok);

public slots:
    void showWebWidget();
    void onScriptReady();
    void onNotifyWebPerfCollect();
    void onQueryUserAccountInfoState();
    void callbackToJS(const QString& name, const QString& json, bool flag);
    void callbackToJS(const QString& name, const QString& json);
    void callbackToJS(const QString& name, const QVariantMap& result);
    void injectJsObject(const QString& name, const QVariantMap& properties);

protected slots:
    void onBrowserCreated() override;
    void onBrowserException(int code) override;
    void onLoadedFinished(bool ok) override;
    virtual void updateCookies();

public slots:
    void onErrorPageLoadedFinished(bool ok);
    void onLoadedFinishedWithCode(const QUrl& url, int code) override;
    void onLoadedTimeout();
    void onSkinChanged();

protected:
    QWidget* createWaitingWidget() override;
    void initWebView() override;
    void loadWebView() override;
    void onCefRenderProcAbnormalTerminate(int status) override;

    // Connects `signal` of `sender` to `method` of `receiver` (both as SIGNAL()/SLOT() texts)
    // when both exist; pages and subclasses offer only some of them.
    static void connectIfPresent(QObject* sender, const char* signal, QObject* receiver, const char* method,
                                 Qt::ConnectionType type = Qt::AutoConnection);
    // Sets the account cookies for the domain that `domainKey` names.
    void addCookies(const QString& domainKey);
    void log(const QString& message) const;

    // Created by a subclass's load monitor; owned by this widget.
    QTimer* m_loadTimer = nullptr;
    KZembaWebPageProfiler m_profiler;

private:
    bool m_errorPageShown = false;
    bool m_pageReady = false;
    QPointer<QWidget> m_waitingWidget;
    QQueue<std::function<void()>> m_delayedClosures;
    zemba::base::KZembaWidgetType m_widgetType;
    QString m_name;
    qint64 m_loadStartTime;
    int m_loadTimeout;
};

#endif
