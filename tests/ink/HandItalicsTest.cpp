// Single-star italics are read by hand; they must unwrap exactly what the regular
// expression that defines them (Hand::italic) matches, so the reader is checked against that
// expression in ICU's engine on many short texts drawn from the characters that matter: stars,
// line feeds, spaces and every kind of word character (letters, marks, decimal digits,
// connector punctuation, joiners), and characters just outside it.
#include "ink/Hand.h"

#include "ink/Rng.h"
#include "platform/Unicode.h"

#include <gtest/gtest.h>

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <memory>
#include <string>

namespace nolby {
namespace {

std::string byExpression(const std::string& text) {
    UErrorCode err = U_ZERO_ERROR;
    icu::UnicodeString src = icu::UnicodeString::fromUTF8(text);
    std::unique_ptr<icu::RegexMatcher> matcher(Hand::italic().matcher(src, err));
    icu::UnicodeString out = matcher->replaceAll(icu::UnicodeString(u"$1"), err);
    EXPECT_FALSE(U_FAILURE(err));
    std::string utf8;
    out.toUTF8String(utf8);
    return utf8;
}

TEST(HandItalicsTest, UnwrapsWhatTheExpressionMatches) {
    // Ends are never white space: prepare trims them first.
    const std::vector<std::u32string> ends{U"*", U"a", U"_", U"1", U"!", U"\u00e9", U"\u0301", U"\u200d",
                                           U"\u0663", U"\u203f", U"\u00b2", U"\u2164", U"\u24b6", U"-",
                                           U"\U0001F600", U"\u200c", U"\u0903", U"\u20dd"};
    std::vector<std::u32string> inside = ends;
    for (const char32_t* c : {U" ", U"\n", U"**", U"\u3000", U"\t"}) inside.emplace_back(c);
    Rng rng(33);
    auto pick = [&](const std::vector<std::u32string>& from) { return from[rng.next() % from.size()]; };
    int unwrapped = 0;
    for (int n = 0; n < 30000; ++n) {
        std::u32string text = pick(ends);
        const int length = int(rng.next() % 12);
        for (int k = 0; k < length; ++k) text += rng.next() % 3 == 0 ? U"*" : pick(inside);
        if (length > 0) text += pick(ends);
        const std::string utf8 = unicode::toUtf8(text);
        const std::string expected = byExpression(utf8);
        unwrapped += expected != utf8;
        ASSERT_EQ(Hand::prepare(utf8), expected) << "text: " << utf8;
    }
    EXPECT_GT(unwrapped, 500);  // the texts do exercise the rule (about 1,000 of them unwrap)
}

}  // namespace
}  // namespace nolby
