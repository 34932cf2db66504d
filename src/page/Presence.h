#pragma once
// Something a page shows and hides with an animated entrance and exit on the media clock:
// the amount it is shown runs from 0 to 1 over a fixed time when it appears and back when
// it goes; turning back midway continues from where it was.

#include "platform/layers/Animation.h"

namespace nolby {

class Presence {
public:
    // The usual curve of an entrance or exit: slow at both ends.
    static constexpr TimingFunction kEaseInOut{0.42, 0, 0.58, 1};

    explicit Presence(double duration, TimingFunction curve = kEaseInOut, bool shown = false)
        : duration_(duration), curve_(curve), target_(shown), from_(shown ? 1 : 0) {}

    // Shows or hides from `now` on; nothing changes when it is already heading there.
    void set(bool shown, double now);
    bool shown() const { return target_; }

    // How much it is shown at `now`, eased: 0 hidden, 1 fully shown.
    double amount(double now) const;
    // Whether anything of it is drawn at `now` (shown, or still leaving).
    bool visible(double now) const { return amount(now) > 0; }
    bool animating(double now) const;

private:
    // The linear progress toward shown at `now`, 0...1.
    double linear(double now) const;

    double duration_;
    TimingFunction curve_;
    bool target_;
    double from_;       // linear progress when the last change began
    double since_ = 0;  // when it began
};

}  // namespace nolby
