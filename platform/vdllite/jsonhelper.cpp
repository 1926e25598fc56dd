#include "jsonhelper.h"

#include "convertjsonhelper.h"
#include "jsonstrictreader.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <json/reader.h>
#include <json/writer.h>

#include <cstring>
#include <map>
#include <sstream>
#include <exception>
#include <memory>

namespace {

// One linear pass before any parser builds a value: nesting depth and item count are known
// without recursion or allocation, so a hostile text is refused cheaply. Strings and
// comments are skipped as the reader skips them; whatever is malformed is left to it.
bool withinLimits(const QByteArray& utf8, int maxDepth, QString* error)
{
    const char* text = utf8.constData();
    const int size = utf8.size();
    int depth = 0;
    int items = 0;
    for (int i = 0; i < size; ++i) {
        switch (text[i]) {
        case '"':
            for (++i; i < size && text[i] != '"'; ++i) {
                if (text[i] == '\\')
                    ++i;
            }
            break;
        case '/':
            if (i + 1 < size && text[i + 1] == '/') {
                const void* lineEnd = std::memchr(text + i, '\n', static_cast<size_t>(size - i));
                i = lineEnd ? static_cast<int>(static_cast<const char*>(lineEnd) - text) : size;
            } else if (i + 1 < size && text[i + 1] == '*') {
                const int close = utf8.indexOf("*/", i + 2);
                i = close < 0 ? size : close + 1;
            }
            break;
        case '{':
        case '[':
            if (++depth > maxDepth) {
                if (error)
                    *error = QStringLiteral("nested deeper than %1 levels").arg(maxDepth);
                return false;
            }
            Q_FALLTHROUGH();
        case ',':
            if (++items > JsonHelper::kMaxItems) {
                if (error)
                    *error = QStringLiteral("more than %1 items").arg(JsonHelper::kMaxItems);
                return false;
            }
            break;
        case '}':
        case ']':
            if (depth > 0)
                --depth;
            break;
        default:
            break;
        }
    }
    return true;
}

// Building a reader or a writer costs more than most calls' own parsing: each thread keeps
// its own (they are not thread-safe), one reader per depth limit in use.
Json::CharReader& reader(int maxDepth)
{
    thread_local std::map<int, std::unique_ptr<Json::CharReader>> readers;
    std::unique_ptr<Json::CharReader>& kept = readers[maxDepth];
    if (!kept) {
        Json::CharReaderBuilder builder;
        builder["collectComments"] = false;
        builder["failIfExtra"] = true;
        builder["rejectDupKeys"] = false;
        // withinLimits() bounds the depth; the reader's own limit, which throws, only backs it up.
        builder["stackLimit"] = maxDepth + 2;
        kept.reset(builder.newCharReader());
    }
    return *kept;
}

Json::StreamWriter& writer()
{
    thread_local const std::unique_ptr<Json::StreamWriter> kept([] {
        Json::StreamWriterBuilder builder;
        builder["indentation"] = "";
        builder["emitUTF8"] = true;
        return builder.newStreamWriter();
    }());
    return *kept;
}

} // namespace

bool JsonHelper::parseUntrusted(const QByteArray& utf8, Json::Value& root, QString* error, int maxDepth)
{
    root = Json::Value();
    if (utf8.size() > kMaxTextBytes) {
        if (error)
            *error = QStringLiteral("longer than %1 bytes").arg(kMaxTextBytes);
        return false;
    }
    if (JsonStrictReader::read(utf8.constData(), utf8.constData() + utf8.size(), root, maxDepth, kMaxItems))
        return true;
    root = Json::Value();
    if (!withinLimits(utf8, maxDepth, error))
        return false;

    std::string errors;
    bool parsed = false;
    try {
        parsed = reader(maxDepth).parse(utf8.constData(), utf8.constData() + utf8.size(), &root, &errors);
    } catch (const std::exception& e) {
        parsed = false;
        errors = e.what();
    }
    if (!parsed) {
        root = Json::Value();
        if (error)
            *error = QStringLiteral("not JSON: %1").arg(QString::fromStdString(errors).trimmed());
        return false;
    }
    return true;
}

bool JsonHelper::parseUntrusted(const QString& text, Json::Value& root, QString* error, int maxDepth)
{
    // A UTF-16 unit is at least one byte of UTF-8: far too long a text is not even converted.
    if (text.size() > kMaxTextBytes) {
        root = Json::Value();
        if (error)
            *error = QStringLiteral("longer than %1 bytes").arg(kMaxTextBytes);
        return false;
    }
    return parseUntrusted(text.toUtf8(), root, error, maxDepth);
}

QString JsonHelper::variantMapSerialize(const QVariantMap& map)
{
    return QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(map)).toJson(QJsonDocument::Compact));
}

QJsonObject JsonHelper::convertStringToQJson(const QString& text)
{
    Json::Value root;
    if (!parseUntrusted(text, root) || !root.isObject())
        return QJsonObject();
    return jsonValueToQJsonValue(root).toObject();
}

QString JsonHelper::convertQJsonToString(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

Json::Value JsonHelper::variantToJsonValue(const QVariant& value)
{
    return ConvertJsonHelper::variantToJson(value);
}

QVariant JsonHelper::jsonValueToVariant(const Json::Value& value)
{
    return ConvertJsonHelper::jsonToVariant(value);
}

Json::Value JsonHelper::parseJsonValue(const QString& text, bool* ok)
{
    Json::Value root;
    const bool parsed = parseUntrusted(text, root);
    if (ok)
        *ok = parsed;
    return root;
}

QString JsonHelper::jsonValueToString(const Json::Value& value)
{
    // Setting up a stream costs more than writing a small value: each thread keeps one.
    thread_local std::ostringstream text;
    text.str(std::string());
    text.clear();
    writer().write(value, &text);
    const std::string utf8 = text.str();
    return QString::fromUtf8(utf8.data(), int(utf8.size()));
}

QJsonValue JsonHelper::jsonValueToQJsonValue(const Json::Value& value)
{
    switch (value.type()) {
    case Json::nullValue:
        return QJsonValue(QJsonValue::Null);
    case Json::intValue:
        return QJsonValue(static_cast<qint64>(value.asInt64()));
    case Json::uintValue:
        return QJsonValue(static_cast<double>(value.asUInt64()));
    case Json::realValue:
        return QJsonValue(value.asDouble());
    case Json::stringValue:
        return QJsonValue(ConvertJsonHelper::jsonString(value));
    case Json::booleanValue:
        return QJsonValue(value.asBool());
    case Json::arrayValue: {
        QJsonArray array;
        for (const Json::Value& item : value)
            array.append(jsonValueToQJsonValue(item));
        return array;
    }
    case Json::objectValue: {
        QJsonObject object;
        for (auto it = value.begin(); it != value.end(); ++it)
            object.insert(QString::fromStdString(it.name()), jsonValueToQJsonValue(*it));
        return object;
    }
    }
    return QJsonValue(QJsonValue::Null);
}

Json::Value JsonHelper::qJsonValueToJsonValue(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return Json::Value(value.toBool());
    case QJsonValue::Double: {
        const double d = value.toDouble();
        const qint64 i = static_cast<qint64>(d);
        if (static_cast<double>(i) == d && d >= -9007199254740992.0 && d <= 9007199254740992.0)
            return Json::Value(static_cast<Json::Int64>(i));
        return Json::Value(d);
    }
    case QJsonValue::String:
        return Json::Value(value.toString().toStdString());
    case QJsonValue::Array: {
        Json::Value array(Json::arrayValue);
        for (const QJsonValue& item : value.toArray())
            array.append(qJsonValueToJsonValue(item));
        return array;
    }
    case QJsonValue::Object: {
        Json::Value object(Json::objectValue);
        const QJsonObject source = value.toObject();
        for (auto it = source.begin(); it != source.end(); ++it)
            object[it.key().toStdString()] = qJsonValueToJsonValue(it.value());
        return object;
    }
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        break;
    }
    return Json::Value();
}
