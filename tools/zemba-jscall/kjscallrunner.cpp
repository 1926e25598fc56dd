#include "kjscallrunner.h"

#include "jsapi/kzembacommonjsapi.h"

#include <vdllite/jsonhelper.h>
#include <vdllite/kxwebviewcontainer.h>

#include <QJsonDocument>
#include <QTextStream>

KJsCallRunner::KJsCallRunner(KxHeadlessPage* page, KZembaCommonJsApi* api, QTextStream* out, QObject* parent)
    : QObject(parent)
    , m_page(page)
    , m_api(api)
    , m_out(out)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this]() {
        if (!m_waitingFor.isEmpty()) {
            write(QJsonObject{{QStringLiteral("timeout"), m_waitingFor}});
            m_waitingFor.clear();
        }
        resume();
    });
    connect(page, &KxHeadlessPage::delivered, this, &KJsCallRunner::onDelivered);
    // What the page reports as a browser is written as it happens.
    connect(page, &KxWebViewPage::browserCreated, this,
            [this]() { write(QJsonObject{{QStringLiteral("event"), QStringLiteral("browserCreated")}}); });
    connect(page, &KxWebViewPage::loadFinished, this, [this](bool ok) {
        write(QJsonObject{{QStringLiteral("event"), QStringLiteral("loadFinished")},
                          {QStringLiteral("ok"), ok},
                          {QStringLiteral("url"), m_page ? m_page->url().toString() : QString()},
                          {QStringLiteral("message"), m_page ? m_page->errorMessage() : QString()}});
    });
    connect(page, &KxWebViewPage::loadFinishedWithCode, this, [this](const QUrl& url, int code) {
        write(QJsonObject{{QStringLiteral("event"), QStringLiteral("loadFinishedWithCode")},
                          {QStringLiteral("url"), url.toString()},
                          {QStringLiteral("code"), code}});
    });
    connect(page, &KxWebViewPage::renderProcessTerminated, this, [this](int status) {
        write(QJsonObject{{QStringLiteral("event"), QStringLiteral("renderProcessTerminated")},
                          {QStringLiteral("status"), status}});
    });
    connect(page, &KxWebViewPage::browserException, this, [this](int code) {
        write(QJsonObject{{QStringLiteral("event"), QStringLiteral("browserException")}, {QStringLiteral("code"), code}});
    });
}

void KJsCallRunner::start(const QStringList& lines)
{
    m_lines = lines;
    m_next = 0;
    // Start from the event loop, so that a caller can connect to finished() first.
    QTimer::singleShot(0, this, &KJsCallRunner::runLines);
}

void KJsCallRunner::runLines()
{
    while (m_next < m_lines.size()) {
        const QString line = m_lines.at(m_next++);
        if (line.trimmed().isEmpty())
            continue;
        if (!runLine(line))
            return;
    }
    emit finished(m_failed ? 1 : 0);
}

void KJsCallRunner::resume()
{
    QTimer::singleShot(0, this, &KJsCallRunner::runLines);
}

void KJsCallRunner::fail(const QString& message)
{
    m_failed = true;
    write(QJsonObject{{QStringLiteral("error"), QStringLiteral("line %1: %2").arg(m_next).arg(message)}});
}

bool KJsCallRunner::runLine(const QString& line)
{
    // A line wraps the page's arguments in a command object of its own.
    Json::Value parsed;
    if (!JsonHelper::parseUntrusted(line, parsed, nullptr, JsonHelper::kMaxDepth + JsonHelper::kEnvelopeDepth)
        || !parsed.isObject()) {
        fail(QStringLiteral("not a JSON object"));
        return true;
    }
    const QJsonObject command = JsonHelper::jsonValueToQJsonValue(parsed).toObject();

    if (command.contains(QStringLiteral("call"))) {
        const QString name = command.value(QStringLiteral("call")).toString();
        const QJsonValue args = command.value(QStringLiteral("args"));
        const QJsonValue callback = command.value(QStringLiteral("callback"));
        if (name.isEmpty() || (!args.isUndefined() && !args.isObject())
            || (!callback.isUndefined() && !callback.isString())) {
            fail(QStringLiteral("\"call\" needs a name, an \"args\" object and a \"callback\" text"));
            return true;
        }
        if (!m_page) {
            fail(QStringLiteral("the page is gone"));
            return true;
        }
        const QJsonValue answer = m_page->call(name, args.toObject(), callback.toString());
        write(QJsonObject{{QStringLiteral("call"), name}, {QStringLiteral("answer"), answer}});
        return true;
    }

    if (command.contains(QStringLiteral("push"))) {
        const QJsonObject push = command.value(QStringLiteral("push")).toObject();
        const QJsonValue action = push.value(QStringLiteral("action"));
        const QJsonValue data = push.value(QStringLiteral("data"));
        if (!action.isString() || !(data.isString() || data.isObject() || data.isUndefined())) {
            fail(QStringLiteral("\"push\" needs an \"action\" text and a \"data\" text"));
            return true;
        }
        const QString dataText = data.isObject()
            ? QString::fromUtf8(QJsonDocument(data.toObject()).toJson(QJsonDocument::Compact))
            : data.toString();
        KZembaCommonJsApi* target = m_pushTarget ? m_pushTarget() : m_api.data();
        if (target)
            target->ensureNotifyJsActionAndData(action.toString(), dataText);
        return true;
    }

    if (command.contains(QStringLiteral("wait"))) {
        const QJsonValue ms = command.value(QStringLiteral("wait"));
        if (!ms.isDouble() || ms.toDouble() < 0) {
            fail(QStringLiteral("\"wait\" needs a number of milliseconds"));
            return true;
        }
        m_timer.start(ms.toInt());
        return false;
    }

    if (command.contains(QStringLiteral("waitFor"))) {
        const QString function = command.value(QStringLiteral("waitFor")).toString();
        const QJsonValue timeout = command.value(QStringLiteral("timeout"));
        if (function.isEmpty() || (!timeout.isUndefined() && (!timeout.isDouble() || timeout.toDouble() < 0))) {
            fail(QStringLiteral("\"waitFor\" needs a page function and a \"timeout\" in milliseconds"));
            return true;
        }
        if (takeDelivery(function))
            return true;
        m_waitingFor = function;
        m_timer.start(timeout.isUndefined() ? 5000 : timeout.toInt());
        return false;
    }

    if (runBrowserLine(command))
        return true;

    fail(QStringLiteral("unknown command"));
    return true;
}

bool KJsCallRunner::runBrowserLine(const QJsonObject& command)
{
    if (!m_page || !m_page->container())
        return false;
    KxWebViewContainer* container = m_page->container();
    const auto intValue = [&command](const QString& key) { return command.value(key).toInt(); };

    if (command.contains(QStringLiteral("createBrowser")) || command.contains(QStringLiteral("load"))) {
        const bool create = command.contains(QStringLiteral("createBrowser"));
        const QString url = command.value(create ? QStringLiteral("createBrowser") : QStringLiteral("load")).toString();
        const QJsonObject outcome = command.value(QStringLiteral("outcome")).toObject();
        if (!outcome.isEmpty()) {
            KxHeadlessLoadOutcome scripted;
            scripted.ok = outcome.value(QStringLiteral("ok")).toBool(true);
            scripted.errorMessage = outcome.value(QStringLiteral("message")).toString();
            scripted.httpCode = outcome.value(QStringLiteral("code")).toInt();
            m_page->setLoadOutcome(QUrl(url), scripted);
        }
        if (create) {
            container->createBrowser(url, KxWebViewLinkClickInView, KxWebViewCustomHeaderNone, QNetworkProxy(),
                                     QString(), QString());
        } else {
            container->loadURL(QUrl(url));
        }
        return true;
    }
    if (command.contains(QStringLiteral("httpCode"))) {
        m_page->reportHttpCode(QUrl(command.value(QStringLiteral("url")).toString()), intValue(QStringLiteral("httpCode")));
        return true;
    }
    if (command.contains(QStringLiteral("renderProcessEnded"))) {
        m_page->endRenderProcess(intValue(QStringLiteral("renderProcessEnded")));
        return true;
    }
    if (command.contains(QStringLiteral("browserException"))) {
        m_page->raiseBrowserException(intValue(QStringLiteral("browserException")));
        return true;
    }
    if (command.contains(QStringLiteral("scriptReady"))) {
        write(QJsonObject{{QStringLiteral("call"), QStringLiteral("onScriptReady")},
                          {QStringLiteral("answer"), m_page->reportScriptReady()}});
        return true;
    }
    return false;
}

bool KJsCallRunner::takeDelivery(const QString& function)
{
    if (!m_page)
        return false;
    const int delivered = m_page->deliveriesTo(function).size();
    int& taken = m_taken[function];
    if (delivered <= taken)
        return false;
    ++taken;
    return true;
}

void KJsCallRunner::onDelivered(const KxPageDelivery& delivery)
{
    write(QJsonObject{{QStringLiteral("deliver"), delivery.function},
                      {QStringLiteral("text"), delivery.text},
                      {QStringLiteral("json"), delivery.json()}});
    if (!m_waitingFor.isEmpty() && delivery.function == m_waitingFor && takeDelivery(m_waitingFor)) {
        m_waitingFor.clear();
        m_timer.stop();
        resume();
    }
}

void KJsCallRunner::write(const QJsonObject& object)
{
    *m_out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) << '\n';
    m_out->flush();
}
