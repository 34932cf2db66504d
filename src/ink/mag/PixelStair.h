#pragma once
// A pixel-art band hanging from the top edge: columns of cells that step down in a ragged
// staircase from the full height at the left to three cells at the right, pale cyan with a
// cyan and a blue cell at the foot and now and then a stray cell below. Seeded: the same
// seed and size always draw the same staircase.

#include "platform/Geometry.h"

#include <cairo.h>

#include <cstdint>
#include <vector>

namespace nolby {

struct PixelStair {
    double px = 9;      // one cell, in points
    uint64_t seed = 0;  // the ragged edge

    struct Column {
        int height = 0;      // cells filled from the top (the last two are the cyan and blue feet)
        bool stray = false;  // a loose cell one row below the column's foot
        bool operator==(const Column&) const = default;
    };
    // The columns of a band of `size` points: one per whole cell across and one more for the
    // part-cell at the right edge.
    std::vector<Column> columns(Size size) const;

    void draw(cairo_t* cr, const Rect& frame) const;

    // More columns than this are not drawn (a band that wide is no band).
    static constexpr int kMaxColumns = 4096;
};

}  // namespace nolby
