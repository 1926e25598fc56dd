// The JSON reader for page and server text has a quick path for plain JSON. Whatever path a
// text takes, the answer must be the one jsoncpp itself gives with the same settings: the
// same value (types included) or the same refusal.
#include <vdllite/jsonhelper.h>

#include <QtTest>

#include <json/reader.h>

#include <memory>

namespace {

// jsoncpp as the helper configures it, without the helper's own limits or quick path.
bool referenceParse(const QByteArray& text, Json::Value& root)
{
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["failIfExtra"] = true;
    builder["rejectDupKeys"] = false;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    try {
        return reader->parse(text.constData(), text.constData() + text.size(), &root, &errors);
    } catch (const std::exception&) {
        return false;
    }
}

// A document with every kind of value, escapes and spacing, cut at every byte below.
const char kRichDocument[] = "{\"id\":-42,\"big\":123456789012345678,\"name\":\"caf\xc3\xa9 \\\"x\\\" \\\\ \\/ \\n\","
                             " \"list\":[true,false,null,0,-0,[],{}],\r\n\t\"nested\":{\"a\":{\"b\":[1,\"two\"]}},"
                             "\"dup\":1,\"dup\":{\"k\":\"v\"},\"\":\"\"}";

} // namespace

class TestJsonReader : public QObject
{
    Q_OBJECT

private slots:
    void sameAnswerAsJsoncpp_data()
    {
        QTest::addColumn<QByteArray>("text");
        const QList<QPair<const char*, QByteArray>> rows = {
            {"empty object", "{}"},
            {"empty array", "[]"},
            {"spaced empties", " { } "},
            {"spaced array", "[ ]\n"},
            {"mixed", "{\"a\":1,\"b\":[true,false,null],\"c\":{\"d\":\"e\"}}"},
            {"repeated name, object last", "{\"a\":1,\"a\":{\"b\":2}}"},
            {"repeated name, number last", "{\"a\":{\"b\":1},\"a\":2}"},
            {"short escapes", "[\"\\\"\\\\\\/\\b\\f\\n\\r\\t\"]"},
            {"escape at the start and end", "[\"\\nmiddle\\t\"]"},
            {"escaped quote before brackets", "{\"s\":\"\\\"]}\"}"},
            {"backslash before the closing quote", "[\"a\\\\\"]"},
            {"unicode escapes", "[\"\\u00e9\\ud83d\\ude00\"]"},
            {"lone high surrogate", "[\"\\ud83d\"]"},
            {"lone low surrogate", "[\"\\udc00\"]"},
            {"escaped NUL", "[\"a\\u0000b\"]"},
            {"short unicode escape", "[\"\\u12\"]"},
            {"unknown escape", "[\"\\x\"]"},
            {"raw control characters", QByteArray("[\"a\x01\tb\"]")},
            {"raw NUL in a string", QByteArray("[\"a\0b\"]", 7)},
            {"raw NUL in a name", QByteArray("{\"a\0b\":1}", 9)},
            {"UTF-8", "{\"\xe6\x96\x87\":\"\xf0\x9f\x98\x80\"}"},
            {"invalid UTF-8", "[\"\xff\xfe\xc3\"]"},
            {"empty name and value", "{\"\":\"\"}"},
            {"zero", "[0]"},
            {"minus zero", "[-0]"},
            {"integers", "[123,-123,7]"},
            {"18 digits", "[999999999999999999,-999999999999999999]"},
            {"largest 64-bit", "[9223372036854775807,-9223372036854775808]"},
            {"past 64-bit signed", "[9223372036854775808]"},
            {"largest unsigned", "[18446744073709551615]"},
            {"past unsigned", "[18446744073709551616,-9223372036854775809]"},
            {"fractions and exponents", "[1.5,1e3,1E+3,-1.5e-3,0.0,2.50]"},
            {"huge exponent", "[1e400]"},
            {"tiny exponent", "[1e-400]"},
            {"leading zero", "[0123]"},
            {"two zeros", "[00]"},
            {"bare minus", "[-]"},
            {"minus letter", "[-a]"},
            {"plus sign", "[+1]"},
            {"dot without digits", "[1.]"},
            {"leading dot", "[.5]"},
            {"not a number", "[NaN]"},
            {"infinity", "[Infinity,-Infinity]"},
            {"top-level number", "12"},
            {"top-level spaced number", " 12 "},
            {"top-level string", "\"s\""},
            {"top-level literals", "true"},
            {"top-level null", "null"},
            {"garbage after", "{} x"},
            {"line comment after", "{} // note"},
            {"block comment after", "{}/* note */"},
            {"comment inside", "{\"a\":/* c */1}"},
            {"comma after", "{},"},
            {"trailing comma in array", "[1,]"},
            {"leading comma in array", "[,1]"},
            {"trailing comma in object", "{\"a\":1,}"},
            {"name without value", "{\"a\"}"},
            {"colon without value", "{\"a\":}"},
            {"bare name", "{a:1}"},
            {"single quotes", "{'a':1}"},
            {"number as name", "{1:1}"},
            {"byte order mark", "\xef\xbb\xbf{\"a\":1}"},
            {"cut literals", "[tru]"},
            {"literal with a tail", "[truex]"},
            {"missing comma", "[1 2]"},
            {"missing comma between members", "{\"a\":1 \"b\":2}"},
            {"empty", ""},
            {"spaces only", "   "},
            {"unterminated string", "[\"abc"},
            {"unterminated after an escape", "[\"abc\\"},
            {"unterminated after an escaped quote", "[\"ab\\\"c]"},
            {"unclosed array", "[1,2"},
            {"unclosed object", "{\"a\":1"},
            {"closing only", "]"},
            {"wrong closing", "[1}"},
            {"deep but within limits", QByteArray(100, '[') + QByteArray(100, ']')},
            {"long plain string", "{\"s\":\"" + QByteArray(100000, 'x') + "\"}"},
            {"long string with escapes", "{\"s\":\"" + QByteArray("ab\\n").repeated(20000) + "\"}"},
            // Each escape must not make the reader look for the closing quote again.
            {"four million escapes", "[\"" + QByteArray("\\n").repeated(4000000) + "\"]"},
            {"a million escaped quotes", "[\"" + QByteArray("\\\"").repeated(1000000) + "\"]"},
        };
        for (const auto& row : rows)
            QTest::newRow(row.first) << row.second;
        const QByteArray rich(kRichDocument);
        Json::Value whole;
        QVERIFY(referenceParse(rich, whole));
        for (int length = 0; length <= rich.size(); ++length)
            QTest::addRow("rich document cut at %d", length) << rich.left(length);
    }

    void sameAnswerAsJsoncpp()
    {
        QFETCH(QByteArray, text);
        Json::Value expected;
        const bool expectedParsed = referenceParse(text, expected);
        Json::Value root;
        QString why;
        const bool parsed = JsonHelper::parseUntrusted(text, root, &why);
        QCOMPARE(parsed, expectedParsed);
        QCOMPARE(why.isEmpty(), parsed);
        if (parsed) {
            // Json::Value equality compares types too: an integer that came back as a
            // double or an unsigned would not be equal.
            QVERIFY2(root == expected, qPrintable(QString::fromStdString(root.toStyledString())));
        } else {
            QVERIFY(root.isNull());
        }
    }

    // Integers keep their kind: the quick path gives signed integers where jsoncpp does.
    void integerKinds()
    {
        Json::Value root;
        QVERIFY(JsonHelper::parseUntrusted(QByteArray("{\"a\":12,\"b\":-7,\"c\":18446744073709551615,\"d\":1.0}"), root));
        QCOMPARE(root["a"].type(), Json::intValue);
        QCOMPARE(root["b"].type(), Json::intValue);
        QCOMPARE(root["c"].type(), Json::uintValue);
        QCOMPARE(root["d"].type(), Json::realValue);
    }
};

QTEST_GUILESS_MAIN(TestJsonReader)
#include "tst_jsonreader.moc"
