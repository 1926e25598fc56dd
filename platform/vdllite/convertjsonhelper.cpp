#include "convertjsonhelper.h"

#include "jsonhelper.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

Json::Value ConvertJsonHelper::variantToJson(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return Json::Value();

    switch (static_cast<int>(value.type())) {
    case QMetaType::Bool:
        return Json::Value(value.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return Json::Value(static_cast<Json::Int64>(value.toLongLong()));
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return Json::Value(static_cast<Json::UInt64>(value.toULongLong()));
    case QMetaType::Float:
    case QMetaType::Double:
        return Json::Value(value.toDouble());
    case QMetaType::QString: {
        const QByteArray utf8 = value.toString().toUtf8();
        return Json::Value(utf8.constData(), utf8.constData() + utf8.size());
    }
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return Json::Value(bytes.constData(), bytes.constData() + bytes.size());
    }
    case QMetaType::QVariantMap: {
        Json::Value object(Json::objectValue);
        const QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it)
            object[it.key().toStdString()] = variantToJson(it.value());
        return object;
    }
    case QMetaType::QVariantHash: {
        Json::Value object(Json::objectValue);
        const QVariantHash hash = value.toHash();
        for (auto it = hash.begin(); it != hash.end(); ++it)
            object[it.key().toStdString()] = variantToJson(it.value());
        return object;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        Json::Value array(Json::arrayValue);
        for (const QVariant& item : value.toList())
            array.append(variantToJson(item));
        return array;
    }
    case QMetaType::QJsonValue:
        return JsonHelper::qJsonValueToJsonValue(value.toJsonValue());
    case QMetaType::QJsonObject:
        return JsonHelper::qJsonValueToJsonValue(value.toJsonObject());
    case QMetaType::QJsonArray:
        return JsonHelper::qJsonValueToJsonValue(value.toJsonArray());
    case QMetaType::QJsonDocument: {
        const QJsonDocument doc = value.toJsonDocument();
        return JsonHelper::qJsonValueToJsonValue(doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object()));
    }
    default:
        break;
    }
    if (value.canConvert<QString>())
        return Json::Value(value.toString().toStdString());
    return Json::Value();
}

QString ConvertJsonHelper::jsonString(const Json::Value& value)
{
    // Read in place: asString() would copy the text once more.
    const char* begin = nullptr;
    const char* end = nullptr;
    value.getString(&begin, &end);
    return QString::fromUtf8(begin ? begin : "", int(end - begin));
}

QVariant ConvertJsonHelper::jsonToVariant(const Json::Value& value)
{
    switch (value.type()) {
    case Json::nullValue:
        return QVariant();
    case Json::intValue:
        if (value.isInt())
            return QVariant(value.asInt());
        return QVariant(static_cast<qlonglong>(value.asInt64()));
    case Json::uintValue:
        if (value.isInt())
            return QVariant(value.asInt());
        return QVariant(static_cast<qulonglong>(value.asUInt64()));
    case Json::realValue:
        return QVariant(value.asDouble());
    case Json::stringValue:
        return QVariant(jsonString(value));
    case Json::booleanValue:
        return QVariant(value.asBool());
    case Json::arrayValue: {
        QVariantList list;
        for (const Json::Value& item : value)
            list.append(jsonToVariant(item));
        return list;
    }
    case Json::objectValue: {
        QVariantMap map;
        for (auto it = value.begin(); it != value.end(); ++it)
            map.insert(QString::fromStdString(it.name()), jsonToVariant(*it));
        return map;
    }
    }
    return QVariant();
}

QString ConvertJsonHelper::variantMapSerialize(const QVariantMap& map)
{
    return JsonHelper::jsonValueToString(variantToJson(map));
}
