#include "notebook/Notebook.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;

namespace {

StrokeItem strokeOf(std::vector<float> pts) { return StrokeItem{std::move(pts), "ink", 2, "pen"}; }

TextItem noteAt(double y, std::optional<Rect> anchor = std::nullopt) {
    TextItem t;
    t.x = 10;
    t.y = y;
    t.width = 200;
    t.text = "hello";
    t.color = "ink";
    t.size = 17;
    t.anchor = anchor;
    return t;
}

BlockItem blockAt(double y, std::optional<Rect> box = std::nullopt) {
    BlockItem b;
    b.json = R"({"t":"text"})";
    b.y = y;
    b.box = box;
    return b;
}

}  // namespace

TEST(Document, NewNotebookDefaults) {
    Notebook n;
    EXPECT_EQ(n.title, "");
    EXPECT_EQ(n.color, "blue");
    EXPECT_EQ(n.pageW, 400);
    EXPECT_EQ(n.pageH, 869);
    ASSERT_EQ(n.pages.size(), 1u);
    EXPECT_TRUE(n.pages[0].items.empty());
    EXPECT_FALSE(n.pages[0].carry);
    EXPECT_EQ(n.step, 1);
    EXPECT_EQ(n.mode, "lesson");
    EXPECT_EQ(n.pace, 3);
    EXPECT_EQ(n.lastPage, 0);
    EXPECT_LE(n.created, n.updated);
    EXPECT_FALSE(n.plan || n.issue || n.next || n.verdict || n.misses || n.review || n.parent || n.from || n.passage);
    EXPECT_NE(Notebook().id, n.id);
    EXPECT_NE(Notebook().pages[0].id, n.pages[0].id);
}

TEST(Document, NotebookEqualityIsIdAndUpdatedOnly) {
    Notebook a;
    Notebook b = a;
    b.title = "Fractions";
    b.pages.push_back(Page{});
    EXPECT_EQ(a, b);
    ContentHasher ha, hb;
    a.hashInto(ha);
    b.hashInto(hb);
    EXPECT_EQ(ha.finalize(), hb.finalize());

    b.updated = a.updated + ReferenceClock::duration(1);
    EXPECT_NE(a, b);
    Notebook c = a;
    c.id = Uuid::random();
    EXPECT_NE(a, c);
}

TEST(Document, StrokeSamplesTakeWholeTriples) {
    struct Case {
        std::vector<float> pts;
        size_t points;
        double top;
    };
    const Case cases[] = {
        {{}, 0, 0},
        {{1, 2}, 0, 0},
        {{1, 7, 0.5f, 4, 3}, 1, 7},  // a trailing incomplete triple is ignored
        {{1, 7, 0.5f, 4, 3, 0.25f}, 2, 3},
    };
    for (const Case& c : cases) {
        StrokeItem s = strokeOf(c.pts);
        EXPECT_EQ(s.points().size(), c.points);
        EXPECT_EQ(s.pressures().size(), c.points);
        EXPECT_EQ(PageItem(s).top(), c.top);
    }
}

TEST(Document, ShiftingAStrokeMovesEveryYIncludingATrailingOne) {
    PageItem moved = PageItem(strokeOf({1, 7, 0.5f, 4, 3})).shifted(10, 0);
    EXPECT_EQ(moved.stroke()->pts, (std::vector<float>{1, 17, 0.5f, 4, 13}));
    // Fewer than two numbers: nothing to move.
    EXPECT_EQ(PageItem(strokeOf({5})).shifted(10, 0).stroke()->pts, std::vector<float>{5});
    // y values are rounded to float after adding in double.
    float y = 0.1f;
    PageItem fine = PageItem(strokeOf({0, y, 1})).shifted(0.2, 0);
    EXPECT_EQ(fine.stroke()->pts[1], static_cast<float>(double(y) + 0.2));
    // Beyond the float range a sample becomes infinite rather than undefined.
    PageItem far = PageItem(strokeOf({0, 3e38f, 1})).shifted(1e300, 0);
    EXPECT_TRUE(std::isinf(far.stroke()->pts[1]));
}

TEST(Document, ShiftingBlocksAndNotes) {
    PageItem boxed = PageItem(blockAt(50, Rect{0, 300, 40, -20})).shifted(10, 0);
    EXPECT_EQ(boxed.block()->y, 50);
    EXPECT_EQ(boxed.block()->box, (Rect{0, 310, 40, -20}));
    EXPECT_EQ(boxed.top(), 290);  // the standardized box's top
    PageItem plain = PageItem(blockAt(50)).shifted(10, 0);
    EXPECT_EQ(plain.block()->y, 60);
    EXPECT_EQ(plain.top(), 60);

    const Rect anchor{20, 100, 80, 20};
    struct Case {
        double cut;
        double anchorY;
    };
    const Case cases[] = {{150, 100}, {100, 110}, {40, 110}};  // a cut below the anchor leaves it
    for (const Case& c : cases) {
        PageItem moved = PageItem(noteAt(120, anchor)).shifted(10, c.cut);
        EXPECT_EQ(moved.text()->y, 130);
        EXPECT_EQ(moved.text()->anchor->y, c.anchorY) << c.cut;
    }
}

TEST(Document, ContentHashFollowsEveryField) {
    TextItem t = noteAt(100, Rect{1, 2, 3, 4});
    t.about = "words";
    PageItem base(t);
    EXPECT_EQ(base.contentHash(), PageItem(t).contentHash());

    std::vector<TextItem> changed(8, t);
    changed[0].x = 11;
    changed[1].text = "hellp";
    changed[2].turn = 0;
    changed[3].spoken = true;
    changed[4].anchor.reset();
    changed[5].about = "";
    changed[6].about.reset();
    changed[7].created = t.created + ReferenceClock::duration(0.001);
    for (const TextItem& c : changed) EXPECT_NE(PageItem(c).contentHash(), base.contentHash());

    // Equal values hash alike: -0 is 0, a rectangle counts in its standardized form.
    TextItem zero = t, negZero = t;
    zero.x = 0;
    negZero.x = -0.0;
    EXPECT_EQ(PageItem(zero).contentHash(), PageItem(negZero).contentHash());
    TextItem flipped = t;
    flipped.anchor = Rect{4, 6, -3, -4};
    EXPECT_EQ(PageItem(flipped).contentHash(), base.contentHash());

    // The case index is part of the key and the hasher's seed changes it.
    ContentHasher seeded(1);
    base.hashInto(seeded);
    EXPECT_NE(seeded.finalize(), base.contentHash());
}

TEST(Document, ShapeHashIgnoresVerticalMoves) {
    const PageItem items[] = {PageItem(noteAt(100)), PageItem(strokeOf({1, 40, 1, 5, 60, 1})), PageItem(blockAt(30)),
                              PageItem(blockAt(30, Rect{0, 80, 10, 10}))};
    for (const PageItem& item : items) {
        PageItem moved = item.shifted(25, 0);
        EXPECT_NE(moved.contentHash(), item.contentHash());
        EXPECT_EQ(moved.shapeHash(), item.shapeHash());
    }
}

TEST(Document, NewItemsAreUnreadNotesAndStrokes) {
    Notebook n;
    TextItem read = noteAt(10);
    read.turn = 1;
    BlockItem tutor = blockAt(0);  // a block without a turn is still never new
    n.pages[0].items = {PageItem(read), PageItem(tutor)};
    EXPECT_TRUE(n.newItems().empty());

    TextItem fresh = noteAt(40);
    StrokeItem scribble = strokeOf({1, 2, 1});
    n.pages.push_back(Page{});
    n.pages[1].items = {PageItem(tutor), PageItem(scribble), PageItem(fresh)};
    n.pages[0].items.push_back(PageItem(fresh));
    std::vector<Notebook::Unread> got = n.newItems();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].page, 0);
    EXPECT_EQ(got[0].item, PageItem(fresh));
    EXPECT_EQ(got[1].page, 1);
    EXPECT_EQ(got[1].item, PageItem(scribble));
    EXPECT_EQ(got[2].item.id(), fresh.id);
}
