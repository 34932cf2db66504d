#pragma once
// Reply blocks to ink. Every block, fresh from the tutor's stream or redrawn from a stored
// page item, goes through one dispatcher that reads its kind and hands it to that kind's
// layout. A block is laid out in its own frame (x from the page's left edge, y from the
// block's top); the caller shifts the result into place. Layout is pure: the same object,
// seed, image and Blocks value always give the same ink.

#include "ink/J.h"
#include "ink/math/MathInk.h"
#include "ink/ops/Laid.h"
#include "platform/Image.h"

#include <memory>
#include <string_view>

namespace nolby {

// The page of a notebook, in points.
struct Geo {
    double pageW = 400, pageH = 869;
    bool operator==(const Geo&) const = default;
};

struct Blocks {
    Geo geo;
    Color accent;  // the notebook's accent: rules, bars and boxes of some kinds

    // Margins of the text column, and the sizes blocks write in.
    static constexpr double kMargin = 24;
    static constexpr double kBodySize = 17;
    static constexpr double kSecondarySize = 14.5;

    // The width of the text column.
    double columnWidth() const { return geo.pageW - 2 * kMargin; }

    // Lays out a reply object by its kind ("t", case-sensitive); unknown kinds give
    // Laid::empty(). Only sketches read the image. Never fails.
    Laid lay(const J& object, uint64_t seed, const std::shared_ptr<const Image>& image = nullptr) const;

    // Whether a kind is one of the page blocks the tutor's stream may carry.
    static bool isBlock(std::string_view kind);

    Laid heading(const std::string& text, uint64_t seed, Color color) const;
    Laid math(const J& object, uint64_t seed) const;
    Laid list(const J& object, uint64_t seed) const;
    Laid quote(const J& object, uint64_t seed) const;
    // Writes the labels of a formula's annotated parts under it, tied to them by brackets
    // and arrows; returns the new bottom.
    double notes(const std::vector<MathInk::Note>& notes, std::vector<InkOpRef>& ops, double top, uint64_t seed) const;

    // ---- Further kinds, each group in its own files ----

    // [ask] Questions and code (BlocksAsk*.cpp, BlocksCode*.cpp).
    // A question with exactly one room for the learner's answer.
    Laid ask(const J& object, uint64_t seed) const;
    Laid code(const J& object, uint64_t seed) const;
    // One colour per character of a code line (characters as the user sees them).
    static std::vector<Color> tint(const std::string& line, bool output);
    // [/ask]

    // [notes] Sticky notes, asides, sketches, figure blocks, marks, links and dive holes
    // (BlocksNote*.cpp, BlocksSketch*.cpp, BlocksMarks*.cpp).
    Laid note(const J& object, uint64_t seed) const;
    static Color stickyColor(const std::string& name);
    Laid aside(const J& object, uint64_t seed) const;
    // `image` is the finished painting of this block, when there is one.
    Laid sketch(const J& object, uint64_t seed, const std::shared_ptr<const Image>& image) const;
    Laid fig(const J& object, uint64_t seed) const;
    // Stored annotations, drawn in page coordinates from the box they carry.
    std::vector<InkOpRef> mark(const J& object, Rect box, uint64_t seed) const;
    std::vector<InkOpRef> dive(const J& object, Rect box, uint64_t seed) const;
    Laid link(const J& object, uint64_t seed) const;
    // [/notes]

private:
    Laid paragraph(const J& object, uint64_t seed) const;
    Laid pageTurn(uint64_t seed) const;
};

}  // namespace nolby
