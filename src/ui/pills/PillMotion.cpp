#include "ui/pills/PillMotion.h"

#include <algorithm>

namespace nolby::pills {

void PillMotion::appear() {
    if (hidden_) {
        arrival_ = Spring{0, 0, 1, response_, kDamping};
        slide_ = Spring{};
        hidden_ = false;
    } else if (leaving_) {
        // From where it is and at its present speed: no jump.
        arrival_.to(1, response_, kDamping);
    }
    leaving_ = false;
}

bool PillMotion::leave() {
    if (hidden_ || leaving_) return false;
    leaving_ = true;
    arrival_.to(0, response_, kDamping);
    return true;
}

void PillMotion::hide() {
    hidden_ = true;
    leaving_ = false;
    arrival_ = Spring{1, 0, 1, response_, kDamping};
    slide_ = Spring{};
}

void PillMotion::moveBy(double dy, double response) {
    slide_.value -= dy;
    slide_.to(0, response, kDamping);
}

void PillMotion::step(double seconds) {
    arrival_.step(seconds);
    slide_.step(seconds);
    if (leaving_ && arrival_.settled()) hide();
}

void PillMotion::settle() {
    if (leaving_) return hide();
    arrival_ = Spring{arrival_.target, 0, arrival_.target, response_, kDamping};
    slide_ = Spring{};
}

double PillMotion::opacity() const { return hidden_ ? 0 : std::clamp(arrival_.value, 0.0, 1.0); }

}  // namespace nolby::pills
