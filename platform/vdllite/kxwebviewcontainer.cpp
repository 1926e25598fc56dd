#include "kxwebviewcontainer.h"

#include "jsonhelper.h"
#include "kxheadlesspage.h"
#include "kxjsapiconstants.h"
#include "kxloggerlite.h"
#include "kxwebviewasynjsobject.h"
#include "kxwebviewjscontext.h"

namespace {
const char kModule[] = "KxWebViewContainer";
}

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
        bool ok = false;
        args = JsonHelper::parseJsonValue(argsText, &ok);
        if (!ok || !args.isObject()) {
            KxLoggerLite::writeWarning(QString::fromLatin1(kModule),
                                       QStringLiteral("call %1 rejected: arguments are not a JSON object").arg(method));
            answer.result = errorAnswer(QStringLiteral("arguments of %1 are not a JSON object").arg(method));
            return answer;
        }
    }

    KxWebViewJSContext context(answer.id, method, args, callback);
    if (!m_jsApiObject->dispatchCall(context)) {
        KxLoggerLite::writeWarning(QString::fromLatin1(kModule), QStringLiteral("no such method: %1").arg(method));
        answer.result = errorAnswer(QStringLiteral("no such method: %1").arg(method));
        return answer;
    }
    answer.result = context.result();
    return answer;
}

void KxWebViewContainer::deliverCallback(const QString& function, const QString& text, bool raw)
{
    if (m_page)
        m_page->deliverCallback(function, text, raw);
}

void KxWebViewContainer::deliverResult(const KxWebViewJSContext& context)
{
    if (m_page)
        m_page->deliverResult(context, JsonHelper::jsonValueToString(context.result()));
}
