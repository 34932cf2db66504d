#include "app/DiveLayout.h"

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

double DiveLayout::sheetScale(double w, double pageW) {
    const double side = w < 900 ? 72 : 144;
    const double most = pageW >= 560 ? 1.1 : 1.15;
    // A page of no size cannot be fitted: it shows at the smallest scale.
    if (!(pageW > 0) || !std::isfinite(pageW) || !std::isfinite(w)) return 0.55;
    return std::clamp((w - side) / pageW, 0.55, most);
}

double DiveLayout::lean(double w, double pageW) {
    const double shift = (w - sheetScale(w, pageW) * pageW) * 0.5 - keep;
    return std::isfinite(shift) ? std::max(0.0, shift) : 0.0;
}

}  // namespace nolby
