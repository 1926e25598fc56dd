#include "kansyctask.h"

#include <QTimer>

#include <memory>

namespace zemba::base {

KAnsycCallback once(KAnsycCallback fn)
{
    auto called = std::make_shared<bool>(false);
    return [called, fn = std::move(fn)] {
        if (*called)
            return;
        *called = true;
        if (fn)
            fn();
    };
}

KAnsycCallback barrier(int n, KAnsycCallback fn)
{
    auto remaining = std::make_shared<int>(n);
    return [remaining, fn = std::move(fn)] {
        if (*remaining <= 0)
            return;
        if (--*remaining == 0 && fn)
            fn();
    };
}

KAnsycCallback ansyc(KAnsycCallback fn)
{
    return [fn = std::move(fn)] {
        // Each call schedules its own copy, so the caller may drop the result meanwhile.
        QTimer::singleShot(0, [fn] {
            if (fn)
                fn();
        });
    };
}

KAnsycCallback parallel(const KAnsycTaskList& tasks, KAnsycCallback resolve, KAnsycCallback reject)
{
    return [tasks, resolve = std::move(resolve), reject = std::move(reject)] {
        for (const KAnsycTask& task : tasks) {
            if (task)
                task(resolve, reject);
        }
    };
}

std::pair<KAnsycCallback, KAnsycCallback> continuation(KAnsycTask run, KAnsycTask fail, KAnsycCallback resolve,
                                                       KAnsycCallback reject)
{
    KAnsycCallback onResolved = [run = std::move(run), resolve, reject] {
        if (run)
            run(resolve, reject);
    };
    KAnsycCallback onRejected = [fail = std::move(fail), resolve, reject] {
        if (fail)
            fail(resolve, reject);
    };
    return {std::move(onResolved), std::move(onRejected)};
}

KAnsycTask noopTask()
{
    return [](KAnsycCallback, KAnsycCallback) {};
}

} // namespace zemba::base
