// The geometry of the deep-dive stack: pane widths, offsets and how far the notebook leans.
#include "app/DiveLayout.h"

#include <gtest/gtest.h>

namespace nolby {
namespace {

TEST(DiveLayout, WidthIsSixTenthsKeptBetween520And820AndLeavesRoom) {
    struct Case { double w, d; };
    for (const Case c : {Case{1000, 600}, Case{800, 520}, Case{1600, 820}, Case{600, 460}, Case{1200, 720}})
        EXPECT_DOUBLE_EQ(DiveLayout::width(c.w), c.d) << "W " << c.w;
}

TEST(DiveLayout, TopmostIsFlushRightAndEachLowerDiveShows48Further) {
    const double w = 1000, d = 600;
    EXPECT_DOUBLE_EQ(DiveLayout::x(w, 2, 3), w - d);
    EXPECT_DOUBLE_EQ(DiveLayout::x(w, 1, 3), w - d - 48);
    EXPECT_DOUBLE_EQ(DiveLayout::x(w, 0, 3), w - d - 96);
    EXPECT_DOUBLE_EQ(DiveLayout::x(w, 0, 1), w - d);
}

TEST(DiveLayout, LeanMovesThePageToTheLeftEdgeLeaving28) {
    struct Case { double w, pageW, shift; };
    for (const Case c : {
             Case{1200, 400, 342},  // scale clamped at 1.15, not 2.64
             Case{800, 600, 42},    // scale clamped at 1.1
             Case{1000, 800, 44},   // not clamped, wide view
             Case{850, 750, 8},     // not clamped, narrow view
             Case{600, 1600, 0},    // the smallest scale overflows the view: never below 0
         })
        EXPECT_NEAR(DiveLayout::lean(c.w, c.pageW), c.shift, 1e-9) << "W " << c.w << " page " << c.pageW;
}

}  // namespace
}  // namespace nolby
