// The dive hole: the trace of a passage opened as a deep dive. A dotted underline in the
// notebook's accent under each of the passage's rectangles and a small arrow pointing up
// and out at the end of the last one. Drawn in page coordinates from the stored box.
#include "ink/Rough.h"
#include "ink/blocks/Blocks.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/StrokeOp.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

// The passage's rectangles of "r" ([x, y, w, h] relative to the box's top-left corner);
// entries that are not exactly four numbers are skipped. None valid: the box itself.
std::vector<Rect> passage(const J& o, const Rect& box) {
    std::vector<Rect> rects;
    if (const nlohmann::json* list = o.arr("r")) {
        for (const nlohmann::json& e : *list) {
            if (rects.size() == Blocks::kMaxHoleRects) break;
            if (!e.is_array()) continue;
            std::vector<double> v;
            for (const nlohmann::json& n : e)
                if (auto d = J::number(&n)) v.push_back(*d);
            if (v.size() != 4) continue;
            const Rect r{box.minX() + v[0], box.minY() + v[1], v[2], v[3]};
            // Coordinates beyond what a double holds would only reach the page as infinities.
            if (Blocks::onPage(r)) rects.push_back(r);
        }
    }
    if (rects.empty()) rects.push_back(box);
    return rects;
}

}  // namespace

std::vector<InkOpRef> Blocks::dive(const J& o, Rect box, uint64_t seed) const {
    if (!onPage(box)) return {};
    const std::vector<Rect> rects = passage(o, box);

    Path dots;
    for (const Rect& r : rects) {
        for (size_t i = 0; i < kMaxMarkSteps; ++i) {
            const double x = r.minX() + 1 + static_cast<double>(i) * 5.2;
            if (!(x < r.maxX() - 1)) break;
            dots.addEllipse({x - 0.95, r.maxY() + 1.2 - 0.95, 1.9, 1.9});
        }
    }
    std::vector<InkOpRef> ops;
    ops.push_back(std::make_shared<FillOp>(std::move(dots), accent.withAlpha(0.8)));

    const Rect& last = rects.back();
    Rough rough(seed, 0.5, 1.054, 2, 0.62);
    const double ax = std::min(geo.pageW - 14, last.maxX() - 1);
    Path arrow;
    rough.lineOnce(arrow, ax, last.minY() - 1, ax + 6, last.minY() - 7, false);
    rough.arrowhead(arrow, ax + 6, last.minY() - 7, 1, -1, 4);
    appendStroke(ops, std::move(arrow), Pen::usual(accent, 1.5), 1, 2);
    return ops;
}

}  // namespace nolby
