#ifndef KZEMBA_TESTS_KTESTURLCATCHER_H
#define KZEMBA_TESTS_KTESTURLCATCHER_H

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

/// Stands for the desktop's handlers of the given URL schemes while it lives: what the code
/// under test opens through QDesktopServices is recorded in `urls` instead of opened. The
/// handlers are given back when it goes, also when a test fails halfway.
class KTestUrlCatcher : public QObject
{
    Q_OBJECT
public:
    explicit KTestUrlCatcher(const QStringList& schemes);
    ~KTestUrlCatcher() override;

    QList<QUrl> urls;

public slots:
    void open(const QUrl& url);

private:
    const QStringList m_schemes;
};

#endif
