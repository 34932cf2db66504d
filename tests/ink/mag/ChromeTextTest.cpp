#include "ink/Mag.h"
#include "ink/mag/ChromeText.h"
#include "platform/Canvas.h"
#include "platform/Unicode.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;

namespace {

std::shared_ptr<const Font> futura(double size) { return Mag::systemFont(Mag::kFuturaBoldStandIn, size); }

}  // namespace

TEST(ChromeText, TrackingAddsAfterEveryCharacter) {
    auto font = futura(9.5);
    const chrome::Line plain = chrome::line("NOLBY", *font, 0);
    const chrome::Line tracked = chrome::line("NOLBY", *font, 1.5);
    EXPECT_NEAR(tracked.width() - plain.width(), 5 * 1.5, 1e-9);
    EXPECT_FALSE(tracked.truncated);
    EXPECT_EQ(tracked.run.text, "NOLBY");
    // The face's own height, whatever the characters.
    EXPECT_EQ(chrome::line("...", *font, 0).ascent, plain.ascent);
    EXPECT_NEAR(plain.baselineCentredOn(72), 72 + (plain.ascent - plain.descent) / 2, 1e-12);
}

TEST(ChromeText, CutsShortWithAnEllipsisToFit) {
    auto font = futura(9.5);
    const std::string text = "NO. 007  \u00b7  A VERY LONG TITLE THAT DOES NOT FIT";
    const double whole = chrome::line(text, *font, 1.5).width();
    struct Case {
        double maxWidth;
        bool truncated;
    };
    for (double maxWidth : {whole + 1, whole, whole - 1, whole / 2, 40.0, 10.0}) {
        const chrome::Line l = chrome::line(text, *font, 1.5, maxWidth);
        EXPECT_LE(l.width(), maxWidth);
        EXPECT_EQ(l.truncated, maxWidth < whole) << maxWidth;
        if (!l.truncated) continue;
        const std::string& shown = l.run.text;
        ASSERT_GE(shown.size(), 3u);
        EXPECT_EQ(shown.substr(shown.size() - 3), "\u2026");
        EXPECT_NE(shown[shown.size() - 4], ' ') << shown;  // no space before the ellipsis
        EXPECT_EQ(text.compare(0, shown.size() - 3, shown, 0, shown.size() - 3), 0) << shown;
        // One more character (not counting spaces, which are dropped) would not have fitted.
        size_t next = shown.size() - 3;
        for (size_t b : unicode::graphemeBounds(text))
            if (b > next && text[b - 1] != ' ') {
                next = b;
                break;
            }
        EXPECT_GT(chrome::line(text.substr(0, next) + "\u2026", *font, 1.5).width(), maxWidth) << shown;
    }
    // Too narrow even for the ellipsis, or no width at all: an empty line that draws nothing.
    for (double maxWidth : {0.5, 0.0, -5.0, std::nan("")}) {
        const chrome::Line l = chrome::line(text, *font, 1.5, maxWidth);
        EXPECT_TRUE(l.truncated);
        EXPECT_TRUE(l.run.path.isEmpty());
    }
}

TEST(ChromeText, ZeroPaddingWithoutTheLocale) {
    struct Case {
        long long value;
        int digits;
        const char* text;
    };
    const Case cases[] = {{7, 3, "007"}, {1, 3, "001"}, {1234, 3, "1234"}, {12, 2, "12"}, {7, 2, "07"},
                          {0, 2, "00"},  {-5, 3, "-05"}, {-1, 2, "-1"},    {-123, 2, "-123"},
                          {std::numeric_limits<long long>::min(), 2, "-9223372036854775808"}};
    for (const Case& c : cases) EXPECT_EQ(chrome::zeroPadded(c.value, c.digits), c.text) << c.value;
}

TEST(ChromeText, FillsAndShadowsAtTheBaseline) {
    auto font = futura(20);
    const chrome::Line l = chrome::line("NOLBY", *font, 0);
    Canvas c(l.width() + 20, 40);
    chrome::shadow(c.cr(), l, 10, 30, Color{0, 0, 0, 1}, 3);
    // The shadow spreads below the baseline and before the first letter.
    EXPECT_GT(c.pixel(8, 22).a, 0);
    chrome::fill(c.cr(), l, 10, 30, Color{1, 1, 1, 1});
    EXPECT_EQ(cairo_status(c.cr()), CAIRO_STATUS_SUCCESS);
    // Non-finite positions draw nothing.
    Canvas blank(20, 20);
    chrome::fill(blank.cr(), l, std::nan(""), 10, Color{0, 0, 0, 1});
    chrome::shadow(blank.cr(), l, 0, INFINITY, Color{0, 0, 0, 1}, 3);
    EXPECT_EQ(blank.pixel(5, 5).a, 0);
    EXPECT_EQ(cairo_status(blank.cr()), CAIRO_STATUS_SUCCESS);
}
