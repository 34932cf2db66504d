#include "ink/Ink.h"

#include <gtest/gtest.h>

#include <optional>

using namespace nolby;

namespace {
const Color kFallback = Color::hex(0x123456);
std::optional<std::string> name(const char* s) { return std::string(s); }
}  // namespace

TEST(Ink, ColorByNameOrHex) {
    struct Case {
        std::optional<std::string> name;
        Color expected;
    };
    const Case cases[] = {
        {name(" Teal\t"), Color::hex(0x0c8599)},
        {name("#FF8800"), Color::rgba8(255, 136, 0)},
        {name("#ff8800"), Color::rgba8(255, 136, 0)},
        {name("  #0c8599 "), Color::hex(0x0c8599)},
        {name("cyan"), Color::hex(0x0c8599)},
        {name("gray"), Color::hex(0x7a766f)},
        {name("#f80"), kFallback},       // three digits
        {name("#ff88zz"), kFallback},    // not all hexadecimal
        {name("#ff88000"), kFallback},   // too long
        {name(""), kFallback},
        {name(" \t "), kFallback},
        {name("\nred"), kFallback},      // line breaks are not trimmed
        {std::nullopt, kFallback},
        {name("chartreuse"), kFallback},
    };
    for (const Case& c : cases) EXPECT_EQ(Ink::color(c.name, kFallback), c.expected) << c.name.value_or("nil");
}

TEST(Ink, MarkersWashesAndFills) {
    EXPECT_EQ(Ink::marker(std::nullopt), Color::hex(0xffec80));
    EXPECT_EQ(Ink::marker(name("purple")), Color::hex(0xffec80));  // not a marker name
    EXPECT_EQ(Ink::marker(name("Pink")), Color::hex(0xffc2da));
    EXPECT_EQ(Ink::marker(name(" pink")), Color::hex(0xffec80));   // markers are not trimmed

    EXPECT_EQ(Ink::wash(name("cyan")), Color::hex(0xc5f6fa));
    EXPECT_EQ(Ink::wash(name("TEAL")), Color::hex(0xc3fae8));
    EXPECT_EQ(Ink::wash(std::nullopt), Color::hex(0xfff3bf));
    EXPECT_EQ(Ink::wash(name("#123456")), Color::hex(0xfff3bf));

    EXPECT_EQ(Ink::fill(name("teal")), Color::hex(0x63e6be));
    EXPECT_EQ(Ink::fill(name("cyan")), Color::hex(0x66d9e8));
    EXPECT_EQ(Ink::fill(name("#a1b2c3")), Color::hex(0xa1b2c3));
    EXPECT_EQ(Ink::fill(name(" brown")), Color::hex(0x8f5a2b));  // misses the fill table, hits the strokes
    EXPECT_EQ(Ink::fill(name("chartreuse")), Color::hex(0xced4da));
    EXPECT_EQ(Ink::fill(std::nullopt), Color::hex(0xced4da));
}

TEST(Ink, FixedColoursAndNotebookNames) {
    EXPECT_EQ(Ink::paper, Color::hex(0xfbf8f1));
    EXPECT_EQ(Ink::ink, Color::hex(0x1e1e1e));
    EXPECT_EQ(Ink::learner, Color::hex(0x2a4b9b));
    EXPECT_EQ(Ink::names(), (std::vector<std::string>{"blue", "red", "green", "violet", "orange", "teal", "pink"}));
    EXPECT_EQ(Ink::paper.hexString(), "#fbf8f1ff");
}
