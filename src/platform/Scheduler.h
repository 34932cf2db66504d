#pragma once
// Where work runs and when. The core never starts threads or timers itself: it is handed a
// Scheduler. post() queues work for the main thread (callable from any thread); after() and
// every() run work on the main thread later, measured on the scheduler's clock; background()
// runs slow work off the main thread, which hands its results back with post().
//
// Three implementations: ManualScheduler (tests: time moves only when the test says so and
// background jobs wait until the test runs them), LoopScheduler (headless tools and network
// tests: a main loop on the calling thread and worker threads) and the application's own
// scheduler on Qt's event loop.

#include "platform/Clock.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace nolby {

// A handle on a scheduled after()/every(); cancelling stops it for good. Copies share the
// timer. A default-made Timer is inert.
class Timer {
public:
    struct State {
        std::atomic<bool> cancelled{false};
        std::atomic<bool> done{false};  // a one-shot timer that has fired
    };
    Timer() = default;
    explicit Timer(std::shared_ptr<State> state) : state_(std::move(state)) {}
    void cancel() {
        if (state_) state_->cancelled = true;
    }
    // True until it is cancelled or, for a one-shot timer, until it has fired.
    bool active() const { return state_ && !state_->cancelled && !state_->done; }

private:
    std::shared_ptr<State> state_;
};

class Scheduler {
public:
    using Task = std::function<void()>;
    virtual ~Scheduler() = default;

    virtual std::shared_ptr<const Clock> clock() const = 0;
    double now() const { return clock()->now(); }

    // Runs `task` on the main thread soon, after what is already posted. Any thread.
    virtual void post(Task task) = 0;
    // Runs `task` once on the main thread `seconds` from now (at once for 0 or less).
    virtual Timer after(double seconds, Task task) = 0;
    // Runs `task` on the main thread every `seconds` (at least a millisecond) until cancelled.
    virtual Timer every(double seconds, Task task) = 0;
    // Runs `task` off the main thread; it may block. Results go back through post().
    virtual void background(Task task) = 0;
};

// Time stands still until advance(): timers fall due in time order, the clock set to each
// due time as it fires, with posted work run between them. Background jobs wait until the
// test runs them, one at a time and in any order, so races can be staged exactly.
class ManualScheduler final : public Scheduler {
public:
    explicit ManualScheduler(std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>());

    std::shared_ptr<const Clock> clock() const override { return clock_; }
    const std::shared_ptr<ManualClock>& manualClock() const { return clock_; }

    void post(Task task) override;
    Timer after(double seconds, Task task) override;
    Timer every(double seconds, Task task) override;
    void background(Task task) override;

    // Moves the clock `seconds` forward, firing every timer that falls due on the way in due
    // order (ties in the order they were made) and running posted work before each and at
    // the end. The clock ends exactly `seconds` later.
    void advance(double seconds);
    // Runs posted work (and work it posts) until none is left; returns how many ran.
    size_t runPosted();

    size_t backgroundCount() const;
    // Runs the background job at `index` (0 = oldest) on the calling thread and removes it.
    void runBackground(size_t index = 0);
    // Runs background jobs oldest first and posted work between them until both are empty.
    // Timers do not fire. Returns how many jobs ran in all.
    size_t drain();
    // Timers not yet fired or cancelled.
    size_t timerCount() const;

private:
    struct Entry {
        double due;
        double interval;  // 0 for a one-shot timer
        unsigned long long order;
        Task task;
        std::shared_ptr<Timer::State> state;
    };
    Timer schedule(double seconds, double interval, Task task);
    // The index of the timer due first at or before `limit`, or -1.
    long nextDue(double limit) const;

    std::shared_ptr<ManualClock> clock_;
    mutable std::mutex mutex_;  // background jobs may post from wherever the test runs them
    std::deque<Task> posted_;
    std::deque<Task> jobs_;
    std::vector<Entry> timers_;
    unsigned long long made_ = 0;
};

// A real main loop on the thread that calls run...(), with worker threads for background
// jobs. For headless tools and for tests that talk to a real server.
class LoopScheduler final : public Scheduler {
public:
    explicit LoopScheduler(std::shared_ptr<const Clock> clock = SteadyClock::shared(), int workers = 8);
    ~LoopScheduler() override;  // waits for running background jobs; queued ones are dropped

    std::shared_ptr<const Clock> clock() const override { return clock_; }
    void post(Task task) override;
    Timer after(double seconds, Task task) override;
    Timer every(double seconds, Task task) override;
    void background(Task task) override;

    // Runs the main loop until `done()` is true (checked after each task) or `timeout`
    // seconds of the clock have passed; true when `done()` became true.
    bool runUntil(const std::function<bool()>& done, double timeout);
    // Runs the main loop for `seconds`.
    void runFor(double seconds);

private:
    struct Entry {
        double due;
        double interval;
        unsigned long long order;
        Task task;
        std::shared_ptr<Timer::State> state;
    };
    Timer schedule(double seconds, double interval, Task task);

    // The workers' queue lives apart from the scheduler, so a background job that drops the
    // last hold on the scheduler (its destructor then runs on that worker) leaves the worker
    // something to wake up to: it finds `stopping` and ends, detached.
    struct Pool {
        std::mutex mutex;
        std::condition_variable ready;
        std::deque<Task> jobs;
        bool stopping = false;
    };
    static void work(const std::shared_ptr<Pool>& pool);

    std::shared_ptr<const Clock> clock_;
    std::mutex mutex_;
    std::condition_variable wake_;  // the main loop
    std::deque<Task> posted_;
    std::vector<Entry> timers_;
    unsigned long long made_ = 0;
    std::shared_ptr<Pool> pool_ = std::make_shared<Pool>();
    std::vector<std::thread> workers_;
};

}  // namespace nolby
