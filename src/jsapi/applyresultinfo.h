#ifndef KZEMBA_JSAPI_APPLYRESULTINFO_H
#define KZEMBA_JSAPI_APPLYRESULTINFO_H

#include <QMetaType>
#include <QString>
#include <QVariantMap>

/// The outcome of applying a resource. `extraData` may carry "jsContextJsonIn",
/// the serialised context of the page call that started the apply.
struct ApplyResultInfo
{
    QString resType;
    QString id;
    QVariantMap extraData;
    int errorCode = 0; // 0 = success
};

Q_DECLARE_METATYPE(ApplyResultInfo)

#endif
