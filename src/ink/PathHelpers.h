#pragma once
// Turning paths into polylines and measuring them: what every partial reveal walks along.

#include "platform/Path.h"

#include <vector>

namespace nolby {

using Polyline = std::vector<Point>;

// One polyline per sub-path (sub-paths of a single point disappear). A curve becomes
// ceil(control-polygon length / (2.5 × tolerance)) samples, at least 2 and at most 64.
std::vector<Polyline> flatten(const Path& path, double tolerance);

// The sum of the segment lengths; 0 for fewer than two points.
double polyLength(const Polyline& pts);

}  // namespace nolby
