#include "platform/Unicode.h"

#include <gtest/gtest.h>

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
