// Counting clicks: a series continues while presses come soon enough and near enough.
#include "sheet/SheetClicks.h"

#include <gtest/gtest.h>

using namespace nolby;

TEST(SheetClicks, PressesCountWhileSoonAndNear) {
    struct Press {
        Point at;
        double time;
        int count;
    };
    const std::vector<std::vector<Press>> series = {
        {{{10, 10}, 0, 1}, {{10, 10}, 0.3, 2}, {{12, 9}, 0.6, 3}, {{10, 10}, 0.9, 4}},  // each within 0.4 of the last
        {{{10, 10}, 0, 1}, {{10, 10}, 0.41, 1}},                                         // too late
        {{{10, 10}, 0, 1}, {{15, 15}, 0.1, 2}, {{15.1, 10}, 0.2, 1}},                    // 5 away still counts, 5.1 not
        {{{10, 10}, 1, 1}, {{10, 10}, 0.9, 1}},                                          // time that runs back starts over
    };
    for (const auto& s : series) {
        SheetClicks clicks;
        for (const Press& p : s) EXPECT_EQ(clicks.press(p.at, p.time), p.count) << p.time;
    }
    SheetClicks clicks(0.5, 2);
    EXPECT_EQ(clicks.press({0, 0}, 0), 1);
    EXPECT_EQ(clicks.press({2, 0}, 0.5), 2);
    clicks.reset();
    EXPECT_EQ(clicks.press({2, 0}, 0.6), 1);
}
