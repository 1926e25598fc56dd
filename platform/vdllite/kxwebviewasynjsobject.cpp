#include "kxwebviewasynjsobject.h"

#include "kxjsapiskinhandler.h"
#include "kxwebviewcontainer.h"
#include "kxwebviewjscontext.h"

KxWebViewAsynJSObject::KxWebViewAsynJSObject(KxWebViewContainer* container)
    : KxWebViewJSApiHandler(container, this)
    , m_container(container)
{
}

KxWebViewAsynJSObject::~KxWebViewAsynJSObject() = default;

KxWebViewContainer* KxWebViewAsynJSObject::container() const
{
    return m_container.data();
}

void KxWebViewAsynJSObject::initHandlers()
{
    // The framework's own name spaces, which every page may use.
    const QString skin = QStringLiteral("common.skin");
    if (!findHandler(skin))
        setHandler(skin, new KxJSApiSkinHandler(this, this));
    m_handlersValid = true;
}

bool KxWebViewAsynJSObject::isHandlersValid() const
{
    return m_handlersValid;
}

void KxWebViewAsynJSObject::setHandler(const QString& name, KxWebViewJSApiHandler* handler)
{
    if (name.isEmpty())
        return;
    if (handler)
        m_handlers.insert(name, handler);
    else
        m_handlers.remove(name);
}

KxWebViewJSApiHandler* KxWebViewAsynJSObject::findHandler(const QString& name) const
{
    if (KxWebViewJSApiHandler* handler = m_handlers.value(name).data())
        return handler;
    // "zemba.util." is the prefix of the handler registered as "zemba.util".
    if (name.endsWith(QLatin1Char('.')))
        return m_handlers.value(name.chopped(1)).data();
    return nullptr;
}

QStringList KxWebViewAsynJSObject::handlerNames() const
{
    QStringList names;
    for (auto it = m_handlers.begin(); it != m_handlers.end(); ++it) {
        if (it.value())
            names.append(it.key());
    }
    return names;
}

bool KxWebViewAsynJSObject::dispatchCall(KxWebViewJSContext& context)
{
    const QString& method = context.method();
    QString bestName;
    QString bestMethod;
    KxWebViewJSApiHandler* bestHandler = nullptr;
    for (auto it = m_handlers.begin(); it != m_handlers.end(); ++it) {
        const QString& name = it.key();
        if (!it.value() || name.length() <= bestName.length() || !method.startsWith(name))
            continue;
        // "common.util" takes "common.util.openUrl" but not "common.utility"; a name that ends
        // with a dot is its own separator.
        QString rest = method.mid(name.length());
        if (!name.endsWith(QLatin1Char('.'))) {
            if (!rest.startsWith(QLatin1Char('.')))
                continue;
            rest.remove(0, 1);
        }
        bestName = name;
        bestMethod = rest;
        bestHandler = it.value();
    }
    if (bestHandler)
        return bestHandler->invokeJsMethod(bestMethod, context);
    return invokeJsMethod(method, context);
}

void KxWebViewAsynJSObject::callbackToJS(const QString& name, const QString& json, bool)
{
    if (m_container)
        m_container->deliverCallback(name, json, false);
}

void KxWebViewAsynJSObject::callbackToJSRaw(const QString& name, const QString& text, bool)
{
    if (m_container)
        m_container->deliverCallback(name, text, true);
}

void KxWebViewAsynJSObject::publishResult(KxWebViewJSContext& context)
{
    if (m_container)
        m_container->deliverResult(context);
}
