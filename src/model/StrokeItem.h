#pragma once
// A pen stroke as the notebook stores it: its samples, colour name, width and tool.

#include "platform/Geometry.h"

#include <string>
#include <vector>

namespace nolby {

struct StrokeItem {
    std::vector<float> pts;  // flat triples x, y, pressure, in page points
    std::string color;       // a colour name
    double width = 0;        // the pen width in points
    std::string tool;        // "marker" for the highlighter, anything else a pen

    // One point per whole triple; a trailing incomplete triple is ignored.
    std::vector<Point> points() const {
        std::vector<Point> out;
        if (pts.size() < 3) return out;
        out.reserve(pts.size() / 3);
        for (size_t i = 0; i + 2 < pts.size(); i += 3) out.push_back({pts[i], pts[i + 1]});
        return out;
    }

    // The pressure of each point, in the same order.
    std::vector<double> pressures() const {
        std::vector<double> out;
        if (pts.size() < 3) return out;
        out.reserve(pts.size() / 3);
        for (size_t i = 2; i < pts.size(); i += 3) out.push_back(pts[i]);
        return out;
    }

    bool operator==(const StrokeItem&) const = default;
};

}  // namespace nolby
