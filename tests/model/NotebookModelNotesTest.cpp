// Typed notes: opening a free note, an answer or a margin note; reopening; clicks;
// committing (and never losing what was typed); asking.
#include "NoteTestSupport.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::test;

TEST(NotebookModelNotes, AFreeNoteKeepsToThePage) {
    struct Case {
        Point click;
        double x, y, width;
    };
    const Case cases[] = {
        {{395, 300}, 212, 287.76, 170},  // near the right edge: moved left until 170 wide
        {{100, 300}, 97, 287.76, 285},   // 3 left of the click, 18 from the right edge
        {{2, 5}, 10, 14, 372},           // at least 10 from the left edge, 14 from the top
        {{100, 868}, 97, 835, 285},      // at most pageH − 34
    };
    for (const Case& c : cases) {
        ModelRig rig;
        NotebookModel& m = rig.open(notebookOf({{}}));
        m.click(c.click, 0);
        ASSERT_TRUE(m.editing.get());
        const auto& e = open(m);
        EXPECT_DOUBLE_EQ(e.x, c.x);
        EXPECT_NEAR(e.y, c.y, 1e-9);
        EXPECT_DOUBLE_EQ(e.width, c.width);
        EXPECT_TRUE(e.isNew);
        EXPECT_FALSE(e.spoken);
        EXPECT_FALSE(e.anchor || e.about || e.below);
    }
}

TEST(NotebookModelNotes, TheTwelvePointsAboveAnAnswerRoomOpenAnAnswer) {
    ModelRig rig;
    const BlockItem question = askBlock(200);
    NotebookModel& m = rig.open(notebookOf({{question}}));
    const Rect room = *NotebookModel::room(question, m.geo());
    const Rect ink = m.bounds(question);

    m.click({350, room.minY() - 12}, 0);
    const auto answer = open(m);
    EXPECT_DOUBLE_EQ(answer.x, room.minX() + 2);
    EXPECT_DOUBLE_EQ(answer.y, room.minY() + 1);
    EXPECT_DOUBLE_EQ(answer.width, room.width() - 4);
    EXPECT_FALSE(answer.about || answer.anchor || answer.below);

    // Higher up on the same block, where no word is written: a margin note about the spot.
    m.click({350, room.minY() - 12.5}, 0);
    const auto margin = open(m);
    ASSERT_TRUE(margin.about && margin.anchor && margin.below);
    EXPECT_EQ(*margin.about, "");
    EXPECT_EQ(*margin.anchor, (Rect{326, room.minY() - 12.5 - 17, 48, 34}));
    EXPECT_EQ(NotebookModel::noteText("why?", margin.about), "{grey:\u2191} why?");
    EXPECT_DOUBLE_EQ(margin.x, 38);
    EXPECT_DOUBLE_EQ(margin.y, ink.maxY() + 12);
    EXPECT_DOUBLE_EQ(margin.width, 400 - 62);
    EXPECT_DOUBLE_EQ(*margin.below, ink.maxY() - 6);
}

TEST(NotebookModelNotes, AMarginNoteIsAboutTheWordClicked) {
    ModelRig rig;
    const BlockItem para = laidBlock(R"({"t":"p","text":"Energy is never lost."})", 150);
    NotebookModel& m = rig.open(notebookOf({{para}}));
    const std::vector<NotebookModel::WordBox> boxes = m.words(para);
    ASSERT_GE(boxes.size(), 4u);
    const Rect lost = boxes[3].rect;  // "lost." as written
    m.beginNote({lost.midX(), lost.midY()}, true);
    const auto& e = open(m);
    EXPECT_EQ(e.about, std::optional<std::string>("lost"));
    EXPECT_EQ(*e.anchor, lost.insetBy(-5, -3));
    EXPECT_TRUE(e.spoken);
}

TEST(NotebookModelNotes, AClickInsideTheOpenNoteKeepsIt) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}, {}}));
    m.click({100, 312.24}, 0);  // a note at (97, 300), 285 wide
    type(m, "hello");
    const Uuid id = open(m).id;
    const double h = NotebookModel::editingHeight(open(m));

    for (Point inside : {Point{91, 292}, Point{387.99, 300 + h + 7.99}}) {
        m.click(inside, 0);
        EXPECT_EQ(open(m).id, id);
    }
    // The same point on another page is outside it.
    m.click({100, 300}, 1);
    EXPECT_NE(open(m).id, id);
    EXPECT_EQ(m.pageIndex.get(), 1);
    EXPECT_EQ(m.nb->pages[0].items.size(), 1u);

    // Just outside the box (its max edge is not in it): committed, another note opened.
    m.click({100, 300}, 0);
    const Uuid second = open(m).id;
    type(m, "x");
    m.click({100 + 285 + 6, 300}, 0);
    EXPECT_NE(open(m).id, second);
}

TEST(NotebookModelNotes, ANoteOfWhiteSpaceStoresNothing) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}));
    m.click({100, 300}, 0);
    type(m, "  \n \t\n ");
    m.commitEditing();
    EXPECT_TRUE(m.nb->pages[0].items.empty());
    EXPECT_TRUE(m.undoStack.empty());
    EXPECT_FALSE(m.editing.get());
    EXPECT_FALSE(m.gap);
}

TEST(NotebookModelNotes, ACommittedNoteIsLearnerInkNotYetRead) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}));
    m.keyboardLift.set(40);
    m.startWriting({100, 312.24}, true);
    type(m, "  why halves?\n");
    m.commitEditing();
    ASSERT_EQ(m.nb->pages[0].items.size(), 1u);
    const TextItem& t = *m.nb->pages[0].items[0].text();
    EXPECT_EQ(t.text, "why halves?");
    EXPECT_EQ(t.color, "learner");
    EXPECT_EQ(t.size, 17);
    EXPECT_EQ(t.x, 97);
    EXPECT_EQ(t.y, 300);
    EXPECT_TRUE(t.spoken);
    EXPECT_FALSE(t.turn);
    EXPECT_EQ(m.keyboardLift.get(), 0);
    ASSERT_EQ(m.undoStack.size(), 1u);  // the note's one step: back to the empty page
    EXPECT_TRUE(m.undoStack[0].items.empty());
}

TEST(NotebookModelNotes, AClearedNoteGoesAndItsNoticeBringsItBack) {
    ModelRig rig;
    TextItem stored = note(300, "a thought", 28);
    stored.turn = 2;
    NotebookModel& m = rig.open(notebookOf({{stored}}));
    const Rect ink = m.bounds(stored);
    const int64_t version = m.version(0);

    m.click({ink.midX(), ink.midY()}, 0);
    ASSERT_TRUE(m.editing.get());
    EXPECT_FALSE(open(m).isNew);
    EXPECT_EQ(open(m).id, stored.id);
    EXPECT_EQ(m.version(0), version + 1);  // redrawn without the stored note
    erase(m, stored.text.size());
    m.commitEditing();

    EXPECT_TRUE(m.nb->pages[0].items.empty());
    ASSERT_TRUE(m.notice.get());
    EXPECT_EQ(m.notice.get()->text, "Note removed");
    EXPECT_EQ(m.notice.get()->action, "Undo");
    ASSERT_TRUE(m.noticeAction);
    m.noticeAction();
    ASSERT_EQ(m.nb->pages[0].items.size(), 1u);
    EXPECT_EQ(*m.nb->pages[0].items[0].text(), stored);
}

TEST(NotebookModelNotes, ReopenedNotesChangeOnlyWhenTheirTextDoes) {
    ModelRig rig;
    TextItem stored = note(300, "a thought", 28);
    stored.turn = 2;
    NotebookModel& m = rig.open(notebookOf({{stored}}));
    const Rect ink = m.bounds(stored);

    // The same text, white space aside: nothing stored, the page only redraws.
    m.click({ink.midX(), ink.midY()}, 0);
    type(m, "  ");
    const int64_t version = m.version(0);
    m.commitEditing();
    EXPECT_EQ(*m.nb->pages[0].items[0].text(), stored);
    EXPECT_EQ(m.version(0), version + 1);
    EXPECT_TRUE(m.undoStack.empty());

    // An edit keeps the note's place and loses its turn: new writing for the tutor again.
    m.click({ink.midX(), ink.midY()}, 0);
    type(m, " again");
    m.commitEditing();
    const TextItem& edited = *m.nb->pages[0].items[0].text();
    EXPECT_EQ(edited.text, "a thought again");
    EXPECT_EQ(edited.id, stored.id);
    EXPECT_EQ(edited.y, stored.y);
    EXPECT_EQ(edited.created, stored.created);
    EXPECT_FALSE(edited.turn);
    EXPECT_EQ(m.nb->newItems().size(), 1u);
}

TEST(NotebookModelNotes, AMarginNoteIsReopenedByItsTextNotItsRing) {
    ModelRig rig;
    TextItem margin = note(400, "why?", 38);
    margin.anchor = Rect{200, 200, 60, 20};
    margin.about = "lost";
    NotebookModel& m = rig.open(notebookOf({{margin}}));
    m.click({230, 210}, 0);  // on the ring
    ASSERT_TRUE(m.editing.get());
    EXPECT_TRUE(open(m).isNew);
    m.click({60, 410}, 0);  // on the text
    EXPECT_EQ(open(m).id, margin.id);
    EXPECT_EQ(open(m).about, margin.about);
    EXPECT_FALSE(open(m).below);
}

TEST(NotebookModelNotes, NothingOpensWhileAPageTurnsOrOffThePages) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}, {}}));
    m.click({100, 100}, 2);
    m.click({100, 100}, -1);
    EXPECT_FALSE(m.editing.get());
    m.leaf.set(NotebookModel::Leaf{true, -1, 1, 0});
    m.click({100, 100}, 0);
    EXPECT_FALSE(m.editing.get());
}

TEST(NotebookModelNotes, ANoteStaysOnItsPageWhenACarryPageIsInsertedBeforeIt) {
    ModelRig rig;
    BlockItem foot = paragraph(700);
    NotebookModel& m = rig.open(notebookOf({{foot}, {}, {}}));
    primeInk(m, foot, 700, 760);
    const Uuid second = m.nb->pages[1].id;
    m.click({100, 300}, 1);
    type(m, "on page two");
    EXPECT_EQ(m.pageIndex.get(), 1);

    m.push(0, 600, 10);  // the foot overflows: a carry page goes in after page 0
    ASSERT_EQ(m.nb->pages.size(), 4u);
    EXPECT_EQ(open(m).page, 2);
    EXPECT_EQ(m.pageIndex.get(), 2);
    m.commitEditing();
    ASSERT_EQ(m.nb->pages[2].id, second);
    ASSERT_EQ(m.nb->pages[2].items.size(), 1u);
    EXPECT_EQ(m.nb->pages[2].items[0].text()->text, "on page two");
}

TEST(NotebookModelNotes, AClickedPageIsFoundAgainAfterTheCommitCarries) {
    ModelRig rig;
    BlockItem foot = paragraph(380);
    NotebookModel& m = rig.open(notebookOf({{foot}, {}}));
    primeInk(m, foot, 380, 750);
    const Uuid second = m.nb->pages[1].id;
    m.click({100, 300}, 0);
    type(m, "one\ntwo\nthree\nfour");  // pushes the foot past the bottom margin
    m.click({100, 300}, 1);            // the commit carries it onto a page before the clicked one
    ASSERT_EQ(m.nb->pages.size(), 3u);
    EXPECT_EQ(m.pageIndex.get(), 2);
    EXPECT_EQ(m.nb->pages[2].id, second);
    EXPECT_EQ(open(m).page, 2);
}

TEST(NotebookModelNotes, ACommitNeverDropsText) {
    // The stored note was carried to another page while it was open: edited there.
    {
        ModelRig rig;
        TextItem low = note(700, "low note");
        NotebookModel& m = rig.open(notebookOf({{low}}));
        const Rect ink = m.bounds(low);
        m.click({ink.midX(), ink.midY()}, 0);
        m.push(0, 650, 60);
        ASSERT_EQ(m.nb->pages.size(), 2u);
        type(m, " moved");
        m.commitEditing();
        EXPECT_TRUE(m.nb->pages[0].items.empty());
        ASSERT_EQ(m.nb->pages[1].items.size(), 1u);
        EXPECT_EQ(m.nb->pages[1].items[0].text()->text, "low note moved");
    }
    // Its item is gone altogether: the text stays as a new note.
    {
        ModelRig rig;
        NotebookModel& m = rig.open(notebookOf({{}}));
        NotebookModel::Editing e;
        e.id = Uuid::random();
        e.isNew = false;
        e.x = 28;
        e.y = 200;
        e.width = 300;
        e.text = "still here";
        m.editing.set(e);
        m.commitEditing();
        ASSERT_EQ(m.nb->pages[0].items.size(), 1u);
        EXPECT_EQ(m.nb->pages[0].items[0].text()->text, "still here");
        EXPECT_NE(m.nb->pages[0].items[0].id(), e.id);
    }
    // Its page index points past the pages: kept on the last page.
    {
        ModelRig rig;
        NotebookModel& m = rig.open(notebookOf({{}, {}}));
        NotebookModel::Editing e;
        e.page = 5;
        e.text = "kept";
        m.editing.set(e);
        m.commitEditing();
        EXPECT_EQ(m.nb->pages[1].items.size(), 1u);
    }
}

TEST(NotebookModelNotes, ClosingCommitsTheNoteBeingTyped) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}));
    m.click({100, 300}, 0);
    type(m, "don't lose me");
    m.close();
    rig.settle();
    std::optional<Notebook> saved = rig.store.onDisk(m.nb->id);
    ASSERT_TRUE(saved);
    ASSERT_EQ(saved->pages[0].items.size(), 1u);
    EXPECT_EQ(saved->pages[0].items[0].text()->text, "don't lose me");
}

TEST(NotebookModelNotes, AskingCommitsAndInScrollModeReadsOnFromTheReadingPage) {
    ModelRig rig;
    BlockItem read = paragraph(200);
    read.turn = 1;
    NotebookModel& m = rig.open(notebookOf({{}, {read}, {}}));
    primeInk(m, read, 200, 260);
    m.scroll.set(true);

    m.ask();  // nothing new: the reading page becomes current
    EXPECT_EQ(m.pageIndex.get(), 1);
    EXPECT_EQ(rig.tutor->asks, 1);

    m.click({100, 300}, 2);
    type(m, "and then?");
    m.ask();  // new ink: pageIndex stays
    EXPECT_EQ(m.pageIndex.get(), 2);
    EXPECT_EQ(m.nb->pages[2].items.size(), 1u);
    EXPECT_EQ(rig.tutor->asks, 2);
}

TEST(NotebookModelNotes, ANoteStaysOnItsPageWhenACarryPageBeforeItGoes) {
    ModelRig rig;
    BlockItem top = paragraph(104), carried = paragraph(104);
    Notebook n = notebookOf({{top}, {carried}, {}});
    n.pages[1].carry = true;
    NotebookModel& m = rig.open(n);
    primeInk(m, top, 104, 200);
    primeInk(m, carried, 104, 150);
    const Uuid third = m.nb->pages[2].id;
    m.click({100, 300}, 2);
    type(m, "on the third page");

    m.closeUp(0);  // the carry page's content fits back: the carry page goes
    ASSERT_EQ(m.nb->pages.size(), 2u);
    EXPECT_EQ(open(m).page, 1);
    EXPECT_EQ(m.pageIndex.get(), 1);
    m.commitEditing();
    EXPECT_EQ(m.nb->pages[1].id, third);
    EXPECT_EQ(m.nb->pages[1].items.size(), 1u);
}

TEST(NotebookModelNotes, ACarryPageWithANoteBeingTypedOnItStays) {
    ModelRig rig;
    BlockItem top = paragraph(104), carried = paragraph(104);
    Notebook n = notebookOf({{top}, {carried}});
    n.pages[1].carry = true;
    NotebookModel& m = rig.open(n);
    primeInk(m, top, 104, 200);
    primeInk(m, carried, 104, 150);
    m.click({100, 400}, 1);
    type(m, "under the carried part");
    m.closeUp(0);
    EXPECT_EQ(m.nb->pages.size(), 2u);
    m.commitEditing();
    m.closeUp(0);  // once the note is stored, it comes back with the rest
    ASSERT_EQ(m.nb->pages.size(), 1u);
    EXPECT_EQ(m.nb->pages[0].items.size(), 3u);
}
