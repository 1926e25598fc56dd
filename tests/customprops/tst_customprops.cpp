// Custom document properties: the copy made on a worker thread with its outcomes,
// time-out and usage report, and the properties written into Office Open XML and
// OpenDocument packages.
#include "ktestapplication.h"
#include "ktestdocuments.h"
#include "ktestruntime.h"
#include "ktestzip.h"

#include "base/kcustompropshelper.h"

#include <krt/kpluginssettings.h>

#include <QDirIterator>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

using kzemba::KCustomPropsHelper;
using kzemba::KModifyCustomPropsErrorInfo;
using Props = QHash<QString, QString>;

namespace {

const char kReportEvent[] = "zemba_common_customprops_modify";
const char kLogModule[] = "KCustomPropsHelper";
const int kLongTimeOut = 30000;

// Everything one request answered.
struct Answers
{
    int successes = 0;
    int errors = 0;
    QString source;
    QString target;
    KModifyCustomPropsErrorInfo error;
    bool onCallerThread = true;

    int count() const { return successes + errors; }
};

int threadCount()
{
    return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file below `folder`, hidden ones and pipes included, relative to it.
QStringList filesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

// Qt's warnings (an object used from the wrong thread, a timer started without an event
// loop) fail the test that caused them.
QMutex g_warningsMutex;
QStringList g_warnings;
QtMessageHandler g_previousHandler = nullptr;

void recordWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg) {
        QMutexLocker lock(&g_warningsMutex);
        g_warnings.append(message);
    }
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

} // namespace

class TstCustomProps : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<QTemporaryDir> m_dir;
    int m_threadsBefore = 0;
    bool m_requested = false;

    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::shared_ptr<Answers> request(const QString& file, const QString& folder, const Props& props,
                                     int timeoutMs = kLongTimeOut, bool withCallbacks = true)
    {
        m_requested = true;
        auto answers = std::make_shared<Answers>();
        KCustomPropsHelper::SuccessCallback onSuccess;
        KCustomPropsHelper::ErrorCallback onError;
        if (withCallbacks) {
            onSuccess = [answers](const QString& source, const QString& target) {
                ++answers->successes;
                answers->source = source;
                answers->target = target;
                answers->onCallerThread &= QThread::currentThread() == qApp->thread();
            };
            onError = [answers](const QString& source, const KModifyCustomPropsErrorInfo& error) {
                ++answers->errors;
                answers->source = source;
                answers->error = error;
                answers->onCallerThread &= QThread::currentThread() == qApp->thread();
            };
        }
        KCustomPropsHelper::asyncModifyCustomProps(file, folder, props, onSuccess, onError, timeoutMs);
        return answers;
    }

    // Waits until every worker thread has ended and the objects it leaves behind are deleted.
    bool settle() const
    {
        const bool ended = QTest::qWaitFor([this] { return threadCount() <= m_threadsBefore; }, kLongTimeOut);
        QTest::qWait(20);
        return ended;
    }

    QList<QJsonObject> reports() const
    {
        QList<QJsonObject> found;
        const QList<QJsonObject> events = m_runtime->dcEvents();
        for (const QJsonObject& event : events) {
            if (event.value(QStringLiteral("name")).toString() == QLatin1String(kReportEvent))
                found.append(event);
        }
        return found;
    }

    static void setCustomPropsSetting(const QString& key, const QVariant& value)
    {
        krt::KPluginsSettings settings;
        settings.setValue(QStringLiteral("kzembacommon/kcustomprops/") + key, value);
    }

    // Checks that the copy at `target` is a sound zip holding `properties`.
    static void verifyPropertiesInCopy(const QString& target, const QString& part, const QStringList& properties)
    {
        QList<KTestZipEntry> copy;
        QString error;
        QVERIFY2(KTestZip::read(target, &copy, &error), qPrintable(error));
        const QByteArray xml = KTestZip::entry(copy, part);
        QVERIFY2(KTestDocuments::isWellFormed(xml, &error), qPrintable(part + QStringLiteral(": ") + error));
        const QStringList found = part == QLatin1String("meta.xml") ? KTestDocuments::odfProperties(xml, &error)
                                                                    : KTestDocuments::ooxmlProperties(xml, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(found, properties);
    }

private slots:
    void initTestCase() { g_previousHandler = qInstallMessageHandler(recordWarnings); }

    void cleanupTestCase() { qInstallMessageHandler(g_previousHandler); }

    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/kzemba-docs-XXXXXX"));
        QVERIFY(m_runtime->isValid() && m_dir->isValid());
        m_threadsBefore = threadCount();
        QMutexLocker lock(&g_warningsMutex);
        g_warnings.clear();
    }

    void cleanup()
    {
        const bool settled = settle();
        m_dir.reset();
        m_runtime.reset();
        QVERIFY2(settled, "a worker thread did not end");
        QMutexLocker lock(&g_warningsMutex);
        QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join(QLatin1Char('\n'))));
    }

    // The "debug" setting is read once per process, so this must be the first request.
    void debugFileStandsInForTheDocument()
    {
        if (m_requested)
            QSKIP("the debug setting is read once per process: run this test first");
        const QString debugFile = path(QStringLiteral("debug.docx"));
        QVERIFY(KTestZip::write(debugFile, KTestDocuments::package(QStringLiteral("docx"))));
        setCustomPropsSetting(QStringLiteral("debug"), true);
        setCustomPropsSetting(QStringLiteral("debugFilePath"), debugFile);

        const Props props{{QStringLiteral("Source"), QStringLiteral("store")}};
        auto answers = request(path(QStringLiteral("absent.docx")), QStringLiteral("tagged"), props);
        QTRY_COMPARE_WITH_TIMEOUT(answers->count(), 1, kLongTimeOut);
        QCOMPARE(answers->successes, 1);
        QCOMPARE(answers->source, debugFile);
        QCOMPARE(answers->target, path(QStringLiteral("tagged/debug.docx")));
        verifyPropertiesInCopy(answers->target, QStringLiteral("docProps/custom.xml"),
                               {QStringLiteral("2|Source|lpwstr|store")});

        // A debug path that names no file leaves the caller's document in place.
        setCustomPropsSetting(QStringLiteral("debugFilePath"), path(QStringLiteral("gone.docx")));
        auto second = request(path(QStringLiteral("absent.docx")), QStringLiteral("tagged"), props);
        QCOMPARE(second->errors, 1);
        QCOMPARE(second->error.code, 1);
        QCOMPARE(second->source, path(QStringLiteral("absent.docx")));
    }

    void writesProperties_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<Props>("props");
        QTest::addColumn<QString>("part");
        QTest::addColumn<QStringList>("properties");
        QTest::addColumn<QStringList>("changed");

        const QString customPart = QStringLiteral("docProps/custom.xml");
        const QStringList packageParts = {QStringLiteral("[Content_Types].xml"), QStringLiteral("_rels/.rels"),
                                          customPart};
        QTest::newRow("docx without custom properties")
            << "docx"
            << "report.docx"
            << Props{{QStringLiteral("Template"), QStringLiteral("42")},
                     {QStringLiteral("Source"), QStringLiteral("store")}}
            << customPart << QStringList{"2|Source|lpwstr|store", "3|Template|lpwstr|42"} << packageParts;
        QTest::newRow("docx with custom properties: one replaced, one added, others kept")
            << "docx+custom"
            << "report.docx"
            << Props{{QStringLiteral("source"), QStringLiteral("store")}, {QStringLiteral("New"), QStringLiteral("x")}}
            << customPart << QStringList{"2|source|lpwstr|store", "3|Count|i4|7", "5|Flag|bool|true", "6|New|lpwstr|x"}
            << QStringList{customPart};
        QTest::newRow("spreadsheet template, upper-case suffix")
            << "docx"
            << "book.XLTX" << Props{{QStringLiteral("A"), QStringLiteral("1")}} << customPart
            << QStringList{"2|A|lpwstr|1"} << packageParts;
        QTest::newRow("presentation whose custom part has its own prefixes and path")
            << "custom-elsewhere"
            << "deck.pptm" << Props{{QStringLiteral("New"), QStringLiteral("n")}} << "docProps/extra.xml"
            << QStringList{"2|Kept|lpwstr|k", "3|New|lpwstr|n"} << QStringList{"docProps/extra.xml"};
        QTest::newRow("odt without metadata")
            << "odt"
            << "letter.odt" << Props{{QStringLiteral("Source"), QStringLiteral("store")}} << "meta.xml"
            << QStringList{"Source|string|store"} << QStringList{"meta.xml", "META-INF/manifest.xml"};
        QTest::newRow("spreadsheet with metadata: one replaced, one added, others kept")
            << "odt+meta"
            << "sheet.ods"
            << Props{{QStringLiteral("Source"), QStringLiteral("new")}, {QStringLiteral("Added"), QStringLiteral("y")}}
            << "meta.xml" << QStringList{"Source|string|new", "Other|float|3.5", "Added|string|y"}
            << QStringList{"meta.xml"};
    }

    void writesProperties()
    {
        QFETCH(QString, kind);
        QFETCH(QString, fileName);
        QFETCH(Props, props);
        QFETCH(QString, part);
        QFETCH(QStringList, properties);
        QFETCH(QStringList, changed);

        const QList<KTestZipEntry> original = KTestDocuments::package(kind);
        const QString source = path(fileName);
        QVERIFY(KTestZip::write(source, original));
        const QByteArray sourceBytes = readFile(source);

        auto answers = request(source, QStringLiteral("tagged"), props);
        QCOMPARE(answers->count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(answers->count(), 1, kLongTimeOut);
        QVERIFY(settle());
        QCOMPARE(answers->successes, 1);
        QVERIFY(answers->onCallerThread);
        const QString target = path(QStringLiteral("tagged/") + fileName);
        QCOMPARE(answers->source, source);
        QCOMPARE(answers->target, target);
        QCOMPARE(readFile(source), sourceBytes);
        QCOMPARE(filesBelow(path(QStringLiteral("tagged"))), QStringList{fileName});

        QList<KTestZipEntry> copy;
        QString error;
        QVERIFY2(KTestZip::read(target, &copy, &error), qPrintable(error));
        // Old entries keep their places; the unrelated ones are the same bytes, stored alike.
        QVERIFY(copy.size() >= original.size());
        for (int i = 0; i < original.size(); ++i) {
            QCOMPARE(copy.at(i).name, original.at(i).name);
            if (!changed.contains(original.at(i).name)) {
                QCOMPARE(copy.at(i).data, original.at(i).data);
                QCOMPARE(copy.at(i).stored, original.at(i).stored);
            }
        }
        for (int i = original.size(); i < copy.size(); ++i)
            QVERIFY2(changed.contains(copy.at(i).name), qPrintable(copy.at(i).name + QStringLiteral(" was added")));
        for (const QString& name : changed) {
            const QByteArray xml = KTestZip::entry(copy, name);
            QVERIFY2(!xml.isEmpty(), qPrintable(name + QStringLiteral(" is missing")));
            QVERIFY2(xml != KTestZip::entry(original, name), qPrintable(name + QStringLiteral(" did not change")));
            QVERIFY2(KTestDocuments::isWellFormed(xml, &error), qPrintable(name + QStringLiteral(": ") + error));
        }
        verifyPropertiesInCopy(target, part, properties);

        if (part == QLatin1String("meta.xml")) {
            QCOMPARE(copy.first().name, QStringLiteral("mimetype"));
            QVERIFY(copy.first().stored);
            QCOMPARE(KTestDocuments::countElements(KTestZip::entry(copy, QStringLiteral("META-INF/manifest.xml")),
                                                   QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"),
                                                   QStringLiteral("file-entry"), QStringLiteral("manifest:full-path"),
                                                   QStringLiteral("meta.xml")),
                     1);
        } else {
            QCOMPARE(KTestDocuments::countElements(
                         KTestZip::entry(copy, QStringLiteral("[Content_Types].xml")),
                         QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types"),
                         QStringLiteral("Override"), QStringLiteral("PartName"), QLatin1Char('/') + part),
                     1);
            QCOMPARE(KTestDocuments::countElements(
                         KTestZip::entry(copy, QStringLiteral("_rels/.rels")),
                         QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships"),
                         QStringLiteral("Relationship"), QStringLiteral("Type"),
                         QStringLiteral(
                             "http://schemas.openxmlformats.org/officeDocument/2006/relationships/custom-properties")),
                     1);
        }

        const QList<QJsonObject> events = reports();
        QCOMPARE(events.size(), 1);
        const QJsonObject params = events.first().value(QStringLiteral("params")).toObject();
        QCOMPARE(params.value(QStringLiteral("file_path")).toString(), source);
        QCOMPARE(params.value(QStringLiteral("file_size")).toString(), QString::number(sourceBytes.size()));
        QCOMPARE(params.value(QStringLiteral("code")).toString(), QStringLiteral("0"));
        QCOMPARE(params.value(QStringLiteral("desc")).toString(), QStringLiteral("success"));
        bool isNumber = false;
        QVERIFY(params.value(QStringLiteral("time_cost")).toString().toLongLong(&isNumber) >= 0 && isNumber);
        QCOMPARE(events.first().value(QStringLiteral("arg1")).toInt(), 0);
        QCOMPARE(events.first().value(QStringLiteral("arg2")).toInt(), 0);
        QCOMPARE(events.first().value(QStringLiteral("probability")).toInt(), 1);

        // A second request finds the copy made and answers at once, without copying again.
        const QByteArray copyBytes = readFile(target);
        auto again = request(source, QStringLiteral("tagged"), {{QStringLiteral("Other"), QStringLiteral("v")}});
        QCOMPARE(again->successes, 1);
        QCOMPARE(again->target, target);
        QCOMPARE(readFile(target), copyBytes);
        QCOMPARE(reports().size(), 1);
    }

    void outcomes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<Props>("props");
        QTest::addColumn<bool>("withCallbacks");
        QTest::addColumn<bool>("targetExists");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("immediate");
        QTest::addColumn<bool>("reported");
        QTest::addColumn<bool>("copyLeft");

        const Props props{{QStringLiteral("Source"), QStringLiteral("store")}};
        // kind: a package of KTestDocuments, or "missing", "text", "garbage", "no-content-types",
        // "dtd-custom", "oversized-custom", "wrong-mimetype"; folder "blocker" is a regular file.
        QTest::newRow("missing source") << "missing"
                                        << "report.docx"
                                        << "tagged" << props << true << false << 1 << true << false << false;
        QTest::newRow("existing target") << "docx"
                                         << "report.docx"
                                         << "tagged" << props << true << true << 0 << true << false << true;
        QTest::newRow("copy failure: the folder is a file")
            << "docx"
            << "report.docx"
            << "blocker" << props << true << false << 2 << false << true << false;
        QTest::newRow("copy failure: the folder's parent is missing")
            << "docx"
            << "report.docx"
            << "absent/tagged" << props << true << false << 2 << false << true << false;
        QTest::newRow("copy onto the document itself") << "docx"
                                                       << "report.docx"
                                                       << "" << props << true << false << 2 << true << false << false;
        QTest::newRow("not a document") << "text"
                                        << "notes.txt"
                                        << "tagged" << props << true << false << -1 << false << true << false;
        QTest::newRow("damaged docx") << "garbage"
                                      << "report.docx"
                                      << "tagged" << props << true << false << -1 << false << true << false;
        QTest::newRow("docx without content types")
            << "no-content-types"
            << "report.docx"
            << "tagged" << props << true << false << -1 << false << true << false;
        QTest::newRow("odt with another media type")
            << "wrong-mimetype"
            << "letter.odt"
            << "tagged" << props << true << false << -1 << false << true << false;
        QTest::newRow("custom part with a document type declaration")
            << "dtd-custom" << "report.docx" << "tagged" << props << true << false << -1 << false << true << false;
        QTest::newRow("custom part that inflates beyond the limit")
            << "oversized-custom" << "report.docx" << "tagged" << props << true << false << -1 << false << true << false;
        QTest::newRow("control character in a value")
            << "docx"
            << "report.docx"
            << "tagged" << Props{{QStringLiteral("Source"), QStringLiteral("a\x01z")}} << true << false << -1 << false
            << true << false;
        QTest::newRow("empty property name")
            << "odt"
            << "letter.odt"
            << "tagged" << Props{{QString(), QStringLiteral("x")}} << true << false << -1 << false << true << false;
        QTest::newRow("no callbacks, success") << "docx"
                                               << "report.docx"
                                               << "tagged" << props << false << false << 0 << false << true << true;
        QTest::newRow("no callbacks, missing source")
            << "missing"
            << "report.docx"
            << "tagged" << props << false << false << 1 << true << false << false;
        QTest::newRow("no callbacks, failure") << "text"
                                               << "notes.txt"
                                               << "tagged" << props << false << false << -1 << false << true << false;
    }

    void outcomes()
    {
        QFETCH(QString, kind);
        QFETCH(QString, fileName);
        QFETCH(QString, folder);
        QFETCH(Props, props);
        QFETCH(bool, withCallbacks);
        QFETCH(bool, targetExists);
        QFETCH(int, code);
        QFETCH(bool, immediate);
        QFETCH(bool, reported);
        QFETCH(bool, copyLeft);

        const QString source = path(fileName);
        QList<KTestZipEntry> package = KTestDocuments::package(kind);
        if (kind == QLatin1String("no-content-types")) {
            package = KTestDocuments::package(QStringLiteral("docx"));
            package.removeFirst();
        } else if (kind == QLatin1String("dtd-custom")) {
            package = KTestDocuments::package(QStringLiteral("docx+custom"));
            package.last().data = "<?xml version=\"1.0\"?><!DOCTYPE Properties [<!ENTITY a \"aaaaaaaa\">]>"
                                  "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                                  "custom-properties\">&a;&a;&a;</Properties>";
        } else if (kind == QLatin1String("oversized-custom")) {
            package = KTestDocuments::package(QStringLiteral("docx+custom"));
            package.last().data = QByteArray(17 * 1024 * 1024, ' ');
        } else if (kind == QLatin1String("wrong-mimetype")) {
            package = KTestDocuments::package(QStringLiteral("odt"));
            package.first().data = "application/zip";
        }
        if (!package.isEmpty()) {
            QVERIFY(KTestZip::write(source, package));
        } else if (kind != QLatin1String("missing")) {
            QFile file(source);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(kind == QLatin1String("text") ? "plain text\n" : "PK\x03\x04 not really a zip archive");
        }
        if (folder == QLatin1String("blocker")) {
            QFile blocker(path(folder));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        const QString target = m_dir->path() + QLatin1Char('/') + folder + QLatin1Char('/') + fileName;
        if (targetExists) {
            QVERIFY(QDir().mkpath(QFileInfo(target).absolutePath()));
            QFile existing(target);
            QVERIFY(existing.open(QIODevice::WriteOnly));
            existing.write("made before");
        }
        const QByteArray sourceBytes = readFile(source);
        const QStringList filesBefore = filesBelow(m_dir->path());

        auto answers = request(source, folder, props, kLongTimeOut, withCallbacks);
        if (withCallbacks) {
            QCOMPARE(answers->count(), immediate ? 1 : 0);
            QTRY_COMPARE_WITH_TIMEOUT(answers->count(), 1, kLongTimeOut);
        } else if (reported) {
            QTRY_COMPARE_WITH_TIMEOUT(reports().size(), 1, kLongTimeOut);
        }
        QVERIFY(settle());

        QString desc = QStringLiteral("success");
        if (code == 1)
            desc = QStringLiteral("file %1 not found").arg(source);
        else if (code == 2)
            desc = QStringLiteral("file %1 to %2 copy failed").arg(source, target);
        else if (code == -1)
            desc = QString();
        if (withCallbacks) {
            QCOMPARE(answers->count(), 1);
            QVERIFY(answers->onCallerThread);
            QCOMPARE(answers->source, source);
            if (code == 0) {
                QCOMPARE(answers->successes, 1);
                QCOMPARE(answers->target, target);
            } else {
                QCOMPARE(answers->errors, 1);
                QCOMPARE(answers->error.code, code);
                QCOMPARE(answers->error.desc, desc);
            }
        }

        const QList<QJsonObject> events = reports();
        QCOMPARE(events.size(), reported ? 1 : 0);
        if (reported) {
            const QJsonObject params = events.first().value(QStringLiteral("params")).toObject();
            QCOMPARE(params.value(QStringLiteral("code")).toString(), QString::number(code));
            QCOMPARE(params.value(QStringLiteral("desc")).toString(), desc);
            QCOMPARE(params.value(QStringLiteral("file_path")).toString(), source);
        }
        if (code == -1) {
            bool logged = false;
            const QList<KTestLogRecord> records = m_runtime->logRecords();
            for (const KTestLogRecord& record : records) {
                logged |= record.level == QLatin1String("ERROR") && record.module == QLatin1String(kLogModule)
                    && record.message.startsWith(QStringLiteral("custom properties not written into the copy of ")
                                                 + source + QStringLiteral(": "));
            }
            QVERIFY2(logged, "the reason is not in the log");
        }

        // The source is untouched, and only a finished copy is ever left behind.
        QCOMPARE(readFile(source), sourceBytes);
        QStringList filesAfter = filesBefore;
        if (copyLeft && !targetExists)
            filesAfter = QStringList(filesBefore) << QDir(m_dir->path()).relativeFilePath(target);
        filesAfter.sort();
        QCOMPARE(filesBelow(m_dir->path()), filesAfter);
        if (targetExists)
            QCOMPARE(readFile(target), QByteArray("made before"));
        else if (copyLeft)
            verifyPropertiesInCopy(target, QStringLiteral("docProps/custom.xml"),
                                   {QStringLiteral("2|Source|lpwstr|store")});
        if (folder.contains(QLatin1Char('/')))
            QVERIFY(!QFileInfo::exists(path(folder.section(QLatin1Char('/'), 0, 0))));
    }

    void timeOutLeavesNoHalfMadeCopy_data()
    {
        QTest::addColumn<bool>("lateSuccess");
        QTest::newRow("late success") << true;
        QTest::newRow("late failure") << false;
    }

    // The document is a pipe, so the worker waits for it for as long as the test wants.
    void timeOutLeavesNoHalfMadeCopy()
    {
        QFETCH(bool, lateSuccess);
        const QString source = path(QStringLiteral("slow.docx"));
        QCOMPARE(::mkfifo(QFile::encodeName(source).constData(), 0600), 0);

        auto answers =
            request(source, QStringLiteral("tagged"), {{QStringLiteral("Source"), QStringLiteral("store")}}, 50);
        QTRY_COMPARE_WITH_TIMEOUT(answers->count(), 1, kLongTimeOut);
        QCOMPARE(answers->errors, 1);
        QCOMPARE(answers->error.code, 5);
        QCOMPARE(answers->error.desc, QStringLiteral("time out."));
        QCOMPARE(answers->source, source);
        QCOMPARE(reports().size(), 1);

        // Now the document arrives, late.
        // Opening without blocking succeeds once the worker waits at the other end.
        int fd = -1;
        QVERIFY(QTest::qWaitFor(
            [&] { return (fd = ::open(QFile::encodeName(source).constData(), O_WRONLY | O_NONBLOCK)) >= 0; },
            kLongTimeOut));
        QVERIFY(::fcntl(fd, F_SETFL, 0) == 0);
        QByteArray bytes = "not a zip archive";
        if (lateSuccess) {
            const QString built = path(QStringLiteral("built.docx"));
            QVERIFY(KTestZip::write(built, KTestDocuments::package(QStringLiteral("docx"))));
            bytes = readFile(built);
            QVERIFY(QFile::remove(built));
        }
        // Half of it first: while the worker is at it, the target path holds nothing that a
        // later request could take for a finished copy.
        const int half = bytes.size() / 2;
        bool written = ::write(fd, bytes.constData(), static_cast<size_t>(half)) == half;
        int unread = -1;
        const bool drained =
            QTest::qWaitFor([&] { return ::ioctl(fd, FIONREAD, &unread) == 0 && unread == 0; }, kLongTimeOut);
        const bool targetBeforeEnd = QFileInfo::exists(path(QStringLiteral("tagged/slow.docx")));
        written = written
            && ::write(fd, bytes.constData() + half, static_cast<size_t>(bytes.size() - half)) == bytes.size() - half;
        ::close(fd);
        QVERIFY(written && drained);
        QVERIFY(!targetBeforeEnd);
        QVERIFY(settle());

        // The late outcome reaches nobody, and the folder holds a finished copy or nothing.
        QCOMPARE(answers->count(), 1);
        const QList<QJsonObject> events = reports();
        QCOMPARE(events.size(), 1);
        QCOMPARE(events.first().value(QStringLiteral("params")).toObject().value(QStringLiteral("code")).toString(),
                 QStringLiteral("5"));
        QCOMPARE(events.first().value(QStringLiteral("params")).toObject().value(QStringLiteral("desc")).toString(),
                 QStringLiteral("time out."));
        if (lateSuccess) {
            QCOMPARE(filesBelow(path(QStringLiteral("tagged"))), QStringList{QStringLiteral("slow.docx")});
            verifyPropertiesInCopy(path(QStringLiteral("tagged/slow.docx")), QStringLiteral("docProps/custom.xml"),
                                   {QStringLiteral("2|Source|lpwstr|store")});
        } else {
            QCOMPARE(filesBelow(path(QStringLiteral("tagged"))), QStringList());
        }
    }

    void textRoundTrips_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");

        const QList<QPair<QString, QString>> texts = {
            {QStringLiteral("a<b>&\"c\" 'd'"), QStringLiteral("<tag attr=\"x\">&amp; 'q' </tag>")},
            {QStringLiteral("Quelle – Ürsprung 日本"), QStringLiteral("Grüße, ¿qué? 😀 Ω")},
            {QStringLiteral("two  spaces\ttab\nline"), QStringLiteral("  one\ntwo\r\nthree\t ")},
            {QStringLiteral("]]>"), QStringLiteral("]]> <![CDATA[ x ]]>")},
        };
        const QStringList rows = {QStringLiteral("markup characters"), QStringLiteral("non-ASCII"),
                                  QStringLiteral("white space"), QStringLiteral("CDATA end")};
        for (int i = 0; i < texts.size(); ++i) {
            QTest::newRow(qPrintable(QStringLiteral("docx, ") + rows.at(i)))
                << "docx"
                << "report.docx" << texts.at(i).first << texts.at(i).second;
            QTest::newRow(qPrintable(QStringLiteral("odt, ") + rows.at(i)))
                << "odt"
                << "letter.odt" << texts.at(i).first << texts.at(i).second;
        }
    }

    void textRoundTrips()
    {
        QFETCH(QString, kind);
        QFETCH(QString, fileName);
        QFETCH(QString, name);
        QFETCH(QString, value);

        const QString source = path(fileName);
        QVERIFY(KTestZip::write(source, KTestDocuments::package(kind)));
        auto answers = request(source, QStringLiteral("tagged"), {{name, value}});
        QTRY_COMPARE_WITH_TIMEOUT(answers->count(), 1, kLongTimeOut);
        QCOMPARE(answers->successes, 1);
        if (kind == QLatin1String("odt"))
            verifyPropertiesInCopy(answers->target, QStringLiteral("meta.xml"),
                                   {name + QStringLiteral("|string|") + value});
        else
            verifyPropertiesInCopy(answers->target, QStringLiteral("docProps/custom.xml"),
                                   {QStringLiteral("2|") + name + QStringLiteral("|lpwstr|") + value});
    }

    void copyOpensWithPythonZipfile()
    {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is not installed: the copy is not checked with python's zipfile");

        const QString source = path(QStringLiteral("report.docx"));
        QVERIFY(KTestZip::write(source, KTestDocuments::package(QStringLiteral("docx+custom"))));
        auto answers = request(source, QStringLiteral("tagged"),
                               {{QStringLiteral("Source"), QStringLiteral("store")},
                                {QStringLiteral("Größe & <Art>"), QStringLiteral("日本 \"x\"")}});
        QTRY_COMPARE_WITH_TIMEOUT(answers->count(), 1, kLongTimeOut);
        QCOMPARE(answers->successes, 1);

        const QString script =
            QStringLiteral("import sys, zipfile, xml.dom.minidom\n"
                           "with zipfile.ZipFile(sys.argv[1]) as package:\n"
                           "    damaged = package.testzip()\n"
                           "    if damaged:\n"
                           "        sys.exit('damaged entry: ' + damaged)\n"
                           "    document = xml.dom.minidom.parseString(package.read('docProps/custom.xml'))\n"
                           "    for element in document.getElementsByTagNameNS(sys.argv[2], 'property'):\n"
                           "        print(element.getAttribute('name'))\n");
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PYTHONIOENCODING"), QStringLiteral("utf-8"));
        process.setProcessEnvironment(environment);
        process.start(
            python,
            {QStringLiteral("-c"), script, answers->target, QLatin1String(KTestDocuments::kCustomPropertiesNs)});
        QVERIFY(process.waitForFinished(kLongTimeOut));
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
                 process.readAllStandardError().constData());
        const QStringList names =
            QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(names,
                 (QStringList{QStringLiteral("Source"), QStringLiteral("Count"), QStringLiteral("Flag"),
                              QStringLiteral("Größe & <Art>")}));
    }
};

KZEMBA_TEST_MAIN(TstCustomProps)
#include "tst_customprops.moc"
