#pragma once
// A pen stroke as the notebook stores it: its samples, colour name, width and tool.

#include "ink/PenStroke.h"
#include "notebook/ContentHasher.h"
#include "platform/Date.h"
#include "platform/Geometry.h"
#include "platform/Uuid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nolby {

// The first four members come first so that a stroke can be written as
// StrokeItem{pts, color, width, tool}; the identity and bookkeeping follow.
struct StrokeItem {
    std::vector<float> pts;  // flat triples x, y, pressure, in page points
    std::string color;       // a colour name
    double width = 0;        // the pen width in points
    std::string tool;        // "marker" for the highlighter, anything else a pen
    Uuid id = Uuid::random();
    Date created = ReferenceClock::now();
    std::optional<int64_t> turn = std::nullopt;  // the tutor turn that read it; absent while unread

    // What the pen outline reads of it; valid while this stroke lives.
    operator PenStroke() const { return {pts, color, width, tool}; }

    // One point per whole triple; a trailing incomplete triple is ignored.
    std::vector<Point> points() const { return PenStroke(*this).points(); }
    // The pressure of each point, in the same order.
    std::vector<double> pressures() const { return PenStroke(*this).pressures(); }

    // Every field, in the order the file lists them: id, pts, color, width, tool, created, turn.
    void hashInto(ContentHasher& h) const {
        h.combine(id);
        h.combine(pts);
        h.combine(std::string_view(color));
        h.combine(width);
        h.combine(std::string_view(tool));
        h.combine(created);
        h.combine(turn);
    }

    bool operator==(const StrokeItem&) const = default;
};

}  // namespace nolby
