#include "kfunctionsingleslot.h"

#include <utility>

namespace zemba::base {

KFunctionSingleSlot::KFunctionSingleSlot(std::function<void()> callback, QObject* parent)
    : QObject(parent)
    , m_callback(std::move(callback))
{
}

void KFunctionSingleSlot::setCallback(std::function<void()> callback)
{
    m_callback = std::move(callback);
}

void KFunctionSingleSlot::onTrigger()
{
    // Taken out, so that a signal emitted again before the deferred deletion finds
    // nothing to call.
    const std::function<void()> callback = std::exchange(m_callback, {});
    if (callback)
        callback();
    deleteLater();
}

} // namespace zemba::base
