#include "kappcontext.h"

#include <QJsonDocument>
#include <QJsonObject>

KAppContext::KAppContext(QObject* parent)
    : QObject(parent)
{
}

KAppContext::~KAppContext() = default;

QString KAppContext::switchMapToString(const QVariantMap& map)
{
    return QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(map)).toJson(QJsonDocument::Compact));
}
