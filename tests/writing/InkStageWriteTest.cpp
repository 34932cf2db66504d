// A reply written out on the page stage from start to end: a heading, maths, a figure and a
// sketch whose painting comes three seconds later. Once written, the page shows exactly the
// blocks drawn whole.
#include "StageTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;
using namespace nolby::testing;

namespace {

std::vector<J> reply() {
    std::vector<J> blocks;
    for (const char* line : {
             R"({"t":"h","text":"Sharing a pizza"})",
             R"({"t":"math","tex":"\\frac{3}{8} + \\frac{1}{8} = \\frac{1}{2}"})",
             R"({"t":"fig","h":40,"caption":"half of the pizza","items":[{"k":"poly","pts":[[20,35],[50,5],[80,35]],"fill":"yellow"}]})",
             R"({"t":"sketch","h":40,"caption":"a pizza cut in eight","prompt":"a pizza"})"})
        blocks.push_back(*J::parse(line));
    return blocks;
}

TEST(WritingAReply, TheLastFrameIsTheReplyDrawnWhole) {
    StageDesk d;
    const std::vector<Uuid> ids = d.reply(reply(), 11);
    d.run(3);
    ASSERT_TRUE(d.paint(ids[3], tools::samplePainting(704, 324)));
    ASSERT_TRUE(d.runUntilIdle(120));
    d.run(1);

    // Each item is reported once per job, in the order written; the sketch's painting is a
    // job of its own, after its caption and placeholder.
    std::vector<Uuid> expected = ids;
    expected.push_back(ids[3]);
    EXPECT_EQ(d.finished(), expected);

    auto last = d.frame(d.clock->now());
    auto whole = d.whole();
    ASSERT_EQ(last->pixelWidth(), whole->pixelWidth());
    int differ = 0, inked = 0;
    double worst = 0;
    for (int y = 0; y < last->pixelHeight(); ++y)
        for (int x = 0; x < last->pixelWidth(); ++x) {
            const Color a = last->pixel(x, y), b = whole->pixel(x, y);
            const double gap = std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
            worst = std::max(worst, gap);
            differ += gap > 40 / 255.0;
            inked += nolby::testing::inked(*whole, x, y);
        }
    EXPECT_GT(inked, 20000);
    // Antialiasing at the edges of strokes drawn as shapes rather than bitmaps, no more.
    EXPECT_LT(differ, inked / 100) << "worst " << worst * 255;
    // Nothing is left animating: no drops, no sheets.
    EXPECT_FALSE(d.stage().animating(d.clock->now()));
}

TEST(WritingAReply, StrokesFollowOneAnotherDownThePage) {
    StageDesk d;
    d.reply(reply(), 11);
    ASSERT_TRUE(d.runUntilIdle(120));
    double end = 0;
    for (const auto& s : d.scheduled()) {
        EXPECT_FALSE(s.stroke.beside);
        EXPECT_GE(s.stroke.start, end - 1e-9);  // no overlap
        EXPECT_GE(s.stroke.start, s.at);
        end = s.stroke.start + s.stroke.dur;
    }
    EXPECT_GT(d.scheduled().size(), 10u);
}

}  // namespace
