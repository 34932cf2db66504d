#pragma once
// One page: its items in paint order (later items draw over earlier ones).

#include "notebook/ContentHasher.h"
#include "notebook/PageItem.h"
#include "platform/Uuid.h"

#include <optional>
#include <vector>

namespace nolby {

struct Page {
    Uuid id = Uuid::random();
    std::vector<PageItem> items;
    std::optional<bool> carry;  // true on a page that took the overflow of the page before

    void hashInto(ContentHasher& h) const {
        h.combine(id);
        h.combine(static_cast<uint64_t>(items.size()));
        for (const PageItem& item : items) item.hashInto(h);
        h.combine(carry);
    }

    bool operator==(const Page&) const = default;
};

}  // namespace nolby
