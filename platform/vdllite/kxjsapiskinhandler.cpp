#include "kxjsapiskinhandler.h"

#include "jsonhelper.h"
#include "kxjsapiconstants.h"
#include "kxwebviewjscontext.h"

#include <ui/kdrawhelper.h>

#include <QColor>
#include <QStringList>

#include <functional>

namespace {

// Answers {key: lookup(group, key)} for every requested key, or the argument error.
void answerTheme(KxWebViewJSContext& context, const QVariantMap& args,
                 const std::function<QVariant(const QString&, const QString&)>& lookup)
{
    const QString group = args.value(QStringLiteral("group")).toString();
    const QStringList keys = args.value(QStringLiteral("keys")).toStringList();
    if (group.isEmpty() || keys.isEmpty()) {
        context.result()[g_str_callstatus] = g_str_error;
        context.result()[g_str_errormsg] = "input json invalid. no group or keys.";
        return;
    }
    QVariantMap values;
    for (const QString& key : keys)
        values.insert(key, lookup(group, key));
    context.result()[g_str_callstatus] = g_str_ok;
    context.result()[g_str_result] = JsonHelper::variantToJsonValue(values);
}

} // namespace

KxJSApiSkinHandler::KxJSApiSkinHandler(QObject* parent, KxWebViewAsynJSObject* jsObject)
    : KxWebViewJSApiHandler(parent, jsObject)
{
}

KxJSApiSkinHandler::~KxJSApiSkinHandler() = default;

void KxJSApiSkinHandler::getSkinColorConfig(KxWebViewJSContext& context)
{
    answerTheme(context, parseContextArgs(context), [](const QString& group, const QString& key) {
        const QColor color = KDrawHelper::getColorFromTheme(group, key, QColor(), false);
        if (!color.isValid())
            return QVariant(QStringLiteral(""));
        return QVariant(color.name(color.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb));
    });
}

void KxJSApiSkinHandler::getSkinHintConfig(KxWebViewJSContext& context)
{
    answerTheme(context, parseContextArgs(context), [](const QString& group, const QString& key) {
        return KDrawHelper::getHintFromTheme(group, key);
    });
}
