// Page-load milestones and their report: the success once, every failure, and
// empty durations for milestones never reached.
#include "ktestapplication.h"
#include "ktestruntime.h"

#include "webwidget/kzembawebpageprofiler.h"

#include <vdllite/kxloggerlite.h>

#include <QtTest>

class TstWebPageProfiler : public QObject
{
    Q_OBJECT

private:
    QList<QJsonObject> perfEvents() const
    {
        QList<QJsonObject> list;
        for (const QJsonObject& event : m_runtime->dcEvents()) {
            if (event.value("name").toString() == QLatin1String("zemba_common_webpage_perf"))
                list.append(event.value("params").toObject());
        }
        return list;
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        m_runtime->setValue("app/name", "KZembaWriter");
    }

    void cleanup() { m_runtime.reset(); }

    void elapsed_data()
    {
        QTest::addColumn<qint64>("from");
        QTest::addColumn<qint64>("to");
        QTest::addColumn<QString>("text");
        QTest::newRow("both") << qint64(1000) << qint64(1250) << "250";
        QTest::newRow("from missing") << qint64(0) << qint64(1250) << "";
        QTest::newRow("to missing") << qint64(1000) << qint64(0) << "";
    }

    void elapsed()
    {
        QFETCH(qint64, from);
        QFETCH(qint64, to);
        QFETCH(QString, text);
        QCOMPARE(KZembaWebPageProfiler::elapsed(from, to), text);
    }

    void successIsReportedOnce()
    {
        KZembaWebPageProfiler profiler("shop");
        profiler.createStart = 1000;
        profiler.cefCreateDone();
        profiler.createDone = 1100;
        profiler.loadStart = 1100;
        profiler.loadDone = 1400;
        // The script never said it was ready: the finish counts as ready.
        profiler.webLoadDone();
        profiler.webLoadDone();

        const QList<QJsonObject> events = perfEvents();
        QCOMPARE(events.size(), 1);
        const QJsonObject values = events.first();
        QCOMPARE(values.value("load_type").toString(), QStringLiteral("webloadsuc"));
        QCOMPARE(values.value("cef_time").toString(), QStringLiteral("100"));
        QCOMPARE(values.value("webload_time").toString(), QStringLiteral("300"));
        QCOMPARE(values.value("jsinit_time").toString(), QString::number(profiler.finished - 1100));
        QCOMPARE(values.value("total_time").toString(), QString::number(profiler.finished - 1000));
        QCOMPARE(values.value("version").toString(), QStringLiteral("6.0"));
        QCOMPARE(values.value("pagetype").toString(), QStringLiteral("shop"));
        QCOMPARE(values.value("apptype").toString(), QStringLiteral("kzembawriter"));
        QVERIFY(!values.contains("error_reason"));
        bool logged = false;
        for (const KTestLogRecord& record : m_runtime->logRecords()) {
            logged = logged
                || (record.module == QLatin1String("KZembaWebPageProfiler")
                    && record.level == KxLoggerLite::levelName(KxLoggerLite::Info)
                    && record.message.contains("load_type:webloadsuc; ") && record.message.contains("pagetype:shop; "));
        }
        QVERIFY(logged);
    }

    void everyFailureIsReportedAndSuccessCanFollow()
    {
        KZembaWebPageProfiler profiler("shop");
        profiler.webLoadFailed("timeout 20000");
        profiler.webLoadFailed("cef render error");
        profiler.webLoadDone();

        const QList<QJsonObject> events = perfEvents();
        QCOMPARE(events.size(), 3);
        QCOMPARE(events.at(0).value("load_type").toString(), QStringLiteral("webloadfai"));
        QCOMPARE(events.at(0).value("error_reason").toString(), QStringLiteral("timeout 20000"));
        QCOMPARE(events.at(1).value("error_reason").toString(), QStringLiteral("cef render error"));
        QCOMPARE(events.at(2).value("load_type").toString(), QStringLiteral("webloadsuc"));
    }

    void failureBeforeTheBrowserHasEmptyTimings()
    {
        KZembaWebPageProfiler profiler("shop");
        profiler.createStart -= 40;
        profiler.webLoadFailed("cef browser error");

        const QJsonObject values = perfEvents().value(0);
        QCOMPARE(values.value("cef_time").toString(), QString());
        QCOMPARE(values.value("webload_time").toString(), QString());
        QCOMPARE(values.value("jsinit_time").toString(), QString());
        QVERIFY(values.value("total_time").toString().toLongLong() >= 40);
        QCOMPARE(profiler.finished, qint64(0));
    }

    void milestonesResetAsDocumented()
    {
        KZembaWebPageProfiler profiler("shop");
        profiler.cefCreateDone();
        profiler.cefLoadDone();
        profiler.scriptLoadDone();
        const qint64 firstReady = profiler.scriptReady;
        QTest::qWait(2);
        profiler.scriptLoadDone();
        QCOMPARE(profiler.scriptReady, firstReady);
        profiler.webLoadDone();

        profiler.cefLoadStart();
        QCOMPARE(profiler.loadDone, qint64(0));
        QCOMPARE(profiler.scriptReady, qint64(0));
        QCOMPARE(profiler.finished, qint64(0));
        QVERIFY(profiler.createDone != 0);
        profiler.cefCreateStart();
        QCOMPARE(profiler.createDone, qint64(0));
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
};

KZEMBA_TEST_MAIN(TstWebPageProfiler)
#include "tst_webpageprofiler.moc"
