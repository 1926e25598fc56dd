#include "kansyctaskdata.h"

#include <utility>

namespace zemba::base {

KAnsycTaskData::KAnsycTaskData(std::function<void()> callback)
    : m_callback(std::move(callback))
{
}

KAnsycTaskData::~KAnsycTaskData() = default;

void KAnsycTaskData::setCallback(std::function<void()> callback)
{
    m_callback = std::move(callback);
}

void KAnsycTaskData::run() const
{
    if (m_callback)
        m_callback();
}

// Qt keeps the user-data calls only for compatibility; they stay confined to this file.
QT_WARNING_PUSH
QT_WARNING_DISABLE_DEPRECATED

uint KAnsycTaskData::userDataId()
{
    static const uint id = QObject::registerUserData();
    return id;
}

KAnsycTaskData* KAnsycTaskData::attach(QObject* object, std::function<void()> callback)
{
    if (!object)
        return nullptr;
    auto* data = new KAnsycTaskData(std::move(callback));
    const uint id = userDataId();
    // setUserData does not free what it replaces.
    QObjectUserData* previous = object->userData(id);
    object->setUserData(id, data);
    delete previous;
    return data;
}

KAnsycTaskData* KAnsycTaskData::find(const QObject* object)
{
    if (!object)
        return nullptr;
    return static_cast<KAnsycTaskData*>(object->userData(userDataId()));
}

QT_WARNING_POP

} // namespace zemba::base
