#include "kzembawebpageprofiler.h"

#include "webwidget/kzembaeventreporter.h"

#include <krt/krt.h>
#include <vdllite/kxloggerlite.h>

#include <QDateTime>

namespace {
qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}
} // namespace

KZembaWebPageProfiler::KZembaWebPageProfiler(const QString& name)
    : createStart(now())
    , pageName(name)
{
}

void KZembaWebPageProfiler::cefCreateStart()
{
    createStart = now();
    createDone = 0;
}

void KZembaWebPageProfiler::cefCreateDone()
{
    createDone = now();
    loadStart = createDone;
    loadDone = 0;
    scriptReady = 0;
    finished = 0;
}

void KZembaWebPageProfiler::cefLoadStart()
{
    loadStart = now();
    loadDone = 0;
    scriptReady = 0;
    finished = 0;
}

void KZembaWebPageProfiler::cefLoadDone()
{
    loadDone = now();
}

void KZembaWebPageProfiler::scriptLoadDone()
{
    if (scriptReady == 0)
        scriptReady = now();
}

QString KZembaWebPageProfiler::elapsed(qint64 from, qint64 to)
{
    return from != 0 && to != 0 ? QString::number(to - from) : QString();
}

QHash<QString, QString> KZembaWebPageProfiler::timings(const QString& loadType, qint64 end) const
{
    return {{QStringLiteral("load_type"), loadType},
            {QStringLiteral("cef_time"), elapsed(createStart, createDone)},
            {QStringLiteral("webload_time"), elapsed(loadStart, loadDone)},
            {QStringLiteral("jsinit_time"), elapsed(loadStart, scriptReady)},
            {QStringLiteral("total_time"), elapsed(createStart, end)}};
}

void KZembaWebPageProfiler::webLoadDone()
{
    if (finished != 0)
        return;
    finished = now();
    if (scriptReady == 0)
        scriptReady = finished;
    sendDcInfo(timings(QStringLiteral("webloadsuc"), finished));
}

void KZembaWebPageProfiler::webLoadFailed(const QString& reason)
{
    QHash<QString, QString> entries = timings(QStringLiteral("webloadfai"), now());
    entries.insert(QStringLiteral("error_reason"), reason);
    sendDcInfo(entries);
}

void KZembaWebPageProfiler::sendDcInfo(QHash<QString, QString> entries)
{
    entries.insert(QStringLiteral("version"), QStringLiteral("6.0"));
    entries.insert(QStringLiteral("pagetype"), pageName);
    entries.insert(QStringLiteral("apptype"), krt::appName().toLower());
    kzemba::KZembaEventReporter::post(QStringLiteral("zemba_common_webpage_perf"), entries, 0, 0, true);

    QString line;
    for (auto it = entries.begin(); it != entries.end(); ++it)
        line += it.key() + QLatin1Char(':') + it.value() + QStringLiteral("; ");
    KxLoggerLite::writeInfo(QStringLiteral("KZembaWebPageProfiler"), line);
}
