#pragma once
// Five nautical signal-flag tiles in a row, spanning the frame's width exactly.

#include "platform/Geometry.h"

#include <cairo.h>

#include <array>

namespace nolby {

struct QuirnFlags {
    // The five tiles of a frame of `size`: gap 0.03 of the width between them.
    static std::array<Rect, 5> tiles(Size size);
    void draw(cairo_t* cr, const Rect& frame) const;
};

}  // namespace nolby
