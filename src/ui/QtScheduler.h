#pragma once
// The application's Scheduler on Qt: posted work and timers run on the main thread's event
// loop, background work on a thread pool of its own. Time is the process's media clock
// (elapsed, monotonic); timers are measured on it, not on tick counts, so a QTimer's whole
// milliseconds never make work run early.

#include "platform/Scheduler.h"

#include <atomic>
#include <memory>

class QObject;
class QThreadPool;

namespace nolby {

class QtScheduler final : public Scheduler {
public:
    // Made on the main thread, which must run a Qt event loop.
    explicit QtScheduler(std::shared_ptr<const Clock> clock = SteadyClock::shared());
    // Drops background jobs not yet started and waits for running ones; timers and posted
    // work not yet run are dropped.
    ~QtScheduler() override;
    QtScheduler(const QtScheduler&) = delete;
    QtScheduler& operator=(const QtScheduler&) = delete;

    // The application is ending: drops background jobs not yet started, waits for running
    // ones, and runs no further background work. Called before main() returns, so no worker
    // is still drawing when the process's static objects (font and text caches) are
    // destroyed. Main thread only.
    void finish();

    std::shared_ptr<const Clock> clock() const override { return clock_; }
    void post(Task task) override;
    Timer after(double seconds, Task task) override;
    Timer every(double seconds, Task task) override;
    void background(Task task) override;

private:
    Timer schedule(double seconds, double interval, Task task);

    std::shared_ptr<const Clock> clock_;
    std::unique_ptr<QObject> main_;  // lives on the main thread; posted work and timers go through it
    std::unique_ptr<QThreadPool> pool_;
    std::atomic<bool> finished_{false};
};

}  // namespace nolby
