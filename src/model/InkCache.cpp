#include "model/InkCache.h"

namespace nolby {

Rect InkCache::bounds(const PageItem& item, const std::vector<InkOpRef>& ops, const Geo& geo) {
    Rect all = Rect::null();
    for (const InkOpRef& op : ops) {
        Rect b = op->bounds();
        if (!b.isNull()) all = all.united(b);
    }
    // A block covers its whole text column for its stored height, even where its ink is
    // sparse, so that nothing is placed into the blank parts of a figure or a question.
    if (const BlockItem* b = item.block(); b && b->h && *b->h > 0) {
        Rect column{Blocks::kMargin, b->y, geo.pageW - 2 * Blocks::kMargin, *b->h};
        all = all.united(column);
    }
    return all;
}

const InkCache::Entry& InkCache::entry(const PageItem& item, const Geo& geo, Color accent) {
    const uint64_t key = item.contentHash();
    auto found = store_.find(item.id());
    if (found != store_.end() && found->second.key == key) return found->second;

    const uint64_t shape = item.shapeHash();
    const double top = item.top();
    if (found != store_.end() && found->second.shape == shape) {
        Entry& e = found->second;
        const double delta = top - e.top;
        for (InkOpRef& op : e.ops) op = op->offset(0, delta);
        e.bounds = e.bounds.offsetBy(0, delta);
        e.key = key;
        e.top = top;
        return e;
    }

    Entry made;
    made.key = key;
    made.shape = shape;
    made.top = top;
    made.ops = build(item, geo, accent, sketches_);
    made.bounds = bounds(item, made.ops, geo);
    Entry& stored = store_[item.id()];
    stored = std::move(made);
    return stored;
}

void InkCache::prime(const PageItem& item, std::vector<InkOpRef> ops, const Geo& geo) {
    Entry e;
    e.key = item.contentHash();
    e.shape = item.shapeHash();
    e.top = item.top();
    e.bounds = bounds(item, ops, geo);
    e.ops = std::move(ops);
    store_[item.id()] = std::move(e);
}

}  // namespace nolby
