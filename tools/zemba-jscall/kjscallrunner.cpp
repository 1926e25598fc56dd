#include "kjscallrunner.h"

#include "jsapi/kzembacommonjsapi.h"

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
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        fail(QStringLiteral("not a JSON object"));
        return true;
    }
    const QJsonObject command = doc.object();

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

    fail(QStringLiteral("unknown command"));
    return true;
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
