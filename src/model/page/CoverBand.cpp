#include "model/page/CoverBand.h"

#include <cmath>

namespace nolby {

CoverBand::Look CoverBand::look(PressSource& press, const Uuid& id, double now) {
    Shown current{press.image(id, kPixels), false};
    current.fresh = current.cover && press.fresh().count(id) > 0;
    const int64_t version = press.version();
    if (!seen_) {
        seen_ = true;
        version_ = version;
        shown_ = current;
    } else if (version != version_) {
        version_ = version;
        if (bool(current.cover) != bool(shown_.cover)) {
            leaving_ = shown_;
            since_ = now;
        }
        shown_ = current;
    } else {
        // Without a new version nothing animates; a cover that changed anyway is shown as is.
        shown_ = current;
    }
    if (leaving_ && !animating(now)) leaving_.reset();
    Look l;
    l.shown = shown_;
    l.leaving = leaving_;
    l.progress = leaving_ ? kCurve((now - since_) / kDuration) : 1;
    return l;
}

bool CoverBand::animating(double now) const {
    return leaving_ && std::isfinite(now) && now - since_ < kDuration;
}

}  // namespace nolby
