#include "kxwebviewcontainer.h"

#include "jsonhelper.h"
#include "kxheadlesspage.h"
#include "kxjsapiconstants.h"
#include "kxloggerlite.h"
#include "kxwebviewasynjsobject.h"
#include "kxwebviewjscontext.h"

#include <krt/kruntimeconfig.h>

#include <QEvent>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const char kModule[] = "KxWebViewContainer";
constexpr int kMaxCallbackNameLength = 256;

void refuseCallbackName(const QString& name)
{
    KxLoggerLite::writeWarning(QString::fromLatin1(kModule),
                               QStringLiteral("answer not delivered: callback name is not a path of identifiers: %1")
                                   .arg(name.left(kMaxCallbackNameLength)));
}

KxWebViewContainer::PageFactory& pageFactory()
{
    static KxWebViewContainer::PageFactory factory;
    return factory;
}

// The browser's virtual key code of a Qt key; 0 for keys without one here.
int browserKeyCode(int key)
{
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return 0x70 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return 0x08;
    case Qt::Key_Tab:
        return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 0x0d;
    case Qt::Key_Escape:
        return 0x1b;
    case Qt::Key_Space:
        return 0x20;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return 0x26;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return 0x28;
    case Qt::Key_Delete:
        return 0x2e;
    default:
        return 0;
    }
}
} // namespace

KxWebViewContainer::KxWebViewContainer(QWidget* parent, KxWebViewPage* page)
    : QWidget(parent)
{
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    if (!page && pageFactory())
        page = pageFactory()();
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
    connect(page, &KxWebViewPage::browserCreated, this, &KxWebViewContainer::browserCreated);
    connect(page, &KxWebViewPage::loadFinishedWithCode, this, &KxWebViewContainer::loadFinishedWithCode);
    connect(page, &KxWebViewPage::renderProcessTerminated, this, &KxWebViewContainer::renderProcessTerminated);
    connect(page, &KxWebViewPage::browserException, this, &KxWebViewContainer::browserException);
    connect(page, &KxWebViewPage::keyboardEvent, this, [this](int type, int key, int modifiers) {
        if (type == QEvent::KeyPress || type == QEvent::KeyRelease)
            emit keyBoardEvent(type == QEvent::KeyPress ? 0 : 2, browserKeyCode(key), modifiers);
    });
    connect(page, &KxWebViewPage::mouseMoved, this, &KxWebViewContainer::browserMouseMove);
    connect(page, &KxWebViewPage::leftButtonReleased, this, &KxWebViewContainer::browserLbuttonUp);
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
    // Arguments may be megabytes long: look for one visible character instead of trimming a copy.
    const bool blank = std::all_of(argsText.cbegin(), argsText.cend(), [](QChar c) { return c.isSpace(); });
    if (!blank) {
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
    // A method may read many configuration values; one look at the file serves the call.
    const krt::KRuntimeConfig::Snapshot configSnapshot;
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

void KxWebViewContainer::setPageFactory(const PageFactory& factory)
{
    pageFactory() = factory;
}

void KxWebViewContainer::createBrowser(const QString& url, KxWebViewLinkClickPolicy linkPolicy,
                                       KxWebViewCustomHeaderPolicy headerPolicy, const QNetworkProxy& proxy,
                                       const QString& cachePath, const QString& cookiePath)
{
    if (!m_page)
        return;
    KxBrowserOptions options;
    options.url = url;
    options.linkPolicy = linkPolicy;
    options.headerPolicy = headerPolicy;
    options.proxy = proxy;
    options.cachePath = cachePath;
    options.cookiePath = cookiePath;
    m_page->createBrowser(options);
    // A back end makes its view when it creates its browser; the view fills the container.
    if (QWidget* view = m_page->view(); view && layout()->indexOf(view) < 0)
        layout()->addWidget(view);
}

bool KxWebViewContainer::hasBrowser() const
{
    return m_page && m_page->hasBrowser();
}

QWidget* KxWebViewContainer::viewWidget() const
{
    return hasBrowser() ? const_cast<KxWebViewContainer*>(this) : nullptr;
}

int KxWebViewContainer::browserZoomsForScale(qreal) const
{
    return 0;
}

QString KxWebViewContainer::getCurrentErrorMessage() const
{
    return m_page ? m_page->errorMessage() : QString();
}

void KxWebViewContainer::setCookie(const QString& domainUrl, const QNetworkCookie& cookie, const KxCookieCallback& done)
{
    const QUrl url(domainUrl);
    if (!m_page || !url.isValid() || url.host().isEmpty() || cookie.name().isEmpty()) {
        if (done)
            done(false);
        return;
    }
    m_page->setCookie(url, cookie, done);
}

void KxWebViewContainer::deleteCookie(const QString& domainUrl, const QString& name, const KxCookieCallback& done)
{
    const QUrl url(domainUrl);
    if (!m_page || !url.isValid() || url.host().isEmpty() || name.isEmpty()) {
        if (done)
            done(false);
        return;
    }
    m_page->deleteCookie(url, name, done);
}

void KxWebViewContainer::injectProperties(const QString& objectName, const QVariantMap& properties)
{
    if (m_page && !objectName.isEmpty() && !properties.isEmpty())
        m_page->injectProperties(objectName, properties);
}
