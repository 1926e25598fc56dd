#ifndef KZEMBA_VDLLITE_JSONHELPER_H
#define KZEMBA_VDLLITE_JSONHELPER_H

#include "kzembaplatform_export.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <json/value.h>

/// JSON text helpers of the web-view framework on Qt's JSON classes, with the
/// bridges to the jsoncpp values that call contexts carry. All serialisation is
/// compact; parse failures give an empty object (or a null value) rather than an error.
class KZEMBAPLATFORM_EXPORT JsonHelper
{
public:
    static QString variantMapSerialize(const QVariantMap& map);
    static QJsonObject convertStringToQJson(const QString& text);
    static QString convertQJsonToString(const QJsonObject& object);

    static Json::Value variantToJsonValue(const QVariant& value);
    static QVariant jsonValueToVariant(const Json::Value& value);

    // Parses any JSON text; `ok` tells whether the whole text was valid JSON.
    static Json::Value parseJsonValue(const QString& text, bool* ok = nullptr);
    static QString jsonValueToString(const Json::Value& value);
    static QJsonValue jsonValueToQJsonValue(const Json::Value& value);
    static Json::Value qJsonValueToJsonValue(const QJsonValue& value);
};

#endif
