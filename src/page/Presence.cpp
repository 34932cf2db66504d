#include "page/Presence.h"

#include <algorithm>
#include <cmath>

namespace nolby {

double Presence::linear(double now) const {
    const double to = target_ ? 1 : 0;
    if (!(duration_ > 0) || !std::isfinite(now)) return to;
    const double step = std::max(now - since_, 0.0) / duration_;
    return target_ ? std::min(from_ + step, 1.0) : std::max(from_ - step, 0.0);
}

void Presence::set(bool shown, double now) {
    if (shown == target_) return;
    from_ = linear(now);
    since_ = std::isfinite(now) ? now : since_;
    target_ = shown;
}

double Presence::amount(double now) const { return curve_(linear(now)); }

bool Presence::animating(double now) const {
    const double l = linear(now);
    return target_ ? l < 1 : l > 0;
}

}  // namespace nolby
