#ifndef KZEMBA_BASE_KANSYCTASK_H
#define KZEMBA_BASE_KANSYCTASK_H

#include "kzembajsapilite_export.h"

#include <QList>

#include <functional>
#include <utility>

// Building blocks for chaining asynchronous steps on the GUI thread without
// blocking it. A task receives a resolve and a reject function and ends by calling
// exactly one of them, now or later; calling neither stops whatever waits on it.
// Shared counters and flags are not synchronised: keep each chain on one thread.
namespace zemba::base {

using KAnsycCallback = std::function<void()>;
using KAnsycTask = std::function<void(KAnsycCallback resolve, KAnsycCallback reject)>;
using KAnsycTaskList = QList<KAnsycTask>;

// The result calls `fn` on its first call only; copies of the result share that flag.
KZEMBAJSAPILITE_EXPORT KAnsycCallback once(KAnsycCallback fn);

// The result counts down from `n`; the call that reaches 0 calls `fn`, later calls do
// nothing. With `n` <= 0, `fn` is never called.
KZEMBAJSAPILITE_EXPORT KAnsycCallback barrier(int n, KAnsycCallback fn);

// The result schedules a copy of `fn` on the calling thread's event loop and returns at
// once, so `fn` never runs inside the call that triggered it.
KZEMBAJSAPILITE_EXPORT KAnsycCallback ansyc(KAnsycCallback fn);

// The result starts every task in list order, each with the same `resolve` and `reject`.
KZEMBAJSAPILITE_EXPORT KAnsycCallback parallel(const KAnsycTaskList& tasks, KAnsycCallback resolve,
                                               KAnsycCallback reject);

// One link of a chain: `first` calls `run` with `resolve` and `reject`, `second` calls
// `fail` with the same two.
KZEMBAJSAPILITE_EXPORT std::pair<KAnsycCallback, KAnsycCallback>
continuation(KAnsycTask run, KAnsycTask fail, KAnsycCallback resolve, KAnsycCallback reject);

// A task that calls neither of its functions.
KZEMBAJSAPILITE_EXPORT KAnsycTask noopTask();

} // namespace zemba::base

#endif
