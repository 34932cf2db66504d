#include "platform/Resources.h"
#include "platform/TextLine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace nolby;

namespace {

constexpr uint32_t wght = 0x77676874;

std::shared_ptr<const FontFile> bundled(const char* name) {
    auto file = FontFile::load((resources::folder() / "Fonts" / name).string());
    EXPECT_TRUE(file) << "missing font " << name << "; scripts/setup builds it";
    return file;
}

std::shared_ptr<const Font> fontOf(const char* name, double size, std::vector<Variation> vars = {},
                                   std::vector<FontDescriptor> cascade = {}) {
    return Font::make(FontDescriptor{bundled(name), std::move(vars), std::move(cascade)}, size);
}

// The layout's outlines made in four threads at once.
template <class Layout>
std::vector<std::vector<Path>> inFourThreads(const Layout& layout) {
    std::vector<std::vector<Path>> results(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back([&, t] { results[t] = layout(0); });
    for (auto& th : threads) th.join();
    return results;
}

}  // namespace

TEST(Text, EveryBundledFaceLoadsWithItsAxes) {
    struct Case {
        const char* file;
        std::vector<const char*> axes;
    };
    const Case cases[] = {
        {"Excalifont.ttf", {}},
        {"ShantellSans.ttf", {"wght", "INFM", "BNCE"}},
        {"Caveat.ttf", {"wght"}},
        {"Fraunces.ttf", {"opsz", "wght", "SOFT", "WONK"}},
        {"Newsreader.ttf", {"opsz", "wght"}},
        {"Newsreader-Italic.ttf", {"opsz", "wght"}},
    };
    for (const Case& c : cases) {
        auto file = bundled(c.file);
        ASSERT_TRUE(file);
        EXPECT_FALSE(file->postScriptName().empty()) << c.file;
        for (const char* axis : c.axes) {
            uint32_t tag = hb_tag_from_string(axis, 4);
            bool found = false;
            for (const FontAxis& a : file->axes()) found = found || a.tag == tag;
            EXPECT_TRUE(found) << c.file << " lacks axis " << axis;
        }
    }
}

TEST(Text, AnAxisChangeChangesAdvancesAndOutlines) {
    auto light = fontOf("ShantellSans.ttf", 20, {{wght, 300}});
    auto bold = fontOf("ShantellSans.ttf", 20, {{wght, 800}});
    TextLine a = TextLine::shape("handwriting", *light);
    TextLine b = TextLine::shape("handwriting", *bold);
    EXPECT_GT(b.width, a.width);
    EXPECT_NE(a.outline(), b.outline());
    // The same axis values share one instance, whatever the size.
    auto again = fontOf("ShantellSans.ttf", 31, {{wght, 300}});
    EXPECT_EQ(light->base(), again->base());
}

TEST(Text, WidthScalesWithSizeAndKernAddsAfterEveryCharacter) {
    auto f10 = fontOf("Caveat.ttf", 10, {{wght, 400}});
    auto f20 = f10->withSize(20);
    double w10 = textWidth("Kite flying", *f10);
    EXPECT_NEAR(textWidth("Kite flying", *f20), 2 * w10, 1e-9);
    EXPECT_NEAR(TextLine::shape("abc", *f10, 1.5).width, textWidth("abc", *f10) + 4.5, 1e-9);
    EXPECT_EQ(textWidth("", *f10), 0);
    TextLine empty = TextLine::shape("", *f10);
    EXPECT_EQ(empty.width, 0);
    EXPECT_TRUE(empty.outline().isEmpty());
    // Ascent and descent are the face's own, in points.
    TextLine line = TextLine::shape("x", *f20);
    EXPECT_NEAR(line.ascent, f20->ascent(), 1e-9);
    EXPECT_NEAR(line.descent, f20->descent(), 1e-9);
    EXPECT_GT(line.ascent, 0);
    EXPECT_GT(line.descent, 0);
}

TEST(Text, OutlinesSitOnTheBaselineWithYDown) {
    auto font = fontOf("Caveat.ttf", 40, {{wght, 400}});
    TextLine line = TextLine::shape("l", *font);
    Rect box = line.outline().boundingBox();
    EXPECT_LT(box.minY(), -20);           // the ascender rises above the baseline
    EXPECT_NEAR(box.maxY(), 0, 1.5);      // and stands on it
    EXPECT_GE(box.minX(), -2);
    // Each glyph is drawn one advance further along.
    TextLine two = TextLine::shape("ab", *font);
    ASSERT_EQ(two.runs.size(), 1u);
    ASSERT_EQ(two.runs[0].glyphs.size(), 2u);
    EXPECT_EQ(two.runs[0].glyphs[0].x, 0);
    EXPECT_NEAR(two.runs[0].glyphs[1].x, two.runs[0].glyphs[0].advance, 1e-9);
    EXPECT_NEAR(two.width, two.runs[0].glyphs[0].advance + two.runs[0].glyphs[1].advance, 1e-9);
}

TEST(Text, TheCascadeTakesCharactersTheBaseLacks) {
    // The web subsets of Caveat have no "≠"; the cascade face does.
    auto dejavu = systemfonts::family("DejaVu Sans");
    ASSERT_TRUE(dejavu);
    auto font = fontOf("Caveat.ttf", 20, {}, {FontDescriptor{dejavu, {}, {}}});
    ASSERT_TRUE(font->base());
    ASSERT_EQ(font->base()->glyph(U'\u2260'), 0u);
    TextLine line = TextLine::shape("a\u2260b", *font);
    ASSERT_EQ(line.runs.size(), 3u);
    EXPECT_EQ(&line.runs[0].instance->file(), &font->base()->file());
    EXPECT_EQ(line.runs[1].instance->file().familyName(), "DejaVu Sans");
    EXPECT_EQ(&line.runs[2].instance->file(), &font->base()->file());
    EXPECT_FALSE(line.hasMissingGlyphs());
}

TEST(Text, CharactersNoFaceOfOursHasComeFromTheSystem) {
    // Excalifont's missing glyph is empty: without a fallback, "√" would silently vanish.
    auto font = fontOf("Excalifont.ttf", 20);
    ASSERT_TRUE(font->base());
    ASSERT_EQ(font->base()->glyph(U'\u221a'), 0u);
    TextLine line = TextLine::shape("\u221a2", *font);
    EXPECT_FALSE(line.hasMissingGlyphs());
    EXPECT_FALSE(line.outline().isEmpty());
    EXPECT_NE(&line.runs[0].instance->file(), &font->base()->file());

    // A character that no installed font has keeps its place as a missing glyph.
    TextLine nothing = TextLine::shape("\U0010FFFD", *font);
    EXPECT_TRUE(nothing.hasMissingGlyphs());
}

TEST(Text, SystemFamiliesAreOnlyTheFamilyAskedFor) {
    EXPECT_TRUE(systemfonts::family("DejaVu Sans"));
    EXPECT_FALSE(systemfonts::family("No Such Family Anywhere"));
}

TEST(Text, ThreadsLayingOutTextAtOnceAgree) {
    const std::vector<std::string> words{"the", "quick", "brown", "fox", "jumps", "\u2260", "\u00e9t\u00e9", "\u221e"};
    auto layout = [&](int seed) {
        // Fresh sizes per thread so font and outline caches fill concurrently.
        std::vector<Path> out;
        for (int i = 0; i < 200; ++i) {
            auto font = fontOf(i % 2 ? "ShantellSans.ttf" : "Excalifont.ttf", 10 + (i + seed) % 7, {{wght, 430}});
            out.push_back(TextLine::shape(words[(i + seed) % words.size()], *font).outline());
        }
        return out;
    };
    std::vector<std::vector<Path>> results = inFourThreads(layout);
    for (int t = 1; t < 4; ++t) EXPECT_EQ(results[t], results[0]);
    EXPECT_EQ(layout(0), results[0]);
}

TEST(Text, ShapedTextIsSharedPerExactTextFontAndKern) {
    auto dejavu = systemfonts::family("DejaVu Sans");
    ASSERT_TRUE(dejavu);
    auto font = fontOf("Caveat.ttf", 20);
    auto cascaded = fontOf("Caveat.ttf", 20, {}, {FontDescriptor{dejavu, {}, {}}});
    auto same = fontOf("Caveat.ttf", 20);  // another font object, the same face and size
    auto shared = shapedText("a\u2260b", *font);
    EXPECT_EQ(shapedText("a\u2260b", *same), shared);
    EXPECT_EQ(shapedText("a\u2260b", *font, 0), shared);

    // Anything that could change a glyph is a different entry, however close.
    const std::pair<const char*, std::shared_ptr<const ShapedText>> others[] = {
        {"text", shapedText("a\u2260c", *font)},
        {"kern", shapedText("a\u2260b", *font, 1e-12)},
        {"size", shapedText("a\u2260b", *font->withSize(std::nextafter(20.0, 21.0)))},
        {"cascade", shapedText("a\u2260b", *cascaded)},
    };
    for (const auto& [what, other] : others) EXPECT_NE(other, shared) << what;

    // What the cache hands out is exactly what shaping and outlining give.
    for (const auto& f : {font, cascaded}) {
        TextLine direct = TextLine::shape("a\u2260b", *f, 0.5);
        auto kept = shapedText("a\u2260b", *f, 0.5);
        EXPECT_EQ(kept->line().width, direct.width);
        EXPECT_EQ(kept->line().runs.size(), direct.runs.size());
        EXPECT_EQ(kept->outline(), direct.outline());
    }
    EXPECT_EQ(textWidth("a\u2260b", *font), TextLine::shape("a\u2260b", *font).width);
}

TEST(Text, ThreadsSharingShapedTextAgree) {
    const std::vector<std::string> words{"the", "quick", "brown", "fox", "jumps", "\u2260", "\u00e9t\u00e9", "\u221e"};
    auto layout = [&](int seed) {
        std::vector<Path> out;
        for (int i = 0; i < 300; ++i) {
            auto font = fontOf(i % 2 ? "ShantellSans.ttf" : "Excalifont.ttf", 31 + (i + seed) % 5, {{wght, 430}});
            out.push_back(shapedText(words[(i + seed) % words.size()], *font)->outline());
        }
        return out;
    };
    std::vector<std::vector<Path>> results = inFourThreads(layout);
    for (int t = 1; t < 4; ++t) EXPECT_EQ(results[t], results[0]);
    std::vector<Path> direct;
    for (int i = 0; i < 300; ++i) {
        auto font = fontOf(i % 2 ? "ShantellSans.ttf" : "Excalifont.ttf", 31 + i % 5, {{wght, 430}});
        direct.push_back(TextLine::shape(words[i % words.size()], *font).outline());
    }
    EXPECT_EQ(results[0], direct);
}
