#ifndef KZEMBA_VDLLITE_KXWEBVIEWASYNJSOBJECT_H
#define KZEMBA_VDLLITE_KXWEBVIEWASYNJSOBJECT_H

#include "kxwebviewjsapihandler.h"

#include <QMap>
#include <QPointer>
#include <QStringList>

class KxWebViewContainer;
class KxWebViewJSContext;

/// A JS API object as the page sees it: it routes each call by name, either to
/// the sub-handler registered under the longest matching name prefix or to its
/// own page method, and it answers later through its web view container
/// (named callbacks, raw callbacks and results of saved contexts). The object
/// is a child of its container, so it can find the container among its
/// ancestors and dies with it.
class KZEMBAPLATFORM_EXPORT KxWebViewAsynJSObject : public KxWebViewJSApiHandler
{
    Q_OBJECT
public:
    explicit KxWebViewAsynJSObject(KxWebViewContainer* container);
    ~KxWebViewAsynJSObject() override;

    KxWebViewContainer* container() const;

    // Registers the framework's own handlers ("common.skin", KxJSApiSkinHandler).
    virtual void initHandlers();
    bool isHandlersValid() const;

    // Registers `handler` for calls whose name starts with `name`; an empty handler removes the name.
    void setHandler(const QString& name, KxWebViewJSApiHandler* handler);
    // The handler registered as `name`; a name that ends with a dot also finds the
    // handler registered without it.
    virtual KxWebViewJSApiHandler* findHandler(const QString& name) const;
    QStringList handlerNames() const;

    // Routes one call; false when neither a handler nor this object has the method.
    bool dispatchCall(KxWebViewJSContext& context);

    virtual void callbackToJS(const QString& name, const QString& json, bool flag);
    virtual void callbackToJSRaw(const QString& name, const QString& text, bool flag);
    virtual void publishResult(KxWebViewJSContext& context);

private:
    QPointer<KxWebViewContainer> m_container;
    QMap<QString, QPointer<KxWebViewJSApiHandler>> m_handlers;
    bool m_handlersValid = false;
};

#endif
