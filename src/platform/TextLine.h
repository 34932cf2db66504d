#pragma once
// One line of text shaped with HarfBuzz: split into runs by which face has each
// user-perceived character (the font's own face, then its cascade list, then a system
// face), each run shaped unhinted at the font's size.

#include "platform/Font.h"
#include "platform/Path.h"

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace nolby {

struct ShapedGlyph {
    uint32_t gid;
    double x, y;       // pen position in points from the line origin, y growing downward
    double advance;    // points, kern included
    uint32_t cluster;  // byte offset in the text of the character it draws
};

struct ShapedRun {
    std::shared_ptr<const FontInstance> instance;
    std::vector<ShapedGlyph> glyphs;
};

struct TextLine {
    std::vector<ShapedRun> runs;
    double width = 0;    // typographic width, every advance and kern included
    double ascent = 0;   // the largest ascent of the faces used
    double descent = 0;  // the largest descent of the faces used (positive)
    double size = 0;

    // `kern` is extra space after every character, in points.
    static TextLine shape(std::string_view text, const Font& font, double kern = 0);

    // The outlines of every glyph, baseline at y 0, y growing downward, origin at the left end.
    Path outline() const;
    // True when some character has no glyph in the face chosen for it.
    bool hasMissingGlyphs() const;
};

// A line shaped once and kept: the same text in the same faces, size and kern always
// shapes to the same glyphs, so layouts that write a word many times (and measure it
// first) shape it once and build its outline once. Immutable; shared by every thread.
class ShapedText {
public:
    explicit ShapedText(TextLine line) : line_(std::move(line)) {}
    const TextLine& line() const { return line_; }
    // line().outline(), built on first use.
    const Path& outline() const;

private:
    TextLine line_;
    mutable std::once_flag built_;
    mutable Path outline_;
};

// The text shaped in the font with the kern (as TextLine::shape), from a process-wide cache
// keyed by the text, the font's faces, its size and the kern, exactly. The cache is bounded:
// when it holds too many glyphs it starts over.
std::shared_ptr<const ShapedText> shapedText(std::string_view text, const Font& font, double kern = 0);

// The typographic width of the text set in the font; 0 for the empty string.
double textWidth(std::string_view text, const Font& font);

}  // namespace nolby
