#include "platform/Scheduler.h"

#include <algorithm>
#include <stdexcept>

namespace nolby {

ManualScheduler::ManualScheduler(std::shared_ptr<ManualClock> clock) : clock_(std::move(clock)) {
    if (!clock_) clock_ = std::make_shared<ManualClock>();
}

void ManualScheduler::post(Task task) {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(task));
}

Timer ManualScheduler::after(double seconds, Task task) { return schedule(seconds, 0, std::move(task)); }

Timer ManualScheduler::every(double seconds, Task task) {
    return schedule(seconds, std::max(seconds, 0.001), std::move(task));
}

Timer ManualScheduler::schedule(double seconds, double interval, Task task) {
    auto state = std::make_shared<Timer::State>();
    const double delay = seconds > 0 ? seconds : 0;  // NaN counts as 0
    std::lock_guard lock(mutex_);
    timers_.push_back({clock_->now() + delay, interval, made_++, std::move(task), state});
    return Timer(state);
}

void ManualScheduler::background(Task task) {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(task));
}

size_t ManualScheduler::runPosted() {
    size_t ran = 0;
    for (;;) {
        Task task;
        {
            std::lock_guard lock(mutex_);
            if (posted_.empty()) return ran;
            task = std::move(posted_.front());
            posted_.pop_front();
        }
        task();
        ++ran;
    }
}

long ManualScheduler::nextDue(double limit) const {
    long best = -1;
    for (size_t i = 0; i < timers_.size(); ++i) {
        const Entry& e = timers_[i];
        if (e.state->cancelled || e.due > limit) continue;
        if (best < 0 || e.due < timers_[best].due ||
            (e.due == timers_[best].due && e.order < timers_[best].order))
            best = long(i);
    }
    return best;
}

void ManualScheduler::advance(double seconds) {
    const double end = clock_->now() + (seconds > 0 ? seconds : 0);
    runPosted();
    for (;;) {
        Task task;
        {
            std::lock_guard lock(mutex_);
            std::erase_if(timers_, [](const Entry& e) { return e.state->cancelled.load(); });
            const long i = nextDue(end);
            if (i < 0) break;
            Entry& e = timers_[size_t(i)];
            if (e.due > clock_->now()) clock_->set(e.due);
            if (e.interval > 0) {
                task = e.task;  // stays scheduled
                e.due += e.interval;
                e.order = made_++;
            } else {
                task = std::move(e.task);
                e.state->done = true;
                timers_.erase(timers_.begin() + i);
            }
        }
        task();
        runPosted();
    }
    clock_->set(end);
    runPosted();
}

size_t ManualScheduler::backgroundCount() const {
    std::lock_guard lock(mutex_);
    return jobs_.size();
}

void ManualScheduler::runBackground(size_t index) {
    Task task;
    {
        std::lock_guard lock(mutex_);
        if (index >= jobs_.size()) throw std::out_of_range("no background job at this index");
        task = std::move(jobs_[index]);
        jobs_.erase(jobs_.begin() + long(index));
    }
    task();
}

size_t ManualScheduler::drain() {
    size_t ran = runPosted();
    while (backgroundCount() > 0) {
        runBackground(0);
        ran += 1 + runPosted();
    }
    return ran;
}

size_t ManualScheduler::timerCount() const {
    std::lock_guard lock(mutex_);
    return size_t(std::count_if(timers_.begin(), timers_.end(),
                                [](const Entry& e) { return !e.state->cancelled; }));
}

}  // namespace nolby
