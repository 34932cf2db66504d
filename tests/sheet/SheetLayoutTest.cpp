// The sheet's column: its scale and left edge, the band of ink each page shows, pages left
// out, the run-out under the typing spot, and the mappings between sheet and page points.
#include "model/ModelTestSupport.h"
#include "sheet/SheetLayout.h"
#include "sheet/SheetState.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;
using namespace nolby::test;

namespace {

// The run-out below the typing spot at viewport 800 and scale 1.15.
constexpr double kRunOut = 800 * 0.42 / 1.15;

}  // namespace

TEST(SheetLayout, ScaleAndLeftEdge) {
    struct Case {
        double width, pageW, scale, x;
    } cases[] = {
        {1000, 400, 1.15, 270},             // (1000 − 144) / 400 = 2.14, capped
        {800, 400, 1.15, 170},              // (800 − 72) / 400 = 1.82, capped
        {1600, 600, 1.1, 470},              // wide pages cap lower
        {300, 400, 0.57, std::round((300 - 228.0) / 2)},
        {100, 400, 0.55, -60},              // never below 0.55; the edge may go negative
        {899, 800, (899 - 72) / 800.0, 0},  // below 900 the margin is 72
        {900, 800, (900 - 144) / 800.0, 0},
    };
    for (const Case& c : cases) {
        ModelRig rig;
        NotebookModel& m = rig.open(notebookOf({{}}, 869, c.pageW));
        const SheetLayout l(m, c.width, 800, 0);
        EXPECT_DOUBLE_EQ(l.scale, c.scale) << c.width << " / " << c.pageW;
        if (c.x != 0) EXPECT_EQ(l.x, c.x) << c.width << " / " << c.pageW;
        EXPECT_EQ(l.x, std::round((c.width - c.pageW * l.scale) / 2));
        EXPECT_EQ(l.width, c.width);
        EXPECT_EQ(l.pageW, c.pageW);
    }
    EXPECT_EQ(SheetLayout::scaleFor(72, 0), 0.55);  // 0 / 0 is no number
}

TEST(SheetLayout, EmptyPageRunsOutBelowTheTypingSpot) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}));
    ASSERT_EQ(m.typingSpot().spot->y, 118);
    for (double head : {0.0, 200.0, 500.0}) {
        const SheetLayout l(m, 1000, 800, head);
        ASSERT_EQ(l.slices.size(), 1u);
        const SheetLayout::Slice& s = l.slices[0];
        EXPECT_EQ(s.page, 0);
        EXPECT_EQ(s.top, 74);  // T − 30 on a page 869 tall
        EXPECT_NEAR(s.height, 366.17, 0.005);
        EXPECT_DOUBLE_EQ(s.top + s.height, 118 + 30 + kRunOut);
        EXPECT_EQ(s.y, head);
        EXPECT_EQ(l.height, std::max(head + 421, 800.0));
        EXPECT_EQ(l.head, head);
    }
}

TEST(SheetLayout, ShortPagesUseTheirOwnTopMargin) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}, 600));
    const SheetLayout l(m, 1000, 800, 0);
    ASSERT_EQ(l.slices.size(), 1u);
    EXPECT_EQ(l.slices[0].top, 46);
}

TEST(SheetLayout, EmptyPagesBetweenWrittenOnesAreLeftOut) {
    ModelRig rig;
    BlockItem a = paragraph(100), b = paragraph(150);
    NotebookModel& m = rig.open(notebookOf({{a}, {}, {b}}));
    primeInk(m, a, 100, 200);
    primeInk(m, b, 150, 300);
    const SheetLayout l(m, 1000, 800, 40);
    ASSERT_EQ(l.slices.size(), 2u);
    // The first slice: 30 above its ink (which starts above T), 10 below.
    EXPECT_EQ(l.slices[0], (SheetLayout::Slice{0, 70, 140, 40}));
    // The last slice: 10 above its ink; its bottom runs 30 past the ink plus the run-out
    // (the typing spot is on the first page).
    EXPECT_EQ(l.slices[1].page, 2);
    EXPECT_EQ(l.slices[1].top, 140);
    EXPECT_DOUBLE_EQ(l.slices[1].height, 330 + kRunOut - 140);
    EXPECT_EQ(l.slices[1].y, 40 + std::round(1.15 * 140));
    EXPECT_EQ(l.height, std::max(l.slices[1].y + std::round(1.15 * l.slices[1].height), 800.0));
}

TEST(SheetLayout, PageTurnMarksNeverWidenABand) {
    ModelRig rig;
    BlockItem a = paragraph(100), turn = pageTurn(700), alone = pageTurn(700);
    NotebookModel& m = rig.open(notebookOf({{a, turn}, {alone}}));
    primeInk(m, a, 100, 200);
    primeInk(m, turn, 700, 718);
    primeInk(m, alone, 700, 718);
    const SheetLayout l(m, 1000, 800, 0);
    ASSERT_EQ(l.slices.size(), 2u);  // a page holding only the mark still counts as written
    EXPECT_EQ(l.slices[0].height, 210 - 70);
    // Its band is empty: it starts from the top margin, and its bottom comes from there.
    EXPECT_EQ(l.slices[1].top, 94);
    EXPECT_DOUBLE_EQ(l.slices[1].top + l.slices[1].height, 104 + 30 + kRunOut);
}

TEST(SheetLayout, LaterPagesShowOnlyForTheNoteTheThinkingMarkOrTheTypingSpot) {
    ModelRig rig;
    BlockItem a = paragraph(100);
    NotebookModel& m = rig.open(notebookOf({{a}, {}, {}, {}}));
    primeInk(m, a, 100, 200);
    EXPECT_EQ(SheetLayout(m, 1000, 800, 0).slices.size(), 1u);

    m.tutor.modify([](NotebookModel::TutorStatus& t) { t.thinkingAt = NotebookModel::TutorStatus::Mark{2, {100, 300}}; });
    SheetLayout l(m, 1000, 800, 0);
    ASSERT_EQ(l.slices.size(), 2u);
    EXPECT_EQ(l.slices[1].page, 2);
    EXPECT_EQ(l.slices[1].top, 300 - 12 - 10);
    EXPECT_DOUBLE_EQ(l.slices[1].top + l.slices[1].height, 340 + 30 + kRunOut);

    m.pageIndex.set(3);  // the typing spot moves to the empty last page
    l = SheetLayout(m, 1000, 800, 0);
    ASSERT_EQ(l.slices.size(), 3u);
    EXPECT_EQ(l.slices[2].page, 3);
    EXPECT_EQ(l.slices[2].top, 104 - 10);
    EXPECT_DOUBLE_EQ(l.slices[2].top + l.slices[2].height, 118 + 30 + kRunOut);
}

TEST(SheetLayout, TheNoteBeingTypedAndItsWordsWidenTheBand) {
    ModelRig rig;
    BlockItem a = paragraph(100);
    NotebookModel& m = rig.open(notebookOf({{a}, {}}));
    primeInk(m, a, 100, 200);
    NotebookModel::Editing e;
    e.page = 1;
    e.x = 38;
    e.y = 400;
    e.width = 300;
    e.anchor = Rect{60, 380, 100, 20};
    m.editing.set(e);
    const SheetLayout l(m, 1000, 800, 0);
    ASSERT_EQ(l.slices.size(), 2u);
    EXPECT_EQ(l.slices[1].top, 370);  // 10 above the anchor
    const double box = 400 - 8 + NotebookModel::editingHeight(e) + 16;
    EXPECT_DOUBLE_EQ(l.slices[1].top + l.slices[1].height, box + 30 + kRunOut);
}

TEST(SheetLayout, MappingsBetweenSheetAndPage) {
    ModelRig rig;
    BlockItem a = paragraph(100), b = paragraph(150);
    NotebookModel& m = rig.open(notebookOf({{a}, {}, {b}}));
    primeInk(m, a, 100, 200);
    primeInk(m, b, 150, 300);
    const SheetLayout l(m, 1000, 800, 40);  // slices: page 0 at y 40 (top 70), page 2 at y 201
    const SheetLayout::Slice& second = l.slices[1];

    struct Case {
        Point at;
        int page;
        Point pt;
    } cases[] = {
        {{270, 40}, 0, {0, 70}},
        {{385, 63}, 0, {100, 90}},
        {{270, 0}, 0, {0, 70 - 40 / 1.15}},                   // above the first slice
        {{270, second.y}, 2, {0, 140}},                        // the second slice's top
        {{100, second.y + 1150}, 2, {-170 / 1.15, 1140}},      // left of the column, far below
    };
    for (const Case& c : cases) {
        const auto got = l.page(c.at);
        ASSERT_TRUE(got) << c.at.y;
        EXPECT_EQ(got->index, c.page) << c.at.y;
        EXPECT_NEAR(got->pt.x, c.pt.x, 1e-9) << c.at.y;
        EXPECT_NEAR(got->pt.y, c.pt.y, 1e-9) << c.at.y;
    }

    // Presses only land inside a slice: not on the head, not below the last slice.
    const double end = second.y + std::round(1.15 * second.height);
    EXPECT_FALSE(l.pageInside({300, 39.9}));
    EXPECT_TRUE(l.pageInside({300, 40}));
    EXPECT_TRUE(l.pageInside({300, end - 0.1}));
    EXPECT_FALSE(l.pageInside({300, end}));
    EXPECT_EQ(l.pageInside({300, 500})->index, 2);

    const auto r = l.view({10, 150, 20, -10}, 2);
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->x, 270 + 11.5, 1e-9);
    EXPECT_NEAR(r->y, second.y + 10 * 1.15, 1e-9);
    EXPECT_NEAR(r->w, 23, 1e-9);
    EXPECT_NEAR(r->h, 11.5, 1e-9);  // sizes are taken as non-negative
    EXPECT_FALSE(l.view({0, 0, 10, 10}, 1));  // page 1 has no slice
}

TEST(SheetState, EqualWritesAreSilent) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}));
    SheetState state;
    EXPECT_TRUE(state.following.get());
    EXPECT_FALSE(state.writingBelow.get());
    EXPECT_FALSE(state.layout.get());
    int told = 0;
    std::vector<Subscription> subs;
    subs.push_back(state.layout.observe([&] { ++told; }));
    subs.push_back(state.viewport.observe([&] { ++told; }));
    subs.push_back(state.selection.observe([&] { ++told; }));
    subs.push_back(state.outline.observe([&] { ++told; }));

    state.layout.set(SheetLayout(m, 1000, 800, 0));
    state.viewport.set(800);
    state.selection.set(SheetState::Selection{{1, 2, 3, 4}, "word"});
    state.outline.set({SheetState::Entry{Uuid::random(), SheetState::Entry::Kind::dive, "x", 3}});
    EXPECT_EQ(told, 4);
    state.layout.set(SheetLayout(m, 1000, 800, 0));
    state.viewport.set(800);
    state.selection.set(SheetState::Selection{{1, 2, 3, 4}, "word"});
    state.outline.set(std::vector<SheetState::Entry>(state.outline.get()));
    EXPECT_EQ(told, 4);
    state.layout.set(SheetLayout(m, 1000, 800, 1));
    state.selection.set(SheetState::Selection{{1, 2, 3, 4}, "words"});
    EXPECT_EQ(told, 6);
}
