#include "platform/NumberText.h"
#include "support/DecimalComma.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <sstream>

using namespace nolby;

namespace {

// Every writer of the table below, as one line, so it can be compared under two locales.
std::string written() {
    std::string out;
    for (double v : {0.0, -0.0, 0.1, 12.3456, -2.5, 1e-7, 1e21, 400.0})
        out += NumberText::shortest(v) + "|" + NumberText::fixed(v, 1) + "|" + NumberText::trimmed(v, 4) + " ";
    out += NumberText::shortest(0x1.5c87fap-84f) + " " + NumberText::shortest(FLT_MAX);
    return out;
}

}  // namespace

TEST(NumberText, WritesWithAPointInEveryForm) {
    struct Case {
        double v;
        const char* shortest;
        const char* fixed1;
        const char* trimmed4;
    };
    const Case cases[] = {
        {0, "0", "0.0", "0"},
        {-0.0, "-0", "-0.0", "0"},
        {0.1, "0.1", "0.1", "0.1"},
        {12.3456, "12.3456", "12.3", "12.3456"},
        {12.34567, "12.34567", "12.3", "12.3457"},
        {-0.00001, "-1e-05", "-0.0", "0"},
        {1250, "1250", "1250.0", "1250"},
        {1e21, "1e+21", "1000000000000000000000.0", "1000000000000000000000"},
        {2.05, "2.05", "2.0", "2.05"},  // 2.05 is a little under 2.05 in binary
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NumberText::shortest(c.v), c.shortest) << c.v;
        EXPECT_EQ(NumberText::fixed(c.v, 1), c.fixed1) << c.v;
        EXPECT_EQ(NumberText::trimmed(c.v, 4), c.trimmed4) << c.v;
    }
    EXPECT_EQ(NumberText::shortest(0x1.5c87fap-84f), "7.038531e-26");
    EXPECT_EQ(NumberText::shortest(FLT_MAX), "3.4028235e+38");
}

TEST(NumberText, ParsesDecimalTextExactly) {
    struct Case {
        std::string text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"12.5", 12.5},
        {"-0", -0.0},
        {"1e3", 1000},
        {"+4", 4},
        {"1E-2", 0.01},
        {"1e400", std::nullopt},
        {"-1e400", std::nullopt},
        {std::string(400, '9'), std::nullopt},
        {"1e-400", 0.0},
        {"-1e-400", -0.0},
        {"0.000e999999999999", 0.0},
        {"12,5", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"0x10", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"1e5e5", std::nullopt},
    };
    for (const Case& c : cases) {
        std::optional<double> got = NumberText::parseDouble(c.text);
        ASSERT_EQ(got.has_value(), c.value.has_value()) << c.text;
        if (got) {
            EXPECT_EQ(*got, *c.value) << c.text;
            EXPECT_EQ(std::signbit(*got), std::signbit(*c.value)) << c.text;
        }
    }
}

// Floats read as floats: reading through a double first would round twice.
TEST(NumberText, EveryFloatWrittenReadsBackToItself) {
    const float cases[] = {FLT_MAX, -FLT_MAX, FLT_MIN, -FLT_MIN, FLT_TRUE_MIN, -FLT_TRUE_MIN,
                           0x1.fffffcp-127f, 0x1.5c87fap-84f, 1.1f, 0.1f, 16777217.0f, 3.0e-39f};
    for (float f : cases) {
        std::string text = NumberText::shortest(f);
        std::optional<float> back = NumberText::parseFloat(text);
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(*back, f) << text;
    }
    // The double nearest "7.038531e-26" rounds to the neighbour of the float written.
    EXPECT_NE(static_cast<float>(*NumberText::parseDouble("7.038531e-26")), 0x1.5c87fap-84f);
    EXPECT_FALSE(NumberText::parseFloat("3.4028236e38"));  // beyond the largest float
    EXPECT_EQ(*NumberText::parseFloat("1e-50"), 0.0f);
}

// Plain decimals take a shorter way than from_chars; it must give the very same float.
TEST(NumberText, PlainDecimalsReadAsFromCharsReadsThem) {
    const char* cases[] = {"0", "-0", "0.0", "-0.0", "1", "16777216", "16777217", "16777215.5", "0.1", "-0.1",
                           "403.17", "1.5e2", "007.25", "5.", ".5", "1..2", "-", "", "0.0000000001",
                           "0.00000000001", "123456789", "1234567.89", "3.4028235", "-99999.99", "0.30000001"};
    auto reference = [](std::string_view t) -> std::optional<float> {
        float v{};
        auto res = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
        if (t.empty() || res.ec != std::errc() || res.ptr != t.data() + t.size()) return std::nullopt;
        return v;
    };
    for (const char* text : cases) {
        const std::optional<float> got = NumberText::parseFloat(text), want = reference(text);
        ASSERT_EQ(got.has_value(), want.has_value()) << text;
        if (!got) continue;
        EXPECT_EQ(*got, *want) << text;
        EXPECT_EQ(std::signbit(*got), std::signbit(*want)) << text;
    }
    // Every float of up to seven digits with up to four after the point, as strokes hold them.
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) {
        const uint32_t m = random() % 10000000;
        const int point = int(random() % 5);
        std::string digits = std::to_string(m);
        if (point > 0) {
            digits.insert(0, std::string(size_t(std::max(0, point + 1 - int(digits.size()))), '0'));
            digits.insert(digits.size() - size_t(point), ".");
        }
        const std::string text = (random() % 2 ? "-" : "") + digits;
        const std::optional<float> got = NumberText::parseFloat(text), want = reference(text);
        ASSERT_TRUE(got && want && *got == *want) << text;
    }
}

TEST(NumberText, SameTextUnderADecimalCommaLocale) {
    const std::string plain = written();
    nolby::testing::DecimalComma comma;
    NOLBY_REQUIRE_DECIMAL_COMMA(comma);
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5") << "the locale did not take: " << comma.name();
    EXPECT_EQ(written(), plain);
    EXPECT_EQ(NumberText::parseDouble("12.5"), 12.5);
    EXPECT_FALSE(NumberText::parseDouble("12,5"));
}
