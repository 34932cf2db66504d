#include "ink/Faces.h"
#include "ink/Mag.h"
#include "platform/TextLine.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace nolby;

namespace {
std::string fileName(const FontInstance& f) { return std::filesystem::path(f.file().path()).filename().string(); }

double axisValue(const FontInstance& f, const char* tag) {
    for (const Variation& v : f.variations())
        if (v.tag == Mag::tag(tag)) return v.value;
    return -1;
}
}  // namespace

TEST(Faces, RawValuesAreCaseSensitive) {
    EXPECT_EQ(Faces::faceFromRawValue("hand"), Faces::Face::hand);
    EXPECT_EQ(Faces::faceFromRawValue("scrawl"), Faces::Face::scrawl);
    EXPECT_EQ(Faces::faceFromRawValue("round"), Faces::Face::round);
    EXPECT_EQ(Faces::faceFromRawValue("Hand"), std::nullopt);
    EXPECT_EQ(Faces::faceFromRawValue(""), std::nullopt);
}

TEST(Faces, SizeKeyRoundsToTheHundredthHalvesAwayFromZero) {
    EXPECT_EQ(Faces::sizeKey(Faces::Face::hand, 17), "hand@1700");
    EXPECT_EQ(Faces::sizeKey(Faces::Face::hand, 17.004), "hand@1700");
    EXPECT_EQ(Faces::sizeKey(Faces::Face::round, 0.125), "round@13");
    EXPECT_EQ(Faces::sizeKey(Faces::Face::scrawl, -0.125), "scrawl@-13");
    EXPECT_EQ(Faces::sizeKey(Faces::Face::hand, NAN), "hand@0");
}

TEST(Faces, TheThreeFacesAndTheirCascades) {
    Faces::registerFrom();
    auto hand = Faces::font(Faces::Face::hand, 17);
    ASSERT_TRUE(hand->base());
    EXPECT_EQ(fileName(*hand->base()), "Excalifont.ttf");
    ASSERT_EQ(hand->cascade().size(), 1u);
    EXPECT_EQ(fileName(*hand->cascade()[0]), "ShantellSans.ttf");

    auto scrawl = Faces::font(Faces::Face::scrawl, 17);
    EXPECT_EQ(fileName(*scrawl->base()), "Caveat.ttf");
    ASSERT_EQ(scrawl->cascade().size(), 2u);
    EXPECT_EQ(fileName(*scrawl->cascade()[0]), "Excalifont.ttf");
    EXPECT_EQ(fileName(*scrawl->cascade()[1]), "ShantellSans.ttf");

    auto round = Faces::font(Faces::Face::round, 17);
    EXPECT_EQ(fileName(*round->base()), "ShantellSans.ttf");
    EXPECT_TRUE(round->cascade().empty());
    EXPECT_EQ(axisValue(*round->base(), "wght"), 430);
    EXPECT_EQ(axisValue(*round->base(), "INFM"), 50);
    EXPECT_EQ(axisValue(*round->base(), "BNCE"), 0);
    // The Shantell in a cascade carries the same axis values.
    EXPECT_EQ(round->base(), hand->cascade()[0]);
}

TEST(Faces, OneFontPerFaceAndHundredthOfAPoint) {
    Faces::registerFrom();
    auto a = Faces::font(Faces::Face::hand, 17);
    EXPECT_EQ(Faces::font(Faces::Face::hand, 17), a);
    EXPECT_EQ(Faces::font(Faces::Face::hand, 17.004), a);
    EXPECT_NE(Faces::font(Faces::Face::hand, 17.01), a);
    EXPECT_NE(Faces::font(Faces::Face::scrawl, 17), a);
    EXPECT_EQ(a->size(), 17);
    // Registering again changes nothing.
    Faces::registerFrom(std::filesystem::path("/nonexistent"));
    EXPECT_EQ(Faces::font(Faces::Face::hand, 17), a);
}

TEST(Faces, HandwritingHasNoMissingGlyphsForEverydayMaths) {
    Faces::registerFrom();
    auto hand = Faces::font(Faces::Face::hand, 20);
    TextLine line = TextLine::shape("x \u2260 \u03c0 \u2264 \u221e \u2192 \u00e9t\u00e9", *hand);
    EXPECT_FALSE(line.hasMissingGlyphs());
    EXPECT_GT(line.width, 0);
}
