#include "ink/ops/InkStrokeOp.h"

#include "ink/Freehand.h"
#include "ink/Ink.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace nolby {

namespace {

// A pen on a device without pressure reports nothing, zero or the neutral 0.5 everywhere;
// such a stroke takes its width from its speed instead.
bool hasPressure(const std::vector<double>& pressures) {
    return std::any_of(pressures.begin(), pressures.end(),
                       [](double p) { return p > 0 && std::fabs(p - 0.5) > 0.001; });
}

Freehand::Options options(const PenStroke& item, bool marker, bool simulate) {
    Freehand::Options o;
    o.size = item.width;
    o.taperFloor = 0.25;
    if (marker) {
        o.thinning = 0;
        o.streamline = 0.55;
        o.taperStart = 0;
        o.taperEnd = 0;
    } else {
        o.thinning = 0.55;
        o.streamline = 0.42;
        o.taperStart = 6;
        o.taperEnd = 8;
    }
    o.simulatePressure = simulate;
    return o;
}

Path outlineOf(const PenStroke& item, bool marker) {
    std::vector<Point> points = item.points();
    std::vector<double> pressures = item.pressures();
    std::vector<Freehand::Sample> samples;
    size_t n = std::min(points.size(), pressures.size());
    samples.reserve(n);
    for (size_t i = 0; i < n; ++i) samples.push_back({points[i], pressures[i]});
    return Freehand::outline(samples, options(item, marker, !hasPressure(pressures)));
}

}  // namespace

InkStrokeOp::InkStrokeOp(const PenStroke& item, Color c)
    : path(outlineOf(item, item.marker())),
      color(item.marker() ? Ink::marker(std::optional<std::string>(item.color)).withAlpha(0.9) : c),
      blend(item.marker() ? BlendMode::multiply : BlendMode::normal),
      bounds_(path.boundingBox()) {}

void InkStrokeOp::draw(cairo_t* cr, double t) const {
    if (!(t > 0)) return;
    draw::fillPath(cr, path, color, cairoOperator(blend));
}

}  // namespace nolby
