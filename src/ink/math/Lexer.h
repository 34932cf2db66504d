#pragma once
// The cursor over one formula: its characters (grapheme clusters) and the token rules of
// the maths language. One lexer per parse; it holds all the parser's state.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace nolby::math {

class Lexer {
public:
    // Tutor text is untrusted: a formula longer than this many characters is cut there (the
    // rest is dropped), so one reply cannot make the parser and layout run without end.
    static constexpr size_t kMaxChars = 4000;
    // Bytes are bounded first, so a single huge cluster (a letter with endless combining
    // marks) cannot slip past the character bound.
    static constexpr size_t kMaxBytes = 32768;
    // How many groups and arguments may be open at once before the parser reads the rest
    // flat (see Parser.h). Keeps the stack, and the tree the layout walks, shallow.
    static constexpr int kMaxDepth = 64;

    explicit Lexer(std::string_view text);

    std::vector<std::string> s;  // the text as grapheme clusters; fixed
    size_t i = 0;                // the cursor; only moves forward
    bool consumedStop = false;   // set by every row: did it end by consuming its stop token?
    int depth = 0;               // groups and arguments open right now

    bool atEnd() const { return i >= s.size(); }
    bool deep() const { return depth >= kMaxDepth; }
    void skipSpace();

    // The token at the cursor, not consumed: one character, a backslash with its run of
    // letters, or a backslash with the one character after it. Empty at the end.
    std::string tok() const;
    // Consumes the token at the cursor and returns it.
    std::string take();
    // Skips whitespace, then returns a braced group's inner text verbatim (nested braces
    // included) or else the next token, consuming it.
    std::string raw();
    // The ASCII digits and decimal points (each followed by a digit) at the cursor.
    std::string digits();

    // The form a token is compared in: canonically equivalent spellings ("=" with a
    // combining long solidus and "≠") compare equal, as the tables expect of characters.
    static std::string canonical(std::string_view token);

private:
    size_t tokenEnd() const;
    bool isSpaceAt(size_t k) const;
    bool isLetterAt(size_t k) const;
    bool isAsciiDigitAt(size_t k) const;
};

}  // namespace nolby::math
