#pragma once
// The handwriting layouter. Every text written by hand goes through it: the inline markup
// reader (this header's first half, HandMarkup.cpp) turns a marked-up text into styled spans
// and then into word tokens, which the layout measures, breaks into lines and writes.

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

        bool operator==(const Tok&) const = default;
    };

    // Single-star italics: "(?<![*\w])\*(?!\*)([^*\n]+?)\*(?![*\w])". Compiled once, on
    // first use, from any thread; shared read-only (make a matcher per use).
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

    // The layout itself (seed, generators, alignment, lines, `write`) is declared here.
};

}  // namespace nolby
