#include "ktestcorelite.h"

#include "ktestaccount.h"
#include "ktestjsapihandler.h"

#include <vdllite/kxwebviewasynjsobject.h>
#include "ktestplugincontrol.h"
#include "ktestrequestdecorator.h"
#include "ktestresourcehandler.h"
#include "ktestthemestylehelper.h"

#include <QMetaMethod>
#include <QWidget>

KTestCoreLite::KTestCoreLite(KTestPluginControl* control)
    : m_control(control)
    , m_account(new KTestAccount(control, control))
    , m_theme(new KTestThemeStyleHelper(control, control))
    , m_requestDecorator(new KTestRequestDecorator(control))
{
}

KTestCoreLite::~KTestCoreLite()
{
    qDeleteAll(m_resourceHandlers);
    delete m_requestDecorator;
}

void KTestCoreLite::reset()
{
    m_watchers.clear();
}

QJsonObject KTestCoreLite::getFpcCombConfig(qint64 moduleGroupId)
{
    m_control->record(QStringLiteral("corelite.getFpcCombConfig"), {moduleGroupId});
    return QJsonObject::fromVariantMap(m_control->option(QStringLiteral("corelite/fpc/%1").arg(moduleGroupId)).toMap());
}

QJsonObject KTestCoreLite::getFpcCombConfig(qint64 projectId, qint64 moduleGroupId)
{
    m_control->record(QStringLiteral("corelite.getFpcCombConfig"), {projectId, moduleGroupId});
    return QJsonObject::fromVariantMap(
        m_control->option(QStringLiteral("corelite/fpc/%1/%2").arg(projectId).arg(moduleGroupId)).toMap());
}

void KTestCoreLite::watchFpcCombConfig(qint64 moduleGroupId, QObject* receiver, const char* slot)
{
    m_control->record(QStringLiteral("corelite.watchFpcCombConfig"), {moduleGroupId, QString::fromLatin1(slot)});
    m_watchers.append({moduleGroupId, receiver, QByteArray(slot)});
}

bool KTestCoreLite::isFpcCombConfigReady()
{
    return m_control->option(QStringLiteral("corelite/fpcReady"), true).toBool();
}

void KTestCoreLite::changeFpcCombConfig(qint64 first, qint64 moduleGroupId)
{
    for (const Watcher& watcher : qAsConst(m_watchers)) {
        if (watcher.group != moduleGroupId || !watcher.receiver)
            continue;
        // SLOT() signatures carry a leading code digit.
        const QByteArray signature = QMetaObject::normalizedSignature(watcher.slot.constData() + 1);
        const int index = watcher.receiver->metaObject()->indexOfMethod(signature.constData());
        if (index >= 0)
            watcher.receiver->metaObject()->method(index).invoke(watcher.receiver, Qt::DirectConnection,
                                                                 Q_ARG(qint64, first), Q_ARG(qint64, moduleGroupId));
    }
}

KxWebViewJSApiHandler* KTestCoreLite::createJsApiHandler(const QString& name, QObject* parent,
                                                        KxWebViewAsynJSObject* jsObject)
{
    m_control->record(QStringLiteral("corelite.createJsApiHandler"),
                      {name, QVariant::fromValue(parent), QVariant::fromValue(static_cast<QObject*>(jsObject))});
    const QVariant known = m_control->option(QStringLiteral("corelite/handlers"));
    if (known.isValid() && !known.toStringList().contains(name))
        return nullptr;
    return new KTestJsApiHandler(name, parent, jsObject);
}

IKZembaAccount* KTestCoreLite::getAccount()
{
    return m_control->option(QStringLiteral("account/present"), true).toBool() ? m_account : nullptr;
}

IKZembaShellThemeStyleHelper* KTestCoreLite::getThemeStyleHelper()
{
    return m_control->option(QStringLiteral("theme/present"), true).toBool() ? m_theme : nullptr;
}

IKZembaResourceHandler* KTestCoreLite::getResourceHandler(const QString& resType)
{
    m_control->record(QStringLiteral("corelite.getResourceHandler"), {resType});
    if (!m_control->option(QStringLiteral("corelite/resourceTypes")).toStringList().contains(resType))
        return nullptr;
    KTestResourceHandler*& handler = m_resourceHandlers[resType];
    if (!handler)
        handler = new KTestResourceHandler(resType, m_control);
    return handler;
}

IKZembaRequestService* KTestCoreLite::getRequestService()
{
    return m_control->option(QStringLiteral("request/present"), true).toBool() ? m_requestDecorator : nullptr;
}

void KTestCoreLite::openUnifyPayDlg(const QString& url, const QString& moduleName, QWidget* parent, QObject* jsObject,
                                   const QVariantMap& args)
{
    m_control->record(QStringLiteral("corelite.openUnifyPayDlg"),
                      {url, moduleName, QVariant::fromValue(static_cast<QObject*>(parent)), QVariant::fromValue(jsObject),
                       args});
}
