// The first show of a store page in the process reports how long the page took;
// no later show does. ctest also runs the last case alone, in a fresh process.
#include "ktestapplication.h"
#include "ktestruntime.h"
#include "ktestwebwidget.h"

#include <QtTest>

namespace {
int g_shows = 0;
}

class TstShowReport : public QObject
{
    Q_OBJECT

private:
    QList<QJsonObject> showEvents() const
    {
        QList<QJsonObject> list;
        for (const QJsonObject& event : m_runtime->dcEvents()) {
            if (event.value("name").toString() == QLatin1String("zemba_common_plugin_show"))
                list.append(event.value("params").toObject());
        }
        return list;
    }

    void show(KTestWebWidget& widget)
    {
        widget.showWebWidget();
        ++g_shows;
    }

private slots:
    void init() { m_runtime = std::make_unique<KTestRuntime>(); }
    void cleanup() { m_runtime.reset(); }

    void firstShowReports()
    {
        if (g_shows != 0)
            QSKIP("needs the first show of the process");
        QCoreApplication::setApplicationName("KZembaHost");
        KTestWebWidget widget("shop");
        widget.init("http://127.0.0.1:9/shop", "app1", false);
        const qint64 asked = QDateTime::currentMSecsSinceEpoch() - 500;
        widget.setLoadInfo({{"startLoadTime", asked}, {"needDownload", true}});
        show(widget);

        const QList<QJsonObject> events = showEvents();
        QCOMPARE(events.size(), 1);
        const QJsonObject values = events.first();
        QCOMPARE(values.value("plugin_name").toString(), QStringLiteral("shop"));
        QCOMPARE(values.value("contain_download").toString(), QStringLiteral("true"));
        QCOMPARE(values.value("version").toString(), QStringLiteral("1.0"));
        QCOMPARE(values.value("component").toString(), QStringLiteral("kzembahost"));
        QVERIFY(values.value("plugin_total").toString().toLongLong() >= 500);
        const qint64 pageLoad = values.value("plugin_pageload").toString().toLongLong();
        QVERIFY(pageLoad >= 0 && pageLoad < 500);
        QVERIFY(!widget.property("startLoadTime").isValid());
    }

    void laterShowsNeverReport()
    {
        KTestWebWidget first("shop");
        first.setLoadInfo({{"startLoadTime", QDateTime::currentMSecsSinceEpoch()}});
        show(first);
        KTestWebWidget second("other");
        second.setLoadInfo({{"startLoadTime", QDateTime::currentMSecsSinceEpoch()}});
        show(second);
        QVERIFY(showEvents().isEmpty());
    }

    void firstShowWithoutStartTimeReportsNothing()
    {
        if (g_shows != 0)
            QSKIP("needs the first show of the process; ctest runs this case alone");
        KTestWebWidget first("shop");
        first.setLoadInfo({{"startLoadTime", 0}});
        show(first);
        KTestWebWidget second("other");
        second.setLoadInfo({{"startLoadTime", QDateTime::currentMSecsSinceEpoch()}});
        show(second);
        QVERIFY(showEvents().isEmpty());
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
};

KZEMBA_TEST_MAIN(TstShowReport)
#include "tst_showreport.moc"
