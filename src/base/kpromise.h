#ifndef KZEMBA_BASE_KPROMISE_H
#define KZEMBA_BASE_KPROMISE_H

#include "kzembajsapilite_export.h"

#include "base/kansyctask.h"

#include <QList>
#include <QObject>

namespace zemba::base {

/// A chain of asynchronous steps that deletes itself once it is over. Each step
/// is a task; when it resolves, the next step runs, and when it rejects, the next
/// step's fail task runs instead with the functions the next step would have got,
/// so it can resume the chain or end it. Every step runs from the event loop,
/// never inside the call that resolved the one before. Optional pre-tasks must all
/// resolve before the first step runs, and finally callbacks run once when the
/// chain finishes. Build it with create() and then(), start it with exec() and do
/// not touch it afterwards: a chain whose steps stop calling their functions
/// never finishes, and its promise stays alive.
class KZEMBAJSAPILITE_EXPORT KPromise : public QObject
{
public:
    // A new promise on the heap, without parent, whose first step is `run`. A rejected
    // pre-task reaches that step's fail task, which does nothing.
    static KPromise* create(KAnsycTask run);

    // Appends a step and returns the promise. Without `fail`, a rejection of the step
    // before ends the chain.
    KPromise* then(KAnsycTask run, KAnsycTask fail = {});

    // Adds a task that must resolve, together with every other pre-task, before the
    // first step runs. Returns the promise.
    KPromise* addPreTask(KAnsycTask task);

    // Adds a callback run when the promise finishes, after those added before it.
    // Returns the promise.
    KPromise* addFinally(KAnsycCallback callback);

    // Starts the chain. Steps and pre-tasks added later are not run.
    void exec();

    // Runs the finally callbacks once and schedules the promise's deletion.
    void finish();

private:
    struct Step
    {
        KAnsycTask run;
        KAnsycTask fail;
    };

    KPromise() = default;

    KAnsycTaskList m_preTasks;
    QList<Step> m_steps;
    QList<KAnsycCallback> m_finally;
};

} // namespace zemba::base

#endif
