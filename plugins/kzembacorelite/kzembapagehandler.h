#ifndef KZEMBA_PLUGINS_KZEMBAPAGEHANDLER_H
#define KZEMBA_PLUGINS_KZEMBAPAGEHANDLER_H

#include <vdllite/kxwebviewjsapihandler.h>

#include <QMap>
#include <QString>
#include <QVariant>

#include <functional>

/// A page handler of the core-lite plug-in: a name space whose page methods
/// come from a table, so that the full and the restricted ("safe") name spaces
/// share one implementation of each method and differ only in which methods
/// they list. A method answers with the usual envelope through ok() or error().
class KZembaPageHandler : public KxWebViewJSApiHandler
{
    Q_OBJECT
public:
    using Method = std::function<void(KZembaPageHandler& handler, KxWebViewJSContext& context)>;

    KZembaPageHandler(const QString& name, const QMap<QString, Method>& methods, QObject* parent,
                      KxWebViewAsynJSObject* jsObject);

    QString name() const { return m_name; }
    QStringList methodNames() const { return m_methods.keys(); }
    bool invokeJsMethod(const QString& method, KxWebViewJSContext& context) override;

    static void ok(KxWebViewJSContext& context, const QVariant& result);
    static void error(KxWebViewJSContext& context, const QString& message);

private:
    QString m_name;
    QMap<QString, Method> m_methods;
};

#endif
