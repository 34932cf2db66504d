#include "ink/ops/Laid.h"

namespace nolby {

const Laid& Laid::empty() {
    static const Laid nothing;
    return nothing;
}

Laid Laid::shifted(double dx, double dy) const {
    Laid out;
    out.height = height;
    out.ops.reserve(ops.size());
    for (const InkOpRef& op : ops) out.ops.push_back(op->offset(dx, dy));
    out.rooms.reserve(rooms.size());
    for (const Rect& r : rooms) out.rooms.push_back(r.offsetBy(dx, dy));
    return out;
}

}  // namespace nolby
