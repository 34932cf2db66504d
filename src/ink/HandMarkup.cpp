// The inline markup reader of the handwriting layouter: trimming and italics, spans, tokens.
// Everything here reads characters as grapheme clusters, so "\r\n" or a letter with its
// accents is one character, and markup only matches characters that are the bare marks.
#include "ink/Hand.h"

#include "ink/Ink.h"
#include "platform/Regex.h"
#include "platform/Unicode.h"

#include <unicode/regex.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace nolby {

namespace {

constexpr size_t kMaxCodeToken = 24;  // longer code spans are written word by word

char32_t firstScalar(std::string_view ch) {
    std::u32string u = unicode::toUtf32(ch.substr(0, std::min<size_t>(ch.size(), 4)));
    return u.empty() ? 0 : u[0];
}

bool isLineBreakScalar(char32_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// A character is white space or a letter by its first scalar, as the platform decides it.
bool isWhitespaceChar(std::string_view ch) { return unicode::isWhitespace(firstScalar(ch)); }
bool isLetterChar(std::string_view ch) {
    return u_hasBinaryProperty(static_cast<UChar32>(firstScalar(ch)), UCHAR_ALPHABETIC);
}

// Spaces and tabs, not line breaks: the set code spans are trimmed with.
bool isInlineSpace(char32_t c) { return unicode::isWhitespace(c) && !isLineBreakScalar(c); }

std::u32string_view trimmed(std::u32string_view s, bool (*drop)(char32_t)) {
    size_t b = 0, e = s.size();
    while (b < e && drop(s[b])) ++b;
    while (e > b && drop(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool isAnyWhitespace(char32_t c) { return unicode::isWhitespace(c); }

// A word character as regular expressions mean \w: alphabetic, a mark, a decimal digit,
// connector punctuation, or a zero-width (non-)joiner.
bool isWordScalar(char32_t c) {
    if (c == 0x200C || c == 0x200D) return true;
    const auto ch = static_cast<UChar32>(c);
    if (u_hasBinaryProperty(ch, UCHAR_ALPHABETIC)) return true;
    const uint32_t category = U_MASK(u_charType(ch));
    return (category & (U_GC_M_MASK | U_GC_ND_MASK | U_GC_PC_MASK)) != 0;
}

// Single-star italics unwrapped: a star with neither a star nor a word character before it
// and no star after it, one or more characters that are neither stars nor line feeds, and a
// star with neither a star nor a word character after it become the characters between.
// Matches are found left to right, each search going on after the last match, and the
// characters around a star are read from the text as given. (Read by hand rather than by a
// regular expression: the first expression compiled in a process builds large character
// tables, a good part of starting up.)
std::string unwrapItalics(std::u32string_view text) {
    if (text.find(U'*') == std::u32string_view::npos || text.size() > INT32_MAX / 2) return unicode::toUtf8(text);
    const size_t n = text.size();
    auto fence = [&](size_t j) { return j < n && (text[j] == U'*' || isWordScalar(text[j])); };
    std::u32string out;
    out.reserve(n);
    size_t copied = 0;  // text before this has been written out
    for (size_t i = 0; i < n; ++i) {
        if (text[i] != U'*' || (i > 0 && fence(i - 1)) || i + 1 >= n || text[i + 1] == U'*') continue;
        size_t close = i + 1;
        while (close < n && text[close] != U'*' && text[close] != U'\n') ++close;
        // The inner text cannot hold a star, so the first star after the opening one is the
        // only possible close.
        if (close == i + 1 || close >= n || text[close] != U'*' || fence(close + 1)) continue;
        out.append(text.substr(copied, i - copied));
        out.append(text.substr(i + 1, close - i - 1));
        copied = close + 1;
        i = close;
    }
    out.append(text.substr(copied));
    return unicode::toUtf8(out);
}

// One left-to-right pass over the characters; each rule is a method that either consumes
// at the current position and says so, or leaves it to the next rule.
class SpanReader {
public:
    explicit SpanReader(std::string_view text)
        : text_(text), bounds_(unicode::graphemeBounds(text)), n_(bounds_.size() - 1) {
        nextDollar_.assign(n_ + 1, n_);
        for (size_t j = n_; j-- > 0;) {
            nextDollar_[j] = at(j) == "$" ? j : nextDollar_[j + 1];
            if (at(j) == "`") {
                ++ticks_;
                if (lastTick_ == n_) lastTick_ = j;
            }
        }
    }

    std::vector<Hand::Span> read() {
        while (i_ < n_) step();
        flush();
        return std::move(out_);
    }

private:
    std::string_view at(size_t j) const { return text_.substr(bounds_[j], bounds_[j + 1] - bounds_[j]); }
    bool is(size_t j, std::string_view ch) const { return j < n_ && at(j) == ch; }
    bool startsPair(std::string_view ch) const { return is(i_, ch) && is(i_ + 1, ch); }

    void step() {
        if (backtick() || inCode() || highlight() || toggle("_", ul_) || openRing() || closeRing() ||
            toggle("~", wavy_) || escapedDollar() || maths() || openColour() || closeColour())
            return;
        cur_ += at(i_++);
    }

    Hand::Span styled(std::string text, bool math) const {
        Hand::Span s;
        s.text = std::move(text);
        if (!colors_.empty()) s.color = colors_.back();
        s.hl = hl_;
        s.ul = ul_;
        s.math = math;
        s.hlColor = hlColor_;
        s.ring = ring_;
        s.wavy = wavy_;
        s.code = code_;
        return s;
    }

    void flush() {
        if (cur_.empty()) return;
        out_.push_back(styled(std::move(cur_), false));
        cur_.clear();
    }

    // A code span needs a closing backtick somewhere ahead; a lone one is literal.
    bool backtick() {
        if (ticks_ < 2 || !is(i_, "`")) return false;
        if (!code_ && !(lastTick_ != n_ && lastTick_ > i_)) return false;
        flush();
        code_ = !code_;
        ++i_;
        return true;
    }

    bool inCode() {
        if (!code_) return false;
        cur_ += at(i_++);
        return true;
    }

    bool highlight() {
        if (!startsPair("*")) return false;
        flush();
        if (hl_) hlColor_.reset();
        hl_ = !hl_;
        i_ += 2;
        return true;
    }

    bool toggle(std::string_view mark, bool& flag) {
        if (!startsPair(mark)) return false;
        flush();
        flag = !flag;
        i_ += 2;
        return true;
    }

    // Rings do not nest: "((" inside a ring and "))" outside one are literal.
    bool openRing() {
        if (ring_ || !startsPair("(")) return false;
        flush();
        ring_ = true;
        i_ += 2;
        return true;
    }

    bool closeRing() {
        if (!ring_ || !startsPair(")")) return false;
        flush();
        ring_ = false;
        i_ += 2;
        return true;
    }

    bool escapedDollar() {
        if (!is(i_, "\\") || !is(i_ + 1, "$")) return false;
        cur_ += '$';
        i_ += 2;
        return true;
    }

    // An unclosed "$" makes the rest of the text the formula.
    bool maths() {
        if (!is(i_, "$")) return false;
        flush();
        size_t j = nextDollar_[i_ + 1];
        std::string formula;
        for (size_t k = i_ + 1; k < j; ++k) formula += at(k);
        if (!formula.empty()) out_.push_back(styled(std::move(formula), true));
        i_ = j < n_ ? j + 1 : n_;
        return true;
    }

    // "{name:" with a stroke colour name of 1 to 10 letters; anything else is literal.
    bool openColour() {
        if (!is(i_, "{")) return false;
        size_t k = 0;
        for (size_t j = i_ + 1; j < n_ && j - i_ <= 11; ++j)
            if (is(j, ":")) {
                k = j - i_;
                break;
            }
        if (k < 2) return false;
        std::string name;
        for (size_t j = i_ + 1; j < i_ + k; ++j) {
            if (!isLetterChar(at(j))) return false;
            name += at(j);
        }
        if (!Ink::isStrokeName(unicode::lowercased(name))) return false;  // hexadecimal names stay literal
        flush();
        colors_.push_back(Ink::color(name, Ink::ink));
        // The first colour inside a highlight tints it until the highlight closes.
        if (hl_ && !hlColor_) hlColor_ = name;
        i_ += k + 1;
        return true;
    }

    bool closeColour() {
        if (colors_.empty() || !is(i_, "}")) return false;
        flush();
        colors_.pop_back();
        ++i_;
        return true;
    }

    std::string_view text_;
    std::vector<size_t> bounds_;
    size_t n_;
    size_t i_ = 0;
    size_t ticks_ = 0;
    size_t lastTick_ = n_;            // index of the last backtick; n_ when there is none
    std::vector<size_t> nextDollar_;  // first "$" at or after each index; n_ when none
    std::string cur_;
    bool hl_ = false, ul_ = false, ring_ = false, wavy_ = false, code_ = false;
    std::optional<std::string> hlColor_;
    std::vector<Color> colors_;
    std::vector<Hand::Span> out_;
};

Hand::Tok tokenOf(const Hand::Span& s, std::string text, bool spaceBefore) {
    Hand::Tok t;
    t.text = std::move(text);
    t.color = s.color;
    t.hl = s.hl;
    t.ul = s.ul;
    t.hlColor = s.hlColor;
    t.spaceBefore = spaceBefore;
    t.ring = s.ring;
    t.wavy = s.wavy;
    t.code = s.code;
    return t;
}

// A short code span stays one token so it is written as one run of cells.
bool codeToken(const Hand::Span& s, bool& pending, std::vector<Hand::Tok>& out) {
    if (!s.code || s.text.empty()) return false;
    std::u32string u = unicode::toUtf32(s.text);
    std::string inner = unicode::toUtf8(trimmed(u, isInlineSpace));
    if (inner.empty() || unicode::graphemeCount(inner) > kMaxCodeToken) return false;
    std::vector<size_t> b = unicode::graphemeBounds(s.text);
    std::string_view first(s.text.data(), b[1]);
    std::string_view last(s.text.data() + b[b.size() - 2], s.text.size() - b[b.size() - 2]);
    out.push_back(tokenOf(s, std::move(inner), pending || isWhitespaceChar(first)));
    pending = isWhitespaceChar(last);
    return true;
}

Hand::Tok lineBreak() {
    Hand::Tok t;
    t.newline = true;
    return t;
}

void words(const Hand::Span& s, bool& pending, std::vector<Hand::Tok>& out) {
    std::string word;
    bool wordSpace = false;
    auto endWord = [&] {
        if (!word.empty()) out.push_back(tokenOf(s, std::move(word), wordSpace));
        word.clear();
    };
    for (const std::string& ch : unicode::graphemes(s.text)) {
        if (ch == "\n") {
            endWord();
            out.push_back(lineBreak());
            pending = false;
        } else if (isWhitespaceChar(ch)) {
            endWord();
            pending = true;
        } else {
            if (word.empty()) wordSpace = pending;
            word += ch;
        }
    }
    if (!word.empty()) {
        endWord();
        pending = false;
    }
}

}  // namespace

const icu::RegexPattern& Hand::italic() {
    // Never destroyed: layouts may still run on other threads while the process exits.
    static const icu::RegexPattern* pattern =
        regex::compile(uR"re((?<![*\w])\*(?!\*)([^*\n]+?)\*(?![*\w]))re", "italic");
    return *pattern;
}

std::string Hand::prepare(std::string_view text) {
    std::u32string u = unicode::toUtf32(text);
    return unwrapItalics(trimmed(u, isAnyWhitespace));
}

std::vector<Hand::Span> Hand::spans(std::string_view text) {
    // Malformed bytes become U+FFFD so every span holds valid UTF-8.
    std::string valid = unicode::toUtf8(unicode::toUtf32(text));
    return SpanReader(valid).read();
}

std::vector<Hand::Tok> Hand::tokens(const std::vector<Span>& spans) {
    std::vector<Tok> out;
    bool pending = false;  // white space seen since the last token
    for (const Span& s : spans) {
        if (s.math) {
            Tok t = tokenOf(s, s.text, pending);
            t.math = true;
            t.code = false;
            out.push_back(std::move(t));
            pending = false;
        } else if (!codeToken(s, pending, out)) {
            words(s, pending, out);
        }
    }
    return out;
}

}  // namespace nolby
