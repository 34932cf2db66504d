#pragma once
// Where a page sits in its view: s view points per page point, centred across the view and
// touching its top. A page point (x, y) shows at (ox + s·x, s·y).

#include "platform/Geometry.h"

#include <algorithm>
#include <cmath>

namespace nolby {

struct PageGeometry {
    double s = 1;   // view points per page point
    double ox = 0;  // the page's left edge in the view; never negative

    static PageGeometry of(double viewWidth, double pageW, double s) {
        double ox = (viewWidth - pageW * s) / 2;
        if (!std::isfinite(ox)) ox = 0;
        return {s, std::max(ox, 0.0)};
    }

    Point toView(Point p) const { return {ox + s * p.x, s * p.y}; }
    // Whether page points can be drawn at this scale at all.
    bool drawable() const { return std::isfinite(s) && s > 0 && std::isfinite(ox); }

    bool operator==(const PageGeometry&) const = default;
};

}  // namespace nolby
