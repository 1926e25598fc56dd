#ifndef KZEMBA_WEBWIDGET_KZEMBAWEBPAGEPROFILER_H
#define KZEMBA_WEBWIDGET_KZEMBAWEBPAGEPROFILER_H

#include "kzembajsapilite_export.h"

#include <QHash>
#include <QString>

/// The milestones of one page load (browser created, page loaded, script
/// ready, done), in ms since the epoch with 0 for "not reached", and their
/// report to data collection: the success once, every failure as it happens.
/// The hosting web widget moves the milestones itself at its own events, so the
/// fields are public.
class KZEMBAJSAPILITE_EXPORT KZembaWebPageProfiler
{
public:
    explicit KZembaWebPageProfiler(const QString& pageName);

    void cefCreateStart();
    void cefCreateDone();
    void cefLoadStart();
    void cefLoadDone();
    void scriptLoadDone();

    // Reports the success, once; the script counts as ready when it never said so.
    void webLoadDone();
    // Reports a failure with `reason`; every call reports, and a later success still can.
    void webLoadFailed(const QString& reason);
    void sendDcInfo(QHash<QString, QString> entries);

    // The decimal text of to - from when both are reached, else an empty text.
    static QString elapsed(qint64 from, qint64 to);

    qint64 createStart = 0;
    qint64 createDone = 0;
    qint64 loadStart = 0;
    qint64 loadDone = 0;
    qint64 scriptReady = 0;
    qint64 finished = 0;
    QString pageName;

private:
    QHash<QString, QString> timings(const QString& loadType, qint64 end) const;
};

#endif
