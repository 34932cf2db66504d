#include "platform/Unicode.h"

#include <gtest/gtest.h>

#include <unicode/brkiter.h>
#include <unicode/unistr.h>

#include <memory>

using namespace nolby;

TEST(Unicode, GraphemeClusters) {
    struct Case {
        const char* text;
        std::vector<std::string> clusters;
    };
    const Case cases[] = {
        {"", {}},
        {"ab", {"a", "b"}},
        {"a\r\nb", {"a", "\r\n", "b"}},
        {"e\xCC\x81x", {"e\xCC\x81", "x"}},                                  // e + combining acute
        {"\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD!", {"\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD", "!"}},  // thumbs up + skin tone
        {"\xCE\xB1\xCE\xB2", {"\xCE\xB1", "\xCE\xB2"}},
        {"a\xFF" "b", {"a", "\xFF", "b"}},  // a malformed byte is a character of its own
    };
    for (const Case& c : cases) {
        EXPECT_EQ(unicode::graphemes(c.text), c.clusters) << c.text;
        EXPECT_EQ(unicode::graphemeCount(c.text), c.clusters.size()) << c.text;
    }
}

TEST(Unicode, Utf8RoundTripAndRepair) {
    EXPECT_EQ(unicode::toUtf32("a\xC3\xA9\xE2\x89\xA0\xF0\x9D\x91\xA5"), (std::u32string{U'a', 0xE9, 0x2260, 0x1D465}));
    EXPECT_EQ(unicode::toUtf8(U"a\u00e9\u2260\U0001D465"), "a\xC3\xA9\xE2\x89\xA0\xF0\x9D\x91\xA5");
    EXPECT_EQ(unicode::toUtf32("\xC0\x80"), (std::u32string{0xFFFD, 0xFFFD}));  // overlong
    EXPECT_EQ(unicode::toUtf32("\xED\xA0\x80"), (std::u32string{0xFFFD, 0xFFFD, 0xFFFD}));  // surrogate
    EXPECT_EQ(unicode::toUtf32("\xE2\x89"), (std::u32string{0xFFFD, 0xFFFD}));  // cut short
}

TEST(Unicode, ClassesAndLowercase) {
    EXPECT_TRUE(unicode::isLetter(U'\u00e9'));
    EXPECT_TRUE(unicode::isLetter(U'\u03b1'));
    EXPECT_FALSE(unicode::isLetter(U'1'));
    EXPECT_TRUE(unicode::isDigit(U'7'));
    EXPECT_TRUE(unicode::isDigit(U'\u0663'));  // Arabic-Indic three
    EXPECT_TRUE(unicode::isWhitespace(U'\t'));
    EXPECT_TRUE(unicode::isWhitespace(U'\n'));
    EXPECT_TRUE(unicode::isWhitespace(U'\u00a0'));
    EXPECT_FALSE(unicode::isWhitespace(U'x'));
    EXPECT_TRUE(unicode::isIgnorable(U'\u200d'));
    EXPECT_TRUE(unicode::isIgnorable(U'\ufe0f'));
    EXPECT_EQ(unicode::lowercased("Teal"), "teal");
    EXPECT_EQ(unicode::lowercased("\xC3\x89T\xC3\x89"), "\xC3\xA9t\xC3\xA9");  // ÉTÉ
    EXPECT_EQ(unicode::lowercased("\xCE\xA3"), "\xCF\x83");                     // Σ
    EXPECT_EQ(unicode::uppercased("No. 007 fractions"), "NO. 007 FRACTIONS");
    EXPECT_EQ(unicode::uppercased("stra\xC3\x9F" "e \xC3\xA9t\xC3\xA9"), "STRASSE \xC3\x89T\xC3\x89");  // ß, é
}

// Texts of characters that never join their neighbours skip the break iterator; the bounds
// must be the iterator's all the same. Checked against ICU's own character iterator on texts
// drawn from all of Unicode (mostly such characters) and from characters that do join.
TEST(Unicode, GraphemeBoundsAgreeWithTheBreakIterator) {
    UErrorCode err = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), err));
    ASSERT_FALSE(U_FAILURE(err));
    const char32_t joining[] = {U'\r', U'\n', 0x200D, 0x0301, 0x094D, 0x0915, 0x1100, 0x1161, 0x11A8, 0xAC00,
                                0x1F1E6, 0x1F1E8, 0x1F44D, 0x1F3FD, 0x0903, 0x0600, 0xFE0F, U'a', U'\t', 0x2212};
    uint64_t state = 33;
    auto next = [&] {  // SplitMix64
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    };
    for (int n = 0; n < 40000; ++n) {
        std::u32string text;
        const int length = 1 + int(next() % 6);
        for (int k = 0; k < length; ++k) {
            char32_t c = 0;
            if (next() % 4 == 0) c = joining[next() % std::size(joining)];
            else if (next() % 2 == 0) c = char32_t(0x80 + next() % 0x3000);  // the busy start of the planes
            else c = char32_t(next() % 0x110000);
            if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
            text += c;
        }
        const std::string utf8 = unicode::toUtf8(text);
        icu::UnicodeString u = icu::UnicodeString::fromUTF8(utf8);
        it->setText(u);
        std::vector<size_t> expected;
        for (int32_t p = it->first(); p != icu::BreakIterator::DONE; p = it->next()) {
            std::string prefix;
            u.tempSubString(0, p).toUTF8String(prefix);
            expected.push_back(prefix.size());
        }
        ASSERT_EQ(unicode::graphemeBounds(utf8), expected) << "text: " << utf8;
    }
}
