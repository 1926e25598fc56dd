#ifndef KZEMBA_VDLLITE_KXWEBVIEWJSAPIHANDLER_H
#define KZEMBA_VDLLITE_KXWEBVIEWJSAPIHANDLER_H

#include "kzembaplatform_export.h"

#include <QObject>
#include <QPointer>
#include <QVariantMap>

class KxWebViewAsynJSObject;
class KxWebViewJSContext;

/// Base of every object whose methods a page calls by name: a JS API object or
/// one of its sub-handlers (a name space such as "common.util"). A page method
/// is an invokable `void name(KxWebViewJSContext&)`; nothing else is reachable
/// from a page. A handler answers later through the JS API object it serves.
class KZEMBAPLATFORM_EXPORT KxWebViewJSApiHandler : public QObject
{
    Q_OBJECT
public:
    KxWebViewJSApiHandler(QObject* parent, KxWebViewAsynJSObject* jsObject);
    ~KxWebViewJSApiHandler() override;

    KxWebViewAsynJSObject* jsObject() const;

    // The call's argument object as a map; empty when the page passed none. The flag is
    // the framework's and does not change what is read.
    QVariantMap parseContextArgs(KxWebViewJSContext& context, bool flag = true) const;

    bool hasJsMethod(const QString& method) const;
    // Runs this object's page method `method`; false when there is none.
    virtual bool invokeJsMethod(const QString& method, KxWebViewJSContext& context);

private:
    QPointer<KxWebViewAsynJSObject> m_jsObject;
};

#endif
