#include "PageTestSupport.h"

#include "page/PaperView.h"
#include "press/CoverBand.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::testing;

namespace {

class Band : public ::testing::Test {
protected:
    void SetUp() override { registerFonts(); }

    Notebook nb = titled("Fractions", 7);
    FakePress press;
    std::shared_ptr<const Image> red = solidImage(160, 90, Color{0.9, 0.1, 0.1, 1});

    std::vector<uint8_t> band(const CoverBand::Look& look) {
        PaperView p = PaperView::forPage(nb, 0, 1, PaperView::PageSide::single, false);
        Canvas c(400, 120);
        p.drawBand(c.cr(), 400, look);
        return bytes(c);
    }
};

}  // namespace

TEST_F(Band, ShowsWhatThePressHasWithoutAnimatingAtFirst) {
    CoverBand b;
    press.covers[nb.id] = red;
    const CoverBand::Look look = b.look(press, nb.id, 10);
    EXPECT_EQ(look.shown.cover, red);
    EXPECT_FALSE(look.leaving);
    EXPECT_EQ(look.progress, 1);
    EXPECT_FALSE(b.animating(10));
    EXPECT_EQ(press.asked, std::vector<int>{1600});
}

TEST_F(Band, ANewCoverArrivesOverOnePointTwoSeconds) {
    CoverBand b;
    b.look(press, nb.id, 10);  // no cover yet: the palette gradient
    const auto gradient = band(b.look(press, nb.id, 10));

    press.covers[nb.id] = red;
    press.printed.insert(nb.id);
    press.counter = 1;
    CoverBand::Look start = b.look(press, nb.id, 20);
    ASSERT_TRUE(start.leaving);
    EXPECT_FALSE(start.leaving->cover);
    EXPECT_TRUE(start.shown.fresh);
    EXPECT_EQ(start.progress, 0);
    // At its start the band still shows only the gradient: the cover's registering is at 0.
    EXPECT_EQ(band(start), gradient);

    const CoverBand::Look mid = b.look(press, nb.id, 20.6);
    EXPECT_NEAR(mid.progress, TimingFunction::easeOut()(0.5), 1e-12);
    EXPECT_TRUE(b.animating(20.6));
    const auto midway = band(mid);
    EXPECT_NE(midway, gradient);

    const CoverBand::Look end = b.look(press, nb.id, 21.25);
    EXPECT_FALSE(end.leaving);
    EXPECT_EQ(end.progress, 1);
    EXPECT_FALSE(b.animating(21.25));
    CoverBand::Look plain;
    plain.shown = {red, true};
    EXPECT_EQ(band(end), band(plain));
    EXPECT_NE(midway, band(plain));
}

TEST_F(Band, ASharperLoadOfTheSameCoverSwapsAtOnce) {
    CoverBand b;
    press.covers[nb.id] = red;
    b.look(press, nb.id, 0);
    auto sharper = solidImage(320, 180, Color{0.9, 0.1, 0.1, 1});
    press.covers[nb.id] = sharper;
    press.counter = 2;
    const CoverBand::Look look = b.look(press, nb.id, 1);
    EXPECT_EQ(look.shown.cover, sharper);
    EXPECT_FALSE(look.leaving);
    EXPECT_FALSE(b.animating(1));
    // A cover printed in an earlier run fades in rather than registering.
    press.covers.clear();
    press.counter = 3;
    b.look(press, nb.id, 2);
    press.covers[nb.id] = red;
    press.counter = 4;
    const CoverBand::Look back = b.look(press, nb.id, 3);
    EXPECT_FALSE(back.shown.fresh);
    ASSERT_TRUE(back.leaving);
}

TEST_F(Band, NoPressShowsThePaletteAndNeverMoves) {
    CoverBand b;
    NoPress none;
    for (double t : {0.0, 5.0, 100.0}) {
        const CoverBand::Look look = b.look(none, nb.id, t);
        EXPECT_FALSE(look.shown.cover);
        EXPECT_FALSE(look.leaving);
        EXPECT_FALSE(b.animating(t));
    }
}
