#ifndef KZEMBA_BASE_KFUNCTIONSINGLESLOT_H
#define KZEMBA_BASE_KFUNCTIONSINGLESLOT_H

#include "kzembajsapilite_export.h"

#include <QObject>

#include <functional>

namespace zemba::base {

/// A receiver for exactly one signal emission: connect a signal to onTrigger(),
/// which calls the callback and then deletes the object through the event loop.
/// Later emissions that arrive before the deletion call nothing. Give it a parent
/// (the sender, say) when the signal may never come, so that it does not outlive
/// its purpose.
class KZEMBAJSAPILITE_EXPORT KFunctionSingleSlot : public QObject
{
    Q_OBJECT
public:
    explicit KFunctionSingleSlot(std::function<void()> callback = {}, QObject* parent = nullptr);

    void setCallback(std::function<void()> callback);

public slots:
    void onTrigger();

private:
    std::function<void()> m_callback;
};

} // namespace zemba::base

#endif
