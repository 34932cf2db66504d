#pragma once
// The result of laying out one block: its operations in writing order (later ones over
// earlier ones), the height it takes on the page, and the rooms left empty for the
// learner to write in. A block is laid out in its own frame and moved into place.

#include "ink/ops/InkOp.h"

#include <vector>

namespace nolby {

struct Laid {
    std::vector<InkOpRef> ops;
    double height = 0;
    std::vector<Rect> rooms;

    static const Laid& empty();

    // Every operation offset and every room moved by (dx, dy); the height stays.
    Laid shifted(double dx, double dy) const;
};

}  // namespace nolby
