#include "jsonhelper.h"

#include "convertjsonhelper.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <json/reader.h>
#include <json/writer.h>

#include <memory>

QString JsonHelper::variantMapSerialize(const QVariantMap& map)
{
    return QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(map)).toJson(QJsonDocument::Compact));
}

QJsonObject JsonHelper::convertStringToQJson(const QString& text)
{
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
    return doc.isObject() ? doc.object() : QJsonObject();
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
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["failIfExtra"] = true;
    builder["rejectDupKeys"] = false;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    const QByteArray utf8 = text.toUtf8();
    Json::Value root;
    std::string errors;
    const bool parsed = reader->parse(utf8.constData(), utf8.constData() + utf8.size(), &root, &errors);
    if (ok)
        *ok = parsed;
    return parsed ? root : Json::Value();
}

QString JsonHelper::jsonValueToString(const Json::Value& value)
{
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    return QString::fromStdString(Json::writeString(builder, value));
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
        return QJsonValue(QString::fromStdString(value.asString()));
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
