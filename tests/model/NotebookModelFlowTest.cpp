// Page flow on items whose ink is primed with rectangles of exact bounds.
#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <limits>

using namespace nolby;
using namespace nolby::test;

namespace {

// A block whose ink runs from `top` to `bottom`.
struct Inked {
    BlockItem block;
    double top, bottom;
};

Inked inked(double top, double bottom) { return {paragraph(top), top, bottom}; }

struct FlowRig {
    ModelRig rig;
    NotebookModel* m = nullptr;

    // Opens a notebook whose pages hold these blocks, their ink primed.
    NotebookModel& open(const std::vector<std::vector<Inked>>& pages, double pageH = 869) {
        std::vector<std::vector<PageItem>> items;
        for (const auto& page : pages) {
            items.emplace_back();
            for (const Inked& i : page) items.back().push_back(i.block);
        }
        m = &rig.open(notebookOf(items, pageH));
        for (const auto& page : pages)
            for (const Inked& i : page) primeInk(*m, i.block, i.top, i.bottom);
        return *m;
    }

    const std::vector<PageItem>& items(int page) const { return m->nb->pages.at(page).items; }
    Rect ink(int page, size_t i) const { return m->bounds(items(page).at(i)); }
    size_t pages() const { return m->nb->pages.size(); }
};

std::vector<Uuid> idsOf(const std::vector<PageItem>& items) {
    std::vector<Uuid> out;
    for (const PageItem& i : items) out.push_back(i.id());
    return out;
}

}  // namespace

TEST(PageFlow, OverflowLineAndMargins) {
    struct Case {
        double pageH, bottom;
        bool carried;
        double landsAt;  // the top margin of the page
    };
    const Case cases[] = {
        {869, 767, false, 104},   {869, 767.5, true, 104},  // overflow line pageH − 108 + 6
        {600, 536, false, 76},    {600, 536.5, true, 76},   // short pages: margins 76 and 70
        {699, 635, false, 76},    {699, 635.5, true, 76},
        {700, 598, false, 104},   {700, 598.5, true, 104},  // exactly 700: the tall margins
    };
    for (const Case& c : cases) {
        FlowRig f;
        NotebookModel& m = f.open({{inked(300, 400), inked(450, c.bottom)}}, c.pageH);
        m.carry(0);
        SCOPED_TRACE(::testing::Message() << c.pageH << " " << c.bottom);
        EXPECT_EQ(f.pages(), c.carried ? 2u : 1u);
        if (!c.carried) continue;
        EXPECT_EQ(f.items(0).size(), 1u);
        ASSERT_EQ(f.items(1).size(), 1u);
        EXPECT_EQ(f.m->nb->pages[1].carry, std::optional<bool>(true));
        EXPECT_EQ(f.ink(1, 0), (Rect{24, c.landsAt, 200, c.bottom - 450}));
    }
}

TEST(PageFlow, CarryTakesEverythingFromTheFirstOverflowingItemOn) {
    FlowRig f;
    // Ink tops 599.4 and 599.6 around the overflowing item's top 600 less 0.5.
    Inked a = inked(200, 300), b = inked(599.4, 620), c = inked(600, 780), d = inked(599.6, 610), e = inked(650, 700);
    NotebookModel& m = f.open({{a, b, c, d, e}});
    m.carry(0);
    EXPECT_EQ(idsOf(f.items(0)), (std::vector<Uuid>{a.block.id, b.block.id}));
    EXPECT_EQ(idsOf(f.items(1)), (std::vector<Uuid>{c.block.id, d.block.id, e.block.id}));  // in page order
    // m = 600 lands on the top margin; the others keep their distance to it.
    EXPECT_EQ(f.ink(1, 0).minY(), 104);
    EXPECT_DOUBLE_EQ(f.ink(1, 1).minY(), 104 - 0.4);
    EXPECT_EQ(f.ink(1, 2).minY(), 154);
}

TEST(PageFlow, OverflowAtTheTopOfThePageStays) {
    for (double top : {105.0, 105.5}) {
        FlowRig f;
        NotebookModel& m = f.open({{inked(top, 900)}});
        m.carry(0);
        EXPECT_EQ(f.pages(), top <= 105 ? 1u : 2u) << top;
    }
}

TEST(PageFlow, PageTurnsAndItemsWithoutInkNeverMove) {
    FlowRig f;
    Inked a = inked(200, 300);
    NotebookModel& m = f.open({{a}});
    BlockItem turn = pageTurn(760);
    BlockItem blank = paragraph(400);
    blank.json = R"({"t":"mark"})";  // a mark without a box has no ink
    m.mutate(0, false, [&](std::vector<PageItem>& items) {
        items.push_back(turn);
        items.push_back(blank);
    });
    const Rect turnInk = m.bounds(f.items(0)[1]);
    ASSERT_GT(turnInk.maxY(), 767);  // it even reaches past the overflow line
    m.push(0, 0, 500);
    EXPECT_EQ(f.pages(), 2u);  // a went over
    EXPECT_EQ(idsOf(f.items(0)), (std::vector<Uuid>{turn.id, blank.id}));
    EXPECT_EQ(f.items(0)[0].block()->y, 760);
    EXPECT_EQ(f.items(0)[1].block()->y, 400);
}

TEST(PageFlow, PushMovesWhatLiesBelowAndReusesItsInk) {
    FlowRig f;
    Inked a = inked(200, 300), b = inked(349.5, 400), c = inked(500, 600);
    NotebookModel& m = f.open({{a, b, c}});
    const InkOpRef cInk = m.entry(f.items(0)[2]).ops.at(0);
    m.push(0, 350, 120);
    EXPECT_EQ(f.ink(0, 0), (Rect{24, 200, 200, 100}));
    EXPECT_EQ(f.ink(0, 1), (Rect{24, 469.5, 200, 50.5}));
    EXPECT_EQ(f.ink(0, 2), (Rect{24, 620, 200, 100}));
    const InkOpRef moved = m.entry(f.items(0)[2]).ops.at(0);
    EXPECT_EQ(moved->placement().base, cInk);  // the same operation, offset by 120
    EXPECT_EQ(moved->placement().transform.ty, 120);
    EXPECT_EQ(m.version(0), 1);
    EXPECT_TRUE(m.undoStack.empty());  // page flow is not undoable

    for (double by : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN()}) m.push(0, 0, by);
    m.push(0, 800, 50);  // takes nothing
    m.push(3, 0, 50);
    EXPECT_EQ(m.version(0), 1);
}

TEST(PageFlow, PushMovesTheTutorsPlacerAlong) {
    struct Case {
        const char* name;
        int placerPage;
        double placerY, from;
        bool placing;
        double after;
    };
    const Case cases[] = {
        {"below the line", 0, 400, 350, false, 440},
        {"on the line", 0, 350, 350, false, 390},
        {"above the line", 0, 300, 350, false, 300},
        {"another page", 1, 400, 350, false, 400},
        {"while placing", 0, 400, 350, true, 400},
    };
    for (const Case& c : cases) {
        FlowRig f;
        NotebookModel& m = f.open({{inked(360, 380)}, {}});
        auto turn = std::make_shared<TurnState>();
        turn->placer = {c.placerPage, c.placerY};
        f.rig.tutor->turn = turn;
        f.rig.tutor->placingNow = c.placing;
        m.push(0, c.from, 40);
        EXPECT_EQ(turn->placer.y, c.after) << c.name;
    }
}

TEST(PageFlow, CarryInsertsACarryPageAndTellsTheTutor) {
    FlowRig f;
    Inked a = inked(200, 700), b = inked(300, 500);
    NotebookModel& m = f.open({{a}, {b}, {}});
    auto turn = std::make_shared<TurnState>();
    turn->placer = {1, 520};
    f.rig.tutor->turn = turn;
    f.rig.tutor->composing = 2;
    f.rig.tutor->anchorPage = 0;
    m.pageIndex.set(1);
    m.push(0, 150, 100);  // a now ends at 800
    ASSERT_EQ(f.pages(), 4u);
    EXPECT_EQ(f.m->nb->pages[1].carry, std::optional<bool>(true));
    EXPECT_EQ(idsOf(f.items(1)), std::vector<Uuid>{a.block.id});
    EXPECT_EQ(idsOf(f.items(2)), std::vector<Uuid>{b.block.id});
    EXPECT_EQ(m.pageIndex.get(), 2);  // still showing the same page
    EXPECT_EQ(turn->placer.page, 2);
    EXPECT_EQ(f.rig.tutor->composing, 3);
    EXPECT_EQ(f.rig.tutor->anchorPage, 0);

    // The shown page is the overflowing one: it stays shown.
    FlowRig g;
    NotebookModel& n = g.open({{inked(300, 800)}});
    n.carry(0);
    EXPECT_EQ(n.pageIndex.get(), 0);
}

TEST(PageFlow, CarryReusesItsCarryPageNewContentFirst) {
    FlowRig f;
    Inked a = inked(200, 300), b = inked(500, 780), c = inked(400, 480);
    NotebookModel& m = f.open({{a, c, b}});
    m.carry(0);  // b goes over: 104 to 384
    ASSERT_EQ(f.pages(), 2u);
    m.push(0, 350, 300);  // c now runs 700 to 780
    ASSERT_EQ(f.pages(), 2u);
    EXPECT_EQ(idsOf(f.items(1)), (std::vector<Uuid>{c.block.id, b.block.id}));
    EXPECT_EQ(f.ink(1, 0), (Rect{24, 104, 200, 80}));
    EXPECT_EQ(f.ink(1, 1).minY(), 104 + 80 + 12);  // pushed down by the new content's height + 12
}

TEST(PageFlow, ACarriedNoteKeepsItsRingOnlyWithItsWords) {
    for (bool wordsToo : {false, true}) {
        FlowRig f;
        Inked words = inked(wordsToo ? 620 : 560, wordsToo ? 640 : 580);
        NotebookModel& m = f.open({{inked(200, 300), words}});
        TextItem t = note(650, "about those words", 38);
        t.anchor = Rect{100, wordsToo ? 622.0 : 562.0, 60, 16};
        t.about = "those";
        m.mutate(0, false, [&](std::vector<PageItem>& items) { items.push_back(t); });
        m.push(0, 600, 150);  // the note now starts at 800
        SCOPED_TRACE(wordsToo);
        ASSERT_EQ(f.pages(), 2u);
        const PageItem& carried = f.items(1).back();
        ASSERT_TRUE(carried.text());
        EXPECT_EQ(carried.text()->anchor.has_value(), wordsToo);
        if (wordsToo) {
            EXPECT_EQ(carried.text()->anchor->minY(), 106);  // moved with its words
            EXPECT_EQ(f.ink(1, 0).minY(), 104);
        } else {
            EXPECT_EQ(carried.text()->y, 104 + 4);  // a ringed note counts from y − 4
        }
    }
}

TEST(PageFlow, PushFromMinusInfinityMovesAnchorsToo) {
    FlowRig f;
    NotebookModel& m = f.open({{inked(200, 300)}});
    TextItem t = note(400, "why?");
    t.anchor = Rect{50, 210, 40, 16};
    m.mutate(0, false, [&](std::vector<PageItem>& items) { items.push_back(t); });
    m.push(0, -std::numeric_limits<double>::infinity(), 30);
    EXPECT_EQ(f.items(0)[1].text()->anchor->minY(), 240);
    EXPECT_EQ(f.ink(0, 0).minY(), 230);
}

TEST(PageFlow, CloseUpBringsTheCarryPageBackWhenItFits) {
    struct Case {
        double height;
        bool merged;
    };
    for (const Case& c : {Case{200, true}, Case{250, false}}) {
        FlowRig f;
        Inked a = inked(300, 500), b = inked(104, 104 + c.height);
        NotebookModel& m = f.open({{a}, {b}, {}});
        f.m->nb.modify([](Notebook& n) { n.pages[1].carry = true; });
        BlockItem blank = paragraph(150);
        blank.json = R"({"t":"hole"})";  // no box: no ink
        m.mutate(1, false, [&](std::vector<PageItem>& items) { items.push_back(blank); });
        m.pageIndex.set(2);
        m.closeUp(0);
        SCOPED_TRACE(c.height);
        if (!c.merged) {  // 250 + 522 = 772 > 761
            EXPECT_EQ(f.pages(), 3u);
            continue;
        }
        ASSERT_EQ(f.pages(), 2u);  // 200 + 522 = 722 <= 761
        EXPECT_EQ(idsOf(f.items(0)), (std::vector<Uuid>{a.block.id, b.block.id, blank.id}));
        EXPECT_EQ(f.ink(0, 1).minY(), 522);
        EXPECT_EQ(f.items(0)[2].block()->y, 150 + 418);  // items without ink come along
        EXPECT_EQ(m.pageIndex.get(), 1);
    }
}

TEST(PageFlow, CloseUpOnAPageWithoutInkStartsBelowTheTopMargin) {
    FlowRig f;
    Inked b = inked(104, 204);
    NotebookModel& m = f.open({{}, {b}});
    m.mutate(0, false, [](std::vector<PageItem>& items) { items.push_back(pageTurn(760)); });
    f.m->nb.modify([](Notebook& n) { n.pages[1].carry = true; });
    m.closeUp(0);
    ASSERT_EQ(f.pages(), 1u);
    EXPECT_EQ(f.ink(0, 1).minY(), 104 + 22);
}

TEST(PageFlow, CloseUpLeavesWhatCannotReturn) {
    struct Case {
        const char* name;
        bool carry, inked, writing;
    };
    const Case cases[] = {
        {"an ordinary page", false, true, false},
        {"a carry page without ink", true, false, false},
        {"a carry page being written", true, true, true},
    };
    for (const Case& c : cases) {
        FlowRig f;
        Inked b = inked(104, 204);
        NotebookModel& m = f.open({{}, {}});
        m.nb.modify([&](Notebook& n) {
            n.pages[1].carry = c.carry;
            BlockItem item = b.block;
            if (!c.inked) item.json = R"({"t":"mark"})";
            n.pages[1].items.push_back(item);
        });
        if (c.inked) primeInk(m, f.items(1)[0], 104, 204);
        if (c.writing) m.scribe->enqueue(f.m->nb->pages[1].id, b.block.id, {box({0, 0, 1, 1})}, 0, false);
        m.closeUp(0);
        EXPECT_EQ(f.pages(), 2u) << c.name;
    }
}

TEST(PageFlow, PushFinishesTheWritingOfItsPageFirst) {
    FlowRig f;
    Inked a = inked(200, 300), b = inked(400, 500);
    NotebookModel& m = f.open({{a, b}});
    m.scribe->enqueue(f.m->nb->pages[0].id, b.block.id, {box({24, 400, 200, 100})}, 0, false);
    ASSERT_TRUE(m.scribe->drawn(b.block.id));
    m.push(0, 350, 10);
    EXPECT_FALSE(m.scribe->drawn(b.block.id));  // written at once
    EXPECT_EQ(f.ink(0, 1).minY(), 410);
}

TEST(PageFlow, UndoAfterACarryTidiesTheCopiesAndTheEmptiedPage) {
    FlowRig f;
    Inked a = inked(104, 250), b = inked(700, 760);
    NotebookModel& m = f.open({{a, b}});
    TextItem n = note(260, "squeezed in");
    m.mutate(0, true, [&](std::vector<PageItem>& items) { items.insert(items.begin() + 1, n); });
    primeInk(m, f.items(0)[1], 260, 280);
    m.push(0, 255, 40);  // b runs to 800 and goes over
    ASSERT_EQ(f.pages(), 2u);
    const std::vector<PageItem> page0 = f.items(0), page1 = f.items(1);

    ASSERT_TRUE(m.undo());
    ASSERT_EQ(f.pages(), 1u);  // the copy of b is gone, and its emptied carry page
    EXPECT_EQ(idsOf(f.items(0)), (std::vector<Uuid>{a.block.id, b.block.id}));
    EXPECT_EQ(f.ink(0, 1).minY(), 700);

    // Redo gives both pages back as they were, item for item.
    ASSERT_TRUE(m.redo());
    ASSERT_EQ(f.pages(), 2u);
    EXPECT_EQ(f.items(0), page0);
    EXPECT_EQ(f.items(1), page1);
}

TEST(PageFlow, TidyKeepsCarryPagesWhileATurnRunsOrWhileShown) {
    for (int keepBy : {0, 1}) {
        FlowRig f;
        Inked a = inked(104, 250), b = inked(700, 760);
        NotebookModel& m = f.open({{a, b}});
        m.mutate(0, true, [&](std::vector<PageItem>& items) { items.push_back(note(300)); });
        primeInk(m, f.items(0)[2], 300, 320);
        m.push(0, 290, 40);  // b and the note go over
        ASSERT_EQ(f.pages(), 2u);
        if (keepBy == 0) f.rig.tutor->running = true;
        else m.pageIndex.set(1);
        ASSERT_TRUE(m.undo());
        EXPECT_EQ(f.pages(), 2u) << keepBy;
        EXPECT_TRUE(f.items(1).empty() || keepBy == 1);
    }
}

TEST(PageFlow, WrittenRaisesTheVersionOfThePagesHoldingTheItem) {
    FlowRig f;
    Inked a = inked(200, 300);
    NotebookModel& m = f.open({{a}, {}});
    m.mutate(1, false, [&](std::vector<PageItem>& items) { items.push_back(a.block); });  // stands twice
    const int64_t v0 = m.version(0), v1 = m.version(1);
    m.written(a.block.id);
    EXPECT_EQ(m.version(0), v0 + 1);
    EXPECT_EQ(m.version(1), v1 + 1);
    m.written(Uuid::random());
    EXPECT_EQ(m.version(0), v0 + 1);
}
