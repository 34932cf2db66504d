#pragma once
// One glyph run at a baseline origin, uncovered left to right as it is written.

#include "ink/ops/GlyphRun.h"
#include "ink/ops/InkOp.h"

#include <optional>
#include <string>

namespace nolby {

class TextOp : public InkOp {
public:
    TextOp(std::string text, double x, double y, const Font& font, Color color, double rotate = 0,
           std::optional<Color> halo = std::nullopt, double kern = 0);

    // The same run in another colour (the glyphs are not shaped again).
    TextOp(const TextOp& from, Color color);

    const std::string text;
    const double x, y;
    const double size;
    const Color color;
    const double rotate;  // stored only
    const std::optional<Color> halo;
    const GlyphRun glyphs;

    double cost() const override { return 1.25 * glyphs.width + 0.3 * size; }
    void draw(cairo_t* cr, double t) const override;
    Rect bounds() const override { return {x - 0.2 * size, y - 1.1 * size, glyphs.width + 0.4 * size, 1.55 * size}; }
    const char* className() const override { return "TextOp"; }
};

// Fills a glyph run at the current origin, its halo (a wide outline in the halo colour,
// behind the letters) first. Shared by every text operation.
void fillGlyphs(cairo_t* cr, const Path& glyphs, Color color, const std::optional<Color>& halo, double size);

}  // namespace nolby
