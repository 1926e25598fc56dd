#ifndef KZEMBA_VDLLITE_KXCOMMONJSAPI_H
#define KZEMBA_VDLLITE_KXCOMMONJSAPI_H

#include "kxwebviewasynjsobject.h"

#include <QByteArray>
#include <QList>
#include <QNetworkCookie>
#include <QString>
#include <QVariant>

class QNetworkAccessManager;
class QWidget;

namespace vdllite {

/// The framework's common JS API base: the answer helpers every page method
/// uses (argument map, result setters, the callback answer format), the form and
/// cookie encoders of the page's HTTP requests, and the object's own network
/// access manager with its cookie jar. Subclasses say which widget hosts them.
class KZEMBAPLATFORM_EXPORT KxCommonJsApi : public KxWebViewAsynJSObject
{
    Q_OBJECT
public:
    explicit KxCommonJsApi(KxWebViewContainer* container);
    ~KxCommonJsApi() override;

    virtual void init();
    virtual QWidget* widgetParent() = 0;
    virtual QWidget* createNewUrlWidget(QWidget* parent, int width, int height, bool modal, bool resizable);
    virtual QString getLocalStoragePath() const;
    virtual QString getSkinConfigPath() const;

    void setResult(KxWebViewJSContext& context, const QVariantMap& result);
    void setResult(KxWebViewJSContext& context, const QVariant& result);
    // {"callstatus": "ok", "result": value} as JSON text.
    QString formatResult(const QVariant& value) const;
    // {"callstatus": "ok", key: value} as JSON text.
    QString formatResult(const QString& key, const QVariant& value) const;

    QList<QNetworkCookie> organizeCookieData(const QVariantMap& cookies) const;
    // application/x-www-form-urlencoded body; maps and lists travel as JSON text.
    QByteArray organizePostData(const QVariantMap& data) const;
    // The text under which a page answer carries one of the JS API's result codes: the
    // code in decimal, so that pages compare it without a table.
    static QString errorCodeString(int code);

    QNetworkAccessManager* networkAccessManager() const;

    // The id of the log-in the page started last; empty before the first.
    QString confirmId() const { return m_confirmId; }

public slots:
    virtual void onVipInfoChange(const QVariantMap& info);
    // The framework's part of a page's log-in: a fresh confirm id for the account service.
    void login(KxWebViewJSContext& context);
    void logout(KxWebViewJSContext& context);

    // The framework's account methods: the framework holds no account of its own, so a page
    // hears that nobody is logged in.
    void checkUserLogin(KxWebViewJSContext& context);
    void getUserInfoCookie(KxWebViewJSContext& context);
    void getUserLoginInfo(KxWebViewJSContext& context);
    // "url" (http or https), "data" (post: map as a form, or text) and "callback": answers
    // "ok" once sent; the callback then gets {"callstatus": "ok", "result": {"status": HTTP
    // status, "response": body text}}, or an error when the transfer fails, takes longer than
    // 30 s or brings more than 8 MiB.
    void httpGet(KxWebViewJSContext& context);
    void httpPost(KxWebViewJSContext& context);
    // "url", "width", "height", "modal", "resizable": opens the URL in a widget that
    // createNewUrlWidget makes; an error when it makes none.
    void navigateOnNewWidget(KxWebViewJSContext& context);
    // "url": the payment page, opened as navigateOnNewWidget does.
    void openZembaUnifyPayDlg(KxWebViewJSContext& context);

protected:
    // Non-zero while the page may not read the user's account; subclasses set it.
    int m_nRestrict = 0;

private:
    void sendHttpRequest(KxWebViewJSContext& context, bool post);
    void openUrlWidget(KxWebViewJSContext& context);

    QNetworkAccessManager* m_networkAccessManager = nullptr;
    QString m_confirmId;
};

} // namespace vdllite

#endif
