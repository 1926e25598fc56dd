// zemba-jscall through the real binary: a script in, one JSON line per event out.
#include "ktestapplication.h"
#include "ktestruntime.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

class TstZembaJsCall : public QObject
{
    Q_OBJECT

private:
    struct Run
    {
        int exitCode = -1;
        QList<QJsonObject> lines;
        QByteArray rawOut;
    };

    Run run(const QByteArray& script, const QStringList& extraArgs = {})
    {
        QProcess process;
        process.setProgram(QStringLiteral(ZEMBA_JSCALL_PATH));
        process.setArguments(QStringList{"--runtime", m_runtime->path()} + extraArgs);
        process.start();
        process.write(script);
        process.closeWriteChannel();
        Run result;
        if (!process.waitForFinished(60000))
            return result;
        result.exitCode = process.exitCode();
        result.rawOut = process.readAllStandardOutput();
        for (const QByteArray& line : result.rawOut.split('\n')) {
            if (!line.isEmpty())
                result.lines.append(QJsonDocument::fromJson(line).object());
        }
        return result;
    }

private slots:
    void init() { m_runtime = std::make_unique<KTestRuntime>(); }
    void cleanup() { m_runtime.reset(); }

    void scriptOfCallsPushesAndWaits()
    {
        QFile file(QStringLiteral(KZEMBA_TOOLS_DATA "/script.jsonl"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray script = file.readAll();
        const Run result = run(script, {"--api", "common"});
        QCOMPARE(result.exitCode, 1);

        const QList<QJsonObject> expected{
            // The early event waited for the registration and arrives during that call.
            {{"deliver", "onPush"},
             {"text", "{\"action\":\"early\",\"params\":{\"n\":1}}"},
             {"json", QJsonObject{{"action", "early"}, {"params", QJsonObject{{"n", 1}}}}}},
            {{"call", "registPushUIEventHandler"}, {"answer", QJsonValue::Null}},
            {{"deliver", "onPush"},
             {"text", "{\"action\":\"late\",\"params\":{\"n\":2}}"},
             {"json", QJsonObject{{"action", "late"}, {"params", QJsonObject{{"n", 2}}}}}},
            {{"error", "line 5: not a JSON object"}},
            {{"call", "noSuchMethod"},
             {"answer", QJsonObject{{"callstatus", "error"}, {"errormsg", "no such method: noSuchMethod"}}}},
            {{"call", "getSkinColorConfig"},
             {"answer", QJsonObject{{"callstatus", "error"}, {"errormsg", "not supported by zemba-jscall"}}}},
            {{"timeout", "onPush"}},
            {{"error", "line 11: unknown command"}},
            {{"error", "line 12: \"call\" needs a name, an \"args\" object and a \"callback\" text"}},
        };
        QCOMPARE(result.lines, expected);
    }

    // The default object is the one the suite creates: its skin colours come from the theme,
    // and its utility name spaces answer.
    void litePageScript()
    {
        m_runtime->setValue("ui/skinName", "dark");
        QFile file(QStringLiteral(KZEMBA_TOOLS_DATA "/lite.jsonl"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const Run result = run(file.readAll());
        QCOMPARE(result.exitCode, 0);

        const QList<QJsonObject> expected{
            {{"call", "getSkinColorConfig"},
             {"answer", QJsonObject{{"callstatus", "ok"},
                                    {"result", QJsonObject{{"dlg-background-01", "#2b2d33"}, {"no-such-key", ""}}}}}},
            {{"call", "getSkinHintConfig"},
             {"answer", QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"dlg-background-01", "#2b2d33"}}}}}},
            {{"call", "checkFontsExist"},
             {"answer", QJsonObject{{"callstatus", "error"}, {"errormsg", "input json invalid. no fontNames."}}}},
            {{"call", "getZembaPageEnabled"}, {"answer", QJsonObject{{"code", false}, {"result", "args empty"}}}},
            {{"call", "openZembaPage"},
             {"answer", QJsonObject{{"result", false}, {"message", "entry cannot be empty"}}}},
            {{"call", "notifyComponentMsg"}, {"answer", QJsonObject{{"result", false}}}},
            // Without the base plug-in the plug-in cannot be prepared; the page hears it at once.
            {{"deliver", "pluginloadFailed"},
             {"text", "{\"name\":\"p1\"}"},
             {"json", QJsonObject{{"name", "p1"}}}},
            {{"call", "zemba.util.openVantaPluginPage"}, {"answer", QJsonValue::Null}},
        };
        QCOMPARE(result.lines, expected);
    }

    void cleanScriptExitsZero()
    {
        const Run result = run("{\"call\": \"showWindow\"}\n\n{\"wait\": 0}");
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.lines, (QList<QJsonObject>{{{"call", "showWindow"}, {"answer", QJsonValue::Null}}}));
    }

    void logsStayOutOfTheOutput()
    {
        const Run result = run("{\"call\": \"echo(KxWebViewJSContext&)\"}");
        QCOMPARE(result.lines.size(), 1);
        QVERIFY(!result.rawOut.contains("WARNING"));
        QVERIFY(m_runtime->hasLog("WARNING", "KxWebViewContainer", "no such method: echo(KxWebViewJSContext&)"));
    }

    void browserEventsAreScriptable()
    {
        const Run result = run("{\"createBrowser\": \"http://127.0.0.1:9/store\", \"outcome\": {\"code\": 302}}\n"
                               "{\"wait\": 20}\n"
                               "{\"load\": \"http://127.0.0.1:9/gone\", "
                               "\"outcome\": {\"ok\": false, \"message\": \"net::ERR_FAILED\"}}\n"
                               "{\"wait\": 20}\n"
                               "{\"httpCode\": 404, \"url\": \"http://127.0.0.1:9/app.js\"}\n"
                               "{\"renderProcessEnded\": 2}\n"
                               "{\"browserException\": 5}\n"
                               "{\"scriptReady\": true}\n");
        QCOMPARE(result.exitCode, 0);
        const QList<QJsonObject> expected{
            {{"event", "browserCreated"}},
            {{"event", "loadFinishedWithCode"}, {"url", "http://127.0.0.1:9/store"}, {"code", 302}},
            {{"event", "loadFinished"}, {"ok", true}, {"url", "http://127.0.0.1:9/store"}, {"message", ""}},
            {{"event", "loadFinished"}, {"ok", false}, {"url", "http://127.0.0.1:9/gone"}, {"message", "net::ERR_FAILED"}},
            {{"event", "loadFinishedWithCode"}, {"url", "http://127.0.0.1:9/app.js"}, {"code", 404}},
            {{"event", "renderProcessTerminated"}, {"status", 2}},
            {{"event", "browserException"}, {"code", 5}},
            {{"call", "onScriptReady"}, {"answer", QJsonValue::Null}},
        };
        QCOMPARE(result.lines, expected);
    }

    void unknownApiIsRefused()
    {
        const Run result = run("", {"--api", "nonsense"});
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.lines.isEmpty());
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
};

KZEMBA_TEST_MAIN(TstZembaJsCall)
#include "tst_zembajscall.moc"
