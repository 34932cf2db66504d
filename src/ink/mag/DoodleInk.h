#pragma once
// The tutor's cover doodle (the plan's "doodle" figure items) drawn as ink in a square,
// through the figure interpreter. Layouts are cached by seed, square size, whiteness and the
// items themselves, so redraws and covers of one size reuse the ink.

#include "ink/ops/InkOp.h"
#include "platform/Geometry.h"

#include <nlohmann/json.hpp>

#include <cairo.h>

#include <cstdint>
#include <vector>

namespace nolby {

struct DoodleInk {
    nlohmann::json items;  // the figure items (an array; anything else draws nothing)
    uint64_t seed = 0;
    bool white = false;    // drawn in white for a dark ground

    // Layouts kept; the cache is emptied when one more would pass this.
    static constexpr size_t kLimit = 200;

    // The doodle laid out in a square of side `box` (figure units are hundredths of it),
    // from the cache when it holds the same seed, whole box size, whiteness and items.
    static std::vector<InkOpRef> ops(const nlohmann::json& items, uint64_t seed, double box, bool white);
    // The operation in white for a dark ground: highlighter strokes at 0.3, other strokes,
    // text and code opaque, fills at 0.16, all in the normal blend; wrappers are kept and any
    // other operation is returned as it is.
    static InkOpRef whiten(const InkOpRef& op);
    // Layouts in the cache.
    static size_t laid();

    // Draws the doodle in the square centred in `frame`.
    void draw(cairo_t* cr, const Rect& frame) const;
};

}  // namespace nolby
