// The runtime stand-in: everything the suite would configure comes from the
// test's own runtime folder.
#include "ktestapplication.h"
#include "ktestruntime.h"

#include <krt/kcoreapplication.h>
#include <krt/kdcinfoc.h>
#include <krt/kdcinfocdetail.h>
#include <krt/kdomainmgr.h>
#include <krt/kplugin.h>
#include <krt/kpluginconfig.h>
#include <krt/kpluginmanager.h>
#include <krt/kpluginssettings.h>
#include <krt/krt.h>
#include <krt/kruntimeconfig.h>
#include <vdllite/kxloggerlite.h>

#include <QSaveFile>
#include <QSettings>
#include <QtTest>

class TstRuntime : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_runtime = std::make_unique<KTestRuntime>(); }
    void cleanup() { m_runtime.reset(); }

    void foldersLandInTheRuntimeFolder()
    {
        const QString root = m_runtime->path();
        QCOMPARE(krt::KRuntimeConfig::runtimeDir(), QDir(root).absolutePath());
        QCOMPARE(krt::dirs::officeData(), root + "/data");
        QVERIFY(QDir(krt::dirs::officeData()).exists());
        QCOMPARE(krt::dirs::officeHome(), root + "/office");
        QCOMPARE(krt::dirs::frameworks(), root + "/office/frameworks");
        QCOMPARE(kpluginconfig::getPluginPath("kzembabase"), root + "/plugins/kzembabase");
        QCOMPARE(kpluginconfig::getPluginPath("kzembabase", "1.0"), root + "/plugins/kzembabase/1.0");

        krt::KPluginsSettings settings;
        settings.setValue("kuserprofession/flag", 3);
        settings.sync();
        QVERIFY(settings.fileName().startsWith(root + "/data/"));
        QVERIFY(QFile::exists(settings.fileName()));

        KxLoggerLite::writeInfo("Module", "line");
        QVERIFY(KxLoggerLite::logFilePath().startsWith(root + "/data/"));
        KDcInfoC::instance()->postGeneralEvent("evt", {{"k", "v"}});
        QVERIFY(KDcInfoC::eventsFilePath().startsWith(root + "/data/"));
    }

    void configuredFolders()
    {
        m_runtime->setValue("paths/data", "elsewhere/data");
        m_runtime->setValue("paths/frameworks", "/opt/suite/frameworks");
        m_runtime->setValue("pluginPaths/kzembacorelite", "/opt/corelite");
        QCOMPARE(krt::dirs::officeData(), m_runtime->path() + "/elsewhere/data");
        QCOMPARE(krt::dirs::frameworks(), QStringLiteral("/opt/suite/frameworks"));
        QCOMPARE(kpluginconfig::getPluginPath("kzembacorelite"), QStringLiteral("/opt/corelite"));
    }

    void eachTestGetsAFreshFolder()
    {
        QString first;
        {
            KTestRuntime other;
            first = other.path();
            krt::KPluginsSettings settings;
            settings.setValue("g/k", 1);
        }
        QVERIFY(!QDir(first).exists());
        KTestRuntime again;
        QVERIFY(again.path() != first);
        QVERIFY(!krt::KPluginsSettings().contains("g/k"));
    }

    void logLinesAreReadable()
    {
        KxLoggerLite::writeInfo("KZembaBase", "load dll failed , path not exist /x");
        KxLoggerLite::writeError("Mod\tule", "two\nlines \\ and tab\t");
        KxLoggerLite::error("Stream") << "value " << 42;
        KxLoggerLite::writeWarning("W", "careful");
        QVERIFY(m_runtime->hasLog("INFO", "KZembaBase", "load dll failed , path not exist /x"));
        QVERIFY(m_runtime->hasLog("ERROR", "Mod\tule", "two\nlines \\ and tab\t"));
        QVERIFY(m_runtime->hasLog("ERROR", "Stream", "value 42"));
        QVERIFY(m_runtime->hasLog("WARNING", "W", "careful"));
        QCOMPARE(m_runtime->logRecords().size(), 4);
    }

    // The configuration is read once and kept: whoever rewrites the file, the next read sees it.
    void configurationFollowsItsFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("rewritten in place") << "in place";
        QTest::newRow("replaced by a new file") << "replaced";
        QTest::newRow("written by another settings object") << "settings";
        QTest::newRow("removed") << "removed";
    }

    void configurationFollowsItsFile()
    {
        QFETCH(QString, how);
        const QString path = krt::KRuntimeConfig::configFilePath();
        m_runtime->setValue("config/reload/key", "first");
        QCOMPARE(krt::config::value("reload/key").toString(), QStringLiteral("first"));
        const quint64 before = krt::KRuntimeConfig::generation();
        QCOMPARE(krt::KRuntimeConfig::generation(), before); // an unchanged file is not read again

        // No pause: the change lands within the same second as the read before it.
        const QByteArray text = "[config]\nreload\\key=second value\n";
        if (how == "in place") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(text);
        } else if (how == "replaced") {
            QSaveFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
            QVERIFY(file.commit());
        } else if (how == "settings") {
            QSettings other(path, QSettings::IniFormat);
            other.setValue("config/reload/key", "second value");
        } else {
            QVERIFY(QFile::remove(path));
        }

        const QString expected = how == "removed" ? QString("default") : QString("second value");
        QCOMPARE(krt::config::value("reload/key", "default").toString(), expected);
        QVERIFY(krt::KRuntimeConfig::generation() != before);
        // The runtime's other values follow the same file.
        QCOMPARE(kpluginconfig::pluginsRoot(), how == "settings" ? m_runtime->path() + "/plugins"
                                                                 : m_runtime->path() + "/office/frameworks/addons");
    }

    // Within a snapshot the file is looked at once: a rewrite by someone else waits for the
    // snapshot's end, a write of one's own is seen at once, and nested snapshots end together.
    void snapshotSeesOneStateOfTheFile()
    {
        const QString path = krt::KRuntimeConfig::configFilePath();
        m_runtime->setValue("config/snap/key", "first");
        {
            const krt::KRuntimeConfig::Snapshot outer;
            QCOMPARE(krt::config::value("snap/key").toString(), QStringLiteral("first"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("[config]\nsnap\\key=second\n");
            file.close();
            {
                const krt::KRuntimeConfig::Snapshot inner;
                QCOMPARE(krt::config::value("snap/key").toString(), QStringLiteral("first"));
            }
            QCOMPARE(krt::config::value("snap/key").toString(), QStringLiteral("first"));
        }
        QCOMPARE(krt::config::value("snap/key").toString(), QStringLiteral("second"));
        {
            const krt::KRuntimeConfig::Snapshot snapshot;
            QCOMPARE(krt::config::value("snap/key").toString(), QStringLiteral("second"));
            krt::KRuntimeConfig::setValue("config/snap/key", "own");
            QCOMPARE(krt::config::value("snap/key").toString(), QStringLiteral("own"));
        }
    }

    // Lines wait in a buffer, but a warning or an error reaches the file at once, with the lines
    // before it and in order.
    void warningsReachTheFileAtOnce_data()
    {
        QTest::addColumn<int>("level");
        QTest::newRow("warning") << int(KxLoggerLite::Warning);
        QTest::newRow("error") << int(KxLoggerLite::Error);
    }

    void warningsReachTheFileAtOnce()
    {
        QFETCH(int, level);
        KxLoggerLite::writeInfo("M", "first");
        KxLoggerLite::writeMsg(KxLoggerLite::Level(level), "M", "second");
        QFile file(KxLoggerLite::logFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).endsWith("\tINFO\tM\tfirst"));
        QVERIFY(lines.at(1).endsWith("\t" + KxLoggerLite::levelName(KxLoggerLite::Level(level)).toUtf8() + "\tM\tsecond"));
    }

    void logFileRotatesAtItsSizeLimit()
    {
        const qint64 limit = 400;
        m_runtime->setValue("log/maxSize", limit);
        const QString path = KxLoggerLite::logFilePath();
        const QString older = path + ".1";
        auto messagesIn = [](const QString& file) {
            QStringList messages;
            QFile log(file);
            if (log.open(QIODevice::ReadOnly)) {
                for (const QByteArray& line : log.readAll().split('\n')) {
                    if (!line.isEmpty())
                        messages.append(QString::fromUtf8(line.split('\t').last()));
                }
            }
            return messages;
        };

        // Each line is about 60 bytes: ten of them need one rotation.
        QStringList written;
        for (int i = 0; i < 10; ++i) {
            written.append(QString("line %1 of the rotation test").arg(i));
            KxLoggerLite::writeInfo("Rotation", written.last());
        }
        KxLoggerLite::flush();
        QVERIFY(QFile::exists(older));
        QVERIFY(QFileInfo(path).size() <= limit);
        QVERIFY(QFileInfo(older).size() <= limit);
        QCOMPARE(messagesIn(older) + messagesIn(path), written);

        // The next rotation replaces the older file: the oldest lines go, the newest stay.
        for (int i = 10; i < 20; ++i) {
            written.append(QString("line %1 of the rotation test").arg(i));
            KxLoggerLite::writeInfo("Rotation", written.last());
        }
        KxLoggerLite::flush();
        const QStringList kept = messagesIn(older) + messagesIn(path);
        QVERIFY(QFileInfo(path).size() <= limit);
        QVERIFY(QFileInfo(older).size() <= limit);
        QVERIFY(!kept.contains(written.first()));
        QCOMPARE(kept, written.mid(written.size() - kept.size()));
        QCOMPARE(m_runtime->logRecords().last().message, written.last());
    }

    void valuesFromTheConfiguration()
    {
        QVERIFY(!krt::product::isHttpsSecurityBypass());
        QVERIFY(!krt::product::isVantaShelllessMode(false));
        QVERIFY(krt::product::isVantaShelllessMode(true));
        QCOMPARE(krt::config::value("qoxoffice/plugins/webwidget/timeout", 20000).toInt(), 20000);
        QVERIFY(KCoreApplication::getDomainMgr()->getDomainUrl("zembaapiqox").isEmpty());

        m_runtime->setValue("product/httpsSecurityBypass", true);
        m_runtime->setValue("product/vantaShelllessMode", true);
        m_runtime->setValue("config/qoxoffice/plugins/webwidget/timeout", 500);
        m_runtime->setValue("domains/zembaapiqox", "http://127.0.0.1:1");
        m_runtime->setValue("identity/hdid", "HD-1");
        m_runtime->setValue("identity/uuid", "u-4");
        m_runtime->setValue("identity/guid", "g-1");
        m_runtime->setValue("identity/version", "12.1.0");
        m_runtime->setValue("identity/mc", "chan");
        m_runtime->setValue("identity/firebase", true);
        m_runtime->setValue("app/name", "qoxoffice");

        QVERIFY(krt::product::isHttpsSecurityBypass());
        QVERIFY(krt::product::isVantaShelllessMode(false));
        QCOMPARE(krt::config::value("qoxoffice/plugins/webwidget/timeout", 20000).toInt(), 500);
        QCOMPARE(KCoreApplication::getDomainMgr()->getDomainUrl("zembaapiqox"), QStringLiteral("http://127.0.0.1:1"));
        QCOMPARE(KDcInfoCDetail::getHdid(), QStringLiteral("HD-1"));
        QCOMPARE(KDcInfoCDetail::getUuid(), QStringLiteral("u-4"));
        QCOMPARE(KDcInfoCDetail::getGuid(), QStringLiteral("g-1"));
        QCOMPARE(KDcInfoCDetail::getVersion(), QStringLiteral("12.1.0"));
        QCOMPARE(KDcInfoCDetail::getMC(), QStringLiteral("chan"));
        QVERIFY(KDcInfoCDetail::isFirebasePlatform());
        QCOMPARE(krt::appName(), QStringLiteral("qoxoffice"));
    }

    void libraryNames()
    {
        QCOMPARE(krt::getLibFileName("kzembabase"), QStringLiteral("libkzembabase.so"));
        QCOMPARE(krt::dirs::getModuleName(reinterpret_cast<const void*>(&krt::getLibFileName)),
                 QStringLiteral("kzembaplatform"));
        QVERIFY(krt::dirs::getModuleName(nullptr).isEmpty());
    }

    void dataCollectionEvents()
    {
        KDcInfoC::instance()->postGeneralEvent("zemba_common_plugin_show", {{"a", "1"}, {"b", "two"}}, 0, 0, 1, true);
        KDcInfoC::instance()->postGeneralEvent("second", {});
        const QList<QJsonObject> events = m_runtime->dcEvents();
        QCOMPARE(events.size(), 2);
        QCOMPARE(events.at(0).value("name").toString(), QStringLiteral("zemba_common_plugin_show"));
        QCOMPARE(events.at(0).value("params").toObject(), (QJsonObject{{"a", "1"}, {"b", "two"}}));
        QCOMPARE(events.at(0).value("realtime").toBool(), true);
        QCOMPARE(events.at(1).value("name").toString(), QStringLiteral("second"));

        m_runtime->setValue("dc/enabled", false);
        QVERIFY(!KDcInfoC::instance());
    }

    void pluginManagerKnowsConfiguredPlugins()
    {
        KPluginManager* manager = KPluginManager::getInstance();
        QVERIFY(manager);
        QVERIFY(!manager->getPlugin("kzembabase"));

        m_runtime->setValue("pluginManager/plugins", QStringList{"kzembabase", "other"});
        KPlugin* plugin = manager->getPlugin("kzembabase");
        QVERIFY(plugin);
        QCOMPARE(manager->getPlugin("kzembabase"), plugin);
        QCOMPARE(plugin->libraryPath(), m_runtime->path() + "/plugins/kzembabase/libkzembabase.so");
        QVERIFY(!plugin->load(0, 1)); // nothing installed in this runtime
        QCOMPARE(plugin->loadRequests(), 1);
        QVERIFY(!plugin->errorString().isEmpty());

        // The manager keeps the list while the file stays as it was, and follows a rewrite by
        // anyone else at once.
        {
            QSettings other(krt::KRuntimeConfig::configFilePath(), QSettings::IniFormat);
            other.setValue("pluginManager/plugins", QStringList{"other"});
        }
        QVERIFY(!manager->getPlugin("kzembabase"));
        QVERIFY(manager->getPlugin("other"));

        m_runtime->setValue("pluginManager/enabled", false);
        QVERIFY(!KPluginManager::getInstance());
    }

    void applicationOffersItsUserInfoSource()
    {
        QVERIFY(KCoreApplication::instance());
        QVERIFY(KCoreApplication::instance()->userInfoSource());
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
};

KZEMBA_TEST_MAIN(TstRuntime)
#include "tst_runtime.moc"
