// The async task toolkit: combinators, promise chains, one-shot slots, task data
// and the do-nothing reference counting of the shell interfaces.
#include "ktestapplication.h"

#include <base/kansyctask.h>
#include <base/kansyctaskdata.h>
#include <base/kfakeunknown.h>
#include <base/kfunctionsingleslot.h>
#include <base/kpromise.h>

#include <shell/ishellapplication.h>
#include <shell/ishellbasectrl.h>
#include <shell/ishellwindow.h>

#include <QPointer>
#include <QtTest>

#include <memory>
#include <type_traits>

using namespace zemba::base;

static_assert(std::is_abstract_v<kbase::KFakeUnknown<IShellApplication>>);
static_assert(std::is_abstract_v<kbase::KFakeUnknown<IShellBaseCtrl>>);
static_assert(std::is_abstract_v<kbase::KFakeUnknown<IShellWindow>>);

namespace {

enum Outcome { Resolve, Reject, Stall };

// A step that records its name and then ends as scripted.
KAnsycTask scripted(QStringList* log, const QString& name, int outcome)
{
    return [log, name, outcome](KAnsycCallback resolve, KAnsycCallback reject) {
        log->append(name);
        if (outcome == Resolve)
            resolve();
        else if (outcome == Reject)
            reject();
    };
}

// Lets a few event-loop turns pass, long enough for any scheduled step to run.
void settle()
{
    QTest::qWait(30);
}

class TestApplication : public kbase::KFakeUnknown<IShellApplication>
{
public:
    kbase::HRESULT getActiveWindow(IShellWindow** window) override
    {
        *window = nullptr;
        return kbase::S_OK;
    }
};

class TestBaseCtrl : public kbase::KFakeUnknown<IShellBaseCtrl>
{
public:
    kbase::HRESULT getWindow(IShellWindow** window) override
    {
        *window = nullptr;
        return kbase::S_OK;
    }
};

class TestWindow : public kbase::KFakeUnknown<IShellWindow>
{
public:
    kbase::HRESULT getApplication(IShellApplication** application) override
    {
        *application = nullptr;
        return kbase::S_OK;
    }
    kbase::HRESULT getWidget(QWidget** widget) override
    {
        *widget = nullptr;
        return kbase::S_OK;
    }
};

template <typename Object>
void checkFakeUnknown()
{
    auto object = std::make_unique<Object>();
    const kbase::IID someInterface = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
    int dummy = 0;
    void* out = &dummy;
    QCOMPARE(quint32(object->QueryInterface(someInterface, &out)), 0x80000001u);
    QVERIFY(!kbase::succeeded(object->QueryInterface(someInterface, &out)));
    QCOMPARE(out, nullptr);
    QCOMPARE(quint32(object->QueryInterface(someInterface, nullptr)), 0x80000001u);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(object->AddRef(), kbase::ULONG(2));
        QCOMPARE(object->Release(), kbase::ULONG(1));
        QCOMPARE(object->Release(), kbase::ULONG(1));
    }
    // The owner still holds a live object: releasing deleted nothing.
    QCOMPARE(object->AddRef(), kbase::ULONG(2));
}

} // namespace

class TestEmitter : public QObject
{
    Q_OBJECT
signals:
    void fired();
};

class TstAsyncTasks : public QObject
{
    Q_OBJECT

private slots:
    void onceThroughCopies()
    {
        int calls = 0;
        const KAnsycCallback first = once([&calls] { ++calls; });
        const KAnsycCallback second = first;
        second();
        first();
        second();
        QCOMPARE(calls, 1);

        // A fresh once() has its own flag.
        once([&calls] { ++calls; })();
        QCOMPARE(calls, 2);
    }

    void barrier_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("calls");
        QTest::addColumn<int>("firedOnCall"); // 0: never

        QTest::newRow("three of four") << 3 << 4 << 3;
        QTest::newRow("one") << 1 << 2 << 1;
        QTest::newRow("not reached") << 3 << 2 << 0;
        QTest::newRow("zero never fires") << 0 << 3 << 0;
        QTest::newRow("negative never fires") << -1 << 3 << 0;
    }

    void barrier()
    {
        QFETCH(int, count);
        QFETCH(int, calls);
        QFETCH(int, firedOnCall);

        int call = 0;
        QList<int> fired;
        const KAnsycCallback counter = zemba::base::barrier(count, [&] { fired.append(call); });
        const KAnsycCallback copy = counter;
        for (call = 1; call <= calls; ++call)
            (call % 2 ? counter : copy)();
        QCOMPARE(fired, firedOnCall ? QList<int>{firedOnCall} : QList<int>{});
    }

    void ansycRunsOnALaterTurn()
    {
        int calls = 0;
        KAnsycCallback deferred = ansyc([&calls] { ++calls; });
        deferred();
        deferred();
        QCOMPARE(calls, 0);
        // The scheduled copies outlive the function that scheduled them.
        deferred = nullptr;
        QTRY_COMPARE(calls, 2);
    }

    void parallelStartsEveryTaskInOrder()
    {
        QStringList log;
        int resolved = 0;
        int rejected = 0;
        const KAnsycTaskList tasks = {scripted(&log, "a", Resolve), scripted(&log, "b", Reject),
                                      scripted(&log, "c", Resolve), scripted(&log, "d", Stall)};
        const KAnsycCallback start = parallel(tasks, [&] { ++resolved; }, [&] { ++rejected; });
        QVERIFY(log.isEmpty());
        start();
        QCOMPARE(log, QStringList({"a", "b", "c", "d"}));
        QCOMPARE(resolved, 2);
        QCOMPARE(rejected, 1);
    }

    void continuationHandsOnTheSameFunctions()
    {
        QStringList log;
        const auto link = continuation(scripted(&log, "run", Resolve), scripted(&log, "fail", Reject),
                                       [&log] { log.append("resolve"); }, [&log] { log.append("reject"); });
        QVERIFY(log.isEmpty());
        link.first();
        link.second();
        QCOMPARE(log, QStringList({"run", "resolve", "fail", "reject"}));
    }

    void noopTaskCallsNothing()
    {
        int calls = 0;
        noopTask()([&calls] { ++calls; }, [&calls] { ++calls; });
        settle();
        QCOMPARE(calls, 0);
    }

    void oneStepPromiseFinishesLaterAndDeletesItself()
    {
        QStringList log;
        bool aliveInFinally = false;
        KPromise* promise = KPromise::create(scripted(&log, "a", Resolve));
        QPointer<KPromise> guard(promise);
        promise->addFinally([&] {
            log.append("finally");
            aliveInFinally = !guard.isNull();
        });
        promise->exec();
        QVERIFY(log.isEmpty()); // not even the step runs inside exec()

        QTRY_COMPARE(log, QStringList({"a", "finally"}));
        QVERIFY(aliveInFinally);
        QTRY_VERIFY(guard.isNull());
    }

    void stepsRunOnSeparateTurns()
    {
        QStringList log;
        auto resolvesThenMarks = [&log](const QString& name) {
            return [&log, name](KAnsycCallback resolve, KAnsycCallback) {
                log.append(name);
                resolve();
                log.append(name + " returned");
            };
        };
        QPointer<KPromise> promise = KPromise::create(resolvesThenMarks("a"))
                                         ->then(resolvesThenMarks("b"))
                                         ->then(resolvesThenMarks("c"));
        promise->exec();
        QTRY_VERIFY(promise.isNull());
        QCOMPARE(log, QStringList({"a", "a returned", "b", "b returned", "c", "c returned"}));
    }

    void chainOutcomes_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<bool>("withFail");
        QTest::addColumn<int>("f");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("c");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("finishes");

        QTest::newRow("all resolve") << int(Resolve) << true << int(Resolve) << int(Resolve) << int(Resolve)
                                     << QStringList({"a", "b", "c"}) << true;
        QTest::newRow("a rejects, no fail task") << int(Reject) << false << int(Resolve) << int(Resolve)
                                                 << int(Resolve) << QStringList({"a"}) << true;
        QTest::newRow("a rejects, fail resumes") << int(Reject) << true << int(Resolve) << int(Resolve)
                                                 << int(Resolve) << QStringList({"a", "f", "c"}) << true;
        QTest::newRow("a rejects, fail passes it on") << int(Reject) << true << int(Reject) << int(Resolve)
                                                      << int(Resolve) << QStringList({"a", "f"}) << true;
        QTest::newRow("last step rejects") << int(Resolve) << false << int(Resolve) << int(Resolve) << int(Reject)
                                           << QStringList({"a", "b", "c"}) << true;
        QTest::newRow("never resolved") << int(Resolve) << false << int(Resolve) << int(Stall) << int(Resolve)
                                        << QStringList({"a", "b"}) << false;
        QTest::newRow("fail task stalls") << int(Reject) << true << int(Stall) << int(Resolve) << int(Resolve)
                                          << QStringList({"a", "f"}) << false;
    }

    void chainOutcomes()
    {
        QFETCH(int, a);
        QFETCH(bool, withFail);
        QFETCH(int, f);
        QFETCH(int, b);
        QFETCH(int, c);
        QFETCH(QStringList, expected);
        QFETCH(bool, finishes);

        QStringList log;
        int finallyCalls = 0;
        QPointer<KPromise> promise =
            KPromise::create(scripted(&log, "a", a))
                ->then(scripted(&log, "b", b), withFail ? scripted(&log, "f", f) : KAnsycTask())
                ->then(scripted(&log, "c", c))
                ->addFinally([&finallyCalls] { ++finallyCalls; });
        promise->exec();

        if (finishes) {
            QTRY_VERIFY(promise.isNull());
            QCOMPARE(finallyCalls, 1);
        } else {
            QTRY_COMPARE(log, expected);
            settle();
            QVERIFY(!promise.isNull());
            QCOMPARE(finallyCalls, 0);
            delete promise.data(); // nothing in the stalled chain refers to it any more
        }
        settle();
        QCOMPARE(log, expected);
    }

    void stepsAddedAfterExecAreNotRun()
    {
        QStringList log;
        KPromise* promise = KPromise::create(scripted(&log, "a", Resolve));
        QPointer<KPromise> guard(promise);
        promise->exec();
        promise->then(scripted(&log, "late", Resolve));
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(log, QStringList({"a"}));
    }

    void finallyCallbacksRunOnceInOrder()
    {
        QStringList log;
        // A last step that breaks the rules and calls both of its functions.
        QPointer<KPromise> promise = KPromise::create([&log](KAnsycCallback resolve, KAnsycCallback reject) {
                                         log.append("a");
                                         resolve();
                                         reject();
                                     })
                                         ->addFinally([&log] { log.append("first"); })
                                         ->addFinally([&log] { log.append("second"); });
        promise->exec();
        QTRY_VERIFY(promise.isNull());
        settle();
        QCOMPARE(log, QStringList({"a", "first", "second"}));
    }

    void lateRejectionAfterTheEndIsHarmless()
    {
        QStringList log;
        KAnsycCallback savedReject;
        QPointer<KPromise> promise = KPromise::create([&](KAnsycCallback resolve, KAnsycCallback reject) {
                                         log.append("a");
                                         savedReject = reject;
                                         resolve();
                                     })
                                         ->then(scripted(&log, "b", Resolve));
        promise->exec();
        QTRY_VERIFY(promise.isNull());

        // Reaches the default fail task of "b" after the promise is gone.
        savedReject();
        settle();
        QCOMPARE(log, QStringList({"a", "b"}));
    }

    void preTasksGateTheFirstStep()
    {
        QStringList log;
        KAnsycCallback releaseSecond;
        QPointer<KPromise> promise =
            KPromise::create(scripted(&log, "a", Resolve))
                ->addPreTask(scripted(&log, "p1", Resolve))
                ->addPreTask([&](KAnsycCallback resolve, KAnsycCallback) {
                    log.append("p2");
                    releaseSecond = resolve;
                });
        promise->exec();
        QVERIFY(log.isEmpty()); // pre-tasks start from the event loop too

        QTRY_COMPARE(log, QStringList({"p1", "p2"}));
        settle();
        QCOMPARE(log, QStringList({"p1", "p2"}));

        releaseSecond();
        releaseSecond(); // one resolve too many must not run the step again
        QTRY_VERIFY(promise.isNull());
        settle();
        QCOMPARE(log, QStringList({"p1", "p2", "a"}));
    }

    void rejectedPreTaskStopsTheChain()
    {
        QStringList log;
        int finallyCalls = 0;
        QPointer<KPromise> promise = KPromise::create(scripted(&log, "a", Resolve))
                                         ->addPreTask(scripted(&log, "p1", Resolve))
                                         ->addPreTask(scripted(&log, "p2", Reject))
                                         ->addFinally([&finallyCalls] { ++finallyCalls; });
        promise->exec();
        QTRY_COMPARE(log, QStringList({"p1", "p2"}));
        settle();
        QCOMPARE(log, QStringList({"p1", "p2"}));
        QVERIFY(!promise.isNull());
        QCOMPARE(finallyCalls, 0);
        delete promise.data();
    }

    void singleSlot_data()
    {
        QTest::addColumn<int>("emissions");
        QTest::addColumn<bool>("withCallback");
        QTest::addColumn<int>("expectedCalls");

        QTest::newRow("one emission") << 1 << true << 1;
        QTest::newRow("second emission before deletion") << 2 << true << 1;
        QTest::newRow("no callback") << 1 << false << 0;
    }

    void singleSlot()
    {
        QFETCH(int, emissions);
        QFETCH(bool, withCallback);
        QFETCH(int, expectedCalls);

        int calls = 0;
        TestEmitter emitter;
        auto* receiver = new KFunctionSingleSlot(withCallback ? std::function<void()>([&calls] { ++calls; })
                                                              : std::function<void()>());
        QPointer<KFunctionSingleSlot> guard(receiver);
        QVERIFY(QObject::connect(&emitter, SIGNAL(fired()), receiver, SLOT(onTrigger())));
        for (int i = 0; i < emissions; ++i)
            emit emitter.fired();
        QCOMPARE(calls, expectedCalls);
        QTRY_VERIFY(guard.isNull());
    }

    void taskDataDiesWithItsObject()
    {
        auto sentinel = std::make_shared<int>(0);
        std::weak_ptr<int> watch = sentinel;
        auto* object = new QObject;

        KAnsycTaskData* replaced = KAnsycTaskData::attach(object, [sentinel] { ++*sentinel; });
        QCOMPARE(KAnsycTaskData::find(object), replaced);
        KAnsycTaskData* data = KAnsycTaskData::attach(object, [sentinel] { *sentinel += 10; });
        QCOMPARE(KAnsycTaskData::find(object), data);
        data->run();
        QCOMPARE(*sentinel, 10);

        sentinel.reset();
        QVERIFY(!watch.expired()); // the object's task data still holds it
        delete object;
        QVERIFY(watch.expired());

        QCOMPARE(KAnsycTaskData::attach(nullptr, [] {}), nullptr);
        QCOMPARE(KAnsycTaskData::find(nullptr), nullptr);
        QObject bare;
        QCOMPARE(KAnsycTaskData::find(&bare), nullptr);
    }

    void fakeUnknownCountsNothing()
    {
        checkFakeUnknown<TestApplication>();
        if (QTest::currentTestFailed())
            return;
        checkFakeUnknown<TestBaseCtrl>();
        if (QTest::currentTestFailed())
            return;
        checkFakeUnknown<TestWindow>();
    }
};

KZEMBA_TEST_MAIN(TstAsyncTasks)
#include "tst_asynctasks.moc"
