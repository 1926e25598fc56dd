#ifndef KZEMBA_VDLLITE_KXWEBVIEWJSCONTEXT_H
#define KZEMBA_VDLLITE_KXWEBVIEWJSCONTEXT_H

#include "kzembaplatform_export.h"

#include <QMetaType>
#include <QString>
#include <QVariant>

#include <json/value.h>

/// The context of one script call: the method name, the argument object, the
/// result object the method fills, the page function named for a later answer,
/// and the id under which the page waits for that answer. A context is a value:
/// copy it, or serialise it with toJson() and read it back with parse(), to
/// answer the call after the method has returned.
class KZEMBAPLATFORM_EXPORT KxWebViewJSContext
{
public:
    KxWebViewJSContext();
    // Pass `args` as an rvalue where it is not needed afterwards: a large argument is not copied.
    KxWebViewJSContext(qint64 id, const QString& method, Json::Value args, const QString& callback);

    qint64 id() const { return m_id; }
    const QString& method() const { return m_method; }
    const QString& callback() const { return m_callback; }

    const Json::Value& args() const { return m_args; }
    Json::Value& result() { return m_result; }
    const Json::Value& result() const { return m_result; }

    // One top-level value of the call's argument object, or `defaultValue`.
    QVariant getValue(const QString& key, const QVariant& defaultValue = QVariant()) const;

    QString toJson() const;
    // Replaces this context with the serialised one; false (and unchanged) when the text is not one.
    bool parse(const QString& text);

private:
    qint64 m_id = 0;
    QString m_method;
    QString m_callback;
    Json::Value m_args;
    Json::Value m_result;
};

Q_DECLARE_METATYPE(KxWebViewJSContext)

#endif
