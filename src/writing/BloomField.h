#pragma once
// The inner steps of Bloom::make, open to tests: which pixels are ink lines, and when the
// spreading paint reaches each cell of the coarse grid. Pixels are cairo's premultiplied
// ARGB32 words in native byte order (alpha in the top byte, then red, green, blue).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nolby::bloom {

// A dark, nearly grey pixel of alpha above 90: over white, luminance at most about 105 of
// 255 and a channel spread of at most 69. Branch-free, so the pass over a whole painting
// vectorises.
inline bool isLine(uint32_t px) {
    const uint32_t a = px >> 24, lift = 255 - a;
    const uint32_t r = ((px >> 16) & 0xFF) + lift, g = ((px >> 8) & 0xFF) + lift, b = (px & 0xFF) + lift;
    uint32_t hi = r > g ? r : g, lo = r < g ? r : g;
    hi = hi > b ? hi : b;
    lo = lo < b ? lo : b;
    return (a > 90) & (30 * r + 59 * g + 11 * b <= 10499) & (hi - lo <= 69);
}

// Where paint starts: a point in cell units and a delay.
struct Seed {
    double x = 0, y = 0, t = 0;
    bool operator==(const Seed&) const = default;
};

struct Field {
    int rows = 0;
    std::vector<Seed> seeds;      // always six
    std::vector<double> arrival;  // per cell (row-major, 120 a row): 0 … 1, normalised
};

// The grid of a painting of w x h pixels (`stride` words a row) spread from `seed`.
Field field(const uint32_t* pixels, int w, int h, size_t stride, uint64_t seed);

}  // namespace nolby::bloom
