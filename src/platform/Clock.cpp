#include "platform/Clock.h"

#include <chrono>

namespace nolby {

namespace {
long long ticks() { return std::chrono::steady_clock::now().time_since_epoch().count(); }
}  // namespace

SteadyClock::SteadyClock() : origin_(ticks()) {}

double SteadyClock::now() const {
    using period = std::chrono::steady_clock::period;
    return double(ticks() - origin_) * double(period::num) / double(period::den);
}

std::shared_ptr<SteadyClock> SteadyClock::shared() {
    static const std::shared_ptr<SteadyClock> clock = std::make_shared<SteadyClock>();
    return clock;
}

}  // namespace nolby
