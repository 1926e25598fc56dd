#include "kxwebviewcontainer.h"

#include "jsonhelper.h"
#include "kxheadlesspage.h"
#include "kxjsapiconstants.h"
#include "kxloggerlite.h"
#include "kxwebviewasynjsobject.h"
#include "kxwebviewjscontext.h"

#include <QRegularExpression>

namespace {
const char kModule[] = "KxWebViewContainer";
constexpr int kMaxCallbackNameLength = 256;

void refuseCallbackName(const QString& name)
{
    KxLoggerLite::writeWarning(QString::fromLatin1(kModule),
                               QStringLiteral("answer not delivered: callback name is not a path of identifiers: %1")
                                   .arg(name.left(kMaxCallbackNameLength)));
}
} // namespace

KxWebViewContainer::KxWebViewContainer(QWidget* parent, KxWebViewPage* page)
    : QWidget(parent)
{
    setPage(page ? page : new KxHeadlessPage(this));
}

KxWebViewContainer::~KxWebViewContainer() = default;

KxWebViewPage* KxWebViewContainer::page() const
{
    return m_page.data();
}

void KxWebViewContainer::setPage(KxWebViewPage* page)
{
    if (page == m_page)
        return;
    delete m_page.data();
    m_page = page;
    if (!page)
        return;
    page->setParent(this);
    connect(page, &KxWebViewPage::loadFinished, this, &KxWebViewContainer::loadFinished);
}

void KxWebViewContainer::setJsApiObject(KxWebViewAsynJSObject* object)
{
    m_jsApiObject = object;
}

KxWebViewAsynJSObject* KxWebViewContainer::jsApiObject() const
{
    return m_jsApiObject.data();
}

void KxWebViewContainer::loadURL(const QUrl& url)
{
    if (m_page)
        m_page->load(url);
}

QUrl KxWebViewContainer::url() const
{
    return m_page ? m_page->url() : QUrl();
}

Json::Value KxWebViewContainer::errorAnswer(const QString& message)
{
    Json::Value answer(Json::objectValue);
    answer[g_str_callstatus] = g_str_error;
    answer[g_str_errormsg] = message.toStdString();
    return answer;
}

KxWebViewContainer::CallAnswer KxWebViewContainer::invokeJsApi(const QString& method, const QString& argsText,
                                                               const QString& callback)
{
    CallAnswer answer;
    answer.id = ++m_lastCallId;
    if (!m_jsApiObject) {
        answer.result = errorAnswer(QStringLiteral("no JS API object on this page"));
        return answer;
    }

    Json::Value args(Json::objectValue);
    if (!argsText.trimmed().isEmpty()) {
        QString why;
        const bool parsed = JsonHelper::parseUntrusted(argsText, args, &why);
        if (!parsed || !args.isObject()) {
            if (parsed)
                why = QStringLiteral("not an object");
            KxLoggerLite::writeWarning(QString::fromLatin1(kModule),
                                       QStringLiteral("call %1 rejected: arguments are not a JSON object (%2)").arg(method, why));
            answer.result = errorAnswer(QStringLiteral("arguments of %1 are not a JSON object: %2").arg(method, why));
            return answer;
        }
    }

    KxWebViewJSContext context(answer.id, method, std::move(args), callback);
    if (!m_jsApiObject->dispatchCall(context)) {
        KxLoggerLite::writeWarning(QString::fromLatin1(kModule), QStringLiteral("no such method: %1").arg(method));
        answer.result = errorAnswer(QStringLiteral("no such method: %1").arg(method));
        return answer;
    }
    answer.result = std::move(context.result());
    return answer;
}

bool KxWebViewContainer::isValidCallbackName(const QString& name)
{
    static const QRegularExpression path(
        QStringLiteral("\\A[A-Za-z_$][A-Za-z0-9_$]*(\\.[A-Za-z_$][A-Za-z0-9_$]*)*\\z"));
    return name.size() <= kMaxCallbackNameLength && path.match(name).hasMatch();
}

void KxWebViewContainer::deliverCallback(const QString& function, const QString& text, bool raw)
{
    if (!isValidCallbackName(function)) {
        refuseCallbackName(function);
        return;
    }
    if (m_page)
        m_page->deliverCallback(function, text, raw);
}

void KxWebViewContainer::deliverResult(const KxWebViewJSContext& context)
{
    // A result goes back by the call's id; a callback name it carries must still be a path.
    if (!context.callback().isEmpty() && !isValidCallbackName(context.callback())) {
        refuseCallbackName(context.callback());
        return;
    }
    if (m_page)
        m_page->deliverResult(context, JsonHelper::jsonValueToString(context.result()));
}
