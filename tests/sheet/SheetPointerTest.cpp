// Presses, drags and releases on the sheet, the cursor, the context menu's selection and the
// word actions, on a real notebook model through a recording host.
#include "SheetPointerTestSupport.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::test;

namespace {

using Sel = SheetWords::Selection;

// A deep-dive mark over a rectangle.
BlockItem diveMark(const Uuid& to, Rect box) {
    BlockItem hole;
    hole.json = R"({"t":"hole","to":")" + to.string() + R"(","text":"entropy"})";
    hole.box = box;
    return hole;
}

// Page 0: a paragraph of three words on two lines and one of two words; page 1 a paragraph
// of two words. The layout shows both pages at scale 1 under a head 40 tall.
struct Sheet {
    InputRig r;
    BlockItem a = paragraph(100), b = paragraph(200), c = paragraph(100);
    NotebookModel& m;
    Sheet() : m(r.open(notebookOf({{a, b}, {c}}))) {
        primeWords(m, a, {wordRun("The", 30, 120, 30), wordRun("\u201Centropy,\u201D", 70, 120, 60),
                          wordRun("rises", 30, 150, 40)});
        primeWords(m, b, {wordRun("Heat", 30, 220, 40), wordRun("flows.", 80, 220, 50)});
        primeWords(m, c, {wordRun("Last", 30, 120, 40), wordRun("word", 80, 120, 40)});
        r.host.laid = handLayout({{0, 40, 400}, {1, 40, 300}});
    }
    const std::optional<Sel>& selection() const { return r.pointer.selection(); }
};

}  // namespace

TEST(SheetPointer, ClicksSelectWordsAndBlocks) {
    Sheet s;
    struct Case {
        Point at;
        int clicks;
        bool shift;
        std::optional<Sel> after;  // the selection after the release
    };
    const std::vector<std::vector<Case>> series = {
        {{{45, 115}, 1, false, std::nullopt}},                            // a single click selects nothing
        {{{45, 115}, 2, false, Sel{{0, 0}, {0, 0}}}},                     // a double click the word
        {{{100, 115}, 3, false, Sel{{0, 0}, {0, 2}}}},                    // a triple click its block
        {{{100, 215}, 4, false, Sel{{0, 3}, {0, 4}}}},
        {{{45, 115}, 2, false, Sel{{0, 0}, {0, 0}}}, {{100, 215}, 1, true, Sel{{0, 0}, {0, 4}}}},  // Shift extends
        {{{45, 115}, 1, true, std::nullopt}},                             // Shift with nothing selected: a click
    };
    for (const auto& clicks : series) {
        s.r.pointer.clearSelection();
        for (const Case& c : clicks) s.r.click(0, c.at, c.clicks, c.shift);
        EXPECT_EQ(s.selection(), clicks.back().after) << clicks.back().at.x << " x" << clicks.back().clicks;
    }
    EXPECT_FALSE(s.r.pointer.dragging());
}

TEST(SheetPointer, DraggingSelectsFromTheFirstWord) {
    Sheet s;
    InputRig& r = s.r;
    r.pointer.down(r.sheet(0, {45, 115}), 1, false);
    r.pointer.dragged(r.sheet(0, {50, 116}));  // still on the word
    EXPECT_TRUE(r.pointer.clickOnly());
    const int published = r.host.publishes;
    r.pointer.dragged(r.sheet(0, {80, 115}));
    EXPECT_EQ(s.selection(), (Sel{{0, 0}, {0, 1}}));
    EXPECT_FALSE(r.pointer.clickOnly());
    // Below the last line the word nearest counts height three times; over a page without
    // words... there is none here, so onto the next page's words.
    r.pointer.dragged(r.sheet(0, {200, 160}));
    EXPECT_EQ(s.selection(), (Sel{{0, 0}, {0, 2}}));
    r.pointer.dragged(r.sheet(1, {85, 118}));
    EXPECT_EQ(s.selection(), (Sel{{0, 0}, {1, 1}}));
    EXPECT_EQ(r.host.publishes, published) << "the bar waits for the release";
    r.pointer.up();
    EXPECT_EQ(s.selection(), (Sel{{0, 0}, {1, 1}}));
    EXPECT_EQ(r.host.publishes, published + 1);
    // Back on the first word after moving off it: the word alone stays selected.
    r.pointer.down(r.sheet(0, {45, 115}), 1, false);
    r.pointer.dragged(r.sheet(0, {80, 115}));
    r.pointer.dragged(r.sheet(0, {45, 115}));
    r.pointer.up();
    EXPECT_EQ(s.selection(), (Sel{{0, 0}, {0, 0}}));
}

TEST(SheetPointer, DraggingOverAPageWithoutWordsTakesTheEarlierPage) {
    InputRig r;
    BlockItem a = paragraph(100), c = paragraph(100);
    NotebookModel& m = r.open(notebookOf({{a}, {}, {c}}));
    primeWords(m, a, {wordRun("one", 30, 120, 30), wordRun("two", 70, 120, 30)});
    primeWords(m, c, {wordRun("three", 30, 120, 40)});
    r.host.laid = handLayout({{0, 40, 200}, {1, 40, 200}, {2, 40, 200}});
    r.pointer.down(r.sheet(0, {40, 115}), 1, false);
    r.pointer.dragged(r.sheet(1, {100, 100}));
    EXPECT_EQ(r.pointer.selection(), (Sel{{0, 0}, {0, 1}}));
}

TEST(SheetPointer, PressesOutsideThePagesOnlyClearTheSelection) {
    Sheet s;
    InputRig& r = s.r;
    const SheetLayout& l = *r.host.laid;
    const double bottom = l.bottom(l.slices.back());
    for (Point at : {Point{150, 39.9}, Point{150, bottom}, Point{150, bottom + 300}}) {
        r.pointer.setSelection(Sel{{0, 0}, {0, 1}});
        r.pointer.down(at, 1, false);
        r.pointer.up();
        EXPECT_FALSE(s.selection()) << at.y;
        EXPECT_FALSE(s.m.editing.get()) << "no note opens at " << at.y;
    }
    // Without a layout, or without a model, a press does nothing else either.
    r.host.laid.reset();
    r.pointer.down({150, 200}, 1, false);
    EXPECT_FALSE(s.m.editing.get());
}

TEST(SheetPointer, PaperWellBelowTheLastInkOnlyEndsTheNote) {
    Sheet s;
    InputRig& r = s.r;
    const double low = s.m.lowestInk(1);
    struct Case {
        int page;
        double y;  // page y
        bool opens;
    };
    const Case cases[] = {
        {1, low + 40.5, false},  // the last slice's page, more than 40 below its ink
        {1, low + 39, true},
        {0, 300, true},          // an earlier page: the model's click
    };
    for (const Case& c : cases) {
        s.m.commitEditing();
        r.typing.draft = "pending";
        r.click(c.page, {200, c.y});
        EXPECT_EQ(s.m.editing.get().has_value(), c.opens) << c.page << " at " << c.y;
        EXPECT_EQ(r.typing.draft, "") << "a press off the words drops the pending text";
    }
    // A note open there keeps a press inside its box, even more than 40 below the ink; a
    // press below the box ends it.
    s.m.commitEditing();
    r.click(1, {200, low + 39});
    ASSERT_TRUE(s.m.editing.get());
    const NotebookModel::Editing e = *s.m.editing.get();
    r.click(1, {e.x + 5, low + 45});
    EXPECT_EQ(s.m.editing.get(), e);
    r.click(1, {e.x + 5, low + 200});
    EXPECT_FALSE(s.m.editing.get());
    // Beside the page column (more than 8 out) a press only ends the note.
    r.click(1, {200, low + 30});
    r.pointer.down({r.host.laid->x - 8.5, r.sheet(1, {0, 100}).y}, 1, false);
    EXPECT_FALSE(s.m.editing.get());
    r.pointer.down({r.host.laid->x - 8, r.sheet(0, {0, 300}).y}, 1, false);
    EXPECT_TRUE(s.m.editing.get()) << "8 out still counts as the page";
}

TEST(SheetPointer, AQuestionsRoomTakesPressesFrom12Above) {
    InputRig r;
    BlockItem ask = askBlock(100);
    NotebookModel& m = r.open(notebookOf({{ask}, {paragraph(100)}}));
    r.host.laid = handLayout({{0, 40, 600}, {1, 40, 300}});
    const std::optional<Rect> room = NotebookModel::room(ask, m.geo());
    ASSERT_TRUE(room);
    const Rect ink = m.bounds(PageItem(ask));
    // Right of the question's words, which may reach down towards the room.
    const double x = room->maxX() - 20;
    struct Case {
        double above;
        bool opens;
    };
    for (const Case c : {Case{10, true}, Case{15, false}}) {
        m.commitEditing();
        const Point q{x, room->minY() - c.above};
        ASSERT_TRUE(ink.insetBy(-4, -4).contains(q)) << "the press lands on the question";
        ASSERT_FALSE(r.pointer.words().wordUnder(m, q, 0));
        r.click(0, q);
        EXPECT_EQ(m.editing.get().has_value(), c.opens) << c.above;
        if (m.editing.get()) EXPECT_EQ(m.editing.get()->y, room->minY() + 1);
    }
}

TEST(SheetPointer, ADiveMarkOpensOnRelease) {
    InputRig r;
    const Uuid dive = Uuid::random();
    BlockItem hole = diveMark(dive, {10, 100, 80, 30});
    NotebookModel& m = r.open(notebookOf({{hole, paragraph(300)}}));
    r.host.laid = handLayout({{0, 40, 600}});
    r.pointer.down(r.sheet(0, {9, 97}), 1, false);
    EXPECT_EQ(r.pointer.pressedDive(), dive);
    EXPECT_TRUE(r.host.opened.empty());
    r.pointer.up();
    EXPECT_EQ(r.host.opened, std::vector<Uuid>{dive});
    EXPECT_FALSE(r.pointer.pressedDive());
    EXPECT_FALSE(m.editing.get());
}

TEST(SheetPointer, Cursors) {
    InputRig r;
    const Uuid dive = Uuid::random();
    BlockItem hole = diveMark(dive, {10, 100, 80, 30});
    r.open(notebookOf({{hole}}));
    using C = SheetPointer::Cursor;
    EXPECT_EQ(r.pointer.cursor({150, 200}), C::arrow) << "no layout";
    r.host.laid = handLayout({{0, 40, 400}});
    struct Case {
        Point at;
        C cursor;
    };
    const Case cases[] = {
        {{150, 30}, C::arrow},          // the head
        {{150, 440}, C::arrow},         // below the last slice
        {{r.sheet(0, {20, 110})}, C::pointingHand},
        {{150, 200}, C::iBeam},
        {{92, 200}, C::iBeam},          // 8 beside the column
        {{91.9, 200}, C::arrow},
        {{508, 200}, C::iBeam},
        {{508.1, 200}, C::arrow},
    };
    for (const Case& c : cases) EXPECT_EQ(r.pointer.cursor(c.at), c.cursor) << c.at.x << "," << c.at.y;
}

TEST(SheetPointer, TheMenuTakesTheWordUnderItUnlessSelected) {
    Sheet s;
    InputRig& r = s.r;
    r.pointer.setSelection(Sel{{0, 2}, {0, 0}});
    r.pointer.menuAt(r.sheet(0, {80, 115}));
    EXPECT_EQ(s.selection(), (Sel{{0, 2}, {0, 0}})) << "inside the selection it stays";
    r.pointer.menuAt(r.sheet(0, {100, 215}));
    EXPECT_EQ(s.selection(), (Sel{{0, 4}, {0, 4}}));
    r.pointer.menuAt(r.sheet(0, {300, 300}));
    EXPECT_EQ(s.selection(), (Sel{{0, 4}, {0, 4}})) << "paper leaves it";
}

TEST(SheetPointer, AskAboutOpensAMarginNoteUnderTheBlock) {
    Sheet s;
    InputRig& r = s.r;
    r.typing.draft = "x";
    r.pointer.setSelection(Sel{{0, 1}, {0, 2}});
    ASSERT_TRUE(r.pointer.startNote());
    ASSERT_TRUE(s.m.editing.get());
    const NotebookModel::Editing& e = *s.m.editing.get();
    const Rect block = s.m.bounds(PageItem(s.a));
    EXPECT_EQ(e.page, 0);
    EXPECT_EQ(e.x, 38);
    EXPECT_EQ(e.y, block.maxY() + 12);
    EXPECT_EQ(e.width, 400 - 62);
    EXPECT_EQ(e.about, "entropy,\u201D rises");
    EXPECT_EQ(e.below, block.maxY() - 6);
    expectNear(*e.anchor, Rect{30, 111.8, 100, 40.8}.insetBy(-5, -3));
    EXPECT_TRUE(e.isNew);
    EXPECT_FALSE(s.selection());
    EXPECT_EQ(r.typing.draft, "");
    EXPECT_TRUE(r.typing.revealCaret);
    EXPECT_EQ(r.host.relayouts, 1);
    // Nothing selected, or words that are not there: no note.
    s.m.commitEditing();
    EXPECT_FALSE(r.pointer.startNote());
    r.pointer.setSelection(Sel{{5, 0}, {5, 0}});
    EXPECT_FALSE(r.pointer.startNote());
    EXPECT_FALSE(s.m.editing.get());
}

TEST(SheetPointer, ExplainSendsTheNoteAndFollows) {
    Sheet s;
    InputRig& r = s.r;
    r.host.follow = false;
    r.pointer.setSelection(Sel{{0, 3}, {0, 3}});
    r.pointer.explain();
    EXPECT_FALSE(s.m.editing.get());
    const auto& items = s.m.nb->pages[0].items;
    ASSERT_EQ(items.size(), 3u);
    ASSERT_TRUE(items.back().text());
    EXPECT_EQ(items.back().text()->text, "explain this more simply");
    EXPECT_EQ(items.back().text()->about, "Heat");
    EXPECT_EQ(items.back().text()->y, s.m.bounds(PageItem(s.b)).maxY() + 12);
    EXPECT_TRUE(r.host.follow);
    EXPECT_EQ(r.rig.tutor->asks, 1);
    EXPECT_EQ(r.host.haptics, 1);
    // Without a selection nothing is sent.
    r.pointer.explain();
    EXPECT_EQ(r.rig.tutor->asks, 1);
}

TEST(SheetPointer, GoDeeperHandsOnTrimmedWordsAndWholeBlocks) {
    Sheet s;
    InputRig& r = s.r;
    r.pointer.setSelection(Sel{{0, 1}, {0, 1}});
    r.pointer.goDeeper();
    ASSERT_EQ(r.host.dives.size(), 1u);
    EXPECT_EQ(r.host.dives[0].words, "entropy");
    EXPECT_EQ(r.host.dives[0].passage, "The \u201Centropy,\u201D rises");
    EXPECT_EQ(r.host.dives[0].page, 0);
    ASSERT_EQ(r.host.dives[0].rects.size(), 1u);
    expectNear(r.host.dives[0].rects[0], wordBox(70, 120, 60));
    EXPECT_FALSE(s.selection());
    // Across pages: the page of the later end, the passage of every touched block.
    r.pointer.setSelection(Sel{{1, 0}, {0, 4}});
    r.pointer.goDeeper();
    ASSERT_EQ(r.host.dives.size(), 2u);
    EXPECT_EQ(r.host.dives[1].words, "flows. Last");
    EXPECT_EQ(r.host.dives[1].passage, "Heat flows.\nLast word");
    EXPECT_EQ(r.host.dives[1].page, 1);
    r.pointer.goDeeper();
    EXPECT_EQ(r.host.dives.size(), 2u) << "nothing selected";
}

TEST(SheetPointer, CopySelectAllAndLookUp) {
    Sheet s;
    InputRig& r = s.r;
    r.pointer.copy();
    EXPECT_FALSE(r.host.clip) << "nothing selected, the clipboard is left alone";
    r.pointer.setSelection(Sel{{0, 1}, {0, 3}});
    r.pointer.copy();
    EXPECT_EQ(r.host.clip, "\u201Centropy,\u201D rises\n\nHeat");
    r.pointer.selectAll();
    EXPECT_EQ(s.selection(), (Sel{{0, 0}, {1, 1}}));

    r.host.laid = handLayout({{0, 40, 400}, {1, 40, 300}}, 400, 2);
    r.pointer.setSelection(Sel{{0, 2}, {0, 1}});
    r.pointer.lookUp();
    ASSERT_EQ(r.host.lookUps.size(), 1u);
    EXPECT_EQ(r.host.lookUps[0].phrase, "entropy,\u201D rises");
    // At the first word's left edge, on its baseline: 0.2 of the text size above the box's bottom.
    const Rect box = wordBox(70, 120, 60);
    EXPECT_NEAR(r.host.lookUps[0].at.x, 100 + 2 * box.minX(), 1e-9);
    EXPECT_NEAR(r.host.lookUps[0].at.y, 40 + 2 * (box.maxY() - 40) - 0.2 * 34, 1e-9);
    EXPECT_EQ(r.host.lookUps[0].size, 34);
    // A look-up gesture on a word selects it and looks it up.
    r.pointer.quickLook(r.sheet(0, {100, 215}));
    EXPECT_EQ(s.selection(), (Sel{{0, 4}, {0, 4}}));
    EXPECT_EQ(r.host.lookUps.back().phrase, "flows");
}
