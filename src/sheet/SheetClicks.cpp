#include "sheet/SheetClicks.h"

#include <cmath>

namespace nolby {

int SheetClicks::press(Point at, double time) {
    const bool continues = last_ && time >= last_->time && time - last_->time <= interval_ &&
                           std::fabs(at.x - last_->at.x) <= distance_ && std::fabs(at.y - last_->at.y) <= distance_;
    if (continues) {
        last_->time = time;
        ++last_->count;
    } else {
        last_ = Last{at, time, 1};
    }
    return last_->count;
}

}  // namespace nolby
