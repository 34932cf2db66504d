#pragma once
// Monospaced code: one cell per character, each glyph centred in its cell and squeezed
// when wider than the cell allows.

#include "ink/ops/GlyphRun.h"
#include "ink/ops/InkOp.h"

#include <string>
#include <vector>

namespace nolby {

class MonoOp : public InkOp {
public:
    struct Cell {
        GlyphRun glyphs;
        Color color;
        double squeeze = 1;  // horizontal scale, below 1 for glyphs wider than 0.98 cells
        bool operator==(const Cell&) const = default;
    };

    // Colours go to the characters in order; the last repeats, and none means ink.
    MonoOp(std::string text, double x, double y, const Font& font, double adv, const std::vector<Color>& colors);

    const std::string text;
    const double x, y;
    const double adv;
    const double size;

    double cost() const override { return 1.15 * adv * static_cast<double>(cells_.size()) + 8; }
    void draw(cairo_t* cr, double t) const override;
    Rect bounds() const override;
    const char* className() const override { return "MonoOp"; }

    const std::vector<Cell>& cells() const { return cells_; }
    // Puts every cell in one colour, keeping glyphs and squeeze. Only for an operation
    // not yet shared: to recolour shared ink, tint a copy.
    void tint(Color color);

private:
    std::vector<Cell> cells_;
};

}  // namespace nolby
