#include "kappobject.h"

KAppObject::KAppObject(const QString& appId, QObject* parent)
    : QObject(parent)
    , m_appId(appId)
{
}

KAppObject::~KAppObject() = default;
