#pragma once
// What the pen outline reads of a stored pen stroke: its samples as flat triples
// (x, y, pressure, x, y, pressure, ...), its colour name, pen width and tool. A view: the
// stroke that owns the samples (the notebook's StrokeItem) must outlive it.

#include "platform/Geometry.h"

#include <span>
#include <string_view>
#include <vector>

namespace nolby {

struct PenStroke {
    std::span<const float> pts;
    std::string_view color;  // a colour name
    double width = 0;        // the pen width in points
    std::string_view tool;   // "marker" for the highlighter, anything else a pen

    // One point per whole triple; a trailing incomplete triple is ignored.
    std::vector<Point> points() const {
        std::vector<Point> out;
        out.reserve(pts.size() / 3);
        for (size_t i = 0; i + 2 < pts.size(); i += 3) out.push_back({pts[i], pts[i + 1]});
        return out;
    }

    // The pressure of each point, in the same order.
    std::vector<double> pressures() const {
        std::vector<double> out;
        out.reserve(pts.size() / 3);
        for (size_t i = 2; i < pts.size(); i += 3) out.push_back(pts[i]);
        return out;
    }

    // The highlighter is the tool named exactly "marker"; every other tool is a pen.
    bool marker() const { return tool == "marker"; }
};

}  // namespace nolby
