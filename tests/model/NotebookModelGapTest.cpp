// The typing spot, and the gap opened under the note being typed: what lies below moves down
// and back, "pto" stays, a note with text keeps the room and carries what overflows, one undo
// step per note, and nothing drifts however often the gap is refitted.
#include "NoteTestSupport.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::test;

namespace {

constexpr double kLine = 17 * 1.42;

double yOf(const NotebookModel& m, int page, size_t i) {
    const PageItem& item = m.nb->pages.at(page).items.at(i);
    return item.block() ? item.block()->y : item.text()->y;
}

}  // namespace

TEST(NotebookModelGap, ContentMovesToStart18UnderTheNoteLineByLineAndBack) {
    ModelRig rig;
    BlockItem below = paragraph(300), turn = pageTurn(320), lower = paragraph(500);
    NotebookModel& m = rig.open(notebookOf({{below, turn, lower}}));
    primeInk(m, below, 300, 340);
    primeInk(m, turn, 320, 338);
    primeInk(m, lower, 500, 540);

    m.startWriting({30, 292.24}, false);  // a note at y 280
    ASSERT_NEAR(open(m).y, 280, 1e-9);
    const auto expectMoved = [&](int lines) {
        const double want = 280 + lines * kLine + 18 - 300;
        EXPECT_NEAR(yOf(m, 0, 0), 300 + want, 1e-9) << lines << " lines";
        EXPECT_NEAR(yOf(m, 0, 2), 500 + want, 1e-9) << lines << " lines";
        EXPECT_EQ(yOf(m, 0, 1), 320);  // a page turn never moves
        EXPECT_NEAR(m.gap->applied, want, 1e-9);
    };
    expectMoved(1);
    type(m, "one\ntwo");
    expectMoved(2);
    type(m, "\nthree");
    expectMoved(3);
    erase(m, 6);
    expectMoved(2);
    erase(m, 4);
    expectMoved(1);
    EXPECT_TRUE(m.undoStack.empty());  // the moves are no steps of their own
}

TEST(NotebookModelGap, ContentAlready18BelowStays) {
    ModelRig rig;
    BlockItem below = paragraph(330);
    NotebookModel& m = rig.open(notebookOf({{below}}));
    primeInk(m, below, 330, 370);
    m.startWriting({30, 292.24}, false);
    EXPECT_EQ(yOf(m, 0, 0), 330);
    type(m, "one\ntwo");
    EXPECT_NEAR(yOf(m, 0, 0), 280 + 2 * kLine + 18, 1e-9);
}

TEST(NotebookModelGap, ANoteWithTextCarriesTheOverflowAndOneUndoRestoresThePage) {
    ModelRig rig;
    BlockItem below = paragraph(330), foot = paragraph(690);
    NotebookModel& m = rig.open(notebookOf({{below, foot}}));
    primeInk(m, below, 330, 400);
    primeInk(m, foot, 690, 760);
    const std::vector<PageItem> before = m.nb->pages[0].items;

    m.startWriting({30, 292.24}, false);
    type(m, "one\ntwo");  // moves the foot to end at 776.28, past the overflow line 767
    m.commitEditing();
    ASSERT_EQ(m.nb->pages.size(), 2u);
    ASSERT_EQ(m.nb->pages[0].items.size(), 2u);  // the moved paragraph and the note
    EXPECT_NEAR(yOf(m, 0, 0), 346.28, 1e-9);
    EXPECT_EQ(m.nb->pages[0].items[1].text()->text, "one\ntwo");
    ASSERT_EQ(m.nb->pages[1].items.size(), 1u);
    EXPECT_EQ(m.nb->pages[1].items[0].id(), foot.id);
    EXPECT_EQ(m.bounds(m.nb->pages[1].items[0]).minY(), 104);  // on the carry page's top margin

    ASSERT_EQ(m.undoStack.size(), 1u);
    ASSERT_TRUE(m.undo());
    EXPECT_EQ(m.nb->pages.size(), 1u);  // the emptied carry page went
    EXPECT_EQ(m.nb->pages[0].items, before);
}

TEST(NotebookModelGap, AnEmptyCloseLeavesThePageExactlyAsItWas) {
    ModelRig rig;
    // 32-bit stroke samples and positions that moving by sums and back would not give back.
    StrokeItem stroke = penStroke(40, 333.3);
    TextItem later = note(351.7, "a later note");
    BlockItem block = paragraph(401.13), turn = pageTurn(760);
    NotebookModel& m = rig.open(notebookOf({{stroke, later, block, turn}}));
    primeInk(m, block, 401.13, 450.1);
    primeInk(m, turn, 760, 778);
    const std::vector<PageItem> before = m.nb->pages[0].items;
    m.redoStack.push_back({m.nb->pages[0].id, before, {}});

    m.click({100, 312.24}, 0);
    for (int round = 0; round < 12; ++round) {
        type(m, round % 2 ? "wh\ny\nso?" : "a\nb\nc\nd");
        erase(m, round % 3 + 2);
    }
    m.editing.modify([](std::optional<NotebookModel::Editing>& e) { e->text.clear(); });
    m.commitEditing();
    EXPECT_EQ(m.nb->pages[0].items, before);
    EXPECT_TRUE(m.undoStack.empty());
    EXPECT_EQ(m.redoStack.size(), 1u);  // no step: nothing to empty
}

TEST(NotebookModelGap, AMarginNoteMovesWhatStartsFromSixAboveTheBlocksFoot) {
    ModelRig rig;
    BlockItem para = paragraph(150), tucked = paragraph(246), inside = paragraph(200);
    NotebookModel& m = rig.open(notebookOf({{para, inside, tucked}}));
    primeInk(m, para, 150, 250);
    primeInk(m, inside, 243, 249, 300, 20);  // starts above the line: stays
    primeInk(m, tucked, 246, 280, 300, 20);  // starts just under the block's ink: moves

    m.beginNote({100, 200}, false);
    const auto& e = open(m);
    ASSERT_TRUE(e.below);
    EXPECT_EQ(*e.below, 244);
    EXPECT_EQ(m.gap->cut, 244);
    EXPECT_EQ(m.gap->ids, std::set<Uuid>{tucked.id});
    EXPECT_NEAR(yOf(m, 0, 2), 246 + (262 + kLine + 18 - 246), 1e-9);
    EXPECT_EQ(yOf(m, 0, 1), 200);
}

TEST(NotebookModelGap, ClearingAReopenedMarginNoteTakesBackItsRoomToo) {
    ModelRig rig;
    TextItem margin = note(262, "why?", 38);
    margin.anchor = Rect{176, 200, 48, 34};
    margin.about = "";
    BlockItem after = paragraph(310);
    NotebookModel& m = rig.open(notebookOf({{margin, after}}));
    primeInk(m, after, 310, 350);

    m.click({60, 270}, 0);
    ASSERT_EQ(open(m).id, margin.id);
    EXPECT_EQ(m.gap->applied, 0);  // already 18 under the note
    erase(m, 4);
    m.commitEditing();
    ASSERT_EQ(m.nb->pages[0].items.size(), 1u);
    EXPECT_EQ(yOf(m, 0, 0), 262);  // up to where the margin note stood
    EXPECT_EQ(m.undoStack.size(), 1u);
    ASSERT_TRUE(m.undo());
    EXPECT_EQ(m.nb->pages[0].items.size(), 2u);
    EXPECT_EQ(yOf(m, 0, 1), 310);
}

TEST(NotebookModelGap, ABlockTheTutorAddsBelowTheMovedContentMovesWithIt) {
    ModelRig rig;
    BlockItem below = paragraph(300);
    NotebookModel& m = rig.open(notebookOf({{below}}));
    primeInk(m, below, 300, 340);
    rig.tutor->running = true;
    rig.tutor->turn = std::make_shared<TurnState>();
    rig.tutor->turn->placer = Placer{0, 360};

    m.startWriting({30, 292.24}, false);
    EXPECT_NEAR(rig.tutor->turn->placer.y, 360 + (280 + kLine + 18 - 300), 1e-9);

    // The tutor places a reply where its placer now stands.
    BlockItem reply = paragraph(rig.tutor->turn->placer.y);
    primeInk(m, reply, reply.y, reply.y + 40);
    m.mutate(0, false, [&](std::vector<PageItem>& items) { items.emplace_back(reply); });

    type(m, "a\nb");
    EXPECT_NEAR(yOf(m, 0, 1), reply.y + kLine, 1e-9);
    EXPECT_NEAR(rig.tutor->turn->placer.y, 360 + (280 + 2 * kLine + 18 - 300), 1e-9);
    erase(m, 3);
    m.commitEditing();
    EXPECT_EQ(yOf(m, 0, 0), 300);
    EXPECT_NEAR(yOf(m, 0, 1), reply.y - (280 + kLine + 18 - 300), 1e-9);
    EXPECT_TRUE(m.undoStack.empty());
}

TEST(NotebookModelGap, TheNotesUndoStepKeepsTheCap) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}));
    for (int i = 0; i < 80; ++i) m.mutate(0, true, [](std::vector<PageItem>&) {});
    const std::vector<PageItem> before = m.nb->pages[0].items;
    m.redoStack.push_back({m.nb->pages[0].id, {}, {}});
    m.startWriting({30, 292.24}, false);
    type(m, "eighty-one");
    m.commitEditing();
    EXPECT_EQ(m.undoStack.size(), 80u);
    EXPECT_EQ(m.undoStack.back().items, before);
    EXPECT_TRUE(m.redoStack.empty());
}

TEST(NotebookModelGap, OpeningAGapOverItemsBeingWrittenFinishesThePage) {
    ModelRig rig;
    BlockItem below = paragraph(300);
    NotebookModel& m = rig.open(notebookOf({{below}}));
    primeInk(m, below, 300, 340);
    m.scribe->enqueue(m.nb->pages[0].id, below.id, m.entry(below).ops, 0, false);
    ASSERT_FALSE(m.scribe->jobs().empty());
    m.startWriting({30, 292.24}, false);
    EXPECT_TRUE(m.scribe->jobs().empty());
}

TEST(NotebookModelGap, TheTypingSpot) {
    struct Case {
        double pageH;
        std::optional<double> inkBottom;  // none: an empty page
        std::optional<double> y;          // none: no room
    };
    const Case cases[] = {
        {869, std::nullopt, 118}, {600, std::nullopt, 90},
        {869, 500, 526},          {869, 644, 670},  // 117 above the line 761: room
        {869, 645, std::nullopt},                   // 116 above it: none
        {600, 413, 439},          {600, 414, std::nullopt},
    };
    for (const Case& c : cases) {
        ModelRig rig;
        std::vector<PageItem> items;
        BlockItem b = paragraph(200);
        if (c.inkBottom) items.push_back(b);
        NotebookModel& m = rig.open(notebookOf({items}, c.pageH));
        if (c.inkBottom) primeInk(m, b, 200, *c.inkBottom);
        const NotebookModel::TypingSpot s = m.typingSpot();
        EXPECT_EQ(s.page, 0);
        ASSERT_EQ(s.spot.has_value(), c.y.has_value()) << c.pageH << " " << c.inkBottom.value_or(-1);
        if (c.y) EXPECT_EQ(*s.spot, (NotebookModel::Spot{28, *c.y, 344}));
    }
}

TEST(NotebookModelGap, TypingStartsInTheOpenQuestionsRoomEvenOnAFullPage) {
    ModelRig rig;
    const BlockItem question = askBlock(560);
    NotebookModel& m = rig.open(notebookOf({{question}}));
    const Rect room = *NotebookModel::room(question, m.geo());
    ASSERT_GT(m.bounds(question).maxY() + 116, 761);
    m.writeHere();
    const auto& e = open(m);
    EXPECT_EQ(e.page, 0);
    EXPECT_DOUBLE_EQ(e.x, room.minX() + 2);
    EXPECT_DOUBLE_EQ(e.y, room.minY() + 1);
    EXPECT_DOUBLE_EQ(e.width, room.width() - 4);
}

TEST(NotebookModelGap, TypingOnAFullPageGoesOnANewPageAfterIt) {
    ModelRig rig;
    BlockItem full = paragraph(104), next = paragraph(104);
    NotebookModel& m = rig.open(notebookOf({{full}, {next}}));
    primeInk(m, full, 104, 700);
    primeInk(m, next, 104, 200);
    rig.tutor->running = true;
    rig.tutor->turn = std::make_shared<TurnState>();
    rig.tutor->turn->placer = Placer{1, 300};
    m.viewSize.set({400, 869});  // one page at a time: the new page curls in

    m.writeHere();
    ASSERT_EQ(m.nb->pages.size(), 3u);
    EXPECT_TRUE(m.nb->pages[1].items.empty());
    EXPECT_EQ(rig.tutor->turn->placer.page, 2);  // the running turn's page moved on
    EXPECT_FALSE(m.editing.get());               // not before the page has landed
    EXPECT_TRUE(m.curl.get());
    rig.scheduler().advance(NotebookModel::curlSeconds);
    EXPECT_EQ(m.pageIndex.get(), 1);
    ASSERT_TRUE(m.editing.get());
    EXPECT_EQ(open(m).page, 1);
    EXPECT_EQ(open(m).y, 118);
    EXPECT_EQ(open(m).x, 28);
    EXPECT_EQ(open(m).width, 344);
}
