#include "platform/Unicode.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <memory>
#include <mutex>

namespace nolby::unicode {

std::u32string toUtf32(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    size_t i = 0, n = s.size();
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    while (i < n) {
        unsigned char b = byte(i);
        char32_t c;
        int len;
        if (b < 0x80) { c = b; len = 1; }
        else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; len = 2; }
        else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; len = 3; }
        else if ((b & 0xF8) == 0xF0) { c = b & 0x07; len = 4; }
        else { out.push_back(0xFFFD); ++i; continue; }
        bool ok = i + len <= n;
        for (int k = 1; ok && k < len; ++k) {
            unsigned char cb = byte(i + k);
            if ((cb & 0xC0) != 0x80) ok = false;
            else c = (c << 6) | (cb & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are malformed too.
        static constexpr char32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok && (c < minimum[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) ok = false;
        if (!ok) { out.push_back(0xFFFD); ++i; continue; }
        out.push_back(c);
        i += len;
    }
    return out;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) out += static_cast<char>(c);
    else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string toUtf8(std::u32string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char32_t c : s) appendUtf8(out, c);
    return out;
}

namespace {

// A character break iterator is costly to make and not thread-safe to share: keep one per
// thread. Each thread makes its own (ICU's factory is safe to call from any thread; cloning
// one shared prototype from several threads at once is not, and corrupted the heap).
icu::BreakIterator* characterIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> mine = [] {
        UErrorCode err = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> it(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), err));
        if (U_FAILURE(err)) it.reset();
        return it;
    }();
    return mine.get();
}

bool isAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\r') return false;
    return true;
}

}  // namespace

std::vector<size_t> graphemeBounds(std::string_view s) {
    std::vector<size_t> bounds;
    bounds.reserve(s.size() + 1);
    // Plain ASCII without carriage returns: every byte is its own character.
    if (isAscii(s)) {
        for (size_t i = 0; i <= s.size(); ++i) bounds.push_back(i);
        return bounds;
    }
    // Decode by hand, malformed bytes becoming U+FFFD one byte at a time.
    std::vector<std::pair<size_t, char32_t>> scalars;  // byte offset, scalar
    scalars.reserve(s.size());
    // Characters that never join a neighbour: a text of only these breaks at every scalar
    // (no rule of the grapheme cluster algorithm binds them), which saves making a break
    // iterator, a large part of the first layout in a process.
    bool loose = true;
    size_t i = 0;
    while (i < s.size()) {
        size_t len = 1;
        char32_t c = 0xFFFD;
        unsigned char b = static_cast<unsigned char>(s[i]);
        int want = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        if (want && i + want <= s.size()) {
            std::u32string one = toUtf32(s.substr(i, want));
            if (one.size() == 1 && (one[0] != 0xFFFD || s.substr(i, want) == "\xEF\xBF\xBD")) {
                c = one[0];
                len = want;
            }
        }
        if (loose) {
            const auto kind = u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_GRAPHEME_CLUSTER_BREAK);
            loose = kind == U_GCB_OTHER || kind == U_GCB_CONTROL || kind == U_GCB_LF;
        }
        scalars.emplace_back(i, c);
        i += len;
    }
    if (loose) {
        for (const auto& [offset, c] : scalars) bounds.push_back(offset);
        bounds.push_back(s.size());
        return bounds;
    }
    // Keep, for every UTF-16 unit handed to ICU, the byte offset it came from; ICU's break
    // offsets then map straight back to bytes of the original text.
    icu::UnicodeString u;
    std::vector<size_t> byteAt;
    for (const auto& [offset, c] : scalars) {
        int32_t before = u.length();
        u.append(static_cast<UChar32>(c));
        for (int32_t k = before; k < u.length(); ++k) byteAt.push_back(offset);
    }
    byteAt.push_back(s.size());
    icu::BreakIterator* it = characterIterator();
    if (!it) {
        for (size_t k = 0; k <= s.size(); ++k) bounds.push_back(k);
        return bounds;
    }
    it->setText(u);
    for (int32_t p = it->first(); p != icu::BreakIterator::DONE; p = it->next())
        bounds.push_back(byteAt[static_cast<size_t>(p)]);
    // The iterator keeps a share of the text it was given; let it go, or the thread's
    // iterator keeps the last text alive until it is next used.
    it->setText(icu::UnicodeString());
    if (bounds.empty() || bounds.back() != s.size()) bounds.push_back(s.size());
    return bounds;
}

std::vector<std::string> graphemes(std::string_view s) {
    std::vector<size_t> b = graphemeBounds(s);
    std::vector<std::string> out;
    out.reserve(b.size());
    for (size_t i = 0; i + 1 < b.size(); ++i) out.emplace_back(s.substr(b[i], b[i + 1] - b[i]));
    return out;
}

size_t graphemeCount(std::string_view s) {
    size_t n = graphemeBounds(s).size();
    return n ? n - 1 : 0;
}

std::string prefix(std::string_view s, size_t count) {
    const std::vector<size_t> bounds = graphemeBounds(s);
    if (bounds.size() <= count + 1) return std::string(s);
    return std::string(s.substr(0, bounds[count]));
}

bool isLetter(char32_t c) { return u_isalpha(static_cast<UChar32>(c)); }
bool isDigit(char32_t c) { return u_isdigit(static_cast<UChar32>(c)); }
bool isNumber(char32_t c) {
    int8_t type = u_charType(static_cast<UChar32>(c));
    return type == U_DECIMAL_DIGIT_NUMBER || type == U_LETTER_NUMBER || type == U_OTHER_NUMBER;
}
bool isWhitespace(char32_t c) { return u_isUWhiteSpace(static_cast<UChar32>(c)); }

bool isBlank(std::string_view s) {
    for (char32_t c : toUtf32(s))
        if (!isWhitespace(c)) return false;
    return true;
}
bool isPunctuation(char32_t c) { return u_ispunct(static_cast<UChar32>(c)); }
bool isIgnorable(char32_t c) { return u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_DEFAULT_IGNORABLE_CODE_POINT); }

namespace {

// ASCII text changes case byte by byte; anything else goes through ICU's root locale.
std::string recased(std::string_view s, bool upper) {
    bool ascii = true;
    for (char c : s) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
        std::string out(s);
        for (char& c : out) {
            if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        return out;
    }
    icu::UnicodeString u = icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<int32_t>(s.size())));
    if (upper) u.toUpper(icu::Locale::getRoot());
    else u.toLower(icu::Locale::getRoot());
    std::string out;
    u.toUTF8String(out);
    return out;
}

}  // namespace

std::string lowercased(std::string_view s) { return recased(s, false); }
std::string uppercased(std::string_view s) { return recased(s, true); }

}  // namespace nolby::unicode
