#include "platform/Scheduler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <string>

using namespace nolby;

TEST(ManualScheduler, TimersFireInDueOrderWithTheClockAtEachDueTime) {
    ManualScheduler s;
    std::string log;
    auto stamp = [&](const char* name) { return [&, name] { log += name + std::string("@") + std::to_string(int(s.now() * 10)) + " "; }; };
    s.after(0.3, stamp("b"));
    s.after(0.1, stamp("a"));
    s.after(0.3, stamp("c"));  // same due time: made later, fires later
    s.after(0.5, stamp("late"));
    s.advance(0.4);
    EXPECT_EQ(log, "a@1 b@3 c@3 ");
    EXPECT_DOUBLE_EQ(s.now(), 0.4);
    s.advance(0.1);
    EXPECT_EQ(log, "a@1 b@3 c@3 late@5 ");
}

TEST(ManualScheduler, RepeatingTimersAndCancelling) {
    ManualScheduler s;
    int ticks = 0;
    Timer t = s.every(0.1, [&] { ++ticks; });
    Timer gone = s.after(0.05, [&] { ticks += 100; });
    gone.cancel();
    s.advance(0.35);
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(t.active());
    t.cancel();
    s.advance(1);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(gone.active());
    EXPECT_EQ(s.timerCount(), 0u);
}

TEST(ManualScheduler, PostedWorkRunsBetweenTimersAndTimersMayScheduleMore) {
    ManualScheduler s;
    std::string log;
    s.after(0.1, [&] {
        log += "t1 ";
        s.post([&] { log += "p1 "; });
        s.after(0.1, [&] { log += "t2 "; });
    });
    s.after(0.15, [&] { log += "t15 "; });
    s.advance(1);
    EXPECT_EQ(log, "t1 p1 t15 t2 ");
}

TEST(ManualScheduler, BackgroundJobsWaitForTheTestAndRunInAnyOrder) {
    ManualScheduler s;
    std::string log;
    for (const char* name : {"a", "b", "c"})
        s.background([&, name] { s.post([&, name] { log += name; }); });
    EXPECT_EQ(s.backgroundCount(), 3u);
    s.advance(5);
    EXPECT_EQ(log, "");
    s.runBackground(2);
    s.runBackground(0);
    EXPECT_EQ(s.runPosted(), 2u);
    EXPECT_EQ(log, "ca");
    EXPECT_EQ(s.drain(), 2u);
    EXPECT_EQ(log, "cab");
    EXPECT_THROW(s.runBackground(0), std::out_of_range);
}

TEST(LoopScheduler, RunsPostsTimersAndBackgroundJobs) {
    LoopScheduler s;
    std::atomic<int> fromWorker{0};
    int posted = 0, fired = 0;
    s.background([&] {
        fromWorker = 1;
        s.post([&] { ++posted; });
    });
    s.after(0.02, [&] { ++fired; });
    EXPECT_TRUE(s.runUntil([&] { return posted == 1 && fired == 1; }, 5));
    EXPECT_EQ(fromWorker.load(), 1);
    EXPECT_FALSE(s.runUntil([] { return false; }, 0.01));
}

// A background job that outlives everyone else's hold on the scheduler ends it on its own
// worker thread: the scheduler goes away without waiting on itself.
TEST(LoopScheduler, ALastHoldDroppedByABackgroundJobEndsItCleanly) {
    auto s = std::make_shared<LoopScheduler>();
    std::atomic<bool> release{false}, ended{false};
    std::weak_ptr<LoopScheduler> watch = s;
    s->background([held = s, &release, &ended]() mutable {
        while (!release) std::this_thread::yield();
        held.reset();
        ended = true;
    });
    s.reset();
    release = true;
    for (int i = 0; i < 5000 && !(ended && watch.expired()); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(ended.load());
    EXPECT_TRUE(watch.expired());
}
