// Runs with NOLBY_RESOURCES pointing at an empty folder: no handwriting file can be found.
#include "ink/Faces.h"
#include "platform/TextLine.h"

#include <gtest/gtest.h>

using namespace nolby;

TEST(FacesFallback, WithNoFontFilesEveryFaceIsTheStandIn) {
    Faces::registerFrom();
    for (auto face : {Faces::Face::hand, Faces::Face::scrawl, Faces::Face::round}) {
        auto font = Faces::font(face, 19);
        ASSERT_TRUE(font->base()) << Faces::rawValue(face);
        EXPECT_EQ(font->familyName(), Faces::kNoteworthyStandIn);
        EXPECT_EQ(font->size(), 19);
        EXPECT_TRUE(font->cascade().empty());
        TextLine line = TextLine::shape("Hello", *font);
        EXPECT_GT(line.width, 0);
        EXPECT_FALSE(line.hasMissingGlyphs());
    }
}
