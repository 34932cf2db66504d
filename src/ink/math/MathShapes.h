#pragma once
// Private to the typesetter: the stroke recipes of the symbols it draws by hand instead of
// setting them from the font. Coordinates are in units of the font size, y down, origin at
// the left end of the baseline. The order of the steps is the order of the random draws.

#include "platform/Geometry.h"

#include <string>
#include <vector>

namespace nolby::math {

struct Step {
    enum class Kind { line, poly, closedPoly, curve, ring };
    Kind kind = Kind::line;
    // line: two points; poly: consecutive points; curve: the points it passes through;
    // ring: the centre.
    std::vector<Point> pts;
    double jitter = 0;    // curve only, in points
    double diameter = 0;  // ring only, in units of the size
};

struct Shape {
    double width = 0;
    std::vector<Step> steps;
    // Drawn as the named shape's steps, then reflected across the middle of `width`.
    std::string mirrorOf = {};
};

// The recipe for a whole symbol name, or null for a name drawn from the font. Primes, the
// midline ellipsis and h-bar need the font or a count and are made by the caller.
const Shape* handShape(const std::string& name);

}  // namespace nolby::math
