#include "platform/Scheduler.h"

#include <algorithm>
#include <chrono>

namespace nolby {

LoopScheduler::LoopScheduler(std::shared_ptr<const Clock> clock, int workers) : clock_(std::move(clock)) {
    if (!clock_) clock_ = SteadyClock::shared();
    for (int i = 0; i < std::max(workers, 1); ++i) workers_.emplace_back([pool = pool_] { work(pool); });
}

LoopScheduler::~LoopScheduler() {
    std::deque<Task> dropped;
    {
        std::lock_guard lock(pool_->mutex);
        pool_->stopping = true;
        dropped.swap(pool_->jobs);
    }
    pool_->ready.notify_all();
    dropped.clear();  // outside the lock: a dropped job may hold what it takes to destroy
    for (auto& t : workers_) {
        if (t.get_id() == std::this_thread::get_id()) t.detach();
        else t.join();
    }
}

void LoopScheduler::work(const std::shared_ptr<Pool>& pool) {
    for (;;) {
        Task task;
        {
            std::unique_lock lock(pool->mutex);
            pool->ready.wait(lock, [&] { return pool->stopping || !pool->jobs.empty(); });
            if (pool->stopping) return;
            task = std::move(pool->jobs.front());
            pool->jobs.pop_front();
        }
        task();
    }
}

void LoopScheduler::post(Task task) {
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(task));
    }
    wake_.notify_all();
}

void LoopScheduler::background(Task task) {
    {
        std::lock_guard lock(pool_->mutex);
        if (pool_->stopping) return;
        pool_->jobs.push_back(std::move(task));
    }
    pool_->ready.notify_one();
}

Timer LoopScheduler::after(double seconds, Task task) { return schedule(seconds, 0, std::move(task)); }

Timer LoopScheduler::every(double seconds, Task task) {
    return schedule(seconds, std::max(seconds, 0.001), std::move(task));
}

Timer LoopScheduler::schedule(double seconds, double interval, Task task) {
    auto state = std::make_shared<Timer::State>();
    const double delay = seconds > 0 ? seconds : 0;
    {
        std::lock_guard lock(mutex_);
        timers_.push_back({clock_->now() + delay, interval, made_++, std::move(task), state});
    }
    wake_.notify_all();
    return Timer(state);
}

bool LoopScheduler::runUntil(const std::function<bool()>& done, double timeout) {
    const double end = clock_->now() + timeout;
    for (;;) {
        if (done && done()) return true;
        Task task;
        {
            std::unique_lock lock(mutex_);
            for (;;) {
                std::erase_if(timers_, [](const Entry& e) { return e.state->cancelled.load(); });
                if (!posted_.empty()) {
                    task = std::move(posted_.front());
                    posted_.pop_front();
                    break;
                }
                const double now = clock_->now();
                auto due = std::min_element(timers_.begin(), timers_.end(), [](const Entry& a, const Entry& b) {
                    return a.due < b.due || (a.due == b.due && a.order < b.order);
                });
                if (due != timers_.end() && due->due <= now) {
                    if (due->interval > 0) {
                        task = due->task;
                        due->due = std::max(due->due + due->interval, now);
                        due->order = made_++;
                    } else {
                        task = std::move(due->task);
                        due->state->done = true;
                        timers_.erase(due);
                    }
                    break;
                }
                if (now >= end) return done && done();
                const double until = std::min(end, due != timers_.end() ? due->due : end);
                wake_.wait_for(lock, std::chrono::duration<double>(std::max(until - now, 0.0)));
            }
        }
        task();
    }
}

void LoopScheduler::runFor(double seconds) { runUntil(nullptr, seconds); }

}  // namespace nolby
