// The web-view framework stand-in: routing of page calls by name, the answer
// envelope, and later answers through saved contexts and named callbacks.
#include "ktestapplication.h"
#include "ktestpagehost.h"
#include "ktestruntime.h"

#include <vdllite/jsonhelper.h>
#include <vdllite/kxcommonjsapi.h>
#include <vdllite/kxjsapiconstants.h>
#include <vdllite/kxwebviewjscontext.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

class TestHandler : public KxWebViewJSApiHandler
{
    Q_OBJECT
public:
    TestHandler(const QString& tag, QObject* parent, KxWebViewAsynJSObject* jsObject)
        : KxWebViewJSApiHandler(parent, jsObject)
        , m_tag(tag)
    {
    }

public slots:
    void whoami(KxWebViewJSContext& context) { context.result()["handler"] = m_tag.toStdString(); }

private:
    QString m_tag;
};

class TestJsApi : public vdllite::KxCommonJsApi
{
    Q_OBJECT
public:
    using vdllite::KxCommonJsApi::KxCommonJsApi;
    QWidget* widgetParent() override { return nullptr; }

    QList<KxWebViewJSContext> saved;
    QStringList savedTexts;

public slots:
    void echo(KxWebViewJSContext& context) { setResult(context, QVariant(parseContextArgs(context))); }
    void silent(KxWebViewJSContext&) {}
    void later(KxWebViewJSContext& context) { saved.append(context); }
    void laterAsText(KxWebViewJSContext& context) { savedTexts.append(context.toJson()); }
    void named(KxWebViewJSContext& context)
    {
        callbackToJS(context.getValue(QStringLiteral("callback")).toString(),
                     formatResult(QVariant(parseContextArgs(context))), true);
    }
    void whoami(KxWebViewJSContext& context) { context.result()["handler"] = "api"; }
    void takesText(const QString&) {}

signals:
    void contextSignal(KxWebViewJSContext& context);
};

// Call arguments nested `depth` levels deep: the argument object, then arrays.
static QString nestedArgs(int depth)
{
    return QStringLiteral("{\"deep\":") + QString(depth - 1, QLatin1Char('[')) + QString(depth - 1, QLatin1Char(']'))
        + QStringLiteral("}");
}

// A saved context whose arguments are nested `depth` levels deep.
static QString nestedContext(int depth)
{
    return QStringLiteral("{\"id\":3,\"method\":\"later\",\"callback\":\"cb\",\"args\":") + nestedArgs(depth)
        + QStringLiteral(",\"result\":null}");
}

class TstWebViewFramework : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        m_host = std::make_unique<KTestPageHost>();
        m_api = new TestJsApi(m_host->container());
        m_host->container()->setJsApiObject(m_api);
        m_api->initHandlers();
        for (const QString& name : {QStringLiteral("common"), QStringLiteral("common.util"), QStringLiteral("zemba.util.")})
            m_api->setHandler(name, new TestHandler(name, m_api, m_api));
    }

    void cleanup()
    {
        m_host.reset();
        m_runtime.reset();
    }

    void envelopeConstants()
    {
        QCOMPARE(QString::fromLatin1(g_str_callstatus), QStringLiteral("callstatus"));
        QCOMPARE(QString::fromLatin1(g_str_errormsg), QStringLiteral("errormsg"));
        QCOMPARE(QString::fromLatin1(g_str_ok), QStringLiteral("ok"));
        QCOMPARE(QString::fromLatin1(g_str_error), QStringLiteral("error"));
    }

    void routing_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("handler"); // empty: the call must fail

        QTest::newRow("own slot") << "whoami" << "api";
        QTest::newRow("handler by name") << "common.whoami" << "common";
        QTest::newRow("longest prefix wins") << "common.util.whoami" << "common.util";
        QTest::newRow("name ending in a dot") << "zemba.util.whoami" << "zemba.util.";
        QTest::newRow("prefix is not a word boundary") << "common.utility.whoami" << "";
        QTest::newRow("handler lacks the method") << "common.util.echo" << "";
        QTest::newRow("bare handler name") << "common.util" << "";
        QTest::newRow("unknown name") << "noSuchMethod" << "";
        QTest::newRow("slot of another signature") << "takesText" << "";
        QTest::newRow("QObject slot") << "deleteLater" << "";
        QTest::newRow("signal with a context") << "contextSignal" << "";
        QTest::newRow("signature smuggled in the name") << "echo(KxWebViewJSContext&)" << "";
        QTest::newRow("empty name") << "" << "";
    }

    void routing()
    {
        QFETCH(QString, method);
        QFETCH(QString, handler);
        const QJsonObject answer = m_host->page()->call(method).toObject();
        if (handler.isEmpty()) {
            QCOMPARE(answer.value("callstatus").toString(), QStringLiteral("error"));
            QVERIFY(!answer.value("errormsg").toString().isEmpty());
        } else {
            QCOMPARE(answer.value("handler").toString(), handler);
        }
        QVERIFY(m_api); // nothing reachable from the page may delete the object
    }

    void argumentsMustBeAnObject_data()
    {
        QTest::addColumn<QString>("argsText");
        QTest::newRow("array") << "[1,2]";
        QTest::newRow("string") << "\"text\"";
        QTest::newRow("number") << "42";
        QTest::newRow("broken") << "{\"a\":";
        QTest::newRow("trailing garbage") << "{} {}";
    }

    void argumentsMustBeAnObject()
    {
        QFETCH(QString, argsText);
        const QJsonObject answer = m_host->page()->callWithText(QStringLiteral("echo"), argsText).toObject();
        QCOMPARE(answer.value("callstatus").toString(), QStringLiteral("error"));
        QVERIFY(answer.value("errormsg").toString().contains(QStringLiteral("not a JSON object")));
        QVERIFY(m_api->saved.isEmpty());
    }

    void untrustedJson_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        const int depth = JsonHelper::kMaxDepth;
        QTest::newRow("at the depth limit") << nestedArgs(depth) << true;
        QTest::newRow("one level more") << nestedArgs(depth + 1) << false;
        QTest::newRow("999 levels") << nestedArgs(999) << false;
        QTest::newRow("1000 levels") << nestedArgs(1000) << false;
        QTest::newRow("5000 levels") << nestedArgs(5000) << false;
        QTest::newRow("5000 objects") << QString("{\"a\":").repeated(4999) + "{}" + QString(4999, '}') << false;
        QTest::newRow("brackets in a string") << "{\"s\":\"" + QString(5000, '[') + "\"}" << true;
        QTest::newRow("brackets after an escaped quote") << "{\"s\":\"\\\"" + QString(5000, '[') + "\"}" << true;
        QTest::newRow("brackets in a comment") << "{\"a\":1 /* " + QString(5000, '[') + " */}" << true;
        QTest::newRow("brackets in a line comment") << "{\"a\":1 // " + QString(5000, '[') + "\n}" << true;
        QTest::newRow("too many items") << "{\"a\":[" + QString("0,").repeated(JsonHelper::kMaxItems) + "0]}" << false;
        QTest::newRow("too long") << "{\"s\":\"" + QString(JsonHelper::kMaxTextBytes, 'x') + "\"}" << false;
        QTest::newRow("not JSON") << "{\"a\":" << false;
    }

    // Every parsing entry point reads page and server text within the same limits and
    // refuses the rest without throwing.
    void untrustedJson()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        Json::Value root;
        QString why;
        QCOMPARE(JsonHelper::parseUntrusted(text.toUtf8(), root, &why), valid);
        QCOMPARE(why.isEmpty(), valid);
        QCOMPARE(root.isNull(), !valid);
        bool ok = !valid;
        JsonHelper::parseJsonValue(text, &ok);
        QCOMPARE(ok, valid);
        QCOMPARE(JsonHelper::convertStringToQJson(text).isEmpty(), !valid);
    }

    void deepArgumentsGetTheErrorEnvelope_data()
    {
        QTest::addColumn<int>("depth");
        QTest::newRow("999 levels") << 999;
        QTest::newRow("1000 levels") << 1000;
        QTest::newRow("5000 levels") << 5000;
    }

    void deepArgumentsGetTheErrorEnvelope()
    {
        QFETCH(int, depth);
        const QJsonObject answer = m_host->page()->callWithText(QStringLiteral("later"), nestedArgs(depth)).toObject();
        QCOMPARE(answer.value("callstatus").toString(), QStringLiteral("error"));
        QCOMPARE(answer.value("errormsg").toString(),
                 QString("arguments of later are not a JSON object: nested deeper than %1 levels").arg(JsonHelper::kMaxDepth));
        QVERIFY(m_api->saved.isEmpty());

        // The deepest arguments a page may send still reach the method.
        QVERIFY(m_host->page()->callWithText(QStringLiteral("later"), nestedArgs(JsonHelper::kMaxDepth)).isNull());
        QCOMPARE(m_api->saved.size(), 1);
    }

    void savedContextWithinLimits_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("parses");
        QTest::newRow("deepest arguments") << JsonHelper::kMaxDepth << true;
        QTest::newRow("999 levels") << 999 << false;
        QTest::newRow("1000 levels") << 1000 << false;
        QTest::newRow("5000 levels") << 5000 << false;
    }

    void savedContextWithinLimits()
    {
        QFETCH(int, depth);
        QFETCH(bool, parses);
        KxWebViewJSContext context;
        QCOMPARE(context.parse(nestedContext(depth)), parses);
        QCOMPARE(context.id(), parses ? 3 : 0);

        // A context saved from the deepest call a page may make reads back.
        m_host->page()->callWithText(QStringLiteral("laterAsText"), nestedArgs(JsonHelper::kMaxDepth), "cb");
        QCOMPARE(m_api->savedTexts.size(), 1);
        KxWebViewJSContext saved;
        QVERIFY(saved.parse(m_api->savedTexts.first()));
        QCOMPARE(saved.callback(), QStringLiteral("cb"));
    }

    void callbackNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("identifier") << "onDone" << true;
        QTest::newRow("dotted path") << "app.cb.done" << true;
        QTest::newRow("underscore and dollar") << "_cb.$x1" << true;
        QTest::newRow("longest") << QString(256, 'a') << true;
        QTest::newRow("too long") << QString(257, 'a') << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("call") << "alert(1)" << false;
        QTest::newRow("statement") << "a;b" << false;
        QTest::newRow("index") << "window['x']" << false;
        QTest::newRow("empty segment") << "a..b" << false;
        QTest::newRow("leading dot") << ".a" << false;
        QTest::newRow("trailing dot") << "a." << false;
        QTest::newRow("leading digit") << "1a" << false;
        QTest::newRow("space") << "a b" << false;
        QTest::newRow("trailing newline") << "a\n" << false;
        QTest::newRow("non-ASCII") << "rückruf" << false;
    }

    // A callback name reaches a page back end only as a path of identifiers; anything else is
    // refused at the container, whichever way the answer goes.
    void callbackNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(KxWebViewContainer::isValidCallbackName(name), valid);

        m_host->page()->call(QStringLiteral("named"), QJsonObject{{"callback", name}});
        m_host->page()->call(QStringLiteral("later"), QJsonObject{{"k", 1}}, name);
        QCOMPARE(m_api->saved.size(), 1);
        m_api->publishResult(m_api->saved.first());
        // A result without a callback name still goes back by the call's id.
        QCOMPARE(m_host->page()->deliveries().size(), valid ? 2 : name.isEmpty() ? 1 : 0);
        if (!valid) {
            QVERIFY(m_runtime->hasLog("WARNING", "KxWebViewContainer",
                                      "answer not delivered: callback name is not a path of identifiers: "
                                          + name.left(256)));
        }
    }

    void synchronousAnswer()
    {
        const QJsonObject args{{"s", "text"}, {"n", 7}, {"big", 1234567890123LL}, {"list", QJsonArray{1, "two"}},
                               {"map", QJsonObject{{"k", true}}}};
        QCOMPARE(m_host->page()->call(QStringLiteral("echo"), args).toObject(), args);
        QCOMPARE(m_host->page()->callWithText(QStringLiteral("echo"), QString()).toObject(), QJsonObject());
        QVERIFY(m_host->page()->call(QStringLiteral("silent"), args).isNull());
    }

    void laterAnswerThroughACopiedContext()
    {
        QVERIFY(m_host->page()->call(QStringLiteral("later"), QJsonObject{{"x", 1}}, QStringLiteral("onLater")).isNull());
        const qint64 id = m_host->page()->lastCallId();
        QCOMPARE(m_api->saved.size(), 1);

        KxWebViewJSContext copy = m_api->saved.takeFirst();
        copy.result()[g_str_callstatus] = g_str_ok;
        copy.result()["result"]["x"] = copy.getValue(QStringLiteral("x")).toInt() + 1;
        m_api->publishResult(copy);

        const QList<KxPageDelivery> deliveries = m_host->page()->deliveries();
        QCOMPARE(deliveries.size(), 1);
        QCOMPARE(deliveries.first().kind, KxPageDelivery::Result);
        QCOMPARE(deliveries.first().contextId, id);
        QCOMPARE(deliveries.first().function, QStringLiteral("onLater"));
        QCOMPARE(deliveries.first().json().toObject(),
                 (QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"x", 2}}}}));
    }

    void laterAnswerThroughASerialisedContext()
    {
        m_host->page()->call(QStringLiteral("laterAsText"), QJsonObject{{"name", "ü€"}}, QStringLiteral("cb"));
        const qint64 id = m_host->page()->lastCallId();
        QCOMPARE(m_api->savedTexts.size(), 1);

        KxWebViewJSContext restored;
        QVERIFY(restored.parse(m_api->savedTexts.first()));
        QCOMPARE(restored.id(), id);
        QCOMPARE(restored.method(), QStringLiteral("laterAsText"));
        QCOMPARE(restored.callback(), QStringLiteral("cb"));
        QCOMPARE(restored.getValue(QStringLiteral("name")).toString(), QStringLiteral("ü€"));
        restored.result()[g_str_callstatus] = g_str_ok;
        m_api->publishResult(restored);

        QCOMPARE(m_host->page()->deliveries().size(), 1);
        QCOMPARE(m_host->page()->deliveries().first().contextId, id);
        QCOMPARE(m_host->page()->deliveries().first().json().toObject().value("callstatus").toString(), QStringLiteral("ok"));
    }

    void parseRejectsWhatIsNotAContext_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("array") << "[]";
        QTest::newRow("no id") << "{\"method\":\"x\"}";
        QTest::newRow("broken") << "{\"id\":1,";
    }

    void parseRejectsWhatIsNotAContext()
    {
        QFETCH(QString, text);
        KxWebViewJSContext context(5, QStringLiteral("kept"), Json::Value(Json::objectValue), QStringLiteral("cb"));
        QVERIFY(!context.parse(text));
        QCOMPARE(context.id(), 5);
        QCOMPARE(context.method(), QStringLiteral("kept"));
    }

    void namedCallbackAndOrder()
    {
        m_host->page()->call(QStringLiteral("named"), QJsonObject{{"callback", "first"}, {"n", 1}});
        m_api->callbackToJSRaw(QStringLiteral("raw"), QStringLiteral("plain text"), true);
        m_host->page()->call(QStringLiteral("named"), QJsonObject{{"callback", "second"}, {"n", 2}});

        const QList<KxPageDelivery> deliveries = m_host->page()->deliveries();
        QCOMPARE(deliveries.size(), 3);
        QCOMPARE(deliveries.at(0).function, QStringLiteral("first"));
        QCOMPARE(deliveries.at(0).kind, KxPageDelivery::Callback);
        QCOMPARE(deliveries.at(0).json().toObject().value("result").toObject().value("n").toInt(), 1);
        QCOMPARE(deliveries.at(1).kind, KxPageDelivery::RawCallback);
        QCOMPARE(deliveries.at(1).text, QStringLiteral("plain text"));
        QVERIFY(deliveries.at(1).json().isNull());
        QCOMPARE(deliveries.at(2).function, QStringLiteral("second"));
    }

    void formatResultAndSetResult()
    {
        const QVariantMap map{{"a", 1}, {"b", QStringLiteral("x")}};
        QCOMPARE(QJsonDocument::fromJson(m_api->formatResult(QVariant(map)).toUtf8()).object(),
                 (QJsonObject{{"callstatus", "ok"}, {"result", QJsonObject{{"a", 1}, {"b", "x"}}}}));
        QCOMPARE(QJsonDocument::fromJson(m_api->formatResult(QStringLiteral("online"), true).toUtf8()).object(),
                 (QJsonObject{{"callstatus", "ok"}, {"online", true}}));

        KxWebViewJSContext context;
        context.result()["stale"] = 1;
        m_api->setResult(context, map);
        QCOMPARE(JsonHelper::jsonValueToQJsonValue(context.result()).toObject(), QJsonObject({{"a", 1}, {"b", "x"}}));
        m_api->setResult(context, QVariant(3));
        QCOMPARE(context.result().asInt(), 3);
    }

    void formAndCookieEncoding()
    {
        const QByteArray body = m_api->organizePostData(
            {{"q", QStringLiteral("a b&c=ü")}, {"list", QVariantList{1, 2}}, {"n", 5}});
        QCOMPARE(body, QByteArray("list=%5B1%2C2%5D&n=5&q=a%20b%26c%3D%C3%BC"));

        const QList<QNetworkCookie> cookies = m_api->organizeCookieData({{"sid", "abc"}, {"", "dropped"}, {"t", 5}});
        QCOMPARE(cookies.size(), 2);
        QCOMPARE(cookies.at(0).name(), QByteArray("sid"));
        QCOMPARE(cookies.at(0).value(), QByteArray("abc"));
        QCOMPARE(cookies.at(1).value(), QByteArray("5"));

        QCOMPARE(vdllite::KxCommonJsApi::errorCodeString(8), QStringLiteral("8"));
        QCOMPARE(vdllite::KxCommonJsApi::errorCodeString(0), QStringLiteral("0"));
    }

    void handlersAreGuarded()
    {
        delete m_api->findHandler(QStringLiteral("common.util"));
        QVERIFY(!m_api->findHandler(QStringLiteral("common.util")));
        QVERIFY(!m_api->handlerNames().contains(QStringLiteral("common.util")));
        // The shorter name takes over, and the handler there has no "util.whoami".
        QCOMPARE(m_host->page()->call(QStringLiteral("common.util.whoami")).toObject().value("callstatus").toString(),
                 QStringLiteral("error"));
        QCOMPARE(m_host->page()->call(QStringLiteral("common.whoami")).toObject().value("handler").toString(),
                 QStringLiteral("common"));
    }

    void deliveriesAfterTheContainerDiedAreDropped()
    {
        QPointer<TestJsApi> api = m_api;
        m_host.reset();
        QVERIFY(!api); // the JS API object is a child of its container
    }

    void callWithoutJsObject()
    {
        m_host->container()->setJsApiObject(nullptr);
        const QJsonObject answer = m_host->page()->call(QStringLiteral("echo")).toObject();
        QCOMPARE(answer.value("callstatus").toString(), QStringLiteral("error"));
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestPageHost> m_host;
    QPointer<TestJsApi> m_api;
};

KZEMBA_TEST_MAIN(TstWebViewFramework)
#include "tst_webviewframework.moc"
