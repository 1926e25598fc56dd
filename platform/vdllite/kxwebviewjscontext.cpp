#include "kxwebviewjscontext.h"

#include "jsonhelper.h"

namespace {
const char kId[] = "id";
const char kMethod[] = "method";
const char kCallback[] = "callback";
const char kArgs[] = "args";
const char kResult[] = "result";
} // namespace

KxWebViewJSContext::KxWebViewJSContext()
    : m_args(Json::objectValue)
{
}

KxWebViewJSContext::KxWebViewJSContext(qint64 id, const QString& method, Json::Value args, const QString& callback)
    : m_id(id)
    , m_method(method)
    , m_callback(callback)
    , m_args(std::move(args))
{
}

QVariant KxWebViewJSContext::getValue(const QString& key, const QVariant& defaultValue) const
{
    if (!m_args.isObject())
        return defaultValue;
    const std::string name = key.toStdString();
    if (!m_args.isMember(name))
        return defaultValue;
    return JsonHelper::jsonValueToVariant(m_args[name]);
}

QString KxWebViewJSContext::toJson() const
{
    Json::Value root(Json::objectValue);
    root[kId] = static_cast<Json::Int64>(m_id);
    root[kMethod] = m_method.toStdString();
    root[kCallback] = m_callback.toStdString();
    root[kArgs] = m_args;
    root[kResult] = m_result;
    return JsonHelper::jsonValueToString(root);
}

bool KxWebViewJSContext::parse(const QString& text)
{
    // The context's own object wraps the call's arguments and answer, which were read within
    // the usual depth.
    Json::Value root;
    if (!JsonHelper::parseUntrusted(text, root, nullptr, JsonHelper::kMaxDepth + JsonHelper::kEnvelopeDepth)
        || !root.isObject() || !root[kId].isIntegral() || !root[kMethod].isString())
        return false;
    m_id = root[kId].asInt64();
    m_method = QString::fromStdString(root[kMethod].asString());
    m_callback = root[kCallback].isString() ? QString::fromStdString(root[kCallback].asString()) : QString();
    m_args = root[kArgs];
    m_result = root[kResult];
    return true;
}
