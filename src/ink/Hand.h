#pragma once
// The handwriting layouter. Every text written by hand goes through it: the inline markup
// reader (this header's first half, HandMarkup.cpp) turns a marked-up text into styled spans
// and then into word tokens, which the layout measures, breaks into lines and writes.

#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/Rng.h"
#include "ink/Rough.h"
#include "ink/math/MathInk.h"
#include "ink/ops/InkOp.h"
#include "platform/Color.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class RegexPattern;
U_NAMESPACE_END

namespace nolby {

class Hand final {
public:
    // A run of text with one style. For a maths span, `text` is the formula source.
    struct Span {
        std::string text;
        std::optional<Color> color;  // innermost open colour span; nil: the writer's colour
        bool hl = false;
        bool ul = false;
        bool math = false;
        std::optional<std::string> hlColor;  // colour name that tints the highlight
        bool ring = false;
        bool wavy = false;
        bool code = false;

        bool operator==(const Span&) const = default;
    };

    // One word, formula, code span or line break, with the measures the layout fills in.
    struct Tok {
        std::string text;
        std::optional<Color> color;
        bool hl = false;
        bool ul = false;
        bool math = false;
        std::optional<std::string> hlColor;
        bool spaceBefore = false;  // white space separated it from the previous token
        bool newline = false;      // a line break; carries nothing else
        bool ring = false;
        bool wavy = false;
        bool code = false;
        double w = 0;      // advance width
        double a = 0;      // ascent
        double d = 0;      // descent
        double lead = 0;   // room before the word (rings)
        double trail = 0;  // room after the word (rings)
        bool piece = false;  // a later piece of a run broken to fit the column (breakRuns)

        bool operator==(const Tok&) const = default;
    };

    // Single-star italics: "(?<![*\w])\*(?!\*)([^*\n]+?)\*(?![*\w])" (prepare reads them by
    // hand, to the letter of this). Compiled once, on first use; shared read-only.
    static const icu::RegexPattern& italic();

    // The text as the markup reader wants it: trimmed of white space and line breaks at
    // both ends, single-star italics unwrapped to their inner text, malformed UTF-8 bytes
    // replaced by U+FFFD.
    static std::string prepare(std::string_view text);

    // The markup cut into styled spans. Never fails; unbalanced markup stays literal or
    // runs to the end. Reads no layout state, so the same text always gives the same spans.
    static std::vector<Span> spans(std::string_view text);

    // The spans cut into tokens: words at white space, one token per formula, short code
    // spans whole, a token per line feed. Measures are left at 0.
    static std::vector<Tok> tokens(const std::vector<Span>& spans);

    // ---- The layout ----

    enum class Align { left = 0, center = 1, right = 2 };

    // One written line: its baseline, where its first token starts and its last ends.
    struct Line {
        double y = 0, left = 0, right = 0;
        bool operator==(const Line&) const = default;
    };

    struct Result {
        std::vector<InkOpRef> ops;  // in writing order
        std::vector<Line> lines;    // never empty
        double height = 0;          // the room taken below `top`
        double width = 0;           // the widest line's natural width
    };

    // A token as placed on its line, for the decorations.
    struct Placed {
        const Tok* t;
        double x0, x1;  // where its ink starts and ends
        double base;    // its baseline, jitter included
    };

    explicit Hand(uint64_t seed);

    Rng rnd;       // slope, baseline and decoration jitter
    Rough rough;   // the decorations' strokes
    MathInk math;  // inline formulas
    const uint64_t seed;
    // A word wider than the column is broken between its characters onto as many lines as it
    // needs, instead of running past the column's edge (typed notes: a long address). It
    // starts on a line of its own, as any word that does not fit; formulas are never broken.
    bool breakRuns = false;

    // Writes marked-up text by hand in the column (x, top, width). Never fails.
    // lineHeight: distance between baselines of lines without maths (none: 1.42 × size).
    // marks: false leaves out highlights, rings, wavy lines and underlines.
    // halo: a colour stroked around words before they are filled.
    // indent, indentLines: the first indentLines lines start indent further right.
    // wobble: scales slope and baseline jitter (0: level baselines, same draws).
    Result write(const std::string& text, double x, double top, double width, double size = 17,
                 Color color = Ink::ink, Faces::Face face = Faces::Face::hand,
                 std::optional<double> lineHeight = std::nullopt, Align align = Align::left, bool marks = true,
                 std::optional<Color> halo = std::nullopt, double indent = 0, int indentLines = 0,
                 double wobble = 1);

    // How many lines write() breaks the text into with these settings, without writing it:
    // the same reading, measuring and line filling, no ink made. For measuring text as it is
    // typed.
    size_t lineCount(const std::string& text, double width, double size = 17, Faces::Face face = Faces::Face::hand,
                     bool marks = true, double indent = 0, int indentLines = 0);

    // Where a ring around a word should end: before closing punctuation, when it has some.
    static double ringEnd(const std::string& text, double a, double b, const Font& font);

private:
    // The text read, measured and broken into lines: what write() writes and lineCount() counts.
    // `color` is the writer's: formulas are measured in the colour they will be drawn in
    // (no measure depends on it), so drawing them reuses the measuring layout.
    std::vector<std::vector<Tok>> lay(const std::string& text, double width, double size, const Font& font,
                                      bool marks, double indent, int indentLines, double spaceW, Color color);
    void measure(std::vector<Tok>& toks, const Font& font, double size, Color color);
    static void makeRoomForRings(std::vector<Tok>& toks, double size);
    static std::vector<Tok> brokenRuns(const std::vector<Tok>& toks, double width, const Font& font);
    static std::vector<std::vector<Tok>> fillLines(const std::vector<Tok>& toks, double width, double indent,
                                                   int indentLines, double spaceW);
    void decorate(const std::vector<Placed>& placed, double size, Color color, const Font& font,
                  std::vector<InkOpRef>& ops);
};

// The text without its trailing run of characters that occur in `chars`.
std::string trimmingTrailing(std::string_view text, std::string_view chars);

}  // namespace nolby
