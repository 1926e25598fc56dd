#ifndef KZEMBA_STOREHOST_KSTOREPAGEWATCHER_H
#define KZEMBA_STOREHOST_KSTOREPAGEWATCHER_H

#include <QJsonValue>
#include <QObject>
#include <QPointer>
#include <QString>

class KxBrowserPage;
class QTextStream;

/// What the demo host learns from its store page. Published on the page's channel as
/// "storeHost", it takes the page's self-check report; with a log stream it also writes
/// every call of the page, its synchronous answer and every later delivery as JSON lines.
class KStorePageWatcher : public QObject
{
    Q_OBJECT
public:
    explicit KStorePageWatcher(QTextStream* log, QObject* parent = nullptr);
    ~KStorePageWatcher() override;

    // Publishes this object on the page's channel and follows the page's bridge.
    void watch(KxBrowserPage* page);

    bool hasReport() const { return m_reported; }
    bool passed() const { return m_passed; }
    QString summary() const { return m_summary; }

    // The page's self-check is over; `summary` is one line saying what passed and failed.
    Q_INVOKABLE void report(bool passed, const QString& summary);

signals:
    void reported(bool passed);

private:
    void writeLine(const QJsonObject& line);

    QTextStream* m_log;
    QPointer<KxBrowserPage> m_page;
    bool m_reported = false;
    bool m_passed = false;
    QString m_summary;
};

#endif
