#pragma once
// The shelf's grid of covers: adaptive columns 176 to 240 points wide with 30 between them,
// centred, rows 34 apart; each tile a 3:4 cover with its label 10 points below. Only the
// rows in view are ever made, so the grid answers which tiles a band of the page meets.

#include "platform/Geometry.h"

#include <cstddef>
#include <utility>

namespace nolby {

struct ShelfGrid {
    static constexpr double kMinColumn = 176, kMaxColumn = 240;
    static constexpr double kGap = 30, kRowGap = 34;
    static constexpr double kLabelGap = 10, kLabel = 12;

    int columns = 1;
    double column = kMinColumn;  // width of a column (and of its cover)
    double left = 0;             // the first column's offset from the grid's left edge

    // As many columns of at least 176 points as fit the width, each then as wide as the width
    // allows up to 240, the whole centred. At least one column.
    static ShelfGrid fit(double width);

    double coverHeight() const { return column / 0.75; }
    double tileHeight() const { return coverHeight() + kLabelGap + kLabel; }
    size_t rows(size_t count) const;
    double height(size_t count) const;
    // Tile `index` (cover and label) and its cover, from the grid's top left.
    Rect tile(size_t index) const;
    Rect cover(size_t index) const;
    // The tiles [first, last) whose rows meet the band from `top` to `bottom` (grid space).
    std::pair<size_t, size_t> visible(double top, double bottom, size_t count) const;
};

}  // namespace nolby
