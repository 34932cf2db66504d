// Where a reply's blocks go: below the ink, on to the next page, or just below the question
// with later content pushed down. Ink is primed with rectangles of exact bounds.
#include "../model/ModelTestSupport.h"

#include <gtest/gtest.h>

namespace nolby::test {
namespace {

// A paragraph whose ink covers exactly top...bottom, primed into the model's cache.
PageItem inked(NotebookModel& m, double top, double bottom) {
    PageItem item(paragraph(top));
    primeInk(m, item, top, bottom);
    return item;
}

struct PlacerRig : ModelRig {
    // A notebook of `pages` empty pages of this height; then ink is added page by page.
    NotebookModel& make(int pages, double pageH = 869) {
        std::vector<std::vector<PageItem>> empty(static_cast<size_t>(pages));
        return open(notebookOf(empty, pageH));
    }
    void ink(int page, double top, double bottom) {
        PageItem item = inked(*model, top, bottom);
        model->mutate(page, false, [&](std::vector<PageItem>& items) { items.push_back(item); });
    }
};

TEST(Placer, AnEmptyPageStartsAtTheTopMargin) {
    struct Case {
        double pageH, lowest, y;
    };
    for (const Case c : {Case{600, 62, 76}, Case{869, 90, 104}, Case{1600, 90, 104}}) {
        PlacerRig rig;
        NotebookModel& m = rig.make(1, c.pageH);
        EXPECT_EQ(m.lowestInk(0), c.lowest) << c.pageH;
        const Placer p = Placer::make(m, 0, std::nullopt, false);
        EXPECT_EQ(p.page, 0);
        EXPECT_EQ(p.y, c.y) << c.pageH;
        EXPECT_FALSE(p.inserting);
    }
}

TEST(Placer, AStartScanIsBlockedBySpansNearerThanSixtyPoints) {
    // Writing ends at 300 (start 314); a span starting 59 below is in the way, one 60 below is not.
    struct Case {
        double spanTop;
        double y;
    };
    for (const Case c : {Case{314 + 59, 314 + 59 + 52}, Case{314 + 60, 314}}) {
        PlacerRig rig;
        NotebookModel& m = rig.make(1);
        rig.ink(0, c.spanTop + 6, c.spanTop + 46);  // its span reaches 6 beyond its ink each way
        const Placer p = Placer::make(m, 0, 300.0, false);
        EXPECT_EQ(p.y, c.y) << c.spanTop;
    }
}

TEST(Placer, AFullPageMovesOnAndReportsThePageLeftOnce) {
    PlacerRig rig;
    NotebookModel& m = rig.make(1);
    rig.ink(0, 600, 700);
    Placer p{0, 714};
    const Placer::Spot spot = p.place(m, 100, false);
    EXPECT_EQ(spot, (Placer::Spot{1, 104, 0}));
    EXPECT_EQ(p.y, 104 + 100 + 12);
    EXPECT_EQ(m.nb->pages.size(), 2u);
}

TEST(Placer, AHeadingWantsRoomForWhatFollowsIt) {
    PlacerRig rig;
    NotebookModel& m = rig.make(1);
    Placer p{0, 680};
    // Alone the heading would fit (680 + 30 ≤ 761); with what follows it does not.
    EXPECT_EQ(p.place(m, 30, true).page, 1);
    Placer q{0, 600};
    EXPECT_EQ(q.place(m, 30, true), (Placer::Spot{0, 600, std::nullopt}));
    EXPECT_EQ(q.y, 642);  // the extra room is not kept
}

TEST(Placer, BlocksTallerThanAPageGoOnTheNextEmptyPageAndStay) {
    struct Case {
        double h;
        bool keep;
    };
    // A 600-point block that keeps with the next wants more than a page: one page, not forty.
    for (const Case c : {Case{700, false}, Case{600, true}, Case{700, true}}) {
        PlacerRig rig;
        NotebookModel& m = rig.make(1);
        rig.ink(0, 120, 200);
        Placer p{0, 214};
        const Placer::Spot spot = p.place(m, c.h, c.keep);
        EXPECT_EQ(spot, (Placer::Spot{1, 104, 0})) << c.h << " " << c.keep;
        EXPECT_EQ(m.nb->pages.size(), 2u);
        // The next block goes below it, on the page after.
        p.place(m, 50, false);
        EXPECT_EQ(m.nb->pages.size(), 3u);
    }
}

TEST(Placer, MovingOnUsesAnEmptyNextPageInsertsBeforeAFullOneAndAppendsAtTheEnd) {
    struct Case {
        bool nextExists, nextHasInk;
        size_t pages;
    };
    for (const Case c : {Case{true, false, 2}, Case{true, true, 3}, Case{false, false, 2}}) {
        PlacerRig rig;
        NotebookModel& m = rig.make(c.nextExists ? 2 : 1);
        rig.ink(0, 104, 740);
        if (c.nextHasInk) rig.ink(1, 104, 300);
        const Uuid second = m.nb->pages.size() > 1 ? m.nb->pages[1].id : Uuid::random();
        m.pageIndex.set(m.nb->pages.size() - 1);  // the learner reads the last page
        Placer p{0, 754};
        EXPECT_EQ(p.place(m, 50, false), (Placer::Spot{1, 104, 0}));
        EXPECT_EQ(m.nb->pages.size(), c.pages);
        EXPECT_TRUE(m.nb->pages[1].items.empty());
        if (c.nextHasInk) {
            // The page being read stays in view when a page goes in before it.
            EXPECT_EQ(m.nb->pages[2].id, second);
            EXPECT_EQ(m.pageIndex.get(), 2);
        }
    }
}

TEST(Placer, InsertModePushesLaterContentDownThenCarriesItOverleaf) {
    PlacerRig rig;
    NotebookModel& m = rig.make(1);
    rig.ink(0, 200, 300);  // the question
    rig.ink(0, 320, 400);  // what follows it
    Placer p = Placer::make(m, 0, 300.0, true);
    ASSERT_TRUE(p.inserting);
    EXPECT_EQ(p.place(m, 50, false), (Placer::Spot{0, 314, std::nullopt}));
    EXPECT_EQ(m.bounds(m.nb->pages[0].items[1]).minY(), 320 + 62);
    EXPECT_EQ(p.y, 376);

    // A block that no longer fits: what follows goes overleaf, onto a carry page, and the
    // block onto a fresh page between the two.
    const Placer::Spot spot = p.place(m, 500, false);
    EXPECT_FALSE(p.inserting);
    ASSERT_EQ(m.nb->pages.size(), 3u);
    EXPECT_EQ(spot, (Placer::Spot{1, 104, 0}));
    EXPECT_TRUE(m.nb->pages[1].items.empty());
    EXPECT_TRUE(m.nb->pages[2].carry.value_or(false));
    EXPECT_EQ(m.nb->pages[0].items.size(), 1u);
}

TEST(Placer, FreeRunIsTheRoomDownToTheNextInkOrTheBottomLine) {
    PlacerRig rig;
    NotebookModel& m = rig.make(1);
    rig.ink(0, 200, 300);
    EXPECT_EQ(Placer::freeRun(m, 0, 100), 194 - 100);  // its span starts at 194
    EXPECT_EQ(Placer::freeRun(m, 0, 250), 761 - 250);   // a span over the position does not count
    EXPECT_EQ(Placer::freeRun(m, 0, 800), 761 - 800);   // past the bottom line
}

TEST(Placer, APageThatWentLeavesThePlacerOnAPageThatIs) {
    PlacerRig rig;
    NotebookModel& m = rig.make(2);
    Placer p{7, 300};
    EXPECT_EQ(p.place(m, 40, false), (Placer::Spot{1, 300, std::nullopt}));
    EXPECT_TRUE(Placer::spans(m, 9).empty());
    EXPECT_EQ(Placer::freeRun(m, -1, 104), 761 - 104);
}

}  // namespace
}  // namespace nolby::test
