#include "app/DiveLayout.h"

#include "sheet/SheetLayout.h"

#include <algorithm>
#include <cmath>

namespace nolby {

double DiveLayout::width(double w) {
    const double d = std::clamp(0.6 * w, 520.0, 820.0);
    return std::min(d, w - 140);
}

double DiveLayout::x(double w, int index, int count) {
    return w - width(w) - step * (count - 1 - index);
}

double DiveLayout::lean(double w, double pageW) {
    const double shift = (w - SheetLayout::scaleFor(w, pageW) * pageW) * 0.5 - keep;
    return std::isfinite(shift) ? std::max(0.0, shift) : 0.0;
}

}  // namespace nolby
