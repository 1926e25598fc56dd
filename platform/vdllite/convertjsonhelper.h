#ifndef KZEMBA_VDLLITE_CONVERTJSONHELPER_H
#define KZEMBA_VDLLITE_CONVERTJSONHELPER_H

#include "kzembaplatform_export.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <json/value.h>

/// Conversions between Qt variants and jsoncpp values, and the jsoncpp form of
/// map serialisation that request forms use. Byte arrays become UTF-8 text;
/// integers keep their width so that 64-bit ids survive the round trip.
class KZEMBAPLATFORM_EXPORT ConvertJsonHelper
{
public:
    static Json::Value variantToJson(const QVariant& value);
    static QVariant jsonToVariant(const Json::Value& value);
    // The text of a string value.
    static QString jsonString(const Json::Value& value);
    static QString variantMapSerialize(const QVariantMap& map);
};

#endif
