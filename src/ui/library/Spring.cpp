#include "ui/library/Spring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nolby {

namespace {

constexpr double kSubstep = 1.0 / 480;  // small enough to stay stable at every response used
constexpr double kRest = 1e-4;

}  // namespace

void Spring::step(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0) return;
    seconds = std::min(seconds, 1.0);  // after a long pause the spring has settled anyway
    const double r = response > 0.01 ? response : 0.01;
    const double k = std::pow(2 * std::numbers::pi / r, 2);
    const double c = 4 * std::numbers::pi * damping / r;
    while (seconds > 0) {
        const double dt = std::min(seconds, kSubstep);
        velocity += (-k * (value - target) - c * velocity) * dt;
        value += velocity * dt;
        seconds -= dt;
    }
    if (settled()) {
        value = target;
        velocity = 0;
    }
}

bool Spring::settled() const { return std::fabs(value - target) < kRest && std::fabs(velocity) < kRest * 10; }

}  // namespace nolby
