#include "kstorepagewatcher.h"

#include <browser/kxbrowserbridge.h>
#include <browser/kxbrowserpage.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QWebChannel>
#include <QWebEnginePage>

namespace {
// A page's text as JSON when it is JSON, else as the text itself.
QJsonValue jsonOrText(const QString& text)
{
    if (text.isEmpty())
        return QJsonValue();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(("[" + text + "]").toUtf8(), &error);
    return error.error == QJsonParseError::NoError ? document.array().first() : QJsonValue(text);
}
} // namespace

KStorePageWatcher::KStorePageWatcher(QTextStream* log, QObject* parent)
    : QObject(parent)
    , m_log(log)
{
}

KStorePageWatcher::~KStorePageWatcher() = default;

void KStorePageWatcher::watch(KxBrowserPage* page)
{
    if (!page || page == m_page || !page->webView())
        return;
    m_page = page;
    if (QWebChannel* channel = page->webView()->page()->webChannel())
        channel->registerObject(QStringLiteral("storeHost"), this);
    if (!m_log)
        return;
    KxBrowserBridge* bridge = page->bridge();
    connect(bridge, &KxBrowserBridge::called, this,
            [this](const QString& method, const QString& argsText, const QString& callback, const QJsonValue& answer) {
                QJsonObject line{{QStringLiteral("call"), method},
                                 {QStringLiteral("args"), jsonOrText(argsText)},
                                 {QStringLiteral("answer"), answer}};
                if (!callback.isEmpty())
                    line.insert(QStringLiteral("callback"), callback);
                writeLine(line);
            });
    connect(bridge, &KxBrowserBridge::delivered, this,
            [this](int kind, const QString& function, const QString& text, double) {
                const bool raw = kind == KxBrowserBridge::RawCallback;
                writeLine({{QStringLiteral("deliver"), function},
                           {QStringLiteral("value"), raw ? QJsonValue(text) : jsonOrText(text)}});
            });
}

void KStorePageWatcher::setApi(const QString& api)
{
    m_api = api;
    emit hostInfoChanged();
}

QString KStorePageWatcher::pageHost() const
{
    switch (m_pageHost) {
    case KZembaPageHostHelper::Success:
        return QStringLiteral("Success");
    case KZembaPageHostHelper::EmptyParam:
        return QStringLiteral("EmptyParam");
    case KZembaPageHostHelper::SignMismatch:
        return QStringLiteral("SignMismatch");
    case KZembaPageHostHelper::SignDownloadFailed:
        return QStringLiteral("SignDownloadFailed");
    case KZembaPageHostHelper::AppInfoFailed:
        return QStringLiteral("AppInfoFailed");
    default:
        return QStringLiteral("unchecked");
    }
}

void KStorePageWatcher::setPageHostResult(const QString& appId, const QString& url, KZembaPageHostHelper::Error result)
{
    m_pageHost = result;
    if (m_log)
        writeLine({{QStringLiteral("pageHostCheck"), pageHost()},
                   {QStringLiteral("trusted"), pageHostTrusted()},
                   {QStringLiteral("appId"), appId},
                   {QStringLiteral("url"), url}});
    emit hostInfoChanged();
}

void KStorePageWatcher::report(bool passed, const QString& summary)
{
    if (m_reported)
        return;
    m_reported = true;
    m_passed = passed;
    m_summary = summary.simplified();
    if (m_log)
        writeLine({{QStringLiteral("selfCheck"), passed ? QStringLiteral("passed") : QStringLiteral("failed")},
                   {QStringLiteral("summary"), m_summary}});
    emit reported(passed);
}

void KStorePageWatcher::writeLine(const QJsonObject& line)
{
    *m_log << QJsonDocument(line).toJson(QJsonDocument::Compact) << '\n';
    m_log->flush();
}
