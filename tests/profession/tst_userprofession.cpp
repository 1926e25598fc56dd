// The user's profession against the local server: the weekly query and its
// stored, checksummed answer, and the group-match cache with its expiry.
#include "ktestapplication.h"
#include "ktestbase.h"
#include "ktesthttpserver.h"
#include "ktestplugincontrol.h"
#include "ktestruntime.h"

#include "profession/kuserprofessionhelper.h"

#include <download/kdownloadmgr.h>
#include <krt/kpluginssettings.h>

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {
const qint64 kWeekMs = 604800000;
const char kProfessionPath[] = "/proxy/zemba/partner.php/api/startup/v2/pro_recommend/profession_v2";
const char kGroupMatchPath[] = "/proxy/recommend/profession/v1/index_v2";
} // namespace

// A helper whose clock stands still where the test puts it.
class KStillClockProfessionHelper : public KUserProfessionHelper
{
public:
    explicit KStillClockProfessionHelper(qint64 now)
        : KUserProfessionHelper(nullptr)
        , m_now(now)
    {
    }

    void setNow(qint64 now) { m_now = now; }

protected:
    qint64 currentMSecsSinceEpoch() const override { return m_now; }

private:
    qint64 m_now;
};

class TstUserProfession : public QObject
{
    Q_OBJECT

private:
    KTestPluginControl* control() const { return KTestPluginControl::instance(); }
    static int runningTasks() { return KDownloadMgr::defaultInstance()->runningTaskCount(); }

    // Waits until every download has reported and its task has been released.
    static bool settle()
    {
        const bool done = QTest::qWaitFor([] { return runningTasks() == 0; }, 10000);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return done;
    }

    static QVariant stored(const QString& key)
    {
        krt::KPluginsSettings settings;
        return settings.value(QStringLiteral("kuserprofession/") + key);
    }

    static void store(const QString& key, const QVariant& value)
    {
        krt::KPluginsSettings settings;
        settings.setValue(QStringLiteral("kuserprofession/") + key, value);
    }

    QString encoded(const QString& text) const { return control()->base()->encodeForStorage(text); }

    static QString checksum(const QString& groups, const QString& tag, qint64 timestamp)
    {
        return QString::fromLatin1(QCryptographicHash::hash((groups + tag + QString::number(timestamp)).toUtf8(),
                                                            QCryptographicHash::Md5)
                                       .toHex()
                                       .toUpper());
    }

    // Stores a profession the way the helper stores its answers.
    void storeProfession(const QString& groups, const QString& tag, qint64 timestamp)
    {
        store("timestamp", timestamp);
        store("groups", QStringList{encoded(groups)});
        store("tag", encoded(tag));
        store("md5", checksum(encoded(groups), encoded(tag), timestamp));
    }

    static QByteArray json(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); }

    static QByteArray professionAnswer()
    {
        return json({{"result", "ok"}, {"data", QJsonObject{{"group", QJsonArray{"a", "b"}}, {"tag", "designer"}}}});
    }

    static void storeGroupMatchCache(const QJsonArray& caches, const QByteArray& trailer = QByteArray())
    {
        const QByteArray hex = (json({{"caches", caches}}) + trailer).toHex();
        store("groupMatchQueryCache", QStringList{QString::fromLatin1(hex)});
    }

    static QJsonObject storedGroupMatchCache()
    {
        const QStringList stored = TstUserProfession::stored("groupMatchQueryCache").toStringList();
        if (stored.size() != 1)
            return QJsonObject();
        return QJsonDocument::fromJson(QByteArray::fromHex(stored.first().toLatin1())).object();
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        control()->reset();
        m_runtime->installPlugin("kzembabase");
        QVERIFY(m_server.start());
        m_server.clearAnswers();
        m_server.clearRequests();
        m_runtime->setValue("domains/zembaapiqox", QStringLiteral("http://127.0.0.1:%1").arg(m_server.port()));
        m_runtime->setValue("identity/hdid", "hd-1");
        m_runtime->setValue("identity/version", "12.1.0");
        m_runtime->setValue("identity/mc", "mc07");
        m_runtime->setValue("identity/uuid", "u-42");
        m_runtime->setValue("identity/guid", "g-7");
        m_now = QDateTime::currentMSecsSinceEpoch();
    }

    void cleanup()
    {
        QVERIFY(settle());
        m_runtime.reset();
    }

    void withoutBaseServiceNothingIsEncodedOrDecoded()
    {
        control()->setOption("base/present", false);
        m_server.setAnswer(kProfessionPath, KTestHttpAnswer(200, professionAnswer()));
        KStillClockProfessionHelper helper(m_now);

        QCOMPARE(helper.getUserProfession(), QStringLiteral("_"));
        QVERIFY(m_server.waitForRequests(1));
        QCOMPARE(m_server.lastRequest().query(), QStringLiteral("cv=tag_group&rmsp=pc_common_client_12.1.0_mc07_&"));
        QVERIFY(settle());

        QCOMPARE(stored("timestamp").toLongLong(), m_now);
        QCOMPARE(stored("tag").toString(), QString());
        QCOMPARE(stored("md5").toString(), checksum(QString(), QString(), m_now));
        // The stored values check out, so nobody asks again; without the service they cannot be read.
        QCOMPARE(helper.getUserProfessionGroups(), QString());
        QCOMPARE(runningTasks(), 0);
        QCOMPARE(m_server.requestCount(), 1);
    }

    void answerIsStoredEncodedUnderItsChecksum()
    {
        m_server.setAnswer(kProfessionPath, KTestHttpAnswer(200, professionAnswer()));
        KStillClockProfessionHelper helper(m_now);

        QCOMPARE(helper.getUserProfession(), QStringLiteral("_"));
        QVERIFY(m_server.waitForRequests(1));
        const KTestHttpRequest request = m_server.lastRequest();
        QCOMPARE(request.path(), QString::fromLatin1(kProfessionPath));
        const QByteArray payload = "{\"hdid\":\"hd-1\"}";
        QCOMPARE(control()->callsTo("base.encodeRequestParams").size(), 1);
        QCOMPARE(control()->callsTo("base.encodeRequestParams").first().args.value(0).toString(), QString::fromLatin1(payload));
        QCOMPARE(request.query(), QStringLiteral("cv=tag_group&rmsp=pc_common_client_12.1.0_mc07_&sign=")
                                      + QString::fromLatin1(payload.toBase64().toPercentEncoding()));
        QVERIFY(settle());

        QCOMPARE(stored("timestamp").toLongLong(), m_now);
        QCOMPARE(stored("groups").toStringList(), QStringList{encoded("a;b")});
        QCOMPARE(stored("tag").toString(), encoded("designer"));
        QCOMPARE(stored("md5").toString(), checksum(encoded("a;b"), encoded("designer"), m_now));

        QCOMPARE(helper.getUserProfession(), QStringLiteral("designer_a;b"));
        QCOMPARE(helper.getUserProfessionGroups(), QStringLiteral("a;b"));
        QCOMPARE(runningTasks(), 0);

        // Another process reads the same answer from the settings.
        KStillClockProfessionHelper restarted(m_now + 1000);
        QCOMPARE(restarted.getUserProfession(), QStringLiteral("designer_a;b"));
        QCOMPARE(m_server.requestCount(), 1);
    }

    void storedAnswerHoldsForSevenDays_data()
    {
        QTest::addColumn<qint64>("age");
        QTest::addColumn<bool>("queries");
        QTest::newRow("just written") << qint64(0) << false;
        QTest::newRow("exactly seven days") << kWeekMs << false;
        QTest::newRow("one millisecond more") << kWeekMs + 1 << true;
    }

    void storedAnswerHoldsForSevenDays()
    {
        QFETCH(qint64, age);
        QFETCH(bool, queries);
        m_server.setAnswer(kProfessionPath, KTestHttpAnswer(200, professionAnswer()));
        storeProfession("a;b", "designer", m_now);
        KStillClockProfessionHelper helper(m_now + age);

        const QString profession = helper.getUserProfession();
        QCOMPARE(runningTasks(), queries ? 1 : 0);
        QCOMPARE(profession, queries ? QStringLiteral("_") : QStringLiteral("designer_a;b"));
        if (queries) {
            QVERIFY(m_server.waitForRequests(1));
            QVERIFY(settle());
            QCOMPARE(stored("timestamp").toLongLong(), m_now + age);
        }
    }

    void changedValueWithoutItsChecksumQueries_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("groups") << "groups" << QVariant(QStringList{"enc:eA=="});
        QTest::newRow("tag") << "tag" << QVariant("enc:eA==");
        QTest::newRow("timestamp") << "timestamp" << QVariant(qint64(1));
        QTest::newRow("checksum in lower case") << "md5" << QVariant();
        QTest::newRow("two groups entries") << "groups" << QVariant(QStringList{"enc:YTti", "enc:YTti"});
    }

    void changedValueWithoutItsChecksumQueries()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        storeProfession("a;b", "designer", m_now);
        store(key, key == "md5" ? QVariant(stored("md5").toString().toLower()) : value);
        KStillClockProfessionHelper helper(m_now);

        QCOMPARE(helper.getUserProfessionGroups(), QString());
        QCOMPARE(runningTasks(), 1);
        QVERIFY(m_server.waitForRequests(1));
    }

    void refusedAnswerHoldsForAWeek_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("refused") << json({{"result", "denied"}, {"data", QJsonObject{{"tag", "x"}}}});
        QTest::newRow("ok without data") << json({{"result", "ok"}});
        QTest::newRow("not json") << QByteArray("<html>busy</html>");
    }

    void refusedAnswerHoldsForAWeek()
    {
        QFETCH(QByteArray, body);
        m_server.setAnswer(kProfessionPath, KTestHttpAnswer(200, body));
        KStillClockProfessionHelper helper(m_now);

        QCOMPARE(helper.getUserProfession(), QStringLiteral("_"));
        QVERIFY(m_server.waitForRequests(1));
        QVERIFY(settle());
        QCOMPARE(stored("timestamp").toLongLong(), m_now);

        helper.setNow(m_now + kWeekMs);
        QCOMPARE(helper.getUserProfession(), QStringLiteral("_"));
        QCOMPARE(runningTasks(), 0);
        QCOMPARE(m_server.requestCount(), 1);
    }

    void failedQueryChangesNothing()
    {
        m_server.setAnswer(kProfessionPath, KTestHttpAnswer(500, "{\"result\":\"ok\"}"));
        KStillClockProfessionHelper helper(m_now);

        helper.getUserProfession();
        QVERIFY(m_server.waitForRequests(1));
        QVERIFY(settle());
        QVERIFY(!stored("timestamp").isValid());

        // Nothing was learnt, so the next read asks again.
        helper.getUserProfession();
        QCOMPARE(runningTasks(), 1);
        QVERIFY(m_server.waitForRequests(2));
    }

    void groupMatchAnswersFromTheServer()
    {
        m_server.setAnswer(kGroupMatchPath,
                           KTestHttpAnswer(200, json({{"result", "ok"}, {"data", QJsonArray{"designer", "teacher"}}})));
        KStillClockProfessionHelper helper(m_now);

        QStringList result{"untouched"};
        QVERIFY(!helper.isUserProfessionGroupMatch({"a", "b"}, &result));
        QCOMPARE(result, QStringList{"untouched"});
        QVERIFY(m_server.waitForRequests(1));
        const KTestHttpRequest request = m_server.lastRequest();
        QCOMPARE(request.path(), QString::fromLatin1(kGroupMatchPath));
        QCOMPARE(request.query(),
                 QStringLiteral("rmsp=pc_common_client_12.1.0_mc07_hd-1&uuid=u-42&hdid=hd-1&guid=g-7&include=a%3Bb"));
        QVERIFY(settle());

        // The joined list is the same condition.
        QVERIFY(helper.isUserProfessionGroupMatch({"a;b"}, &result));
        QCOMPARE(result, (QStringList{"designer", "teacher"}));
        QVERIFY(helper.isUserProfessionGroupMatch({"a", "b"}, nullptr));
        QCOMPARE(runningTasks(), 0);
        QCOMPARE(m_server.requestCount(), 1);

        const QJsonArray caches = storedGroupMatchCache().value("caches").toArray();
        QCOMPARE(caches.size(), 1);
        QCOMPARE(caches.first().toObject(), (QJsonObject{{"argInclude", "a;b"},
                                                         {"bMatch", true},
                                                         {"tsLast", double(m_now)},
                                                         {"result", "designer|teacher"}}));

        KUserProfessionHelper restarted(nullptr);
        result.clear();
        QVERIFY(restarted.isUserProfessionGroupMatch({"a;b"}, &result));
        QCOMPARE(result, (QStringList{"designer", "teacher"}));
        QCOMPARE(runningTasks(), 0);
    }

    void groupMatchRefusalHoldsAcrossRestart_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("ok with no groups") << json({{"result", "ok"}, {"data", QJsonArray()}});
        QTest::newRow("refused") << json({{"result", "no"}, {"data", QJsonArray{"designer"}}});
        QTest::newRow("not json") << QByteArray("busy");
    }

    void groupMatchRefusalHoldsAcrossRestart()
    {
        QFETCH(QByteArray, body);
        m_server.setAnswer(kGroupMatchPath, KTestHttpAnswer(200, body));
        {
            KStillClockProfessionHelper helper(m_now);
            QVERIFY(!helper.isUserProfessionGroupMatch({"designer"}, nullptr));
            QVERIFY(m_server.waitForRequests(1));
            QVERIFY(settle());

            QStringList result{"untouched"};
            QVERIFY(!helper.isUserProfessionGroupMatch({"designer"}, &result));
            QCOMPARE(result, QStringList());
        }

        KUserProfessionHelper restarted(nullptr);
        QStringList result{"untouched"};
        QVERIFY(!restarted.isUserProfessionGroupMatch({"designer"}, &result));
        QCOMPARE(result, QStringList());
        QCOMPARE(runningTasks(), 0);
        QCOMPARE(m_server.requestCount(), 1);
    }

    void failedGroupMatchQueryAsksAgain()
    {
        m_server.setAnswer(kGroupMatchPath, KTestHttpAnswer(404, "{\"result\":\"ok\",\"data\":[\"x\"]}"));
        KStillClockProfessionHelper helper(m_now);

        QVERIFY(!helper.isUserProfessionGroupMatch({"x"}, nullptr));
        QVERIFY(m_server.waitForRequests(1));
        QVERIFY(settle());
        QVERIFY(!stored("groupMatchQueryCache").isValid());
        QVERIFY(!helper.isUserProfessionGroupMatch({"x"}, nullptr));
        QVERIFY(m_server.waitForRequests(2));
    }

    void expiredGroupMatchesAreDroppedAtConstruction()
    {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        storeGroupMatchCache(
            {QJsonObject{{"argInclude", "old"}, {"bMatch", true}, {"tsLast", double(now - kWeekMs)}, {"result", "g"}},
             QJsonObject{{"argInclude", "fresh"}, {"bMatch", true}, {"tsLast", double(now - kWeekMs + 60000)},
                         {"result", "g1||g2"}}},
            QByteArray("\0\0garbage", 9));
        m_server.setAnswer(kGroupMatchPath, KTestHttpAnswer(200, json({{"result", "ok"}, {"data", QJsonArray()}})));
        KUserProfessionHelper helper(nullptr);

        QStringList result;
        QVERIFY(helper.isUserProfessionGroupMatch({"fresh"}, &result));
        QCOMPARE(result, (QStringList{"g1", "", "g2"}));
        QCOMPARE(runningTasks(), 0);

        QVERIFY(!helper.isUserProfessionGroupMatch({"old"}, &result));
        QCOMPARE(runningTasks(), 1);
        QVERIFY(m_server.waitForRequests(1));
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    KTestHttpServer m_server;
    qint64 m_now = 0;
};

KZEMBA_TEST_MAIN(TstUserProfession)
#include "tst_userprofession.moc"
