#ifndef KZEMBA_PLUGINS_KZEMBANETWORKTYPES_H
#define KZEMBA_PLUGINS_KZEMBANETWORKTYPES_H

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <functional>

// What the base plug-in's network service hands to its callers.
namespace kzembanetwork {

/// Why a request failed: the HTTP status (0 without an answer), the network error code and
/// whatever body came back.
struct FailInfo
{
    int httpStatusCode = 0;
    int errorCode = 0;
    QString errorString;
    QByteArray body;
};

using SuccessHandler = std::function<void(const QByteArray& body)>;
using ProgressHandler = std::function<void(qint64 received, qint64 total)>;
using FailHandler = std::function<void(const FailInfo& info)>;
// One delivery of an event stream.
using StreamHandler = std::function<void(const QVariantMap& delivery)>;

} // namespace kzembanetwork

#endif
