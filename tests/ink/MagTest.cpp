#include "ink/Ink.h"
#include "ink/Mag.h"
#include "ink/Rng.h"
#include "platform/TextLine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

using namespace nolby;
using namespace std::chrono;

namespace {

std::string fileName(const Font& f) { return std::filesystem::path(f.base()->file().path()).filename().string(); }

std::optional<double> axis(const Font& f, const char* name) {
    for (const Variation& v : f.base()->variations())
        if (v.tag == Mag::tag(name)) return v.value;
    return std::nullopt;
}

}  // namespace

TEST(Mag, PalettesByNotebookColourName) {
    struct Case {
        const char* name;
        Mag::Inks inks;
    };
    const Mag::Inks blue{0x2430b0, 0x2ecdf0, 0xff4fa3, 0xf6f7fa, "deep ultramarine, bright cyan and fluorescent pink"};
    const Case cases[] = {
        {"red", {0xe22c38, 0x1c4cd6, 0xf7c81e, 0xfbf8f1, "poster red, cobalt blue and warm yellow"}},
        {"violet", {0x5b36d6, 0xff2fb3, 0x78e2f0, 0xf8f6fb, "deep violet, fluorescent magenta and pale cyan"}},
        {"orange", {0xff6a1a, 0x2633a8, 0xf4e6c8, 0xfbf7ee, "bright orange, ultramarine and cream"}},
        {"green", {0x14915a, 0x1c4cd6, 0xf7c81e, 0xf7f8f2, "emerald green, cobalt blue and sunflower yellow"}},
        {"teal", {0x0b8f9c, 0x23338f, 0xff6b5a, 0xf4f8f7, "teal, deep navy and coral"}},
        {"pink", {0xff4fa3, 0xe22c38, 0x1c4cd6, 0xfcf6f6, "fluorescent pink, poster red and cobalt blue"}},
        {"blue", blue},
        {"Red", blue},    // compared exactly
        {" red", blue},
        {"", blue},
        {"chartreuse", blue},
    };
    for (const Case& c : cases) EXPECT_EQ(Mag::inks(c.name), c.inks) << c.name;

    // Every notebook colour has a palette of its own.
    std::vector<uint32_t> firstInks;
    for (const std::string& name : Ink::names()) firstInks.push_back(Mag::inks(name).a);
    std::sort(firstInks.begin(), firstInks.end());
    EXPECT_EQ(std::unique(firstInks.begin(), firstInks.end()), firstInks.end());
    EXPECT_EQ(firstInks.size(), 7u);
}

TEST(Mag, QuarterDatelineAtYearBoundaries) {
    struct Case {
        year_month date;
        const char* text;
    };
    const Case cases[] = {
        {2025y / December, "Q4 2025"},  {2026y / January, "Q1 2026"}, {2026y / March, "Q1 2026"},
        {2026y / April, "Q2 2026"},     {2026y / June, "Q2 2026"},    {2026y / July, "Q3 2026"},
        {2026y / August, "Q3 2026"},    {2026y / October, "Q4 2026"}, {1999y / December, "Q4 1999"},
        {2030y / month{13}, "Q1 2030"},  // no such month: counts as January
        {year{-32768} / May, "Q2 2026"},  // no such year: counts as 2026
    };
    for (const Case& c : cases) EXPECT_EQ(Mag::quarter(c.date), c.text) << c.text;
}

TEST(Mag, QuarterOfAnInstantUsesTheLocalCalendar) {
    // Mid-month at noon UTC is in the same month in every time zone.
    EXPECT_EQ(Mag::quarter(sys_days{2025y / December / 15} + 12h), "Q4 2025");
    EXPECT_EQ(Mag::quarter(sys_days{2026y / January / 15} + 12h), "Q1 2026");
    EXPECT_EQ(Mag::quarter(sys_days{2026y / August / 15} + 12h), "Q3 2026");
}

TEST(Mag, PrintFacesTakeTheirAxes) {
    Mag::registerFrom();
    auto display = Mag::ct(Mag::Face::fraunces, 46, {{"wght", 500}, {"SOFT", 100}, {"opsz", 46}, {"WONK", 1}});
    ASSERT_TRUE(display->base());
    EXPECT_EQ(fileName(*display), "Fraunces.ttf");
    EXPECT_EQ(display->size(), 46);
    EXPECT_EQ(axis(*display, "wght"), 500);
    EXPECT_EQ(axis(*display, "SOFT"), 100);
    EXPECT_EQ(axis(*display, "opsz"), 46);
    EXPECT_EQ(axis(*display, "WONK"), 1);
    EXPECT_FALSE(TextLine::shape("A new issue", *display).hasMissingGlyphs());

    // An axis value that is not a number is left at the face's own.
    auto odd = Mag::ct(Mag::Face::fraunces, 20, {{"wght", NAN}, {"SOFT", INFINITY}, {"WONK", 0}});
    EXPECT_EQ(axis(*odd, "wght"), std::nullopt);
    EXPECT_EQ(axis(*odd, "SOFT"), std::nullopt);
    EXPECT_EQ(axis(*odd, "WONK"), 0);
}

TEST(Mag, NewsFaceOpticalSizeFollowsTheSizeWithinSixToSeventyTwo) {
    Mag::registerFrom();
    struct Case {
        double size;
        double opsz;
    };
    const Case cases[] = {{4, 6}, {6, 6}, {14, 14}, {72, 72}, {100, 72}};
    for (const Case& c : cases) {
        auto font = Mag::newsCT(c.size, 430, false);
        ASSERT_TRUE(font->base());
        EXPECT_EQ(fileName(*font), "Newsreader.ttf");
        EXPECT_EQ(font->size(), c.size);
        EXPECT_EQ(axis(*font, "opsz"), c.opsz) << c.size;
        EXPECT_EQ(axis(*font, "wght"), 430);
    }
    auto italic = Mag::newsCT(16, 600, true);
    EXPECT_EQ(fileName(*italic), "Newsreader-Italic.ttf");
    EXPECT_EQ(axis(*italic, "wght"), 600);
    EXPECT_EQ(axis(*italic, "opsz"), 16);
}

TEST(Mag, WithoutPrintFontFilesEveryFaceIsTheSystemFont) {
    // Registration happens once per process, so this runs in a fresh one that only ever
    // sees an empty resource folder.
    std::string saved = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::filesystem::path empty = std::filesystem::temp_directory_path() / "nolby-mag-no-fonts";
            std::filesystem::create_directories(empty / "Fonts");
            Mag::registerFrom(empty);
            bool ok = true;
            for (auto face : {Mag::Face::fraunces, Mag::Face::news, Mag::Face::newsItalic}) {
                auto font = Mag::ct(face, 23, {{"wght", 500}, {"opsz", 23}});
                ok = ok && font->base() && font->familyName() == Mag::kSystemStandIn && font->size() == 23 &&
                     font->base()->variations().empty();
            }
            auto news = Mag::newsCT(9, 400, true);
            ok = ok && news->base() && news->familyName() == Mag::kSystemStandIn && news->size() == 9;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, saved);
}

TEST(Mag, FuturaStandInsAreInstalledGeometricSans) {
    for (const char* family : {Mag::kFuturaBoldStandIn, Mag::kFuturaMediumStandIn}) {
        auto font = Mag::systemFont(family, 9.5);
        ASSERT_TRUE(font->base()) << family;
        EXPECT_EQ(font->size(), 9.5);
        EXPECT_NE(font->postScriptName().find("LeagueSpartan"), std::string::npos) << font->postScriptName();
        EXPECT_FALSE(TextLine::shape("NO. 007  \u00b7  FRACTIONS", *font).hasMissingGlyphs());
    }
    // A family that is not installed falls back to the system interface font.
    EXPECT_EQ(Mag::systemFont("Futura-Bold", 12)->familyName(), Mag::kSystemStandIn);
}

TEST(Mag, GrainIsAFixedTileOfSpecksOverMidGrey) {
    auto tile = Mag::grain();
    ASSERT_TRUE(tile);
    EXPECT_EQ(tile, Mag::grain());  // made once
    ASSERT_EQ(tile->width(), 192);
    ASSERT_EQ(tile->height(), 192);
    cairo_surface_t* s = tile->surface();
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);

    // Opaque greys between the dark and the light speck tones, most pixels touched.
    int plain = 0;
    uint64_t hash = 0xcbf29ce484222325ull;
    for (int y = 0; y < 192; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < 192; ++x) {
            uint32_t px = row[x];
            uint32_t a = px >> 24, r = (px >> 16) & 0xff, g = (px >> 8) & 0xff, b = px & 0xff;
            ASSERT_EQ(a, 255u);
            ASSERT_TRUE(r == g && g == b) << x << "," << y;
            ASSERT_GE(r, 80u);
            ASSERT_LE(r, 176u);
            if (r == 128) ++plain;
            for (int k = 0; k < 4; ++k) {
                hash ^= (px >> (8 * k)) & 0xff;
                hash *= 0x100000001b3ull;
            }
        }
    }
    // 18432 specks over 36864 pixels leave about e^-0.5 of them bare.
    EXPECT_NEAR(plain / 36864.0, std::exp(-0.5), 0.02);

    // The last speck, which nothing covers: the seed's last four draws place it, counted
    // up from the bottom row.
    Rng rng(23);
    for (int i = 0; i < 4 * 18431; ++i) rng.unit();
    double u1 = rng.unit(), u2 = rng.unit(), u3 = rng.unit(), u4 = rng.unit();
    int x = static_cast<int>(u3 * 192), y = 191 - static_cast<int>(u4 * 192);
    double tone = u1 > 0.5 ? 176 : 80, alpha = 0.18 + 0.3 * u2;
    double under = tone > 128 ? 80 : 176;  // at least what the darkest or lightest cover leaves
    uint32_t last = reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xff;
    EXPECT_EQ(last > 128, u1 > 0.5);
    EXPECT_NEAR(last, 128 + (tone - 128) * alpha, std::fabs(under - 128) * alpha + 1);

    // The same bytes on every run.
    EXPECT_EQ(hash, 0xf4772869c6c6a8d5ull) << std::hex << hash;
}
