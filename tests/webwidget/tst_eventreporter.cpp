// The one entry for data-collection events: the reporting component and the
// mirror to the common data channel.
#include "ktestapplication.h"
#include "ktestruntime.h"

#include "webwidget/kzembaeventreporter.h"

#include <QtTest>

class TstEventReporter : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        QCoreApplication::setApplicationName(QStringLiteral("KZembaHost"));
    }

    void cleanup() { m_runtime.reset(); }

    void componentAndMirror_data()
    {
        QTest::addColumn<QString>("component");
        QTest::addColumn<QString>("mirror");
        QTest::addColumn<QString>("expectedComponent");
        QTest::addColumn<bool>("mirrored");

        QTest::newRow("component missing") << QString() << QString() << "kzembahost" << false;
        QTest::newRow("component kept") << "writer" << QString() << "writer" << false;
        QTest::newRow("mirror on") << "writer" << "1" << "writer" << true;
        QTest::newRow("mirror needs exactly 1") << QString() << "1 " << "kzembahost" << false;
        QTest::newRow("mirror off") << QString() << "0" << "kzembahost" << false;
    }

    void componentAndMirror()
    {
        QFETCH(QString, component);
        QFETCH(QString, mirror);
        QFETCH(QString, expectedComponent);
        QFETCH(bool, mirrored);

        QHash<QString, QString> params{{"plugin_name", "shop"}};
        if (!component.isNull())
            params.insert("component", component);
        if (!mirror.isNull())
            params.insert(kzemba::KZembaEventReporter::kMirrorKey, mirror);
        kzemba::KZembaEventReporter::post("zemba_common_plugin_show", params, 3, 4, true);

        const QList<QJsonObject> events = m_runtime->dcEvents();
        QCOMPARE(events.size(), mirrored ? 2 : 1);
        for (const QJsonObject& event : events) {
            const QJsonObject values = event.value("params").toObject();
            QCOMPARE(values.value("component").toString(), expectedComponent);
            QCOMPARE(values.value("plugin_name").toString(), QStringLiteral("shop"));
            QCOMPARE(event.value("arg1").toInt(), 3);
            QCOMPARE(event.value("arg2").toInt(), 4);
            QCOMPARE(event.value("probability").toInt(), 1);
            QCOMPARE(event.value("realtime").toBool(), true);
        }
        QCOMPARE(events.first().value("name").toString(), QStringLiteral("zemba_common_plugin_show"));
        QVERIFY(!events.first().value("params").toObject().contains("sub_event_id"));
        if (mirrored) {
            QCOMPARE(events.at(1).value("name").toString(), QStringLiteral("zemba_commonality_data_zembasvr"));
            QCOMPARE(events.at(1).value("params").toObject().value("sub_event_id").toString(),
                     QStringLiteral("zemba_common_plugin_show"));
        }
    }

    void withoutCollectorNothingIsWritten()
    {
        m_runtime->setValue("dc/enabled", false);
        kzemba::KZembaEventReporter::post("zemba_common_plugin_show",
                                          {{kzemba::KZembaEventReporter::kMirrorKey, "1"}});
        QVERIFY(m_runtime->dcEvents().isEmpty());
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
};

KZEMBA_TEST_MAIN(TstEventReporter)
#include "tst_eventreporter.moc"
