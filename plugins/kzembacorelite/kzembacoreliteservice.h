#ifndef KZEMBA_PLUGINS_KZEMBACORELITESERVICE_H
#define KZEMBA_PLUGINS_KZEMBACORELITESERVICE_H

#include "interfaces/ikzembacorelite.h"

#include <QObject>
#include <QString>

#include <map>
#include <memory>

class KZembaAccount;
class KZembaCombConfig;
class KZembaPageHandlerFactory;
class KZembaRequestDecorator;
class KZembaResourceHandler;
class KZembaThemeStyleHelper;

/// The core-lite plug-in's service: it owns the account, the request
/// decorator, the theme helper, the combined configuration, one resource
/// handler per known type and the page handler factory.
class KZembaCoreLiteService : public QObject, public IKZembaCoreLite
{
    Q_OBJECT
public:
    explicit KZembaCoreLiteService(QObject* parent = nullptr);
    ~KZembaCoreLiteService() override;

    QJsonObject getFpcCombConfig(qint64 moduleGroupId) override;
    QJsonObject getFpcCombConfig(qint64 projectId, qint64 moduleGroupId) override;
    void watchFpcCombConfig(qint64 moduleGroupId, QObject* receiver, const char* slot) override;
    bool isFpcCombConfigReady() override;
    KxWebViewJSApiHandler* createJsApiHandler(const QString& name, QObject* parent,
                                              KxWebViewAsynJSObject* jsObject) override;
    IKZembaAccount* getAccount() override;
    IKZembaShellThemeStyleHelper* getThemeStyleHelper() override;
    IKZembaRequestService* getRequestService() override;
    IKZembaResourceHandler* getResourceHandler(const QString& resType) override;
    // The reference plug-in has no payment dialog: the request is logged and goes no further.
    void openUnifyPayDlg(const QString& url, const QString& moduleName, QWidget* parent, QObject* jsObject,
                         const QVariantMap& args) override;

private:
    KZembaAccount* m_account;
    KZembaThemeStyleHelper* m_theme;
    KZembaCombConfig* m_config;
    std::unique_ptr<KZembaRequestDecorator> m_decorator;
    std::unique_ptr<KZembaPageHandlerFactory> m_handlers;
    std::map<QString, std::unique_ptr<KZembaResourceHandler>> m_resourceHandlers;
};

#endif
