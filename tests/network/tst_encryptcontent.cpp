// Encrypted request content: what the page gets from rsaAesEncrypt and what an
// encryption session posts and reads back, checked with the service's private key.
#include "ktestapplication.h"
#include "ktestcommonjsapi.h"
#include "ktesthttpserver.h"
#include "ktestpagehost.h"
#include "ktestruntime.h"
#include "ktestservicekey.h"

#include "network/khttpaccessencryptapicontent.h"
#include "network/kzembacommonhttpaccess.h"

#include <crypto/kaesencrypt.h>

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrlQuery>
#include <QtTest>

class TstEncryptContent : public QObject
{
    Q_OBJECT

private:
    KxHeadlessPage* page() const { return m_host->page(); }

    // The plain bytes behind an answer of rsaAesEncrypt, read as the service reads them.
    QByteArray openAnswer(const QJsonObject& answer, bool urlEncoded)
    {
        QString sk = answer.value("sk").toString();
        QString en = answer.value("en").toString();
        if (urlEncoded) {
            sk = QUrl::fromPercentEncoding(sk.toLatin1());
            en = QUrl::fromPercentEncoding(en.toLatin1());
        }
        const QByteArray key = KTestServiceKey::rsaDecrypt(sk);
        if (key.size() != 32)
            return QByteArray();
        QByteArray plain;
        if (!KAesEncrypt::aesDecryptCBCMode(key, QByteArray(16, '\0'), en, plain))
            return QByteArray();
        return plain;
    }

private slots:
    void init()
    {
        m_runtime = std::make_unique<KTestRuntime>();
        m_host = std::make_unique<KTestPageHost>();
        m_api = m_host->installApi<KTestCommonJsApi>();
    }

    void cleanup()
    {
        m_host.reset();
        m_runtime.reset();
    }

    void answerDecryptsToTheData_data()
    {
        QTest::addColumn<QJsonObject>("args");
        QTest::addColumn<QJsonObject>("data");
        const QJsonObject data{{"user", "u1"}, {"amount", 12}, {"list", QJsonArray{1, 2}}};
        QTest::newRow("data") << QJsonObject{{"data", data}} << data;
        QTest::newRow("no data") << QJsonObject{{"urlEncode", false}} << QJsonObject();
        QTest::newRow("no arguments") << QJsonObject() << QJsonObject();
    }

    void answerDecryptsToTheData()
    {
        QFETCH(QJsonObject, args);
        QFETCH(QJsonObject, data);
        const QJsonObject answer = page()->call("rsaAesEncrypt", args).toObject();
        QCOMPARE(answer.value("encrypted").toString(), QStringLiteral("ok"));
        QCOMPARE(answer.value("kv").toString(), QStringLiteral("20160113"));
        const QByteArray json = QJsonDocument(data).toJson();
        QCOMPARE(openAnswer(answer, false), json);
        QCOMPARE(answer.value("len").toString(), QString::number(json.size()));
    }

    void everyCallHasItsOwnKey()
    {
        const QJsonObject args{{"data", QJsonObject{{"same", "data"}}}};
        const QJsonObject first = page()->call("rsaAesEncrypt", args).toObject();
        const QJsonObject second = page()->call("rsaAesEncrypt", args).toObject();
        QVERIFY(first.value("sk") != second.value("sk"));
        QVERIFY(first.value("en") != second.value("en"));
        QCOMPARE(openAnswer(first, false), openAnswer(second, false));
    }

    void urlEncode()
    {
        const QJsonObject data{{"text", "a+b/c=d"}};
        const QJsonObject plain = page()->call("rsaAesEncrypt", QJsonObject{{"data", data}}).toObject();
        // The wrapped key is 256 bytes, so its Base64 always ends in "==".
        QVERIFY(plain.value("sk").toString().endsWith("=="));

        const QJsonObject encoded = page()->call("rsaAesEncrypt", QJsonObject{{"data", data}, {"urlEncode", true}}).toObject();
        const QString sk = encoded.value("sk").toString();
        QVERIFY(sk.endsWith("%3D%3D"));
        QVERIFY(!sk.contains('=') && !sk.contains('+') && !sk.contains('/'));
        QCOMPARE(sk, QString::fromLatin1(QUrl::toPercentEncoding(QUrl::fromPercentEncoding(sk.toLatin1()))));
        QVERIFY(!encoded.value("en").toString().contains('='));
        QCOMPARE(openAnswer(encoded, true), QJsonDocument(data).toJson());
    }

    void lengthCountsCharactersNotBytes()
    {
        const QJsonObject data{{"name", "€ü文"}};
        const QJsonObject answer = page()->call("rsaAesEncrypt", QJsonObject{{"data", data}}).toObject();
        const QByteArray json = QJsonDocument(data).toJson();
        QCOMPARE(answer.value("len").toString(), QString::number(QString::fromUtf8(json).length()));
        QVERIFY(answer.value("len").toString().toInt() < json.size());
        QCOMPARE(openAnswer(answer, false), json);
    }

    void failingCryptoIsAnswered_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("msg");
        QTest::newRow("key") << "generateAesKey" << "generateAesKey error";
        QTest::newRow("wrap") << "rsaEncrypt" << "rsaEncrypt error";
        QTest::newRow("encrypt") << "aesEncryptCBCMode" << "aesEncrypt error";
    }

    void failingCryptoIsAnswered()
    {
        QFETCH(QString, operation);
        QFETCH(QString, msg);
        m_runtime->setValue("crypto/failing", QStringList{operation});
        QCOMPARE(page()->call("rsaAesEncrypt", QJsonObject{{"data", QJsonObject{{"a", 1}}}}).toObject(),
                 (QJsonObject{{"encrypted", "error"}, {"msg", msg}}));

        // A session that could not be made stays unmade and is tried again on the next post.
        KHttpAccessEncryptApiContent content;
        QNetworkAccessManager manager;
        QNetworkRequest request(QUrl("http://127.0.0.1:1/unused"));
        QVERIFY(!content.Post(&manager, request, "x", "json", "rm"));
        m_runtime->setValue("crypto/failing", QStringList());
        std::unique_ptr<QNetworkReply> reply(content.Post(&manager, request, "x", "json", "rm"));
        QVERIFY(reply);
        QCOMPARE(KTestServiceKey::rsaDecrypt(content.token()).size(), 32);
    }

    void postSendsTheFormFieldsInOrder()
    {
        KTestHttpServer server;
        QVERIFY(server.start());
        server.setAnswer("/enc", KTestHttpAnswer(200, "{}"));
        QNetworkAccessManager manager;
        KHttpAccessEncryptApiContent content;

        QStringList tokens;
        for (const QByteArray& data : {QByteArray("first=1&x=ü"), QByteArray("second\0hidden", 13)}) {
            QNetworkRequest request(QUrl(server.url("/enc")));
            std::unique_ptr<QNetworkReply> reply(content.Post(&manager, request, data, "json", "pc_rm sp"));
            QVERIFY(reply);
            QCOMPARE(request.rawHeader("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
            QTRY_VERIFY(reply->isFinished());

            const KTestHttpRequest sent = server.lastRequest();
            QCOMPARE(sent.header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
            const QUrlQuery form(QString::fromUtf8(sent.body()));
            const QList<QPair<QString, QString>> items = form.queryItems(QUrl::FullyDecoded);
            QStringList keys;
            for (const auto& item : items)
                keys.append(item.first);
            QCOMPARE(keys, (QStringList{"rmsp", "tk", "kv", "data", "sk", "format"}));
            QCOMPARE(form.queryItemValue("rmsp", QUrl::FullyDecoded), QStringLiteral("pc_rm sp"));
            QCOMPARE(form.queryItemValue("kv"), QStringLiteral("20160113"));
            QVERIFY(form.queryItemValue("sk").isEmpty());
            // The empty field is sent with its "=", as the service expects it.
            QVERIFY(sent.body().contains("&sk=&format=json"));
            QCOMPARE(form.queryItemValue("format"), QStringLiteral("json"));
            tokens.append(form.queryItemValue("tk", QUrl::FullyDecoded));

            const QByteArray key = KTestServiceKey::rsaDecrypt(tokens.last());
            QCOMPARE(key.size(), 32);
            QByteArray plain;
            QVERIFY(KAesEncrypt::aesDecryptCBCMode(key, QByteArray(16, '\0'), form.queryItemValue("data", QUrl::FullyDecoded), plain));
            QCOMPARE(plain, data.left(data.indexOf('\0') < 0 ? data.size() : data.indexOf('\0')));
        }
        QCOMPARE(tokens.at(0), tokens.at(1));
        QCOMPARE(content.token(), tokens.at(0));
    }

    void parse()
    {
        KHttpAccessEncryptApiContent content;
        QVERIFY(!content.Parse("{\"data\":\"abc\"}")); // no session key yet

        QNetworkAccessManager manager;
        QNetworkRequest request(QUrl("http://127.0.0.1:1/unused"));
        std::unique_ptr<QNetworkReply> reply(content.Post(&manager, request, "x", "json", "rm"));
        QVERIFY(reply);
        const QByteArray key = KTestServiceKey::rsaDecrypt(content.token());
        QString cipher;
        QVERIFY(KAesEncrypt::aesEncryptCBCMode(key, QByteArray(16, '\0'), "{\"answer\":42}", cipher));

        const QByteArray* plain = content.Parse("{\"data\":\"" + cipher.toLatin1() + "\", /* note */ \"code\":0}");
        QVERIFY(plain);
        QCOMPARE(*plain, QByteArray("{\"answer\":42}"));
        QCOMPARE(content.answerJson()["code"].asInt(), 0);

        QVERIFY(!content.Parse("[\"" + cipher.toLatin1() + "\"]"));
        QVERIFY(!content.Parse("{\"data\":\"bm90IGVuY3J5cHRlZA==\"}"));
        QVERIFY(!content.Parse("{\"other\":1}"));
        QVERIFY(!content.Parse("not json"));
    }

    void parseRefusesHostileAnswers_data()
    {
        QTest::addColumn<int>("depth");
        QTest::newRow("998 levels") << 998;
        QTest::newRow("999 levels") << 999;
        QTest::newRow("1000 levels") << 1000;
        QTest::newRow("5000 levels") << 5000;
    }

    // A server's answer nested past the reader's limit is no answer; nothing is thrown.
    void parseRefusesHostileAnswers()
    {
        QFETCH(int, depth);
        KHttpAccessEncryptApiContent content;
        const QByteArray answer = "{\"data\":\"x\",\"deep\":" + QByteArray(depth - 1, '[') + QByteArray(depth - 1, ']') + "}";
        QVERIFY(!content.Parse(answer));
        QVERIFY(content.answerJson().isNull());
    }

    void accessTakesTheSessionAlong()
    {
        QPointer<KHttpAccessEncryptApiContent> content = new KHttpAccessEncryptApiContent();
        {
            KZembaCommonHttpAccess access(nullptr, "cb", "json", 0);
            access.setEncryptContent(content);
            QCOMPARE(access.getEncryptContent(), content.data());
        }
        QVERIFY(content);
        QTRY_VERIFY(!content);

        KZembaCommonHttpAccess access(nullptr, "cb", "json", 0);
        auto* gone = new KHttpAccessEncryptApiContent();
        access.setEncryptContent(gone);
        delete gone;
        QVERIFY(!access.getEncryptContent());
    }

private:
    std::unique_ptr<KTestRuntime> m_runtime;
    std::unique_ptr<KTestPageHost> m_host;
    QPointer<KTestCommonJsApi> m_api;
};

KZEMBA_TEST_MAIN(TstEncryptContent)
#include "tst_encryptcontent.moc"
