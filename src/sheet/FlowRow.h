#pragma once
// Items laid left to right in rows that wrap, like words: each item keeps its own size, a
// row is as high as its tallest item, and an item too wide for any row stands alone on
// its own row and overhangs. Keeps nothing between calls.

#include "platform/Geometry.h"

#include <optional>
#include <vector>

namespace nolby {

struct FlowRow {
    double spacing = 0;      // between items in a row
    double lineSpacing = 0;  // between rows

    // The size the items take in rows no wider than `width` (unlimited when none): the
    // widest row (at most `width`) by the rows' heights. No items: (0, 0).
    Size sizeThatFits(std::optional<double> width, const std::vector<Size>& items) const;
    // The top-left corner of each item in rows within `bounds` (items share their row's top).
    std::vector<Point> placeSubviews(const Rect& bounds, const std::vector<Size>& items) const;

    bool operator==(const FlowRow&) const = default;
};

}  // namespace nolby
