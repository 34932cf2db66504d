#pragma once
// Counts clicks the way the desktop does: a press soon enough after the last one and near
// enough to it continues the series (double click, triple click, and on), any other press
// starts a new one. Qt reports double clicks but not triple ones, and the sheet selects a
// whole block on a triple click, so it keeps its own count. No clock of its own: each press
// brings its time.

#include "platform/Geometry.h"

#include <optional>

namespace nolby {

class SheetClicks {
public:
    // `interval` in seconds between presses of one series; `distance` the farthest a later
    // press may land from the first one (in points, along either axis).
    explicit SheetClicks(double interval = 0.4, double distance = 5) : interval_(interval), distance_(distance) {}

    // A press at a point and time: the click count it makes, 1 for a new series.
    int press(Point at, double time);
    // The next press starts a new series (the pointer left, the view lost focus).
    void reset() { last_.reset(); }

    void setInterval(double seconds) { interval_ = seconds; }
    void setDistance(double points) { distance_ = points; }

private:
    struct Last {
        Point at;  // where the series began
        double time = 0;
        int count = 0;
    };
    double interval_, distance_;
    std::optional<Last> last_;
};

}  // namespace nolby
