// Dot arrays: a grid of hand-drawn rings, some filled with a coloured scribble, optionally
// with the dots of each row gathered into rounded group boxes. For counting and grouping
// pictures (three rows of four, ten dots with six filled, groups of five).
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

namespace nolby {

namespace {

// Which dots are filled, by row-major index: a list names them, a count fills the first
// ones. A Boolean is not a count, and anything else fills nothing.
std::set<int> filled(const nlohmann::json* fill, int dots) {
    std::set<int> out;
    if (!fill || fill->is_boolean()) return out;
    if (fill->is_array()) {
        for (int i : Fig::ints(fill)) out.insert(i);
        return out;
    }
    const int n = std::min(Fig::int_(fill, 0), dots);
    for (int i = 0; i < n; ++i) out.insert(i);
    return out;
}

}  // namespace

void Fig::dots(const J& o, Color color) {
    const int rows = std::clamp(int_(o["rows"], 3), 1, 20);
    const int cols = std::clamp(int_(o["cols"], 4), 1, 30);
    const double x0 = ox + cl(o.num("x", 10)) * k, y0 = oy + cl(o.num("y", 5)) * k;
    // A negative gap mirrors nothing: the grid always runs right and down from (x, y). The
    // grid spans at most the whole range of coordinates (2 kLimit units) either way: a wider
    // one is all off the figure, and its hundreds of huge rings took seconds to outline.
    const double F = std::min(std::fabs(cl(o.num("gap", 6))), 2 * kLimit / std::max(rows, cols)) * k;
    const std::set<int> fill = filled(o["fill"], rows * cols);

    // The filled dot's scribble draws before its ring, dot after dot, row by row.
    Path rings, blobs;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const double cx = x0 + F * c + F / 2, cy = y0 + F * r + F / 2;
            if (fill.count(r * cols + c)) rough.ellipse(blobs, cx, cy, 0.32 * F, 0.32 * F, 1);
            rough.ellipse(rings, cx, cy, 0.64 * F, 0.64 * F, 2);
        }
    }
    if (!rings.isEmpty()) ops.push_back(std::make_shared<StrokeOp>(rings, pen(color, 2 * pw), 1, 2.5));
    // The thick pen over the small circle makes each filled dot a solid scribble about as
    // wide as its ring.
    const Color fc = Ink::color(o.str("fc", "orange"), Ink::ink);
    if (!blobs.isEmpty()) ops.push_back(std::make_shared<StrokeOp>(blobs, pen(fc, 0.304 * F), 1, 2.5));

    // No group, a group below 1 or one wider than a row: no boxes.
    const int g = int_(o["group"], 0);
    if (g < 1 || g > cols) return;
    Path boxes;
    for (int r = 0; r < rows; ++r) {
        for (int s = 0; s < cols; s += g) {
            const int n = std::min(s + g, cols) - s;  // the last box of a row holds the remainder
            rough.rect(boxes, x0 + F * s + 0.08 * F, y0 + F * r + 0.08 * F, F * n - 0.16 * F, 0.84 * F, true, 1);
        }
    }
    appendStroke(ops, boxes, pen(Ink::color(o.str("gc", "blue"), Ink::ink), 2.4 * pw), 1, 1, 0.35);
}

}  // namespace nolby
