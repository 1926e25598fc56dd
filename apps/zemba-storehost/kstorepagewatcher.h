#ifndef KZEMBA_STOREHOST_KSTOREPAGEWATCHER_H
#define KZEMBA_STOREHOST_KSTOREPAGEWATCHER_H

#include "safe/kzembapagehosthelper.h"

#include <QJsonValue>
#include <QObject>
#include <QPointer>
#include <QString>

class KxBrowserPage;
class QTextStream;

/// What the demo host and its store page tell each other. Published on the page's channel
/// as "storeHost", it tells the page which JS API it has ("lite" or "safe") and whether its
/// host passed the page-host check, and takes the page's self-check report; with a log
/// stream it also writes the check's result, every call of the page, its synchronous answer
/// and every later delivery as JSON lines.
class KStorePageWatcher : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString api READ api NOTIFY hostInfoChanged)
    Q_PROPERTY(bool pageHostTrusted READ pageHostTrusted NOTIFY hostInfoChanged)
    Q_PROPERTY(QString pageHost READ pageHost NOTIFY hostInfoChanged)
public:
    explicit KStorePageWatcher(QTextStream* log, QObject* parent = nullptr);
    ~KStorePageWatcher() override;

    // Publishes this object on the page's channel and follows the page's bridge.
    void watch(KxBrowserPage* page);

    QString api() const { return m_api; }
    void setApi(const QString& api);
    bool pageHostTrusted() const { return m_pageHost == KZembaPageHostHelper::Success; }
    // The page-host check's result by name ("Success", "SignMismatch", ...), or "unchecked".
    QString pageHost() const;
    // Takes the page-host check's result for `appId` and `url`.
    void setPageHostResult(const QString& appId, const QString& url, KZembaPageHostHelper::Error result);

    bool hasReport() const { return m_reported; }
    bool passed() const { return m_passed; }
    QString summary() const { return m_summary; }

    // The page's self-check is over; `summary` is one line saying what passed and failed.
    Q_INVOKABLE void report(bool passed, const QString& summary);

signals:
    void reported(bool passed);
    void hostInfoChanged();

private:
    void writeLine(const QJsonObject& line);

    QTextStream* m_log;
    QPointer<KxBrowserPage> m_page;
    QString m_api;
    int m_pageHost = -1;
    bool m_reported = false;
    bool m_passed = false;
    QString m_summary;
};

#endif
