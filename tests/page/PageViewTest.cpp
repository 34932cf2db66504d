// A page of an open notebook as its view shows it: where the page sits, its ink live or from
// cached bitmaps, the pen stroke, the note being typed, the tutor's signs, and what the view
// does when the model changes.
#include "PageViewSupport.h"

#include "ink/Ink.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;
using namespace nolby::testing;

namespace {

// The left-most column with ink, or -1.
int leftmost(const Canvas& c) {
    for (int x = 0; x < c.pixelWidth(); ++x)
        for (int y = 0; y < c.pixelHeight(); ++y)
            if (c.pixel(x, y).a > 0) return x;
    return -1;
}

}  // namespace

TEST(PageView, AnIndexPastTheLastPageShowsNoInk) {
    PageRig rig;
    for (int index : {2, 7, -1}) {
        for (bool live : {true, false}) {
            auto p = rig.painter(index, live);
            EXPECT_FALSE(p->view().pageId());
            if (live) {
                ASSERT_TRUE(p->stage());
                EXPECT_FALSE(p->stage()->page());
                EXPECT_TRUE(p->stage()->items().empty());
            } else {
                EXPECT_TRUE(p->rasterInk().layers.empty());
                EXPECT_TRUE(p->rasterInk().patch.frame().isNull());
            }
            EXPECT_TRUE(blank(*rig.frame(*p))) << index << " live " << live;
        }
    }
    // The page itself shows its three blocks.
    auto p = rig.painter(0);
    EXPECT_EQ(p->stage()->items().size(), 3u);
    EXPECT_FALSE(blank(*rig.frame(*p)));
}

TEST(PageView, CentredAcrossTheViewNeverLeftOfIt) {
    PageRig rig;
    struct Case {
        Size view;
        double s, ox;
        int inkX;  // the left edge of the ink (page x 30) in view pixels
    };
    const Case cases[] = {
        {{400, 869}, 1, 0, 30},
        {{1000, 869}, 1.08, 284, 284 + 32},  // 30 × 1.08 = 32.4
        {{300, 2000}, 0.75, 0, 22},          // as wide as the page: at the left edge
        {{600, 200}, 200 / 869.0 * 1.08, (600 - 400 * (200 / 869.0 * 1.08)) / 2, -1},
    };
    for (const Case& c : cases) {
        rig.m->viewSize.set(c.view);
        auto p = rig.painter(0);
        const PageGeometry g = p->view().geometry();
        EXPECT_DOUBLE_EQ(g.s, c.s) << c.view.width;
        EXPECT_DOUBLE_EQ(g.ox, c.ox) << c.view.width;
        EXPECT_EQ(p->stage()->ink()->position, (Point{c.ox, 0}));
        if (c.inkX >= 0) EXPECT_EQ(leftmost(*rig.frame(*p)), c.inkX) << c.view.width;
    }
}

TEST(PageView, SizesBelowOneAndScalesThatAreNoSizeDrawNothing) {
    const double inf = INFINITY, nan = std::nan("");
    const Size views[] = {{0, 0}, {0.5, 800}, {400, 0.5}, {nan, 800}, {inf, 800}, {400, nan}, {-5, 800}};
    for (const Size& v : views) {
        PageRig rig(titled("Fractions", 7));
        rig.m->viewSize.set(v);
        for (bool live : {true, false}) {
            auto p = rig.painter(0, live, true, true);
            EXPECT_FALSE(p->view().drawable()) << v.width << "x" << v.height;
            EXPECT_TRUE(blank(*rig.frame(*p))) << v.width << "x" << v.height;
        }
    }
    // A page size that is no size leaves the scale at 1 and draws no page either.
    PageRig odd;
    Notebook nb = odd.m->nb.get();
    nb.pageW = nan;
    nb.updated += std::chrono::seconds(1);
    odd.m->nb.set(nb);
    auto p = odd.painter(0, true, true, true);
    EXPECT_FALSE(p->view().drawable());
    EXPECT_TRUE(blank(*odd.frame(*p)));
}

TEST(PageView, CachedBitmapsShowWhatTheLiveStageShows) {
    PageRig rig;
    auto cached = rig.painter(0, false, false, false, 2);
    int redraws = 0;
    cached->onChange([&] { ++redraws; });

    // The bitmaps are rendered in the background: meanwhile everything is on the patch.
    EXPECT_TRUE(cached->rasterInk().layers.empty());
    EXPECT_EQ(cached->rasterInk().patch.ops.size(), 9u);
    EXPECT_EQ(cached->rasterInk().patch.frame(), (Rect{24, 98, 132, 164}));
    auto vectors = rig.frame(*cached);
    EXPECT_EQ(cached->patchRenders(), 1);
    rig.frame(*cached);
    EXPECT_EQ(cached->patchRenders(), 1);  // an unchanged patch is not drawn again
    EXPECT_EQ(cached->layerReads(), 1);

    // They arrive: the view hears of it and reads the page again on the next turn.
    rig.scheduler().drain();
    EXPECT_GT(redraws, 0);
    EXPECT_EQ(cached->layerReads(), 1 + redraws);
    ASSERT_EQ(cached->rasterInk().layers.size(), 3u);
    EXPECT_TRUE(cached->rasterInk().patch.ops.empty());
    const PageLayer& first = cached->rasterInk().layers[0];
    EXPECT_EQ(cached->view().layerFrame(first), first.raster.frame);  // scale 1, at the left edge

    auto bitmaps = rig.frame(*cached);
    auto live = rig.painter(0, true, false, false, 2);
    auto staged = rig.frame(*live);
    EXPECT_EQ(differing(*bitmaps, *staged), 0);
    EXPECT_EQ(differing(*bitmaps, *vectors), 0);
    EXPECT_EQ(opaque(*bitmaps), 9 * 240 * 20);
}

TEST(PageView, ThePatchHoldsWhatHasNoBitmapYet) {
    PageRig rig;
    auto cached = rig.painter(0, false);
    rig.scheduler().drain();  // every block has its bitmap
    rig.frame(*cached);
    EXPECT_EQ(cached->patchRenders(), 0);
    EXPECT_TRUE(cached->rasterInk().patch.frame().isNull());

    // A block arrives: until its bitmap does, it is drawn on the patch.
    const BlockItem added = test::paragraph(400);
    rig.m->cache->prime(added, PageRig::ops(added), rig.m->geo());
    rig.m->mutate(0, false, [&](std::vector<PageItem>& items) { items.push_back(added); });
    cached->sync(rig.now());
    EXPECT_EQ(cached->rasterInk().layers.size(), 3u);
    EXPECT_EQ(cached->rasterInk().patch.ops.size(), 3u);
    EXPECT_EQ(cached->rasterInk().patch.frame(), (Rect{24, 394, 132, 52}));
    EXPECT_EQ(opaque(*rig.frame(*cached)), 12 * 120 * 10);
    rig.frame(*cached);
    EXPECT_EQ(cached->patchRenders(), 1);  // drawn once, then kept
    // Moved before its bitmap came: a patch of as many operations, at the same versions of
    // the writer and the bitmaps, yet showing the block where it is now.
    rig.m->mutate(0, false, [&](std::vector<PageItem>& items) { items.back() = items.back().shifted(100, -INFINITY); });
    cached->sync(rig.now());
    EXPECT_EQ(cached->rasterInk().patch.ops.size(), 3u);
    const auto moved = rig.frame(*cached);
    EXPECT_EQ(opaque(*moved, {0, 390, 400, 60}), 0);
    EXPECT_EQ(opaque(*moved, {0, 490, 400, 60}), 3 * 120 * 10);
    EXPECT_EQ(cached->patchRenders(), 2);
    rig.scheduler().drain();
    EXPECT_EQ(cached->rasterInk().layers.size(), 4u);
    EXPECT_EQ(opaque(*rig.frame(*cached)), 12 * 120 * 10);
    EXPECT_EQ(cached->patchRenders(), 2);
}

TEST(PageView, ChangesAreReadOnTheNextTurnOnce) {
    PageRig rig;
    auto p = rig.painter(0, true, false, false, 2);
    int redraws = 0;
    p->onChange([&] { ++redraws; });
    EXPECT_EQ(p->stage()->pixels(), 2);

    rig.m->viewSize.set({800, 1738});  // scale 2
    NotebookModel::TutorStatus t;
    t.thinking = true;
    rig.m->tutor.set(t);
    EXPECT_EQ(p->stage()->pixels(), 2);  // not inside the change
    EXPECT_EQ(redraws, 0);
    rig.scheduler().drain();
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(p->stage()->pixels(), 4);
    EXPECT_EQ(p->stage()->ink()->transform, Affine::scaling(2, 2));

    // A painter that is gone hears nothing more.
    p.reset();
    rig.m->viewSize.set({400, 869});
    rig.scheduler().drain();
    EXPECT_EQ(redraws, 1);
    EXPECT_TRUE(rig.m->scribe->stages().empty());
}

TEST(PageView, TheThinkingMarkOnItsPageEntersAndLeaves) {
    PageRig rig;
    auto here = rig.painter(0), there = rig.painter(1);
    const double t0 = rig.now();
    NotebookModel::TutorStatus t;
    t.thinking = true;
    t.thinkingAt = NotebookModel::TutorStatus::Mark{0, {100, 300}};
    rig.m->tutor.set(t);
    rig.scheduler().drain();

    const Rect frame = ThinkingMark::frame(0, 1, {100, 300});
    EXPECT_EQ(frame, (Rect{100, 293, 26, 26}));
    EXPECT_EQ(opaque(*rig.frame(*here, t0), frame), 0);  // scaled from 0.6 and faded from 0
    EXPECT_TRUE(here->animating(t0));
    const int half = opaque(*rig.frame(*here, t0 + ThinkingMark::kEntrance / 2), frame);
    const int whole = opaque(*rig.frame(*here, t0 + ThinkingMark::kEntrance), frame);
    EXPECT_GT(half, 0);
    EXPECT_GT(whole, half);
    EXPECT_TRUE(here->animating(t0 + 100));  // it turns for as long as it shows
    EXPECT_TRUE(blank(*rig.frame(*there, t0 + 1)));
    EXPECT_FALSE(there->animating(t0 + 1));

    // Thinking without a point shows no mark: it leaves.
    rig.scheduler().advance(1);
    const double t1 = rig.now();
    t.thinkingAt.reset();
    rig.m->tutor.set(t);
    rig.scheduler().drain();
    EXPECT_GT(opaque(*rig.frame(*here, t1 + 0.1), frame), 0);
    EXPECT_EQ(opaque(*rig.frame(*here, t1 + ThinkingMark::kEntrance), frame), 0);
    EXPECT_FALSE(here->animating(t1 + ThinkingMark::kEntrance));
}

TEST(PageView, TheReadingSweepOnTheReadingPageOnly) {
    PageRig rig;
    auto here = rig.painter(0), there = rig.painter(1);
    const double t0 = rig.now();
    NotebookModel::TutorStatus t;
    t.reading = NotebookModel::TutorStatus::Reading{0, {{40, 400, 200, 18}, {40, 424, 180, 18}}, t0 + 1};
    rig.m->tutor.set(t);
    rig.scheduler().drain();
    const Rect under{30, 418, 230, 34};
    // Its start lies ahead: nothing yet, but it is coming.
    EXPECT_EQ(opaque(*rig.frame(*here, t0 + 0.9), under), 0);
    EXPECT_TRUE(here->animating(t0 + 0.9));
    EXPECT_GT(opaque(*rig.frame(*here, t0 + 2), under), 0);
    EXPECT_TRUE(blank(*rig.frame(*there, t0 + 2)));
    EXPECT_FALSE(here->animating(t0 + 1 + 0.55 + 0.55 * 1.375 + 0.01));  // swept and faded

    // It fades out when the reading ends.
    rig.scheduler().advance(3);
    const double t1 = rig.now();
    rig.m->tutor.set({});
    rig.scheduler().drain();
    EXPECT_TRUE(here->animating(t1 + 0.1));
    EXPECT_GT(opaque(*rig.frame(*here, t1 + 0.1), under), 0);
    EXPECT_EQ(opaque(*rig.frame(*here, t1 + ReadingSweep::kFade), under), 0);
    EXPECT_FALSE(here->animating(t1 + ReadingSweep::kFade));
}

TEST(PageView, ThePenStrokeOnTheCurrentPageTheNoteOnItsOwn) {
    PageRig rig;
    NotebookModel::Live live;
    for (int i = 0; i <= 20; ++i) live.samples.push_back({{200.0 + 5 * i, 600}, 0.5});
    rig.m->live.set(live);
    rig.m->pageIndex.set(1);
    auto first = rig.painter(0), second = rig.painter(1);
    const Rect stroke{195, 590, 110, 20};
    EXPECT_EQ(opaque(*rig.frame(*first), stroke), 0);  // not the current page
    const auto pen = rig.frame(*second);
    EXPECT_GT(opaque(*pen, stroke), 100);
    EXPECT_EQ(pen->pixel(250, 600).hexString(), rig.m->penColor().hexString());

    NotebookModel::Editing e;
    e.page = 0;
    e.x = 40, e.y = 700, e.width = 300;
    e.text = "why halves";
    rig.m->editing.set(e);
    rig.scheduler().drain();
    const Rect note{30, 690, 320, 40};
    EXPECT_GT(opaque(*rig.frame(*first), note), 50);
    EXPECT_EQ(opaque(*rig.frame(*second), note), 0);
}

TEST(PageView, TheMarkerMultipliesOntoThePaperBeneathIt) {
    PageRig rig(titled("Fractions", 7));
    auto p = rig.painter(0, true, true, true);
    const auto paper = rig.frame(*p);
    NotebookModel::Live live;
    for (int i = 0; i <= 20; ++i) live.samples.push_back({{200.0 + 5 * i, 600}, 0.5});
    rig.m->tool.set(NotebookModel::Tool::marker);
    rig.m->live.set(live);
    rig.scheduler().drain();
    const auto marked = rig.frame(*p);
    const Color m = Ink::marker(rig.m->markerName()), under = paper->pixel(250, 600), got = marked->pixel(250, 600);
    // 75 % of the paper times the marker over a quarter of the paper itself.
    EXPECT_NEAR(got.r, under.r * (0.25 + 0.75 * m.r), 2 / 255.0);
    EXPECT_NEAR(got.g, under.g * (0.25 + 0.75 * m.g), 2 / 255.0);
    EXPECT_NEAR(got.b, under.b * (0.25 + 0.75 * m.b), 2 / 255.0);
    EXPECT_EQ(got.a, 1);
}

TEST(PageView, InkRevealedMidWriting) {
    PageRig rig;
    auto p = rig.painter(0);
    const double t0 = rig.now();
    rig.write(rig.blocks[2]);
    rig.scheduler().drain();
    // The block's three boxes fade in one after another.
    const auto& reveals = p->stage()->revealing();
    ASSERT_EQ(reveals.size(), 3u);
    const Rect written{24, 210, 140, 50};
    EXPECT_EQ(opaque(*rig.frame(*p, t0), written), 0);
    const double mid = reveals[1].stroke.start - 0.01;
    EXPECT_TRUE(p->animating(mid));
    EXPECT_EQ(opaque(*rig.frame(*p, mid), written), 120 * 10);
    rig.scheduler().advance(reveals[2].until - t0 + 1);
    rig.scheduler().drain();
    EXPECT_EQ(opaque(*rig.frame(*p), written), 3 * 120 * 10);
    EXPECT_FALSE(p->animating(rig.now()));
}

TEST(PageView, AnotherPageOrModelMovesTheStage) {
    PageRig rig, other;
    auto p = rig.painter(0);
    ASSERT_EQ(rig.m->scribe->stages().size(), 1u);
    PageView v = p->view();
    v.index = 1;
    p->set(v);
    EXPECT_EQ(p->stage()->page(), rig.page(1));
    v.model = other.model;
    p->set(v);
    EXPECT_TRUE(rig.m->scribe->stages().empty());
    ASSERT_EQ(other.m->scribe->stages().size(), 1u);
    EXPECT_EQ(p->stage()->page(), other.page(1));
    v.live = false;
    p->set(v);
    EXPECT_FALSE(p->stage());
    EXPECT_TRUE(other.m->scribe->stages().empty());
}
