// zemba-storehost as a user runs it: in screenshot mode against its own sample store,
// with the lite and with the restricted JS API, and with a store URL that cannot be
// loaded. The pictures go to the test output folder (KZEMBA_TEST_OUTPUT, else the working
// folder).
#include "ktestapplication.h"
#include "ktesthttpserver.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {
QString outputFolder()
{
    const QString folder = qEnvironmentVariable("KZEMBA_TEST_OUTPUT", QDir::currentPath());
    QDir().mkpath(folder);
    return folder;
}

// The spread of the picture's grey levels: a blank or single-colour picture has next to none.
double greyDeviation(const QImage& image)
{
    double sum = 0;
    double squares = 0;
    qint64 count = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            const double grey = qGray(image.pixel(x, y));
            sum += grey;
            squares += grey * grey;
            ++count;
        }
    }
    if (count == 0)
        return 0;
    const double mean = sum / count;
    return std::sqrt(std::max(0.0, squares / count - mean * mean));
}

struct HostRun
{
    int exitCode = -1;
    QString output;
};
} // namespace

class TstStoreHost : public QObject
{
    Q_OBJECT

private:
    HostRun runHost(const QStringList& arguments)
    {
        QProcess host;
        host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        host.start(QStringLiteral(KZEMBA_STOREHOST), arguments);
        HostRun run;
        if (!host.waitForStarted(10000) || !host.waitForFinished(240000)) {
            host.kill();
            host.waitForFinished(5000);
            return run;
        }
        run.exitCode = host.exitStatus() == QProcess::NormalExit ? host.exitCode() : -1;
        run.output = QString::fromUtf8(host.readAllStandardOutput());
        return run;
    }

private slots:
    void sampleStorePassesItsSelfCheck_data()
    {
        QTest::addColumn<QString>("api");
        QTest::addColumn<QString>("selfCheck");
        QTest::addColumn<QStringList>("logged");
        QTest::addColumn<bool>("applied");
        QTest::newRow("lite") << "lite"
                              << "self-check: passed (12/12 passed; refused as expected: httpGet (only http and "
                                 "https URLs are allowed))"
                              << QStringList{R"("call":"insertOnlineResource")", R"({"deliver":"onDownloadProgress")"}
                              << true;
        // The restricted API keeps the account, deletes, downloads, event streams and
        // encryption from the page; everything else passes as under the lite API.
        QTest::newRow("safe") << "safe"
                              << "self-check: passed (12/12 passed; refused as expected: insertOnlineResource, "
                                 "ssePost, rsaAesEncrypt (no such method); checkUserLogin, getUserInfoCookie, "
                                 "getUserLoginInfo, httpDelete (empty interface); httpGet (parameter of 'url' is "
                                 "empty or is not legal))"
                              << QStringList{R"("call":"webLoadFinish")", R"("call":"common.util.openZembaPage")"}
                              << false;
    }

    void sampleStorePassesItsSelfCheck()
    {
        QFETCH(QString, api);
        QFETCH(QString, selfCheck);
        QFETCH(QStringList, logged);
        QFETCH(bool, applied);
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        const QString picture = outputFolder() + "/storehost-sample-store-" + api + ".png";
        QFile::remove(picture);

        const HostRun run = runHost({"--screenshot", picture, "--runtime", runtime.path(), "--log", "--api", api});
        QVERIFY2(run.exitCode == 0, qPrintable(run.output.right(4000)));
        QVERIFY2(run.output.contains(selfCheck + '\n'), qPrintable(run.output.right(2000)));
        QVERIFY(run.output.contains("screenshot: " + picture));
        // The log has the page's calls with their answers and the later deliveries.
        QVERIFY(run.output.contains(R"({"answer":)"));
        for (const QString& line : logged)
            QVERIFY2(run.output.contains(line), qPrintable(line));

        // The page got its API only after its host proved itself with the sign the local
        // server registered for the store app: nothing was cached in the fresh runtime.
        QVERIFY(run.output.contains("page host: trusted (Success), " + api + " JS API\n"));
        QVERIFY(run.output.contains(R"({"appId":"zembastore","pageHostCheck":"Success","trusted":true,)"));
        QFile log(runtime.path() + "/data/log/kzemba.log");
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("KZembaPageHostHelper::checkPageHostSignValid sign hit, appid:zembastore, url:"));

        const QImage image(picture);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), QSize(1120, 760));
        QVERIFY2(greyDeviation(image) > 20, qPrintable(QString::number(greyDeviation(image))));
        // The header bar of the sample store is painted.
        QCOMPARE(image.pixelColor(4, 4), QColor("#1f3b5c"));

        // The inserted resources were applied below the runtime's data folder, and only there.
        const QString resources = runtime.path() + "/data/zemba/resources";
        QCOMPARE(QFile::exists(resources + "/template/tpl-report/tpl-report.txt"), applied);
        QCOMPARE(QFile::exists(resources + "/picture/pic-harbour/pic-harbour.txt"), applied);
        QCOMPARE(QFile::exists(resources), applied);
    }

    void unloadableUrlShowsTheErrorPage()
    {
        KTestHttpServer closed;
        QVERIFY(closed.start());
        const QString deadUrl = closed.url("/store");
        closed.stop();

        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        const QString picture = outputFolder() + "/storehost-unloadable.png";
        QFile::remove(picture);
        const HostRun run = runHost({"--url", deadUrl, "--screenshot", picture, "--runtime", runtime.path()});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.output.contains("the page could not be loaded: " + deadUrl), qPrintable(run.output));
        // Without a store server to register it, the page's host is not trusted: the page is
        // still shown, but with the restricted API.
        QVERIFY2(run.output.contains("page host: not trusted (AppInfoFailed), safe JS API\n"), qPrintable(run.output));
        const QImage image(picture);
        QVERIFY(!image.isNull());
        // The error page's background.
        QCOMPARE(image.pixelColor(5, 5), QColor("#f5f7fa"));
    }
};

int main(int argc, char** argv)
{
    TstStoreHost test;
    return kzembaRunTests(argc, argv, &test);
}

#include "tst_storehost.moc"
