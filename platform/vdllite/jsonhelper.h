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
/// Every text that comes from a page or a server is read by parseUntrusted(), which
/// bounds nesting, length and item count and never throws; the other parsing helpers
/// go through it.
class KZEMBAPLATFORM_EXPORT JsonHelper
{
public:
    // Limits of parseUntrusted(): nesting levels (objects and arrays), UTF-8 length, and
    // items (array elements plus object members) of one text.
    static constexpr int kMaxDepth = 512;
    static constexpr int kMaxTextBytes = 16 * 1024 * 1024;
    static constexpr int kMaxItems = 1000000;
    // Levels that the framework's own wrappers (a saved context, an answer envelope) put
    // around a value that was read within kMaxDepth; their readers allow for them.
    static constexpr int kEnvelopeDepth = 4;

    // Parses one JSON text into `root`. False, with `root` null and the reason in `error`,
    // when the text is not JSON or exceeds a limit; `maxDepth` lets a reader whose own
    // format wraps a limited value in a few more levels allow for them.
    static bool parseUntrusted(const QByteArray& utf8, Json::Value& root, QString* error = nullptr,
                               int maxDepth = kMaxDepth);
    static bool parseUntrusted(const QString& text, Json::Value& root, QString* error = nullptr,
                               int maxDepth = kMaxDepth);

    static QString variantMapSerialize(const QVariantMap& map);
    // The JSON object of `text`; an empty object when it is no object or exceeds a limit.
    static QJsonObject convertStringToQJson(const QString& text);
    static QString convertQJsonToString(const QJsonObject& object);

    static Json::Value variantToJsonValue(const QVariant& value);
    static QVariant jsonValueToVariant(const Json::Value& value);

    // Parses any JSON text within the limits; `ok` tells whether the whole text was valid JSON.
    static Json::Value parseJsonValue(const QString& text, bool* ok = nullptr);
    static QString jsonValueToString(const Json::Value& value);
    static QJsonValue jsonValueToQJsonValue(const Json::Value& value);
    static Json::Value qJsonValueToJsonValue(const QJsonValue& value);
};

#endif
