#include "ink/Hand.h"

#include "ink/Ink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nolby {
namespace {

// Colours print by name so a table line reads like the markup it comes from.
std::string colorName(const Color& c) {
    for (const char* name : {"ink", "red", "blue", "green", "orange", "violet", "pink", "teal", "cyan", "yellow",
                             "brown", "grey"})
        if (Ink::color(std::string(name), Color{}) == c) return name;
    return c.hexString();
}

template <class T>
std::string styleOf(const T& s) {
    std::string out;
    if (s.color) out += " " + colorName(*s.color);
    if (s.hl) out += " hl";
    if (s.hlColor) out += " hl:" + *s.hlColor;
    if (s.ul) out += " ul";
    if (s.ring) out += " ring";
    if (s.wavy) out += " wavy";
    if (s.code) out += " code";
    if (s.math) out += " math";
    return out;
}

std::string describe(const std::vector<Hand::Span>& spans) {
    std::string out;
    for (const Hand::Span& s : spans) {
        if (!out.empty()) out += " | ";
        out += "\"" + s.text + "\"" + styleOf(s);
    }
    return out;
}

std::string describe(const std::vector<Hand::Tok>& toks) {
    std::string out;
    for (const Hand::Tok& t : toks) {
        if (!out.empty()) out += " | ";
        if (t.newline) {
            // A line break carries nothing but the flag.
            Hand::Tok bare;
            bare.newline = true;
            out += t == bare ? "NL" : "NL(dirty)";
            continue;
        }
        out += "\"" + t.text + "\"" + (t.spaceBefore ? " sp" : "") + styleOf(t);
    }
    return out;
}

std::vector<Hand::Tok> markup(const std::string& text) {
    return Hand::tokens(Hand::spans(Hand::prepare(text)));
}

struct MarkupCase {
    std::string text;
    std::string expected;
};

TEST(HandMarkupTest, SpansTable) {
    const std::vector<MarkupCase> cases{
        {"a **b** c", R"("a " | "b" hl | " c")"},
        {"__u__ ~~w~~", R"("u" ul | " " | "w" wavy)"},
        {"**open", R"("open" hl)"},
        // Colour spans: the character after the colon stays; names are stroke names only.
        {"{Red: x}", R"(" x" red)"},
        {"{red:x", R"("x" red)"},
        {"{#ff0000: x}", R"("{#ff0000: x}")"},
        {"{red alert: x}", R"("{red alert: x}")"},
        {"{ red: x}", R"("{ red: x}")"},
        {"{:x} {rouge:x}", R"("{:x} {rouge:x}")"},
        {"{red: a {blue: b} c} d}", R"(" a " red | " b" blue | " c" red | " d}")"},
        {"a } b", R"("a } b")"},
        // Highlight colour: the first colour inside names it until the highlight closes.
        {"**{violet: x} y**", R"(" x" violet hl hl:violet | " y" hl hl:violet)"},
        {"**a{red: b}{blue: c} d** {blue:e}", R"("a" hl | " b" red hl hl:red | " c" blue hl hl:red | " d" hl hl:red | " " | "e" blue)"},
        {"{red:**x**}", R"("x" red hl)"},
        // Rings do not nest.
        {"((f(x) grows))", R"("f(x) grows" ring)"},
        {"((a ((b)) c))", R"x("a ((b" ring | " c))")x"},
        {"a )) ((b", R"("a )) " | "b" ring)"},
        // Maths and dollars.
        {"cost \\$5 or $x^2$", R"("cost $5 or " | "x^2" math)"},
        {"x $a+b", R"("x " | "a+b" math)"},
        {"$$x", R"("x")"},
        {"\\$x$", R"("$x")"},
        {"a\\", R"("a\")"},
        {"**$x$**", R"("x" hl math)"},
        {"$a\\$b$", R"("a\" math | "b")"},
        // Code spans: no markup inside; a backtick without a partner is literal.
        {"`a * b`", R"("a * b" code)"},
        {"`**not bold** $x$`", R"("**not bold** $x$" code)"},
        {"a ` b", R"("a ` b")"},
        {"`a` b `c", R"("a" code | " b `c")"},
        {"$a`b$`c`", R"("a`b" math | "c" code)"},
        {"{red:`x`}", R"("x" red code)"},
        {"`open", R"("`open")"},
        {"``", ""},
        // Marks are whole characters: a star carrying an accent is not a star.
        {"*\u0301*x", "\"*\u0301*x\""},
        {"", ""},
    };
    for (const MarkupCase& c : cases) EXPECT_EQ(describe(Hand::spans(c.text)), c.expected) << "markup: " << c.text;
}

TEST(HandMarkupTest, TokensTable) {
    const std::vector<MarkupCase> cases{
        {"a **b** c", R"("a" | "b" sp hl | "c" sp)"},
        {"a ** b**c", R"("a" | "b" sp hl | "c")"},
        {"x $y$ z", R"("x" | "y" sp math | "z" sp)"},
        {"x$y$z", R"("x" | "y" math | "z")"},
        {"**a {red:b}**", R"("a" hl | "b" sp red hl hl:red)"},
        {"{red:a\nb}", R"("a" red | NL | "b" red)"},
        // Line feeds break; a carriage return with its line feed is one white space.
        {"line one\nline two", R"("line" | "one" sp | NL | "line" | "two" sp)"},
        {"a\n\nb", R"("a" | NL | NL | "b")"},
        {"a \n b", R"("a" | NL | "b" sp)"},
        {"a\r\nb", R"("a" | "b" sp)"},
        {"a\u00a0b\u3000c", R"("a" | "b" sp | "c" sp)"},
        // Code: short spans whole and trimmed, long or blank ones word by word.
        {"`a * b`", R"("a * b" code)"},
        {"`*x*`", R"("x" code)"},
        {"a`b`c", R"("a" | "b" code | "c")"},
        {"a ` b` c", R"("a" | "b" sp code | "c" sp)"},
        {"a` b `c", R"("a" | "b" sp code | "c" sp)"},
        {"a ` ` b", R"("a" | "b" sp)"},
        {"`abcdefghijk mnopqrstuvwx`", R"("abcdefghijk mnopqrstuvwx" code)"},
        {"`abcdefghijk mnopqrstuvwxy`", R"("abcdefghijk" code | "mnopqrstuvwxy" sp code)"},
        {"x `abcdefghij klmnopqrst uvwxyz` y",
         R"("x" | "abcdefghij" sp code | "klmnopqrst" sp code | "uvwxyz" sp code | "y" sp)"},
        {"`\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301 "
         "\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301"
         "\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301"
         "\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301`",
         // 24 characters of two scalars each: still one token.
         "\"\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301 "
         "\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301"
         "\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301"
         "\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301\u00e9\u0301\" code"},
        // Italics are unwrapped before anything else.
        {"*italic* word", R"("italic" | "word" sp)"},
        {"  \n\t ", ""},
        {"", ""},
    };
    for (const MarkupCase& c : cases) EXPECT_EQ(describe(markup(c.text)), c.expected) << "markup: " << c.text;
}

TEST(HandMarkupTest, PrepareTrimsAndUnwrapsSingleStars) {
    const std::vector<MarkupCase> cases{
        {" \n\t a b \u3000\u2028\r\n", "a b"},
        {"*a*", "a"},
        {"*a* and *b c*!", "a and b c!"},
        {"*\u00e9t\u00e9*", "\u00e9t\u00e9"},
        {"**a**", "**a**"},
        {"***a***", "***a***"},
        {"2*3*4", "2*3*4"},   // a word character before the star
        {"*a*b", "*a*b"},     // and after it
        {"__*a*__", "__*a*__"},  // "_" is a word character too
        {"*a\nb*", "*a\nb*"},
        {"a * b * c", "a  b  c"},
        {"*", "*"},
        {"a\xff" "b", "a\uFFFDb"},
    };
    for (const MarkupCase& c : cases) EXPECT_EQ(Hand::prepare(c.text), c.expected) << "text: " << c.text;
}

TEST(HandMarkupTest, EveryStrokeNameOpensItsColour) {
    for (const char* name : {"ink", "black", "red", "blue", "green", "orange", "violet", "purple", "pink", "magenta",
                             "teal", "cyan", "yellow", "gold", "brown", "grey", "gray"}) {
        std::vector<Hand::Span> s = Hand::spans(std::string("{") + name + ":x}");
        ASSERT_EQ(s.size(), 1u) << name;
        EXPECT_EQ(s[0].text, "x");
        const Color fallback{0.5, 0.5, 0.5, 0.5};
        ASSERT_NE(Ink::color(std::string(name), fallback), fallback) << name;
        EXPECT_EQ(s[0].color, Ink::color(std::string(name), fallback)) << name;
    }
}

TEST(HandMarkupTest, HighlightNamedByAColourWithoutMarkerStaysYellow) {
    std::vector<Hand::Span> s = Hand::spans("**{grey: x} y**");
    ASSERT_EQ(describe(s), R"(" x" grey hl hl:grey | " y" hl hl:grey)");
    EXPECT_EQ(Ink::marker(s[1].hlColor), Ink::marker(std::nullopt));
    EXPECT_EQ(Ink::marker(Hand::spans("**{violet:x}**")[0].hlColor), Ink::marker(std::string("violet")));
}

TEST(HandMarkupTest, MalformedBytesBecomeReplacementCharacters) {
    std::string text = "a\xc3 `\xff`";
    EXPECT_EQ(describe(Hand::spans(text)), "\"a\uFFFD \" | \"\uFFFD\" code");
    EXPECT_EQ(describe(Hand::tokens(Hand::spans(text))), "\"a\uFFFD\" | \"\uFFFD\" sp code");
}

TEST(HandMarkupTest, LongUnbalancedTextStaysWhole) {
    // Many openers without partners: every one is literal or runs to the end.
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "{red x ((";
    text += "`";
    std::vector<Hand::Span> s = Hand::spans(text);
    ASSERT_FALSE(s.empty());
    EXPECT_TRUE(s.back().ring);
    size_t total = 0;
    for (const Hand::Span& span : s) total += span.text.size();
    EXPECT_EQ(total, text.size() - 2);  // only the one ring opener is markup
}

}  // namespace
}  // namespace nolby
