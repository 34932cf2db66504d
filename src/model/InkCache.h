#pragma once
// Page items to ink. Laying an item out (handwriting, maths, figures) is costly, so each open
// notebook keeps one cache: an entry per item id holding the item's operations and their
// bounds, returned as is while the item is unchanged, and shifted instead of laid out again
// when the item has only moved up or down the page (page flow moves items often).
//
// Entries are replaced, never removed: entries of deleted items stay until the cache goes.
// Main thread only; the operations it hands out are immutable and may be drawn anywhere.

#include "ink/blocks/Blocks.h"
#include "ink/ops/InkOp.h"
#include "notebook/PageItem.h"
#include "platform/Color.h"
#include "platform/Image.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace nolby {

class InkCache {
public:
    struct Entry {
        uint64_t key = 0;    // PageItem::contentHash() of the item the ops were made for
        uint64_t shape = 0;  // PageItem::shapeHash(): equal shapes differ by a vertical move only
        double top = 0;      // PageItem::top() of that item
        std::vector<InkOpRef> ops;  // in writing order, page coordinates
        Rect bounds = Rect::null();
    };

    // The ink image of a painting named by a sketch block's "image"; null when there is none.
    using SketchLoader = std::function<std::shared_ptr<const Image>(const std::string& name)>;

    explicit InkCache(SketchLoader sketches = {}) : sketches_(std::move(sketches)) {}

    // The item's entry: the stored one when the item is unchanged, the stored one shifted
    // when the item has only moved vertically, else a new layout. Stores what it returns.
    const Entry& entry(const PageItem& item, const Geo& geo, Color accent);
    // Stores operations laid out elsewhere (the tutor lays reply blocks out in the
    // background) as the item's entry, replacing any.
    void prime(const PageItem& item, std::vector<InkOpRef> ops, const Geo& geo);

    // The item's operations: a note's ring and handwriting, a stroke's outline, a block's
    // layout moved into place (marks and dive holes by their box).
    static std::vector<InkOpRef> build(const PageItem& item, const Geo& geo, Color accent,
                                       const SketchLoader& sketches = {});

    // The union of the operations' bounds, and for a block with a height above 0 its text
    // column (x 24 to pageW − 24) from its y for that height; null when nothing has bounds.
    static Rect bounds(const PageItem& item, const std::vector<InkOpRef>& ops, const Geo& geo);

    // The hand-drawn ring around the words a margin note is about, and the figures behind it.
    struct Ring {
        int steps = 0;  // points around the ellipse
        double rx = 0, ry = 0, overlap = 0;
        InkOpRef op;  // null when the anchor is not finite
    };
    // `seed` is the note's own seed; the ring draws from seed + 9.
    static Ring ring(const Rect& anchor, uint64_t seed, Color color);

    // The colour of a learner note or stroke: the learner's ink for "learner" and for any
    // name the colour table does not know.
    static Color learnerColor(const std::string& name);

    const std::map<Uuid, Entry>& store() const { return store_; }

private:
    std::map<Uuid, Entry> store_;
    SketchLoader sketches_;
};

}  // namespace nolby
