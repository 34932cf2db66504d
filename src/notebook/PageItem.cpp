#include "notebook/PageItem.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace nolby {

const Uuid& PageItem::id() const {
    return std::visit([](const auto& item) -> const Uuid& { return item.id; }, value);
}

double PageItem::top() const {
    if (const TextItem* t = text()) return t->y;
    if (const StrokeItem* s = stroke()) {
        std::vector<Point> pts = s->points();
        if (pts.empty()) return 0;
        double least = pts.front().y;
        for (const Point& p : pts) least = std::min(least, p.y);
        return least;
    }
    const BlockItem& b = *block();
    return b.box ? b.box->minY() : b.y;
}

namespace {

TextItem shiftedText(TextItem t, double dy, double cut) {
    t.y += dy;
    if (t.anchor && t.anchor->minY() >= cut) t.anchor = t.anchor->offsetBy(0, dy);
    return t;
}

// Narrowing a double beyond the float range is undefined; such a sample becomes infinite
// (the file writer drops it) instead.
float toFloat(double v) {
    if (v > double(FLT_MAX)) return std::numeric_limits<float>::infinity();
    if (v < -double(FLT_MAX)) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

// Every y entry (positions 1, 4, 7, ...) moves, including one in a trailing incomplete triple.
StrokeItem shiftedStroke(StrokeItem s, double dy) {
    if (s.pts.size() < 2) return s;
    for (size_t i = 1; i < s.pts.size(); i += 3) s.pts[i] = toFloat(s.pts[i] + dy);
    return s;
}

BlockItem shiftedBlock(BlockItem b, double dy) {
    if (b.box) b.box = b.box->offsetBy(0, dy);
    else b.y += dy;
    return b;
}

}  // namespace

PageItem PageItem::shifted(double dy, double cut) const {
    if (const TextItem* t = text()) return shiftedText(*t, dy, cut);
    if (const StrokeItem* s = stroke()) return shiftedStroke(*s, dy);
    return shiftedBlock(*block(), dy);
}

void PageItem::hashInto(ContentHasher& h) const {
    h.combine(static_cast<uint64_t>(value.index()));
    std::visit([&h](const auto& item) { item.hashInto(h); }, value);
}

uint64_t PageItem::contentHash() const {
    ContentHasher h(0);
    hashInto(h);
    return h.finalize();
}

uint64_t PageItem::shapeHash() const {
    double t = top();
    // Only a finite top can be moved back to 0; otherwise the item is keyed where it is.
    PageItem moved = std::isfinite(t) ? shifted(-t, -std::numeric_limits<double>::infinity()) : *this;
    return moved.contentHash();
}

}  // namespace nolby
