#ifndef KZEMBA_JSAPI_KZEMBACOMMONJSAPI_H
#define KZEMBA_JSAPI_KZEMBACOMMONJSAPI_H

#include "kzembajsapilite_export.h"

#include "jsapi/applyresultinfo.h"
#include "jsapi/zembafunctionerror.h"
#include "interfaces/kzembaresdownloadtypes.h"
#include "interfaces/resourceinfo.h"

#include <vdllite/kxcommonjsapi.h>
#include <vdllite/kxwebviewjscontext.h>

#include <QHash>
#include <QNetworkAccessManager>
#include <QList>
#include <QMap>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <QWidget>

struct KZembaBatchDownloadParam;
class IKZembaResourceHandler;
class KZembaCommonHttpAccess;
class KZembaJsUtilHandler;
class QNetworkReply;
class QNetworkRequest;

/// The native object behind the script of every store page. A page host
/// creates a concrete subclass with the page's web view container and the
/// widget that hosts the page. The object answers page calls with the envelope
/// {"callstatus", "errormsg", "result"} (at once, through a saved context or
/// through a named page function) and pushes {"action", "params"} events to the
/// page function the page registers; events produced before that registration
/// wait in a queue and reach the page in order.
class KZEMBAJSAPILITE_EXPORT KZembaCommonJsApi : public vdllite::KxCommonJsApi
{
    Q_OBJECT
public:
    KZembaCommonJsApi(KxWebViewContainer* container, QWidget* host);
    ~KZembaCommonJsApi() override;

    void initHandlers() override;
    void init() override;
    QWidget* createNewUrlWidget(QWidget* parent, int width, int height, bool modal, bool resizable) override;
    // "<office data>/<library module>/localstorage.db"; the folder is created when missing.
    QString getLocalStoragePath() const override;
    QString getSkinConfigPath() const override;
    // Tells the page that the VIP state changed, unless it came with a change of user.
    void onVipInfoChange(const QVariantMap& info) override;

    // Sends one event now; without a registered push handler it is lost.
    void notifyJsActionAndDataObject(const QString& action, const QString& data);
    // Sends one event, or queues it until the page registers its push handler.
    void ensureNotifyJsActionAndData(const QString& action, const QString& data);
    // Answers the page function `callbackName` with {"callstatus": "ok", "result": result}.
    void notifyCallback(QString callbackName, QVariantMap result);

    QWidget* hostWidget() const;
    // The "zemba.util" handler a subclass registered, or null.
    KZembaJsUtilHandler* zembaUtilHandler() const;
    QString pushHandler() const { return m_pushHandler; }
    bool isPushHandlerRegistered() const { return m_pushHandlerRegistered; }
    int pendingNotificationCount() const { return m_pendingNotifications.size(); }
    qint64 lastUserInfoChangeTime() const { return m_lastUserInfoChangeTime; }

    // For other components, called by name through the meta-object.
    Q_INVOKABLE QString GetModuleName() const;
    Q_INVOKABLE QWidget* GetHostWidget() const;
    Q_INVOKABLE void NotifyJsHidePreview();
    Q_INVOKABLE void CallbackToJS(QString name, QString json, bool flag);

    virtual void notifyJsHidePreview();
    virtual QString getModuleName() const;
    virtual QString getModuleVersion() const;
    virtual QString getFeedBackUrl() const;

    // Registers this library's module with the user-info service once.
    void initUserInfo();

protected:
    virtual void initZembaResourceHandler() = 0;
    virtual void applyLocalRes(const ResourceInfo& info);

public slots:
    virtual void getSkinColorConfig(KxWebViewJSContext& context) = 0;
    virtual void getSkinHintConfig(KxWebViewJSContext& context) = 0;
    virtual void openZembaUnifyPayDlg(KxWebViewJSContext& context) = 0;
    virtual void beforeOpenZembaResourceShop();
    virtual void insertOnlineResource(KxWebViewJSContext& context);
    virtual void downloadAndApplyOnlineRes(KxWebViewJSContext& context);
    virtual void cancelDownload(const QString& id);
    virtual void onResDownloadSuccess(const QString& id);
    virtual void onResDownloadError(const QString& id, DownloadFailInfo info);
    virtual void onUpdateResDownloadProgress(const QString& id, int percent);
    // Passed on to the handler registered as "common.hoverhandler.", which answers.
    virtual void showHoverPreview(KxWebViewJSContext& context);
    virtual void hideHoverPreview(KxWebViewJSContext& context);
    virtual void getHoverPreviewStatus(KxWebViewJSContext& context);
    virtual void getMatchParams(KxWebViewJSContext& context);
    virtual void checkFontsExist(KxWebViewJSContext& context) = 0;
    virtual void getFpcCombConfig(KxWebViewJSContext& context);
    virtual void onFpcCombConfigNotify(qint64 first, qint64 moduleGroupId);

    void registPushUIEventHandler(KxWebViewJSContext& context);
    void notifyWebPageInitialed(KxWebViewJSContext& context);
    void webLoadFinish(KxWebViewJSContext& context);
    void onScriptReady(KxWebViewJSContext& context);
    void notifyWebPerfCollect(KxWebViewJSContext& context);
    void showWindow(KxWebViewJSContext& context);
    void showUserInfoTips(KxWebViewJSContext& context);
    void dispatchMethod(KxWebViewJSContext& context);
    void localStorageBatchDelete(KxWebViewJSContext& context);
    void localStorageBatchGet(KxWebViewJSContext& context);
    void onUserInfoChange(int reason);

    void checkNetworkOnline(KxWebViewJSContext& context);
    void getCurrentSkinName(KxWebViewJSContext& context);
    void getScreenResolution(KxWebViewJSContext& context);
    void isHitABTest(KxWebViewJSContext& context);
    void getUserProfessionNew(KxWebViewJSContext& context);
    void getConfig(KxWebViewJSContext& context);
    void writeLogInfo(KxWebViewJSContext& context);
    void getUserAccountInfoState(KxWebViewJSContext& context);
    void login(KxWebViewJSContext& context);
    void logout(KxWebViewJSContext& context);
    void getInsufficientSorvelConfig(KxWebViewJSContext& context);

    void rsaAesEncrypt(KxWebViewJSContext& context);
    void httpGet(KxWebViewJSContext& context);
    void httpPost(KxWebViewJSContext& context);
    void httpDelete(KxWebViewJSContext& context);
    void ssePost(KxWebViewJSContext& context);
    void sseRead(KxWebViewJSContext& context);
    void sseClose(KxWebViewJSContext& context);
    void onHttpAccessDone(KZembaCommonHttpAccess* access);

    void setPreviewIdVisible(KxWebViewJSContext& context);
    void getPreviewIdVisible(KxWebViewJSContext& context);
    void isSupportPreviewIdChange(KxWebViewJSContext& context);
    void getDesktopPath(KxWebViewJSContext& context);
    void openLocalPath(KxWebViewJSContext& context);
    void setCommonProperty(KxWebViewJSContext& context);
    void getCommonProperty(KxWebViewJSContext& context);
    void getPluginRegeditValue(KxWebViewJSContext& context);
    void setPluginRegeditValue(KxWebViewJSContext& context);
    void fileExistWithMD5(KxWebViewJSContext& context);
    void setDropMenuHeight(KxWebViewJSContext& context);
    void getDropMenuInfo(KxWebViewJSContext& context);
    void openVantaPluginPage(KxWebViewJSContext& context);

protected:
    virtual IKZembaResourceHandler* getResourceHandler(const QString& resType);
    virtual void registDone();
    virtual void beforeApplyLocalRes(const ResourceInfo& info);
    virtual void beforeDownloadAndApplyOnlineRes(const QVariantMap& args);
    virtual void afterDownloadAndApplyOnlineRes(const ResourceInfo& info);
    virtual bool getDownloadResData(const QVariantMap& args, KZembaBatchDownloadParam& param);

protected slots:
    virtual void publishMsg(zemba::FunctionError error, const QString& message);
    void onPublishApplyResult(const ApplyResultInfo& info);

protected:
    // A value in the module settings file "<office data>/<group>/common.ini" (`fileMode`), else in
    // the plug-in settings store's group `group`. Reading a missing key gives an empty text.
    static void writeSetting(const QString& group, const QString& key, const QString& value, bool fileMode);
    static QString readSetting(const QString& group, const QString& key, bool fileMode);

    // The request of a page's HTTP call, with its cookies, headers and the account's decoration.
    QNetworkRequest getNetRequest(const QVariantMap& args, QNetworkAccessManager::Operation operation);
    // Hands the reply to a new access object, which answers the page when the request ends.
    void httpAction(QNetworkReply* reply, const QVariantMap& args, const QString& method);
    void addHttpAccess(KZembaCommonHttpAccess* access);
    void handleHttpAccess(KZembaCommonHttpAccess* access);
    // Drops an access without answering the page.
    void releaseHttpAccess(KZembaCommonHttpAccess* access);
    void forwardToHoverHandler(const QString& method, KxWebViewJSContext& context);
    int httpAccessCount() const { return m_httpAccessList.size(); }
    const QList<KZembaCommonHttpAccess*>& httpAccesses() const { return m_httpAccessList; }
    // No payment dialog opens while this time (ms since the epoch) lies ahead; nothing sets it yet.
    qint64 payDialogGuard() const { return m_payDialogGuardMs; }

signals:
    void showView();
    void webPageInitialed();
    void webScriptReady();
    void sig_notifyWebPerfCollect();
    void sig_queryUserAccountInfoState();
    void hideCloseButton();

private:
    // getNetRequest for a URL the caller already read from the arguments.
    QNetworkRequest netRequest(const QVariantMap& args, const QUrl& url, QNetworkAccessManager::Operation operation);

    QString m_pushHandler;
    bool m_pushHandlerRegistered = false;
    QList<QPair<QString, QString>> m_pendingNotifications;
    QPointer<QWidget> m_hostWidget;
    // Downloads started by insertOnlineResource, by resource type followed by id.
    QHash<QString, ResourceInfo> m_downloadKeys;
    // Page requests in flight, in the order they were sent.
    QList<KZembaCommonHttpAccess*> m_httpAccessList;
    qint64 m_lastUserInfoChangeTime = 0;
    // What the last VIP change that reached the page said, "byPush" left out.
    QString m_lastVipInfo;
    // Downloads started by downloadAndApplyOnlineRes: download id -> page callback.
    QMap<QString, QString> m_pendingDownloadRequests;
    qint64 m_payDialogGuardMs = 0;
    // Combined-configuration groups whose changes are pushed to the page.
    QList<int> m_watchedFpcGroups;
};

#endif
