#include "ui/library/ShelfGrid.h"

#include <algorithm>
#include <cmath>

namespace nolby {

ShelfGrid ShelfGrid::fit(double width) {
    ShelfGrid g;
    if (!std::isfinite(width) || width < kMinColumn) width = kMinColumn;
    g.columns = std::max(1, static_cast<int>(std::floor((width + kGap) / (kMinColumn + kGap))));
    g.column = std::min(kMaxColumn, (width - kGap * (g.columns - 1)) / g.columns);
    g.left = (width - (g.column * g.columns + kGap * (g.columns - 1))) / 2;
    return g;
}

size_t ShelfGrid::rows(size_t count) const { return (count + columns - 1) / columns; }

double ShelfGrid::height(size_t count) const {
    const size_t r = rows(count);
    return r ? r * tileHeight() + (r - 1) * kRowGap : 0;
}

Rect ShelfGrid::tile(size_t index) const {
    const size_t row = index / columns, col = index % columns;
    return {left + col * (column + kGap), row * (tileHeight() + kRowGap), column, tileHeight()};
}

Rect ShelfGrid::cover(size_t index) const {
    const Rect t = tile(index);
    return {t.x, t.y, column, coverHeight()};
}

std::pair<size_t, size_t> ShelfGrid::visible(double top, double bottom, size_t count) const {
    const double pitch = tileHeight() + kRowGap;
    if (!count || !(bottom > top) || !std::isfinite(top) || !std::isfinite(bottom)) return {0, 0};
    const double firstRow = std::max(0.0, std::floor((top + kRowGap) / pitch));
    const double lastRow = std::max(0.0, std::floor(bottom / pitch));
    const size_t first = std::min(count, static_cast<size_t>(std::min(firstRow, 1e12)) * columns);
    const size_t last = std::min(count, (static_cast<size_t>(std::min(lastRow, 1e12)) + 1) * columns);
    return {first, std::max(first, last)};
}

}  // namespace nolby
