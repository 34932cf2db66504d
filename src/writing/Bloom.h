#pragma once
// How a painting comes onto the page: not stroke by stroke like ink, but like watercolour
// spreading from a few wet spots, with a darker wet rim at the spreading edge and the
// painting's ink lines laid on top. `make` prepares everything the page stage plays, once,
// off the main thread; the same painting and seed always bloom the same way.

#include "platform/Image.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace nolby {

struct Bloom {
    static constexpr int columns = 120;  // mask and rim images are 120 pixels wide
    static constexpr int stages = 23;    // masks and rims per bloom

    // The painting's ink lines at its own pixel size: every dark, nearly grey pixel copied
    // unchanged, everything else transparent.
    std::shared_ptr<const Image> lines;
    // Coverage masks of growing extent, 120 x rows, meant to be stretched over the painting:
    // each pixel white with alpha v in all four bytes. Mask 0 is empty, the last opaque.
    std::vector<std::shared_ptr<const Image>> masks;
    // The wet edge of each stage on the same grid; rim 0 is mask 0 itself, the last empty.
    std::vector<std::shared_ptr<const Image>> rims;

    // Rows of the grid for a painting of w x h pixels: 120·h/w rounded, within 24 … 240.
    static int rowsFor(int w, int h);

    // None for a painting under 9 pixels on a side or when a bitmap cannot be made.
    static std::optional<Bloom> make(const Image& painting, uint64_t seed);

    bool operator==(const Bloom&) const = default;
};

}  // namespace nolby
