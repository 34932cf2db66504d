// Pages in view, the reading page, the next page, and moving to a page: plain sets, leaf
// flips and curls that land on the manual clock, and the live pen's look.
#include "NoteTestSupport.h"

#include "ink/Freehand.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::test;

namespace {

Notebook pages(size_t count) { return notebookOf(std::vector<std::vector<PageItem>>(count)); }

using Pattern = Haptics::Pattern;

}  // namespace

TEST(NotebookModelNavigation, PagesInView) {
    struct Case {
        size_t pages;
        int index;
        bool spread, scroll;
        std::vector<int> view;
    };
    const Case cases[] = {
        {5, 0, true, false, {0}},     {2, 1, true, false, {1}},       {5, 4, true, false, {3, 4}},
        {5, 3, true, false, {3, 4}},  {5, 2, false, false, {2}},      {3, 1, false, true, {0, 1, 2}},
        {3, 1, true, true, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        ModelRig rig;
        NotebookModel& m = rig.open(pages(c.pages));
        m.pageIndex.set(c.index);
        m.spread.set(c.spread);
        m.scroll.set(c.scroll);
        EXPECT_EQ(m.inView(), c.view) << c.pages << " pages at " << c.index;
    }
}

TEST(NotebookModelNavigation, TheReadingPageIsTheLastInViewWithInk) {
    ModelRig rig;
    BlockItem inked = paragraph(200);
    BlockItem empty;  // a block without ink
    empty.json = R"({"t":"nothing"})";
    NotebookModel& m = rig.open(notebookOf({{}, {inked}, {empty}, {}}));
    primeInk(m, inked, 200, 240);
    m.pageIndex.set(3);
    EXPECT_EQ(m.readingPage(), 3);  // one page at a time: no ink in view
    m.scroll.set(true);
    EXPECT_EQ(m.readingPage(), 1);
}

TEST(NotebookModelNavigation, TheNextPage) {
    struct Case {
        std::vector<bool> written;  // per page: holds an item
        int index;
        bool spread, scroll;
        std::optional<int> next;
        size_t pagesAfter;
    };
    const Case cases[] = {
        {{false, false}, 1, false, false, std::nullopt, 2},   // nothing in view written
        {{true, false}, 0, false, false, 1, 2},               // an existing page
        {{false, true}, 1, false, false, 2, 3},               // a new page after a written one
        {{true, false, false}, 0, false, true, 3, 4},         // scrolling: always a new page
        {{false, false, false}, 0, false, true, std::nullopt, 3},
        {{false, true, true, false, false}, 1, true, false, 3, 5},  // spread (1, 2) → 3
        {{false, true, true}, 2, true, false, 3, 4},          // the next spread begins on a new page
    };
    for (const Case& c : cases) {
        ModelRig rig;
        std::vector<std::vector<PageItem>> items;
        for (bool w : c.written) items.push_back(w ? std::vector<PageItem>{paragraph(200)} : std::vector<PageItem>{});
        NotebookModel& m = rig.open(notebookOf(items));
        m.pageIndex.set(c.index);
        m.spread.set(c.spread);
        m.scroll.set(c.scroll);
        EXPECT_EQ(m.nextPageIndex(), c.next) << c.written.size() << " pages at " << c.index;
        EXPECT_EQ(m.nb->pages.size(), c.pagesAfter);
        EXPECT_TRUE(m.undoStack.empty());
    }
}

TEST(NotebookModelNavigation, NoMoveToTheCurrentPageOrOffThePagesButThenRuns) {
    ModelRig rig;
    NotebookModel& m = rig.open(pages(3));
    m.click({100, 300}, 0);
    type(m, "open");
    int ran = 0;
    for (int to : {0, 3, -1}) m.go(to, true, false, [&] { ++ran; });
    EXPECT_EQ(ran, 3);
    EXPECT_TRUE(m.editing.get());  // not committed
    EXPECT_EQ(m.nb->lastPage, 0);
    rig.settle();
    EXPECT_FALSE(rig.store.onDisk(m.nb->id));  // nothing saved
}

TEST(NotebookModelNavigation, PlainMovesCommitAndSave) {
    struct Case {
        bool spread, scroll;
        Size view;
        int from, to;
    };
    const Case cases[] = {
        {false, true, {800, 600}, 0, 3},  // scrolling
        {true, false, {800, 600}, 4, 3},  // the same spread (3, 4)
        {false, false, {0, 0}, 0, 2},     // one page, the view not measured yet
    };
    for (const Case& c : cases) {
        ModelRig rig;
        NotebookModel& m = rig.open(pages(5));
        m.pageIndex.set(c.from);
        m.spread.set(c.spread);
        m.scroll.set(c.scroll);
        m.viewSize.set(c.view);
        m.click({100, 300}, c.from);
        type(m, "note");
        bool ran = false;
        m.go(c.to, true, false, [&] { ran = true; });
        EXPECT_TRUE(ran);
        EXPECT_EQ(m.pageIndex.get(), c.to);
        EXPECT_FALSE(m.turning());
        EXPECT_FALSE(m.editing.get());
        EXPECT_EQ(m.nb->pages[c.from].items.size(), 1u);
        EXPECT_EQ(m.nb->lastPage, c.to);
        EXPECT_TRUE(rig.haptics->played.empty());
    }
}

TEST(NotebookModelNavigation, AFlipLandsWhenItsTimeIsUp) {
    ModelRig rig;
    NotebookModel& m = rig.open(pages(5));
    m.spread.set(true);
    m.pageIndex.set(2);  // spread (1, 2)
    rig.scheduler().advance(3);
    bool landed = false;
    m.go(4, true, false, [&] { landed = true; });

    ASSERT_TRUE(m.leaf.get());
    EXPECT_EQ(*m.leaf.get(), (NotebookModel::Leaf{true, 1, 3, 1}));
    ASSERT_TRUE(m.motion.get());
    const NotebookModel::Motion& flip = *m.motion.get();
    EXPECT_EQ(flip.from, (Point{0, 0}));
    EXPECT_EQ(flip.to, (Point{1, 0}));
    EXPECT_EQ(flip.curve, (TimingFunction{0.3, 0.1, 0.2, 1.0}));
    EXPECT_EQ(flip.begin, 3);
    EXPECT_EQ(flip.duration, 0.5);
    EXPECT_EQ(rig.haptics->played, std::vector<Pattern>{Pattern::levelChange});
    EXPECT_TRUE(m.turning());

    rig.scheduler().advance(0.49);
    EXPECT_EQ(m.pageIndex.get(), 2);
    EXPECT_FALSE(landed);
    rig.scheduler().advance(0.01);
    EXPECT_EQ(m.pageIndex.get(), 4);
    EXPECT_TRUE(landed);
    EXPECT_FALSE(m.leaf.get());
    EXPECT_FALSE(m.motion.get());
    EXPECT_EQ(m.nb->lastPage, 4);
}

TEST(NotebookModelNavigation, CurlsForwardAndBack) {
    struct Case {
        int from, to;
        bool slow;
        NotebookModel::Curl curl;  // as it stands once started: the finger at its end
        Point start;
        TimingFunction curve;
        double seconds;
    };
    const double w = 800, h = 600;
    const Point away{-1.35 * w, h - 0.04 * h}, corner{w, h};
    const Case cases[] = {
        {1, 3, false, {true, 1, 3, corner, away}, {w - 2, h - 2}, {0.4, 0.05, 0.25, 1.0}, 0.72},
        {1, 3, true, {true, 1, 3, corner, away}, {w - 2, h - 2}, {0.4, 0.05, 0.25, 1.0}, 1.05},
        {3, 1, false, {false, 1, 3, corner, corner}, away, {0.3, 0.1, 0.25, 1.0}, 0.7},
        {3, 1, true, {false, 1, 3, corner, corner}, away, {0.3, 0.1, 0.25, 1.0}, 1.0},
    };
    for (const Case& c : cases) {
        ModelRig rig;
        NotebookModel& m = rig.open(pages(5));
        m.pageIndex.set(c.from);
        m.viewSize.set({w, h});
        m.go(c.to, true, c.slow);
        ASSERT_TRUE(m.curl.get());
        EXPECT_EQ(*m.curl.get(), c.curl);
        const NotebookModel::Motion& motion = *m.motion.get();
        EXPECT_EQ(motion.from, c.start);
        EXPECT_EQ(motion.to, c.curl.finger);
        EXPECT_EQ(motion.curve, c.curve);
        EXPECT_EQ(motion.at(motion.begin), c.start);
        EXPECT_EQ(motion.at(motion.begin + c.seconds), c.curl.finger);

        rig.scheduler().advance(c.seconds - 0.01);
        EXPECT_EQ(m.pageIndex.get(), c.from);
        rig.scheduler().advance(0.01);
        EXPECT_EQ(m.pageIndex.get(), c.to);
        EXPECT_FALSE(m.curl.get());
    }
}

TEST(NotebookModelNavigation, AMoveDuringAFlipLandsTheFlipFirst) {
    ModelRig rig;
    NotebookModel& m = rig.open(pages(7));
    m.spread.set(true);
    m.pageIndex.set(1);
    int firstDone = 0;
    m.go(3, true, false, [&] { ++firstDone; });
    rig.scheduler().advance(0.2);
    m.go(5, true, false);  // the first flip lands on 3 at once, then the second starts
    EXPECT_EQ(firstDone, 1);
    EXPECT_EQ(m.pageIndex.get(), 3);
    EXPECT_EQ(m.leaf.get()->from, 3);
    EXPECT_EQ(m.leaf.get()->to, 5);

    rig.scheduler().advance(0.3);  // when the first flip would have landed: nothing moves
    EXPECT_EQ(m.pageIndex.get(), 3);
    EXPECT_EQ(firstDone, 1);
    rig.scheduler().advance(0.2);
    EXPECT_EQ(m.pageIndex.get(), 5);
    EXPECT_FALSE(m.turning());
}

TEST(NotebookModelNavigation, TheCompletionRunsWhenTheModelIsGone) {
    ModelRig rig;
    NotebookModel& m = rig.open(pages(3));
    m.viewSize.set({400, 869});
    bool ran = false;
    m.go(1, true, false, [&] { ran = true; });
    rig.model.reset();
    rig.scheduler().advance(1);
    EXPECT_TRUE(ran);
}

TEST(NotebookModelNavigation, ACurlEndingOutsideThePagesOnlyClearsAndSaves) {
    ModelRig rig;
    NotebookModel& m = rig.open(pages(3));
    m.pageIndex.set(2);
    m.curl.set(NotebookModel::Curl{true, 2, 1, {400, 869}, {0, 0}});  // as a launch hook may
    m.finishCurl(-3);
    EXPECT_FALSE(m.curl.get());
    EXPECT_EQ(m.pageIndex.get(), 2);
    EXPECT_EQ(m.nb->lastPage, 2);
    m.curl.set(NotebookModel::Curl{true, 2, 1, {400, 869}, {0, 0}});
    m.finishCurl(1);
    EXPECT_EQ(m.pageIndex.get(), 1);
}

TEST(NotebookModelNavigation, TheLivePen) {
    struct Case {
        std::string pen, marker;
        Color color;
    };
    const Case cases[] = {
        {"learner", "yellow", Ink::learner},
        {"ink", "yellow", Ink::color(std::string("ink"), Ink::ink)},
        {"red", "red", Ink::color(std::string("red"), Ink::ink)},
        {"no such ink", "no such ink", Ink::ink},
    };
    for (const Case& c : cases) {
        ModelRig rig;
        NotebookModel& m = rig.open(pages(1));
        m.pen.set(c.pen);
        EXPECT_EQ(m.markerName(), c.marker);
        EXPECT_EQ(m.penColor(), c.color) << c.pen;
    }

    ModelRig rig;
    NotebookModel& m = rig.open(pages(1));
    EXPECT_FALSE(m.liveOutline());
    NotebookModel::Live live;
    for (int i = 0; i < 6; ++i) live.samples.push_back({{10.0 + 8 * i, 50.0 + i}, 0.5});
    m.live.set(live);
    const Path simulated = *m.liveOutline();
    Freehand::Options pen{2.5, 0.55, 0.42, 6, 8, 0.25, true};
    std::vector<Freehand::Sample> samples;
    for (const auto& s : live.samples) samples.push_back({s.point, s.pressure});
    EXPECT_EQ(simulated.boundingBox(), Freehand::outline(samples, pen).boundingBox());

    live.samples[3].pressure = 0.6;  // a real pressure: no simulation
    samples[3].pressure = 0.6;
    m.live.set(live);
    pen.simulatePressure = false;
    EXPECT_EQ(m.liveOutline()->boundingBox(), Freehand::outline(samples, pen).boundingBox());

    m.tool.set(NotebookModel::Tool::marker);
    const Freehand::Options marker{11, 0, 0.42, 0, 0, 0.25, false};
    EXPECT_EQ(m.liveOutline()->boundingBox(), Freehand::outline(samples, marker).boundingBox());
}

TEST(NotebookModelNavigation, UndoOnAnotherPageFlipsThere) {
    ModelRig rig;
    NotebookModel& m = rig.open(pages(5));
    m.spread.set(true);
    m.click({100, 300}, 1);
    type(m, "on page 1");
    m.commitEditing();
    m.pageIndex.set(4);
    ASSERT_TRUE(m.undo());
    EXPECT_TRUE(m.leaf.get());
    rig.scheduler().advance(NotebookModel::flipSeconds);
    EXPECT_EQ(m.pageIndex.get(), 1);
}
