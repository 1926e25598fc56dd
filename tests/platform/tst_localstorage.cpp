// The web-view framework's persistent key-value store on SQLite.
#include "ktestapplication.h"
#include "ktestruntime.h"

#include <krt/krt.h>
#include <vdllite/kxlocalstorage.h>

#include <QSqlDatabase>
#include <QtTest>

#include <limits>

class TstLocalStorage : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        QVERIFY(QDir().mkpath(folder()));
    }
    void cleanup() { m_runtime.reset(); }

    // A process-wide store, made on first use and torn down at process exit.
    // It comes first, before anything else in this process touches Qt's SQL
    // connection registry, which Qt tears down at exit as well.
    void storeInAStaticLivesUntilExit()
    {
        static KxLocalStorage processWide;
        QVERIFY(processWide.init(dbPath()));
        QVERIFY(processWide.webStorageAdd(QStringLiteral("app"), QStringLiteral("v"), 1));
    }

    void addThenGet_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<qint64>("time");
        QTest::newRow("plain") << "app-1" << "host.example" << Q_INT64_C(1700000000123);
        QTest::newRow("unicode") << QStringLiteral("应用 ß") << QStringLiteral("值 ☃ é") << Q_INT64_C(1);
        QTest::newRow("empty value") << "k" << "" << Q_INT64_C(0);
        QTest::newRow("sql text") << "x'; DROP TABLE webstorage; --" << "'); DELETE FROM webstorage; --"
                                  << Q_INT64_C(-5);
        QTest::newRow("zero character") << QString::fromUtf8("a\0b", 3) << QString::fromUtf8("v\0w", 3) << Q_INT64_C(7);
        QTest::newRow("largest time") << "t" << "v" << std::numeric_limits<qint64>::max();
        QTest::newRow("large value") << "big" << QString(500000, QLatin1Char('z')) << Q_INT64_C(2);
    }

    void addThenGet()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(qint64, time);
        KxLocalStorage storage;
        QVERIFY(storage.init(dbPath()));
        QVERIFY(storage.webStorageAdd(QStringLiteral("neighbour"), QStringLiteral("n"), 9));
        QVERIFY(storage.webStorageAdd(key, value, time));

        QString readValue = QStringLiteral("stale");
        qint64 readTime = -1;
        QVERIFY(storage.webStorageGet(key, readValue, readTime));
        QCOMPARE(readValue, value);
        QCOMPARE(readTime, time);
        QVERIFY(storage.webStorageGet(QStringLiteral("neighbour"), readValue, readTime));
        QCOMPARE(readValue, QStringLiteral("n"));
    }

    void addReplacesTheEntry()
    {
        KxLocalStorage storage;
        QVERIFY(storage.init(dbPath()));
        QVERIFY(storage.webStorageAdd(QStringLiteral("app"), QStringLiteral("old"), 100));
        QVERIFY(storage.webStorageAdd(QStringLiteral("other"), QStringLiteral("kept"), 50));
        QVERIFY(storage.webStorageAdd(QStringLiteral("app"), QStringLiteral("new"), 200));

        QString value;
        qint64 time = 0;
        QVERIFY(storage.webStorageGet(QStringLiteral("app"), value, time));
        QCOMPARE(value, QStringLiteral("new"));
        QCOMPARE(time, Q_INT64_C(200));
        QVERIFY(storage.webStorageGet(QStringLiteral("other"), value, time));
        QCOMPARE(value, QStringLiteral("kept"));
        QCOMPARE(time, Q_INT64_C(50));
    }

    void keysMatchExactly()
    {
        KxLocalStorage storage;
        QVERIFY(storage.init(dbPath()));
        QVERIFY(storage.webStorageAdd(QStringLiteral("app"), QStringLiteral("v"), 1));
        QString value = QStringLiteral("stale");
        qint64 time = 3;
        for (const QString& other : {QStringLiteral("App"), QStringLiteral("app "), QStringLiteral("ap"),
                                     QStringLiteral("ap%"), QStringLiteral("missing")}) {
            QVERIFY2(!storage.webStorageGet(other, value, time), qPrintable(other));
            QVERIFY(value.isEmpty());
            QCOMPARE(time, Q_INT64_C(0));
        }
    }

    void emptyKeyIsRefused()
    {
        KxLocalStorage storage;
        QVERIFY(storage.init(dbPath()));
        QVERIFY(!storage.webStorageAdd(QString(), QStringLiteral("v"), 1));
        QVERIFY(!storage.webStorageAdd(QStringLiteral(""), QStringLiteral("v"), 1));
        QString value;
        qint64 time = 0;
        QVERIFY(!storage.webStorageGet(QString(), value, time));
    }

    void entriesOutliveTheStore()
    {
        {
            KxLocalStorage storage;
            QVERIFY(storage.init(dbPath()));
            QVERIFY(storage.webStorageAdd(QStringLiteral("app"), QStringLiteral("host.example"), 42));
            storage.unInit();
        }
        QVERIFY(QFileInfo(dbPath()).isFile());
        {
            // Left to the destructor this time.
            KxLocalStorage storage;
            QVERIFY(storage.init(dbPath()));
            QVERIFY(storage.webStorageAdd(QStringLiteral("second"), QStringLiteral("s"), 43));
        }
        KxLocalStorage storage;
        QVERIFY(storage.init(dbPath()));
        QString value;
        qint64 time = 0;
        QVERIFY(storage.webStorageGet(QStringLiteral("app"), value, time));
        QCOMPARE(value, QStringLiteral("host.example"));
        QCOMPARE(time, Q_INT64_C(42));
        QVERIFY(storage.webStorageGet(QStringLiteral("second"), value, time));
        QCOMPARE(time, Q_INT64_C(43));
    }

    void unusablePathFails_data()
    {
        // Paths are relative to the store's folder, which each test gets afresh.
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<QByteArray>("fileContent"); // written to the path first when not empty
        QTest::newRow("empty path") << QString() << QByteArray();
        QTest::newRow("folder missing") << "missing/localstorage.db" << QByteArray();
        QTest::newRow("folder is a file") << "afile/localstorage.db" << QByteArray();
        QTest::newRow("path is a folder") << "." << QByteArray();
        QTest::newRow("not a database") << "localstorage.db" << QByteArray(4096, 'x');
    }

    void unusablePathFails()
    {
        QFETCH(QString, relativePath);
        QFETCH(QByteArray, fileContent);
        const QString path = relativePath.isEmpty() ? QString() : folder() + '/' + relativePath;
        QFile blocker(folder() + "/afile");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        if (!fileContent.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(fileContent);
        }
        const QStringList connectionsBefore = QSqlDatabase::connectionNames();

        KxLocalStorage storage;
        QVERIFY(!storage.init(path));
        QVERIFY(!storage.isInitialized());
        QVERIFY(!storage.webStorageAdd(QStringLiteral("k"), QStringLiteral("v"), 1));
        QString value;
        qint64 time = 0;
        QVERIFY(!storage.webStorageGet(QStringLiteral("k"), value, time));
        QCOMPARE(QSqlDatabase::connectionNames(), connectionsBefore);
        if (!fileContent.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), fileContent);
        }

        // The same object still works once given a usable path.
        QVERIFY(storage.init(folder() + "/usable.db"));
        QVERIFY(storage.webStorageAdd(QStringLiteral("k"), QStringLiteral("v"), 1));
    }

    void refusesUseOutsideInitAndUnInit()
    {
        KxLocalStorage storage;
        QString value;
        qint64 time = 0;
        QVERIFY(!storage.webStorageAdd(QStringLiteral("k"), QStringLiteral("v"), 1));
        QVERIFY(!storage.webStorageGet(QStringLiteral("k"), value, time));
        storage.unInit();

        QVERIFY(storage.init(dbPath()));
        QVERIFY(storage.webStorageAdd(QStringLiteral("k"), QStringLiteral("v"), 1));
        storage.unInit();
        storage.unInit();
        QVERIFY(!storage.webStorageAdd(QStringLiteral("k"), QStringLiteral("v"), 1));
        QVERIFY(!storage.webStorageGet(QStringLiteral("k"), value, time));
    }

    void initAgainSwitchesTheDatabase()
    {
        const QString other = folder() + "/other.db";
        KxLocalStorage storage;
        QVERIFY(storage.init(dbPath()));
        QVERIFY(storage.webStorageAdd(QStringLiteral("first"), QStringLiteral("1"), 1));
        QVERIFY(storage.init(other));
        QString value;
        qint64 time = 0;
        QVERIFY(!storage.webStorageGet(QStringLiteral("first"), value, time));
        QVERIFY(storage.webStorageAdd(QStringLiteral("second"), QStringLiteral("2"), 2));
        QVERIFY(storage.init(dbPath()));
        QVERIFY(storage.webStorageGet(QStringLiteral("first"), value, time));
        QVERIFY(!storage.webStorageGet(QStringLiteral("second"), value, time));
    }

    // Each store has its own connection: closing one leaves the other working.
    void storesShareAFileButNotAConnection()
    {
        const QStringList connectionsBefore = QSqlDatabase::connectionNames();
        auto first = std::make_unique<KxLocalStorage>();
        KxLocalStorage second;
        QVERIFY(first->init(dbPath()));
        QVERIFY(second.init(dbPath()));
        QCOMPARE(QSqlDatabase::connectionNames().size(), connectionsBefore.size() + 2);

        QVERIFY(first->webStorageAdd(QStringLiteral("app"), QStringLiteral("from first"), 1));
        QString value;
        qint64 time = 0;
        QVERIFY(second.webStorageGet(QStringLiteral("app"), value, time));
        QCOMPARE(value, QStringLiteral("from first"));

        first.reset();
        QCOMPARE(QSqlDatabase::connectionNames().size(), connectionsBefore.size() + 1);
        QVERIFY(second.webStorageAdd(QStringLiteral("app"), QStringLiteral("from second"), 2));
        QVERIFY(second.webStorageGet(QStringLiteral("app"), value, time));
        QCOMPARE(value, QStringLiteral("from second"));
        second.unInit();
        QCOMPARE(QSqlDatabase::connectionNames(), connectionsBefore);
    }

private:
    QString folder() const { return krt::dirs::officeData() + QStringLiteral("/PageHosts"); }
    QString dbPath() const { return folder() + QStringLiteral("/localstorage.db"); }

    std::unique_ptr<KTestRuntime> m_runtime;
};

KZEMBA_TEST_MAIN(TstLocalStorage)
#include "tst_localstorage.moc"
