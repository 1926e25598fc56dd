#ifndef KZEMBA_PLUGINS_IKZEMBACORELITE_H
#define KZEMBA_PLUGINS_IKZEMBACORELITE_H

#include "kzembapluginexport.h"

#include <QJsonObject>
#include <QString>
#include <QVariantMap>

class IKZembaAccount;
class IKZembaRequestService;
class IKZembaResourceHandler;
class IKZembaShellThemeStyleHelper;
class KxWebViewAsynJSObject;
class KxWebViewJSApiHandler;
class QObject;
class QWidget;

/// The core-lite service of the plug-in "kzembacorelite" (entry
/// GetIKZembaCoreLite): combined configuration, the page handlers it makes,
/// the account service, the theme helper, the request decorator and the
/// resource handlers.
class KZEMBA_PLUGIN_INTERFACE IKZembaCoreLite
{
public:
    virtual ~IKZembaCoreLite() = default;

    // Combined configuration of a module group; an empty object means none.
    virtual QJsonObject getFpcCombConfig(qint64 moduleGroupId) = 0;
    virtual QJsonObject getFpcCombConfig(qint64 projectId, qint64 moduleGroupId) = 0;
    // Calls `slot` of `receiver` ("1onFpcCombConfigNotify(qint64, qint64)") when the group changes.
    virtual void watchFpcCombConfig(qint64 moduleGroupId, QObject* receiver, const char* slot) = 0;
    virtual bool isFpcCombConfigReady() = 0;
    // A page handler for `name`, owned by `parent`, answering through `jsObject`; null when unknown.
    virtual KxWebViewJSApiHandler* createJsApiHandler(const QString& name, QObject* parent,
                                                      KxWebViewAsynJSObject* jsObject) = 0;
    virtual IKZembaAccount* getAccount() = 0;
    virtual IKZembaShellThemeStyleHelper* getThemeStyleHelper() = 0;
    // The sub-service that decorates the pages' requests; null when there is none.
    virtual IKZembaRequestService* getRequestService() = 0;
    // The handler of resources of type `resType`; null when the type is unknown.
    virtual IKZembaResourceHandler* getResourceHandler(const QString& resType) = 0;
    // Opens the unified payment dialog at `url` for `moduleName` over `parent`; the dialog
    // answers the page through `jsObject`. `args` is the page's whole request.
    virtual void openUnifyPayDlg(const QString& url, const QString& moduleName, QWidget* parent, QObject* jsObject,
                                 const QVariantMap& args) = 0;
};

using GetIKZembaCoreLiteFn = IKZembaCoreLite* (*)();

#endif
