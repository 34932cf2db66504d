#pragma once
// One tutor reply block (or stored annotation) as it was placed on a page.

#include "notebook/ContentHasher.h"
#include "platform/Date.h"
#include "platform/Geometry.h"
#include "platform/Uuid.h"

#include <cstdint>
#include <optional>
#include <string>

namespace nolby {

struct BlockItem {
    Uuid id = Uuid::random();
    std::string json;  // the block as one JSON object, its kind under "t"
    double dx = 0;     // added to the laid-out block's x
    double y = 0;      // top of the block when it has no box
    std::optional<double> h;  // height as placed; widens the bounds when > 0
    uint64_t seed = 0;        // all of the block's jitter comes from this
    std::optional<int64_t> turn;
    Date created = ReferenceClock::now();
    std::optional<std::string> image;  // painting file of a sketch block
    std::optional<Rect> box;           // annotations ("mark", "hole") are placed by this, not y

    void hashInto(ContentHasher& hs) const {
        hs.combine(id);
        hs.combine(std::string_view(json));
        hs.combine(dx);
        hs.combine(y);
        hs.combine(h);
        hs.combine(seed);
        hs.combine(turn);
        hs.combine(created);
        hs.combine(image.has_value());
        if (image) hs.combine(std::string_view(*image));
        hs.combine(box);
    }

    bool operator==(const BlockItem&) const = default;
};

}  // namespace nolby
