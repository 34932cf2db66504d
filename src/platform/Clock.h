#pragma once
// Media time: seconds on a clock that only moves forward, the clock every animation,
// debounce and timer of the program is measured on. The core never reads the system
// clock itself; it is handed a Clock, so tests can hold time still and move it by hand.

#include <memory>

namespace nolby {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since an arbitrary origin fixed for the life of the clock.
    virtual double now() const = 0;
};

// The process's monotonic clock, counted from the moment the object was made.
class SteadyClock final : public Clock {
public:
    SteadyClock();
    double now() const override;
    // One clock for the whole process, so times from different objects compare.
    static std::shared_ptr<SteadyClock> shared();

private:
    long long origin_ = 0;  // steady_clock ticks at construction
};

// A clock that moves only when told to; tests and headless tools drive it.
class ManualClock final : public Clock {
public:
    explicit ManualClock(double start = 0) : now_(start) {}
    double now() const override { return now_; }
    void set(double seconds) { now_ = seconds; }
    void advance(double seconds) { now_ += seconds; }

private:
    double now_;
};

}  // namespace nolby
