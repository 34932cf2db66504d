#include "sheet/FlowRow.h"

#include <algorithm>
#include <limits>

namespace nolby {

namespace {

// One walk through the items; `at` gets each item's corner relative to the rows' origin.
template <class At>
Size walk(double W, double spacing, double lineSpacing, const std::vector<Size>& items, At&& at) {
    double x = 0, y = 0, h = 0, widest = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        const Size& s = items[i];
        // The first item of a row is never wrapped, however wide it is.
        if (x > 0 && x + s.width > W) {
            y += h + lineSpacing;
            x = 0;
            h = 0;
        }
        at(i, Point{x, y});
        x += s.width + spacing;
        widest = std::max(widest, x - spacing);
        h = std::max(h, s.height);
    }
    return Size{std::min(W, widest), y + h};
}

}  // namespace

Size FlowRow::sizeThatFits(std::optional<double> width, const std::vector<Size>& items) const {
    const double W = width.value_or(std::numeric_limits<double>::infinity());
    return walk(W, spacing, lineSpacing, items, [](size_t, Point) {});
}

std::vector<Point> FlowRow::placeSubviews(const Rect& bounds, const std::vector<Size>& items) const {
    std::vector<Point> out(items.size());
    walk(bounds.width(), spacing, lineSpacing, items,
         [&](size_t i, Point p) { out[i] = {bounds.minX() + p.x, bounds.minY() + p.y}; });
    return out;
}

}  // namespace nolby
