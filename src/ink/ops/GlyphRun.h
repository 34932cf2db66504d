#pragma once
// A text run turned into glyph outlines, ready to fill: baseline at y 0, y down, origin
// at the left end of the run. Faces that stand in for missing characters are included.

#include "platform/Font.h"
#include "platform/Path.h"

#include <string>

namespace nolby {

struct GlyphRun {
    std::string text;
    Path path;
    double width = 0, ascent = 0, descent = 0;  // typographic bounds of the line

    GlyphRun() = default;
    // `kern` is extra space after every character, in points.
    GlyphRun(std::string text, const Font& font, double kern = 0);

    bool operator==(const GlyphRun&) const = default;
};

}  // namespace nolby
