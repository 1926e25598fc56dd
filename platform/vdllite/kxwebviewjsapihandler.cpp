#include "kxwebviewjsapihandler.h"

#include "jsonhelper.h"
#include "kxwebviewasynjsobject.h"
#include "kxwebviewjscontext.h"

#include <QHash>
#include <QMetaMethod>
#include <QPair>
#include <QRegularExpression>

KxWebViewJSApiHandler::KxWebViewJSApiHandler(QObject* parent, KxWebViewAsynJSObject* jsObject)
    : QObject(parent)
    , m_jsObject(jsObject)
{
}

KxWebViewJSApiHandler::~KxWebViewJSApiHandler() = default;

KxWebViewAsynJSObject* KxWebViewJSApiHandler::jsObject() const
{
    return m_jsObject.data();
}

QVariantMap KxWebViewJSApiHandler::parseContextArgs(KxWebViewJSContext& context, bool) const
{
    if (!context.args().isObject())
        return QVariantMap();
    return JsonHelper::jsonValueToVariant(context.args()).toMap();
}

static int lookUpPageMethod(const QMetaObject* meta, const QString& method)
{
    // Only plain identifiers name a page method; anything else could smuggle in a signature.
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!identifier.match(method).hasMatch())
        return -1;
    const QByteArray signature = QMetaObject::normalizedSignature((method + QStringLiteral("(KxWebViewJSContext&)")).toLatin1().constData());
    const int index = meta->indexOfMethod(signature.constData());
    if (index < 0)
        return -1;
    // Signals are not page methods, even when their signature fits.
    return meta->method(index).methodType() == QMetaMethod::Signal ? -1 : index;
}

static int pageMethodIndex(const QMetaObject* meta, const QString& method)
{
    // The lookup costs more than a small call itself, and pages call the same few methods
    // again and again. Only methods that exist are kept, so a page sending made-up names
    // cannot grow the cache; meta-objects are static. One cache per thread.
    thread_local QHash<QPair<const QMetaObject*, QString>, int> found;
    const QPair<const QMetaObject*, QString> key(meta, method);
    const auto hit = found.constFind(key);
    if (hit != found.cend())
        return hit.value();
    const int index = lookUpPageMethod(meta, method);
    if (index >= 0)
        found.insert(key, index);
    return index;
}

bool KxWebViewJSApiHandler::hasJsMethod(const QString& method) const
{
    return pageMethodIndex(metaObject(), method) >= 0;
}

bool KxWebViewJSApiHandler::invokeJsMethod(const QString& method, KxWebViewJSContext& context)
{
    const int index = pageMethodIndex(metaObject(), method);
    if (index < 0)
        return false;
    return metaObject()->method(index).invoke(this, Qt::DirectConnection, QGenericArgument("KxWebViewJSContext&", &context));
}
