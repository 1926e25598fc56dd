// zemba-jscall in a fresh runtime folder finds the plug-ins that ship with the
// library and plays a store page end to end against the local server: an event
// stream, a resource download that is applied, and the account. With
// --no-plugins the same page finds no plug-in.
#include "ktestapplication.h"
#include "ktesthttpserver.h"

#include <QJsonDocument>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TstRefJsCall : public QObject
{
    Q_OBJECT

private:
    // Runs the tool on `script` with the event loop running (the server answers meanwhile) and
    // returns its output lines as JSON objects.
    QList<QJsonObject> run(const QStringList& script, const QStringList& extraArgs = QStringList())
    {
        QProcess process;
        process.setProgram(QStringLiteral(ZEMBA_JSCALL_PATH));
        process.setArguments(QStringList{"--runtime", m_runtime.path()} + extraArgs);
        process.start();
        if (!process.waitForStarted())
            return {};
        process.write(script.join('\n').toUtf8() + '\n');
        process.closeWriteChannel();
        QSignalSpy finished(&process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished));
        if (!finished.wait(60000))
            process.kill();
        m_errors = process.readAllStandardError();
        m_exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        QList<QJsonObject> lines;
        const QList<QByteArray> output = process.readAllStandardOutput().split('\n');
        for (const QByteArray& line : output) {
            if (!line.isEmpty())
                lines.append(QJsonDocument::fromJson(line).object());
        }
        return lines;
    }

    static QList<QJsonObject> deliveriesTo(const QList<QJsonObject>& lines, const QString& function)
    {
        QList<QJsonObject> list;
        for (const QJsonObject& line : lines) {
            if (line.value("deliver").toString() == function)
                list.append(line.value("json").toObject());
        }
        return list;
    }

    static QJsonValue answerOf(const QList<QJsonObject>& lines, const QString& call)
    {
        for (const QJsonObject& line : lines) {
            if (line.value("call").toString() == call)
                return line.value("answer");
        }
        return QJsonValue::Undefined;
    }

    static QString line(const QJsonObject& command)
    {
        return QString::fromUtf8(QJsonDocument(command).toJson(QJsonDocument::Compact));
    }

private slots:
    void init()
    {
        QVERIFY(m_runtime.isValid());
        QVERIFY(m_server.start());
        m_server.clearRequests();
        // A fresh runtime folder that only names the store server.
        QSettings settings(m_runtime.path() + "/runtime.ini", QSettings::IniFormat);
        settings.setValue("domains/zembaapiqox", m_server.url("/").chopped(1));
        settings.sync();
        m_server.setAnswer("/stream", KTestHttpAnswer::eventStream({"event: hello\ndata: first\n\n", "data: sec", "ond\n\n"}, 10));
        m_server.setAnswer("/files/t1.docx", KTestHttpAnswer(200, QByteArray(50000, 'd')));
        m_server.setAnswer("/proxy/client/user/v1/all_info_v6", KTestHttpAnswer(200, "{\"userid\":\"u1\",\"nickname\":\"Ann\"}"));
    }

    void storePageEndToEnd()
    {
        const QStringList script{
            line({{"call", "ssePost"}, {"args", QJsonObject{{"url", m_server.url("/stream")}}}}),
            line({{"call", "sseRead"}, {"args", QJsonObject{{"session_id", "sse-1"}, {"callback", "onEvent"}}}}),
            line({{"waitFor", "onEvent"}, {"timeout", 10000}}),
            line({{"waitFor", "onEvent"}, {"timeout", 10000}}),
            line({{"waitFor", "onEvent"}, {"timeout", 10000}}),
            line({{"call", "insertOnlineResource"},
                  {"args", QJsonObject{{"resType", "template"},
                                       {"resInfo", QJsonObject{{"id", "t1"}, {"url", m_server.url("/files/t1.docx")}}}}}}),
            line({{"waitFor", "onDownloadSuccess"}, {"timeout", 20000}}),
            line({{"call", "common.plugin.getResourcePath"}, {"args", QJsonObject{{"resType", "template"}, {"id", "t1"}}}}),
            line({{"call", "getUserAccountInfoState"}, {"args", QJsonObject{{"callback", "onAccount"}}}}),
            line({{"waitFor", "onAccount"}, {"timeout", 10000}}),
        };
        const QList<QJsonObject> lines = run(script);
        QVERIFY2(!lines.isEmpty(), m_errors.constData());
        QVERIFY2(m_exitCode == 0 && !m_errors.contains("Sanitizer"), m_errors.constData());

        QCOMPARE(answerOf(lines, "ssePost").toObject(), (QJsonObject{{"session_id", "sse-1"}}));
        const QList<QJsonObject> events = deliveriesTo(lines, "onEvent");
        QCOMPARE(events.size(), 3);
        QCOMPARE(events.at(0), (QJsonObject{{"session_id", "sse-1"}, {"event", "hello"}, {"id", ""}, {"data", "first"}}));
        QCOMPARE(events.at(1).value("data").toString(), QStringLiteral("second"));
        QCOMPARE(events.at(2).value("done"), QJsonValue(true));

        QCOMPARE(deliveriesTo(lines, "onDownloadSuccess").size(), 1);
        QVERIFY(!deliveriesTo(lines, "onDownloadProgress").isEmpty());
        const QJsonObject applied = answerOf(lines, "common.plugin.getResourcePath").toObject();
        QCOMPARE(applied.value("callstatus").toString(), QStringLiteral("ok"));
        const QString path = applied.value("result").toObject().value("path").toString();
        QVERIFY(path.startsWith(m_runtime.path()));
        QFile file(path + "/t1.docx");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.size(), qint64(50000));

        const QList<QJsonObject> account = deliveriesTo(lines, "onAccount");
        QCOMPARE(account.size(), 1);
        QCOMPARE(account.first().value("result").toObject().value("state").toString(), QStringLiteral("login"));
    }

    void withoutPlugins()
    {
        const QStringList script{
            line({{"call", "ssePost"}, {"args", QJsonObject{{"url", m_server.url("/stream")}}}}),
            line({{"call", "common.plugin.getPluginInfo"}}),
        };
        const QList<QJsonObject> lines = run(script, {"--no-plugins"});
        QVERIFY2(!lines.isEmpty(), m_errors.constData());
        QVERIFY2(m_exitCode == 0 && !m_errors.contains("Sanitizer"), m_errors.constData());
        QCOMPARE(answerOf(lines, "ssePost").toObject(), QJsonObject());
        QVERIFY(answerOf(lines, "common.plugin.getPluginInfo").toObject().value("result").isUndefined());
        QCOMPARE(m_server.requestCount(), 0);
    }

private:
    QTemporaryDir m_runtime;
    KTestHttpServer m_server;
    QByteArray m_errors;
    int m_exitCode = -1;
};

KZEMBA_TEST_MAIN(TstRefJsCall)
#include "tst_refjscall.moc"
