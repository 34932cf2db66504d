#pragma once
// The ink of a page that has no cached bitmap yet, drawn whole on one canvas no larger than
// its bounds plus 6 points. Two patches compare equal by operation count, version, scale and
// origin, never by the operations, so an unchanged patch costs nothing to compare.

#include "ink/ops/InkOp.h"
#include "platform/Geometry.h"

#include <cairo.h>

#include <cstdint>
#include <vector>

namespace nolby {

struct InkPatch {
    std::vector<InkOpRef> ops;
    int64_t version = 0;
    double scale = 1;
    Point origin;  // where page point (0, 0) sits in the view

    // The union of the operations' bounds grown by 6 points; null when nothing shows.
    Rect box() const;
    // The canvas in view points: s × the box, moved to the origin. Null when nothing shows.
    Rect frame() const;
    // Draws every operation whole into the view's context, clipped to the frame. With
    // timing lines on, a draw over 4 ms prints "patch <n> ops".
    void draw(cairo_t* cr) const;

    bool operator==(const InkPatch& o) const {
        return ops.size() == o.ops.size() && version == o.version && scale == o.scale && origin == o.origin;
    }
};

}  // namespace nolby
