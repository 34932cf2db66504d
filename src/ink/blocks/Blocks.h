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
    // The words coloured as keywords in code, sorted, built once on first use; matched
    // exactly (case-sensitive) by isPyWord.
    static const std::vector<std::string>& pyWords();
    static bool isPyWord(std::string_view word);

private:
    // Bounds on what one code block lays out; far beyond anything a page can show.
    static constexpr size_t kMaxCodeLines = 400;
    static constexpr size_t kMaxCodeColumns = 400;  // characters kept of each line
    static constexpr size_t kMaxCodeMarks = 100;    // highlights, and notes
    // Rules of a question's answer area; a finite page never needs more than a few dozen.
    static constexpr int kMaxAskRules = 1000;

    // A code block's lines as laid out, and the cell geometry shared by its parts.
    struct CodeRows {
        std::vector<std::string> lines;  // tabs expanded, trailing spaces dropped
        std::vector<size_t> counts;      // characters of each line
        bool transcript = false;         // some line starts with ">>>"
        double size = 0, adv = 0, lh = 0, cardW = 0;
        double baseline(size_t row) const { return 15.2 + size + static_cast<double>(row) * lh; }
    };
    // The lines of a code block: "lines" when present, else "text" split at line breaks.
    // None when "lines" is present but holds no lines.
    static std::optional<CodeRows> codeRows(const J& object);
    // Whether a line's characters begin with the three-character prompt (">>>" or "...").
    static bool prompted(const std::vector<std::string>& chars, std::string_view prompt);
    void codeCard(const J& object, const CodeRows& rows, Rough& rough, std::vector<InkOpRef>& ops) const;
    void codeLines(const CodeRows& rows, std::vector<InkOpRef>& ops) const;
    void codeHighlights(const J& object, const CodeRows& rows, Rough& rough, std::vector<InkOpRef>& ops) const;
    void codeNotes(const J& object, const CodeRows& rows, uint64_t seed, Rough& rough,
                   std::vector<InkOpRef>& ops) const;

public:
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

    // Bounds on stored annotations (boxes come from page items, "r" from stored JSON):
    // rectangles of one dive hole, and wave points or dots along one rectangle (a wavy
    // line of 1000 points is 6500 points long, far wider than any page).
    static constexpr size_t kMaxHoleRects = 200;
    static constexpr size_t kMaxMarkSteps = 1000;

    // Stored boxes and link ends lie within this many points of the page's origin. Beyond
    // it they can only come from a damaged file, and cairo's fixed-point coordinates end
    // near 8 million points (huge curves also take it seconds to flatten).
    static constexpr double kMaxReach = 1e6;
    // Whether every edge of a stored box is finite and within reach (a finite corner and
    // size can still overflow); marks and holes of other boxes draw nothing.
    static bool onPage(const Rect& box);

private:
    // Tilted ink: each operation turned on its own about a fixed pivot, keeping its pause.
    static InkOpRef tilted(const InkOpRef& op, double deg, double px, double py);
    static void appendTilted(std::vector<InkOpRef>& ops, const std::vector<InkOpRef>& more, double deg, double px,
                             double py);

public:
    // [/notes]

private:
    Laid paragraph(const J& object, uint64_t seed) const;
    Laid pageTurn(uint64_t seed) const;
};

}  // namespace nolby
