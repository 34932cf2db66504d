#include "ink/Expr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace nolby;
using namespace std::string_literals;

namespace {

const double pi = M_PI;
const double e = M_E;
const double notANumber = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();

std::string repeated(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

}  // namespace

TEST(Expr, Values) {
    struct Case {
        const char* f;
        double x;
        double want;
    };
    const Case cases[] = {
        // precedence, powers and signs
        {"2x^2", 3, 18},
        {"-x^2", 3, -9},
        {"-2^2", 0, -4},
        {"2^3^2", 0, 512},
        {"2^-1", 0, 0.5},
        {"8-3-2", 0, 3},
        {"x/2/2", 8, 2},
        {"2x^2+3x-1", 2, 13},
        {"--x", 5, 5},
        {"+x", 5, 5},
        {"x**2", 3, 9},
        // implicit products
        {"2 3", 0, 6},
        {"3(x+1)", 1, 6},
        {"xx", 3, 9},
        {"x2", 3, 6},
        {"2pi", 0, 2 * pi},
        {"pix", 2, 2 * pi},
        {"2.5x", 2, 5},
        {".5", 0, 0.5},
        {"1.", 0, 1},
        {"sin x cos x", 1, std::sin(1.0) * std::cos(1.0)},
        // the variable and the constants
        {"X", 4, 4},
        {"t", 4, 4},
        {"2T", 4, 8},
        {"tau", 0, 2 * pi},
        {"e", 0, e},
        {"e(1)", 0, e},
        {"e^2", 0, std::pow(e, 2.0)},
        {"2e+3", 0, 2 * e + 3},
        {"2e3", 0, 2000},
        {"1e-3", 0, 0.001},
        // typographic forms
        {"2\u03C0", 0, 2 * pi},
        {"2\u03A0", 0, 2 * pi},
        {"2\u00B7x", 3, 6},
        {"2\u00D7x", 3, 6},
        {"5\u2212x", 3, 2},
        // forgiving brackets
        {"(x+1", 2, 3},
        {"|x", -2, 2},
        {"|x-3|", 1, 2},
        {"||x|-3|", -1, 2},
        {"  x  ", 1, 1},
        // functions, with and without brackets, run together or not
        {"sinx", 0.7, std::sin(0.7)},
        {"sin x", 0.7, std::sin(0.7)},
        {"sin(x)", 0.7, std::sin(0.7)},
        {"sin x^2", 1.5, std::sin(2.25)},
        {"sin 2x", 3, std::sin(2.0) * 3},
        {"sinhx", 1, std::sinh(1.0)},
        {"log10x", 100, 2},
        {"cos(0)+tan(0)+sinh(0)+tanh(0)", 0, 1},
        {"asin(1)", 0, pi / 2},
        {"acos(1)+atan(1)", 0, pi / 4},
        {"cosh(0)", 0, 1},
        {"exp(1)", 0, e},
        {"ln(e)", 0, 1},
        {"log(e^2)", 0, 2},
        {"log10(1000)", 0, 3},
        {"log2(8)", 0, 3},
        {"sqrt(16)", 0, 4},
        {"abs(-3)", 0, 3},
        {"floor(-1.5)", 0, -2},
        {"ceil(1.2)", 0, 2},
        {"round(-2.5)", 0, -2},
        {"round(2.5)", 0, 3},
        {"sign(0)", 0, 0},
        {"sign(-0)", 0, 0},
        {"sgn(-3)", 0, -1},
        {"sign(x)", 7, 1},
        // two-argument names
        {"pow(2,3)", 0, 8},
        {"pow 2, 3", 0, 8},
        {"mod(-1,3)", 0, 2},
        {"mod(7,-3)", 0, -2},
        {"min(3, x)", 1, 1},
        {"max(3, x)", 1, 3},
    };
    for (const Case& c : cases) {
        Expr::Fail fail;
        auto f = Expr::parse(c.f, &fail);
        ASSERT_TRUE(f) << c.f << ": " << fail.why;
        EXPECT_NEAR(f->root(c.x), c.want, 1e-12) << c.f;
    }
}

TEST(Expr, NotANumberWhereTheMathsSaysSo) {
    for (const char* s : {"log(-1)", "0/0", "sqrt(x)", "sign(x)"}) {
        auto f = Expr::parse(s);
        ASSERT_TRUE(f) << s;
        EXPECT_TRUE(std::isnan(f->root(s == std::string("sqrt(x)") ? -1 : notANumber))) << s;
    }
    EXPECT_EQ(Expr::parse("1/x")->root(0), inf);
    EXPECT_EQ(Expr::parse("-1/x")->root(0), -inf);
    // abs clears the sign bit.
    EXPECT_FALSE(std::signbit(Expr::parse("abs x")->root(-0.0)));
    EXPECT_FALSE(std::signbit(Expr::parse("|x|")->root(-0.0)));
}

TEST(Expr, Refusals) {
    struct Case {
        const char* f;
        std::string why;
    };
    const Case cases[] = {
        {"y", "unknown y"},
        {"xy", "unknown y"},
        {"foo", "unknown foo"},
        {"1.2.3", "bad number at 0"},
        {"x+2e-x", "bad number at 2"},
        {"2+", "unexpected '\0' at 2"s},
        {"", "unexpected '\0' at 0"s},
        {"   ", "unexpected '\0' at 3"s},
        {"sin", "unexpected '\0' at 3"s},
        {"*", "unexpected '*' at 0"},
        {"x)", "junk at 1"},
        {"2|x|", "junk at 1"},
        {"x_1", "junk at 1"},
        {"pow(2 3)", "unexpected ')' at 7"},
        {"2 \u00F7 x", "junk at 2"},
    };
    for (const Case& c : cases) {
        Expr::Fail fail;
        EXPECT_FALSE(Expr::parse(c.f, &fail)) << c.f;
        EXPECT_EQ(fail.why, c.why) << c.f;
    }
}

TEST(Expr, DepthAndLengthAreBounded) {
    // Nesting a person would write still parses.
    EXPECT_EQ(Expr::parse(std::string(40, '(') + "x" + std::string(40, ')'))->root(2), 2);
    EXPECT_EQ(Expr::parse(std::string(90, '-') + "x")->root(2), 2);

    // Deeper nesting fails instead of exhausting the stack.
    for (std::string deep : {std::string(5000, '('), std::string(5000, '-') + "x", std::string(5000, '|'),
                             repeated("2^", 500) + "2",
                             repeated("sin ", 250) + "x"}) {
        deep.resize(std::min(deep.size(), Expr::maxLength));
        Expr::Fail fail;
        EXPECT_FALSE(Expr::parse(deep, &fail)) << deep.substr(0, 10);
        EXPECT_EQ(fail.why.rfind("too deep at ", 0), 0u) << fail.why;
    }

    std::string sum = "x";
    while (sum.size() + 2 <= Expr::maxLength) sum += "+x";
    EXPECT_EQ(Expr::parse(sum)->root(1), 500);
    Expr::Fail fail;
    EXPECT_FALSE(Expr::parse(sum + "+x", &fail));
    EXPECT_EQ(fail.why, "too long");
}
