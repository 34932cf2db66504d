#include "platform/NumberText.h"
#include "support/DecimalComma.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
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
