#ifndef KZEMBA_BASE_KANSYCTASKDATA_H
#define KZEMBA_BASE_KANSYCTASKDATA_H

#include "kzembajsapilite_export.h"

#include <QObject>

#include <functional>

namespace zemba::base {

/// A callback kept as user data of a QObject, so that a pending task can be tied
/// to any object and is destroyed together with it. attach() and find() use one
/// user-data slot that the process registers once.
class KZEMBAJSAPILITE_EXPORT KAnsycTaskData : public QObjectUserData
{
public:
    explicit KAnsycTaskData(std::function<void()> callback = {});
    ~KAnsycTaskData() override;

    const std::function<void()>& callback() const { return m_callback; }
    void setCallback(std::function<void()> callback);

    // Calls the callback when it is set.
    void run() const;

    // Gives `object` a task data holding `callback`, replacing (and deleting) the one it
    // had. Returns the new data, owned by `object`; null when `object` is null.
    static KAnsycTaskData* attach(QObject* object, std::function<void()> callback);
    // The task data attached to `object`, or null.
    static KAnsycTaskData* find(const QObject* object);

private:
    static uint userDataId();

    std::function<void()> m_callback;
};

} // namespace zemba::base

#endif
