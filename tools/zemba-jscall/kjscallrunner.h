#ifndef KZEMBA_TOOLS_KJSCALLRUNNER_H
#define KZEMBA_TOOLS_KJSCALLRUNNER_H

#include <vdllite/kxheadlesspage.h>

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>

class KZembaCommonJsApi;
class QTextStream;

/// Plays a page script of JSON lines against a JS API object on a headless
/// page and writes one JSON line per event. Waits run the event loop, so
/// callbacks and pushes that arrive meanwhile are written as they come.
class KJsCallRunner : public QObject
{
    Q_OBJECT
public:
    KJsCallRunner(KxHeadlessPage* page, KZembaCommonJsApi* api, QTextStream* out, QObject* parent = nullptr);

    void start(const QStringList& lines);
    // Where "push" lines go when the hosted object pushes through an API object it makes later.
    void setPushTarget(const std::function<KZembaCommonJsApi*()>& target) { m_pushTarget = target; }

signals:
    void finished(int exitCode);

private:
    void runLines();
    // Runs one line; false when the script must wait before the next one.
    bool runLine(const QString& line);
    // The page's browser commands (createBrowser, load, httpCode, renderProcessEnded,
    // browserException, scriptReady); false when `command` is none of them.
    bool runBrowserLine(const QJsonObject& command);
    void fail(const QString& message);
    void write(const QJsonObject& object);
    void onDelivered(const KxPageDelivery& delivery);
    bool takeDelivery(const QString& function);
    void resume();

    QPointer<KxHeadlessPage> m_page;
    QPointer<KZembaCommonJsApi> m_api;
    QTextStream* m_out;
    QStringList m_lines;
    int m_next = 0;
    bool m_failed = false;
    // Deliveries per page function that a "waitFor" has already taken.
    QHash<QString, int> m_taken;
    QString m_waitingFor;
    QTimer m_timer;
    std::function<KZembaCommonJsApi*()> m_pushTarget;
};

#endif
