#include "ui/QtScheduler.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

using namespace nolby;

namespace {

// Runs the event loop until `done` or 5 s pass; the tests wait on events, never on time.
bool waitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 5000); }

}  // namespace

TEST(QtScheduler, PostsRunOnTheMainThreadInOrder) {
    QtScheduler scheduler;
    std::vector<int> order;
    QThread* main = QThread::currentThread();
    std::atomic<bool> offMain{false};
    scheduler.post([&] { order.push_back(1); });
    scheduler.background([&] {
        offMain = QThread::currentThread() != main;
        scheduler.post([&] {
            EXPECT_EQ(QThread::currentThread(), main);
            order.push_back(3);
        });
    });
    scheduler.post([&] { order.push_back(2); });
    EXPECT_TRUE(order.empty());  // nothing runs before the loop does
    ASSERT_TRUE(waitFor([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(offMain);
}

TEST(QtScheduler, TimersFireNoEarlierThanTheirTimeOnTheClock) {
    QtScheduler scheduler;
    const double start = scheduler.now();
    double firedAt = -1;
    Timer t = scheduler.after(0.0305, [&] { firedAt = scheduler.now(); });
    EXPECT_TRUE(t.active());
    ASSERT_TRUE(waitFor([&] { return firedAt >= 0; }));
    EXPECT_GE(firedAt - start, 0.0305);
    EXPECT_FALSE(t.active());

    // Cancelled before it is due: never runs.
    bool ran = false;
    Timer cancelled = scheduler.after(0.01, [&] { ran = true; });
    cancelled.cancel();
    double later = -1;
    scheduler.after(0.03, [&] { later = scheduler.now(); });
    ASSERT_TRUE(waitFor([&] { return later >= 0; }));
    EXPECT_FALSE(ran);
}

TEST(QtScheduler, RepeatsUntilCancelledAndArmsFromOtherThreads) {
    QtScheduler scheduler;
    int ticks = 0;
    Timer every;
    every = scheduler.every(0.005, [&] {
        if (++ticks == 3) every.cancel();
    });
    ASSERT_TRUE(waitFor([&] { return ticks == 3; }));
    QTest::qWait(40);
    EXPECT_EQ(ticks, 3);

    // A timer asked for on a worker thread still fires on the main thread.
    QThread* main = QThread::currentThread();
    std::atomic<bool> armed{false};
    QThread* firedOn = nullptr;
    scheduler.background([&] {
        scheduler.after(0.001, [&] { firedOn = QThread::currentThread(); });
        armed = true;
    });
    ASSERT_TRUE(waitFor([&] { return firedOn != nullptr; }));
    EXPECT_TRUE(armed);
    EXPECT_EQ(firedOn, main);
}

TEST(QtScheduler, GoingAwayWaitsForRunningWorkAndDropsTheRest) {
    std::atomic<int> done{0};
    bool ran = false;
    {
        QtScheduler scheduler;
        std::atomic<bool> started{false};
        scheduler.background([&] {
            started = true;
            QThread::msleep(20);
            ++done;
        });
        scheduler.post([&] { ran = true; });
        scheduler.after(0, [&] { ran = true; });
        while (!started) QThread::yieldCurrentThread();
    }
    EXPECT_EQ(done, 1);  // the running job finished before the scheduler went
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);  // work still waiting for the loop went with it
}

TEST(QtScheduler, ALastHoldDroppedByABackgroundJobEndsItOnTheMainThread) {
    auto scheduler = std::make_shared<QtScheduler>();
    std::weak_ptr<QtScheduler> watch = scheduler;
    std::atomic<bool> release{false}, ended{false};
    scheduler->background([held = scheduler, &release, &ended]() mutable {
        while (!release) QThread::yieldCurrentThread();
        held.reset();
        ended = true;
    });
    scheduler.reset();
    release = true;
    EXPECT_TRUE(waitFor([&] { return ended && watch.expired(); }));
    QCoreApplication::processEvents();  // the pool and its main object end here
}
