#ifndef KZEMBA_UTIL_KZEMBACOMMONUTILHANDLER_H
#define KZEMBA_UTIL_KZEMBACOMMONUTILHANDLER_H

#include "kzembajsapilite_export.h"

#include <vdllite/kxjsapiutilhandler.h>

#include <QSharedPointer>
#include <QString>
#include <QVariantMap>

class KAppContext;

/// The "common.util" name space of the store's JS API objects: whether a store
/// app can be opened and which of its dependencies are there, opening it with
/// parameters through the app manager's runner (the launch steps go to the
/// launch monitor), whether a file exists, and opening a URL that passes the
/// suite's URL check. The framework's other utility methods stay as they are.
class KZEMBAJSAPILITE_EXPORT KZembaCommonUtilHandler : public KxJSApiUtilHandler
{
    Q_OBJECT
public:
    KZembaCommonUtilHandler(QObject* parent, KxWebViewAsynJSObject* jsObject);
    ~KZembaCommonUtilHandler() override;

    void postErrorResult(KxWebViewJSContext& context, const QString& message);
    QSharedPointer<KAppContext> getAppContext(const QString& appId, const QString& src, const QString& urlParams,
                                              const QVariantMap& urlQueryParams, const QVariantMap& appParams);

public slots:
    virtual void canOpenApp(KxWebViewJSContext& context);
    virtual void openApp(KxWebViewJSContext& context);
    void isFileExist(KxWebViewJSContext& context) override;
    void innerOpenUrl(KxWebViewJSContext& context) override;

private:
    bool runApp(const QString& appId, const QSharedPointer<KAppContext>& context);
};

#endif
