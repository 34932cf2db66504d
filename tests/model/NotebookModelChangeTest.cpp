// The one change path: undo and redo, notices, saving and closing.
#include "ModelTestSupport.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::test;

namespace {

std::vector<Uuid> ids(const std::vector<PageItem>& items) {
    std::vector<Uuid> out;
    for (const PageItem& item : items) out.push_back(item.id());
    return out;
}

void append(NotebookModel& m, int page, PageItem item, bool undoable) {
    m.mutate(page, undoable, [&](std::vector<PageItem>& items) { items.push_back(item); });
}

}  // namespace

TEST(NotebookModelChange, MutateEditsOnePageAndSavesDebounced) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}, {}}));
    const Date before = m.nb->updated;
    append(m, 1, note(100), false);
    EXPECT_EQ(m.nb->pages[1].items.size(), 1u);
    EXPECT_GE(m.nb->updated, before);
    EXPECT_EQ(m.version(1), 1);
    EXPECT_TRUE(m.undoStack.empty());

    // Nothing on disk before the quiet period; there after it.
    rig.settle();
    EXPECT_FALSE(rig.store.onDisk(m.nb->id));
    rig.scheduler().advance(0.6);
    rig.settle();
    ASSERT_TRUE(rig.store.onDisk(m.nb->id));
    EXPECT_EQ(rig.store.onDisk(m.nb->id)->pages.at(1).items.size(), 1u);
}

TEST(NotebookModelChange, AChangeIsOnDiskAfterFlushWithNoTimePassed) {
    ModelRig rig;
    NotebookModel& m = rig.open(Notebook{});
    append(m, 0, note(100, "kept"), true);
    rig.store.library->flush();
    rig.settle();
    auto disk = rig.store.onDisk(m.nb->id);
    ASSERT_TRUE(disk);
    ASSERT_EQ(disk->pages.at(0).items.size(), 1u);
    EXPECT_EQ(disk->pages[0].items[0].text()->text, "kept");
}

TEST(NotebookModelChange, OutsideThePagesNothingChanges) {
    ModelRig rig;
    NotebookModel& m = rig.open(Notebook{});
    const Notebook before = m.nb.get();
    for (int page : {-1, 1}) append(m, page, note(100), true);
    EXPECT_EQ(m.nb->pages[0].items.size(), 0u);
    EXPECT_EQ(m.nb->updated, before.updated);
    EXPECT_TRUE(m.undoStack.empty());
    EXPECT_EQ(rig.scheduler().timerCount(), 0u);  // no save waiting
}

TEST(NotebookModelChange, TheUndoStackKeepsEighty) {
    ModelRig rig;
    NotebookModel& m = rig.open(Notebook{});
    for (int i = 0; i < 81; ++i) append(m, 0, note(100 + i), true);
    EXPECT_EQ(m.undoStack.size(), 80u);
    int undone = 0;
    while (m.undo()) ++undone;
    EXPECT_EQ(undone, 80);
    EXPECT_EQ(m.nb->pages[0].items.size(), 1u);  // the first change stays
    // Redo pushes onto the undo stack too, and keeps the bound there as well.
    while (m.redo()) {}
    EXPECT_EQ(m.undoStack.size(), 80u);
    for (int i = 0; i < 5; ++i) m.redoStack.push_back({m.nb->pages[0].id, {}});
    while (m.redo()) {}
    EXPECT_EQ(m.undoStack.size(), 80u);
}

TEST(NotebookModelChange, OnlyUndoableChangesEmptyTheRedoStack) {
    ModelRig rig;
    NotebookModel& m = rig.open(Notebook{});
    append(m, 0, note(100), true);
    ASSERT_TRUE(m.undo());
    EXPECT_EQ(m.redoStack.size(), 1u);
    append(m, 0, paragraph(300), false);  // the tutor writes
    EXPECT_EQ(m.redoStack.size(), 1u);
    append(m, 0, note(500), true);
    EXPECT_TRUE(m.redoStack.empty());
}

TEST(NotebookModelChange, UndoTakesBackOnlyTheLearnersChange) {
    ModelRig rig;
    BlockItem sketch = paragraph(100);
    sketch.json = R"({"t":"sketch","prompt":"a cat"})";
    StrokeItem line{{10, 40, 0.5f, 90, 40, 0.5f}, "learner", 2, "pen"};
    NotebookModel& m = rig.open(notebookOf({{sketch, line}}));
    const std::vector<PageItem> snapshot = m.nb->pages[0].items;

    TextItem question = note(400, "why?");
    append(m, 0, question, true);
    // The tutor answers with two blocks, paints the sketch and stamps the learner's ink.
    BlockItem b1 = paragraph(450), b2 = paragraph(520);
    append(m, 0, b1, false);
    append(m, 0, b2, false);
    m.mutate(0, false, [](std::vector<PageItem>& items) {
        for (PageItem& item : items) {
            if (auto* b = std::get_if<BlockItem>(&item.value); b && b->json.find("sketch") != std::string::npos)
                b->image = "cat.png";
            if (auto* t = std::get_if<TextItem>(&item.value); t && !t->turn) t->turn = 1;
            if (auto* s = std::get_if<StrokeItem>(&item.value); s && !s->turn) s->turn = 1;
        }
    });

    ASSERT_TRUE(m.undo());
    const auto& items = m.nb->pages[0].items;
    EXPECT_EQ(ids(items), (std::vector<Uuid>{sketch.id, line.id, b1.id, b2.id}));  // the note is gone
    EXPECT_EQ(items[0].block()->image, "cat.png");  // the painting stays
    EXPECT_EQ(items[1].stroke()->turn, 1);          // and the turn that read the line
    EXPECT_EQ(rig.haptics->played, std::vector<Haptics::Pattern>{Haptics::Pattern::generic});
}

TEST(NotebookModelChange, LearnerChangeTable) {
    TextItem a = note(100, "a"), b = note(200, "b");
    BlockItem t1 = paragraph(300), t2 = paragraph(400);
    StrokeItem s{{1, 1, 0.5f}, "learner", 2, "pen"};
    TextItem bEdited = b;
    bEdited.text = "b, changed";
    struct Case {
        const char* name;
        std::vector<PageItem> snapshot, current, result;
    };
    const std::vector<Case> cases = {
        {"items added since go, blocks stay after", {a}, {a, b, t1, s, t2}, {a, t1, t2}},
        {"removed items come back in their place", {a, b, t1}, {t1}, {a, b, t1}},
        {"an edit goes back", {a, b}, {a, bEdited}, {a, b}},
        {"a block of the snapshot stays where the snapshot had it", {t1, a}, {a, t1}, {t1, a}},
        {"nothing", {}, {}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(NotebookModel::learnerChange(c.snapshot, c.current), c.result) << c.name;
}

TEST(NotebookModelChange, UndoMovesToThePageRedoDoesNot) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}, {}, {}}));
    append(m, 1, note(100), true);
    m.pageIndex.set(2);
    ASSERT_TRUE(m.undo());
    EXPECT_EQ(m.pageIndex.get(), 1);
    m.pageIndex.set(0);
    ASSERT_TRUE(m.redo());
    EXPECT_EQ(m.pageIndex.get(), 0);
    EXPECT_EQ(m.nb->pages[1].items.size(), 1u);
    EXPECT_EQ(rig.haptics->played.size(), 2u);
}

TEST(NotebookModelChange, RedoCarriesWhatNowOverflows) {
    ModelRig rig;
    BlockItem a = paragraph(104);
    NotebookModel& m = rig.open(notebookOf({{a}}));
    primeInk(m, a, 104, 700);
    TextItem n = note(720, "late");
    append(m, 0, n, true);
    primeInk(m, n, 720, 790);
    EXPECT_EQ(m.nb->pages.size(), 1u);  // the change path itself carries nothing
    ASSERT_TRUE(m.undo());
    ASSERT_TRUE(m.redo());
    ASSERT_EQ(m.nb->pages.size(), 2u);
    EXPECT_EQ(m.nb->pages[1].items.at(0).id(), n.id);
    EXPECT_EQ(m.pageIndex.get(), 0);
}

TEST(NotebookModelChange, UndoThenRedoGivesThePageBackItemForItem) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{paragraph(110), note(200, "zero")}}));
    append(m, 0, note(300, "one"), true);
    m.mutate(0, true, [](std::vector<PageItem>& items) { items.erase(items.begin() + 1); });  // "zero" erased
    append(m, 0, note(500, "two"), true);
    const std::vector<PageItem> after = m.nb->pages[0].items;
    ASSERT_TRUE(m.undo());
    ASSERT_TRUE(m.undo());
    ASSERT_TRUE(m.redo());
    ASSERT_TRUE(m.redo());
    EXPECT_EQ(m.nb->pages[0].items, after);
    EXPECT_FALSE(m.redo());
}

TEST(NotebookModelChange, AnEntryWhosePageIsGoneIsUsedUp) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}, {}}));
    append(m, 1, note(100), true);
    m.nb.modify([](Notebook& n) { n.pages.pop_back(); });
    EXPECT_FALSE(m.undo());
    EXPECT_TRUE(m.undoStack.empty());
    EXPECT_FALSE(m.undo());
    EXPECT_TRUE(rig.haptics->played.empty());
}

TEST(NotebookModelChange, SaveRecordsTheCurrentPage) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}, {}, {}}));
    m.pageIndex.set(2);
    m.save(true);
    rig.settle();
    EXPECT_EQ(rig.store.onDisk(m.nb->id)->lastPage, 2);
    EXPECT_EQ(m.nb->lastPage, 2);
}

TEST(NotebookModelChange, ANewerNoticeKeepsItsFullTime) {
    ModelRig rig;
    NotebookModel& m = rig.open(Notebook{});
    int undone = 0;
    m.notify("Undone", "Redo", [&] { ++undone; });
    rig.scheduler().advance(1);
    m.notify("Redone", "Undo", [&] { undone += 10; });
    const Uuid second = m.notice.get()->id;
    rig.scheduler().advance(3.5);  // 4.5 s after the first: the first task leaves it alone
    ASSERT_TRUE(m.notice.get());
    EXPECT_EQ(m.notice.get()->id, second);
    EXPECT_EQ(m.notice.get()->text, "Redone");
    rig.scheduler().advance(0.5);  // 4 s after the second
    EXPECT_FALSE(m.notice.get());
    ASSERT_TRUE(m.noticeAction);  // left for the pill
    m.noticeAction();
    EXPECT_EQ(undone, 10);
}

TEST(NotebookModelChange, ANoticeOutlivingItsModelIsHarmless) {
    ModelRig rig;
    rig.open(Notebook{}).notify("Undone", "Redo", [] {});
    rig.model.reset();
    rig.scheduler().advance(5);
}

TEST(NotebookModelChange, ClosingAnEmptyNotebookDeletesIt) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}, {}}));
    m.save(true);
    rig.settle();
    ASSERT_TRUE(rig.store.onDisk(m.nb->id));
    const Uuid id = m.nb->id;
    m.close();
    rig.settle();
    EXPECT_FALSE(rig.store.onDisk(id));
    EXPECT_FALSE(rig.store.library->notebook(id));
    EXPECT_EQ(rig.tutor->cancels, 1);
}

TEST(NotebookModelChange, ClosingTrimsAndSavesAtOnce) {
    ModelRig rig;
    Notebook n = notebookOf({{}, {note(100)}, {}, {}});
    n.turns.push_back(Turn{});
    n.lastPage = 3;
    NotebookModel& m = rig.open(n);
    m.close();
    EXPECT_EQ(m.nb->pages.size(), 2u);
    EXPECT_EQ(m.pageIndex.get(), 1);
    rig.settle();  // no time passes: the save was immediate
    auto disk = rig.store.onDisk(m.nb->id);
    ASSERT_TRUE(disk);
    EXPECT_EQ(disk->pages.size(), 2u);
    EXPECT_EQ(disk->lastPage, 1);

    // One turn and nothing written: the notebook stays, with its first page.
    ModelRig other;
    Notebook turned;
    turned.turns.push_back(Turn{});
    turned.pages.push_back(Page{});
    NotebookModel& o = other.open(turned);
    o.close();
    other.settle();
    EXPECT_EQ(o.nb->pages.size(), 1u);
    EXPECT_TRUE(other.store.onDisk(o.nb->id));
}

TEST(NotebookModelChange, EmptinessCountsTheNoteBeingTyped) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}, {}}));
    EXPECT_TRUE(m.isEmptyNotebook());
    m.editing.set(NotebookModel::Editing{});
    EXPECT_FALSE(m.isEmptyNotebook());
    m.editing.set(std::nullopt);
    append(m, 1, note(100), false);
    EXPECT_FALSE(m.isEmptyNotebook());
}
