#pragma once
// Pen stroke outlines: sampled points with pen pressure turned into the filled outline of
// a pen whose width follows the pressure (or, without pressure, the pen's speed), with
// tapered ends and round caps.

#include "platform/Geometry.h"
#include "platform/Path.h"

#include <vector>

namespace nolby::Freehand {

struct Options {
    double size = 0;        // the pen width in points; the outline's radius is about half
    double thinning = 0;    // how strongly pressure changes the width; 0 keeps it constant
    double streamline = 0;  // input smoothing: 0 follows every sample, towards 1 lags behind
    double taperStart = 0;  // length over which the stroke narrows towards its start; 0 none
    double taperEnd = 0;    // length over which it narrows towards its end; 0 none
    double taperFloor = 0;  // the smallest factor a taper may apply
    bool simulatePressure = false;  // take the pressure from the pen's speed

    bool operator==(const Options&) const = default;
};

// A point in page points with its pen pressure, 0...1; 0.5 is what a device without
// pressure reports.
struct Sample {
    Point point;
    double pressure = 0.5;

    bool operator==(const Sample&) const = default;
};

// The closed outline of the stroke, filled with the non-zero rule: a dot for a single
// sample or one that never leaves its start, and an empty path for no samples.
Path outline(const std::vector<Sample>& samples, const Options& options);

// A Catmull-Rom curve through the samples, about `spacing` apart; fewer than 3 samples are
// returned unchanged. Every input sample lies on the result.
std::vector<Sample> resample(const std::vector<Sample>& samples, double spacing);

// Appends a round cap of eight segments from `from` half-way round `center`, bulging in
// the direction of `outward`; nothing when `from` is (almost) the centre.
void cap(Path& path, Point center, Point from, Point outward);

}  // namespace nolby::Freehand
