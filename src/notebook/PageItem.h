#pragma once
// One thing on a page: a typed note, a pen stroke or a placed tutor block.

#include "notebook/BlockItem.h"
#include "notebook/ContentHasher.h"
#include "notebook/StrokeItem.h"
#include "notebook/TextItem.h"

#include <variant>

namespace nolby {

struct PageItem {
    // Case indexes 0, 1, 2; the content key feeds this index first.
    std::variant<TextItem, StrokeItem, BlockItem> value;

    PageItem(TextItem t) : value(std::move(t)) {}
    PageItem(StrokeItem s) : value(std::move(s)) {}
    PageItem(BlockItem b) : value(std::move(b)) {}

    const TextItem* text() const { return std::get_if<TextItem>(&value); }
    const StrokeItem* stroke() const { return std::get_if<StrokeItem>(&value); }
    const BlockItem* block() const { return std::get_if<BlockItem>(&value); }

    // The id of the item held.
    const Uuid& id() const;
    // The top of the item: a note's y, a stroke's least point y (0 without points),
    // a block's box top when it has a box, else its y.
    double top() const;
    // A copy moved down by dy. The cut matters only to a note's anchor, which moves only
    // when its top is at or below the cut.
    PageItem shifted(double dy, double cut) const;

    // The content key of the item's ink: the case index, then every field of the item.
    void hashInto(ContentHasher& h) const;
    // The item hashed with a hasher seeded 0.
    uint64_t contentHash() const;
    // The content key of the item moved to top 0: equal shape hashes mean the item has only
    // moved vertically.
    uint64_t shapeHash() const;

    bool operator==(const PageItem&) const = default;
};

}  // namespace nolby
