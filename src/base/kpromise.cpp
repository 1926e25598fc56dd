#include "kpromise.h"

#include <QPointer>

#include <utility>

namespace zemba::base {

KPromise* KPromise::create(KAnsycTask run)
{
    auto* promise = new KPromise;
    promise->m_steps.append({std::move(run), noopTask()});
    return promise;
}

KPromise* KPromise::then(KAnsycTask run, KAnsycTask fail)
{
    if (!fail) {
        // A task that misbehaves may reject after the chain is over, so the promise
        // may be gone by then.
        fail = [self = QPointer<KPromise>(this)](KAnsycCallback, KAnsycCallback) {
            if (self)
                self->finish();
        };
    }
    m_steps.append({std::move(run), std::move(fail)});
    return this;
}

KPromise* KPromise::addPreTask(KAnsycTask task)
{
    m_preTasks.append(std::move(task));
    return this;
}

KPromise* KPromise::addFinally(KAnsycCallback callback)
{
    m_finally.append(std::move(callback));
    return this;
}

void KPromise::exec()
{
    const KAnsycCallback done = ansyc([self = QPointer<KPromise>(this)] {
        if (self)
            self->finish();
    });

    // Built from the last step back: each link hands its step the functions of the
    // link after it. The closures hold copies of the tasks, never the lists.
    KAnsycCallback resolve = done;
    KAnsycCallback reject = done;
    for (int k = m_steps.size() - 1; k >= 0; --k) {
        auto link = continuation(m_steps.at(k).run, m_steps.at(k).fail, resolve, reject);
        resolve = ansyc(std::move(link.first));
        reject = ansyc(std::move(link.second));
    }

    if (m_preTasks.isEmpty()) {
        resolve();
        return;
    }
    const int count = m_preTasks.size();
    ansyc(parallel(m_preTasks, ansyc(barrier(count, once(resolve))), ansyc(once(reject))))();
}

void KPromise::finish()
{
    const QList<KAnsycCallback> callbacks = std::exchange(m_finally, {});
    for (const KAnsycCallback& callback : callbacks) {
        if (callback)
            callback();
    }
    deleteLater();
}

} // namespace zemba::base
