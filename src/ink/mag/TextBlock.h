#pragma once
// Text of the magazine chrome set in several lines: words laid greedily into lines of a
// width, and titles that shrink (down to a floor) to fit a number of lines, cut short with
// "…" when even the smallest size does not hold them.

#include "ink/mag/ChromeText.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nolby::chrome {

// The words of the text (split at white space; runs of it count as one) laid greedily into
// lines: a word joins the line when the line with it still measures at most `maxWidth`,
// else it starts the next line; a word wider than a line stands whole on a line of its own.
// With `maxLines` above 0 it stops once that many lines are full; `next` then gets the first
// word left over (empty when none was).
std::vector<std::string> wrap(std::string_view text, double maxWidth,
                              const std::function<double(std::string_view)>& measure, size_t maxLines = 0,
                              std::string* next = nullptr);

// The font a block is set in, at a size.
using FontAt = std::function<std::shared_ptr<const Font>(double size)>;

struct Block {
    std::vector<Line> lines;
    double size = 0;        // the point size used (the size asked for, shrunk to fit)
    double lineHeight = 0;  // baseline to baseline: the face's ascent, descent and leading
    double ascent = 0;      // the first baseline below the block's top

    double height() const { return lineHeight * static_cast<double>(lines.size()); }
    double width() const;
};

// The text at the largest size between `minScale` × `size` and `size` at which it takes at
// most `maxLines` lines no wider than `maxWidth` (`tracking` after every character, scaled
// with the size). At the smallest size, lines beyond `maxLines` are dropped and the last
// kept line (or a word wider than the line) ends in "…".
Block block(std::string_view text, const FontAt& font, double size, double tracking, double maxWidth,
            size_t maxLines, double minScale);

// The text as one line, spaces kept as they are, cut short with "…" when wider than
// `maxWidth`.
Block single(std::string_view text, const Font& font, double tracking, double maxWidth);

// Fills the block's lines, flush left at x, the block's top at `top`.
void fill(cairo_t* cr, const Block& block, double x, double top, Color color);
// Their soft shadow (see chrome::shadow), not moved.
void shadow(cairo_t* cr, const Block& block, double x, double top, Color color, double radius);

}  // namespace nolby::chrome
