#include "ui/QtScheduler.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <cmath>

namespace nolby {

namespace {

// Whole milliseconds that do not end before `seconds`, within what QTimer takes.
int millisecondsCovering(double seconds) {
    const double ms = std::ceil(std::max(seconds, 0.0) * 1000);
    return ms < INT_MAX ? static_cast<int>(ms) : INT_MAX;
}

}  // namespace

QtScheduler::QtScheduler(std::shared_ptr<const Clock> clock)
    : clock_(clock ? std::move(clock) : SteadyClock::shared()), main_(std::make_unique<QObject>()),
      pool_(std::make_unique<QThreadPool>()) {
    // Background work (decoding, flattening, laying out) must never take the core the main
    // thread draws on: one core is left to it, and the workers run at low priority.
    pool_->setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
    pool_->setThreadPriority(QThread::LowPriority);
}

QtScheduler::~QtScheduler() {
    pool_->clear();
    if (QThread::currentThread() == main_->thread()) {
        pool_->waitForDone();
        return;
    }
    // The last hold went away in a background job (or another thread): the pool cannot wait
    // for the job running this, and the main object belongs to the main thread, so both are
    // handed to the main thread to end there (or, with no event loop left, let go).
    QObject* main = main_.release();
    QThreadPool* pool = pool_.release();
    if (auto* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(app, [main, pool] {
            pool->waitForDone();
            delete pool;
            delete main;
        }, Qt::QueuedConnection);
    }
}

void QtScheduler::post(Task task) {
    QMetaObject::invokeMethod(main_.get(), [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

void QtScheduler::background(Task task) {
    if (!finished_) pool_->start(std::move(task));
}

void QtScheduler::finish() {
    finished_ = true;
    pool_->clear();
    pool_->waitForDone();
}

Timer QtScheduler::after(double seconds, Task task) { return schedule(seconds, 0, std::move(task)); }

Timer QtScheduler::every(double seconds, Task task) {
    return schedule(seconds, std::max(std::isfinite(seconds) ? seconds : 0.0, 0.001), std::move(task));
}

Timer QtScheduler::schedule(double seconds, double interval, Task task) {
    auto state = std::make_shared<Timer::State>();
    const double delay = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
    QObject* owner = main_.get();
    std::shared_ptr<const Clock> clock = clock_;
    auto arm = [owner, clock, state, interval, task = std::move(task), due = clock_->now() + delay]() mutable {
        auto* timer = new QTimer(owner);
        timer->setTimerType(Qt::PreciseTimer);
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, owner, [timer, clock, state, interval, task, due]() mutable {
            if (state->cancelled) {
                timer->deleteLater();
                return;
            }
            const double now = clock->now();
            if (now < due) {  // a whole-millisecond timer may wake a little early
                timer->start(millisecondsCovering(due - now));
                return;
            }
            if (interval > 0) {
                due = std::max(due + interval, now);
                timer->start(millisecondsCovering(due - now));
            } else {
                state->done = true;
                timer->deleteLater();
            }
            task();
        });
        timer->start(millisecondsCovering(due - clock->now()));
    };
    // Timers belong to the main thread; from elsewhere they are set up there.
    if (QThread::currentThread() == owner->thread()) arm();
    else QMetaObject::invokeMethod(owner, std::move(arm), Qt::QueuedConnection);
    return Timer(state);
}

}  // namespace nolby
