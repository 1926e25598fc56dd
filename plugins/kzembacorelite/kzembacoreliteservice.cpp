#include "kzembacoreliteservice.h"

#include "kzembaaccount.h"
#include "kzembacombconfig.h"
#include "kzembapagehandler.h"
#include "kzembapagehandlerfactory.h"
#include "kzembarequestdecorator.h"
#include "kzembaresourcehandler.h"
#include "kzembathemestylehelper.h"

#include <vdllite/kxloggerlite.h>

KZembaCoreLiteService::KZembaCoreLiteService(QObject* parent)
    : QObject(parent)
    , m_account(new KZembaAccount(this))
    , m_theme(new KZembaThemeStyleHelper(this))
    , m_config(new KZembaCombConfig(this))
    , m_decorator(std::make_unique<KZembaRequestDecorator>(m_account))
    , m_handlers(std::make_unique<KZembaPageHandlerFactory>(m_account, m_theme))
{
    for (const QString& type : KZembaResourceHandler::knownTypes())
        m_resourceHandlers[type] = std::make_unique<KZembaResourceHandler>(type);
}

KZembaCoreLiteService::~KZembaCoreLiteService() = default;

QJsonObject KZembaCoreLiteService::getFpcCombConfig(qint64 moduleGroupId)
{
    return m_config->group(moduleGroupId);
}

QJsonObject KZembaCoreLiteService::getFpcCombConfig(qint64 projectId, qint64 moduleGroupId)
{
    return m_config->group(projectId, moduleGroupId);
}

void KZembaCoreLiteService::watchFpcCombConfig(qint64 moduleGroupId, QObject* receiver, const char* slot)
{
    m_config->watch(moduleGroupId, receiver, slot);
}

bool KZembaCoreLiteService::isFpcCombConfigReady()
{
    return m_config->isReady();
}

KxWebViewJSApiHandler* KZembaCoreLiteService::createJsApiHandler(const QString& name, QObject* parent,
                                                                 KxWebViewAsynJSObject* jsObject)
{
    return m_handlers->create(name, parent, jsObject);
}

IKZembaAccount* KZembaCoreLiteService::getAccount()
{
    return m_account;
}

IKZembaShellThemeStyleHelper* KZembaCoreLiteService::getThemeStyleHelper()
{
    return m_theme;
}

IKZembaRequestService* KZembaCoreLiteService::getRequestService()
{
    return m_decorator.get();
}

IKZembaResourceHandler* KZembaCoreLiteService::getResourceHandler(const QString& resType)
{
    const auto it = m_resourceHandlers.find(resType);
    return it == m_resourceHandlers.end() ? nullptr : it->second.get();
}

void KZembaCoreLiteService::openUnifyPayDlg(const QString& url, const QString& moduleName, QWidget*, QObject*,
                                            const QVariantMap&)
{
    KxLoggerLite::writeWarning(QStringLiteral("KZembaCoreLite"),
                               QStringLiteral("no payment dialog in the reference plug-in (%1, %2)").arg(moduleName, url));
}
