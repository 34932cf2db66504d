// The menu commands act on the active window: titles and enabled states follow its notebook,
// Undo and Redo go to a text field, then the notebook (with its notice), and the mode items
// change who leads.

#include "AppTestSupport.h"
#include "app/DeskWindow.h"
#include "app/IssuePane.h"
#include "app/NolbyCommands.h"
#include "app/Router.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

using namespace nolby;
using nolby::test::TestApp;
using Kind = NotebookModel::Way::Kind;

TEST(NextStepTitle, FollowsTheWay) {
    struct Case {
        std::optional<NotebookModel::Way> way;
        const char* title;
    };
    for (const Case& c : {Case{NotebookModel::Way::of(Kind::skip), "Skip Question"},
                          Case{NotebookModel::Way::of(Kind::turn), "Next Page"},
                          Case{NotebookModel::Way::of(Kind::writing), "Write the Rest Now"},
                          Case{NotebookModel::Way::of(Kind::ask), "Ask"},
                          Case{NotebookModel::Way::of(Kind::reading), "Next Part"},
                          Case{NotebookModel::Way::next("Try one"), "Next Part"},
                          Case{std::nullopt, "Next Part"}})
        EXPECT_EQ(NolbyCommands::nextStepTitle(c.way), c.title);
}

namespace {

struct Commands : ::testing::Test {
    TestApp app;
    std::unique_ptr<DeskWindow> window;
    void SetUp() override {
        Router::shared().pendingQuestion.set(std::nullopt);
        window = std::make_unique<DeskWindow>(app.context, [](const Uuid&) {});
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    NolbyCommands& commands() { return *window->commands(); }
};

}  // namespace

TEST_F(Commands, OnTheShelfOnlyNewIssueAndTheFieldsAct) {
    commands().refresh();
    EXPECT_EQ(commands().nextStep()->text(), "Next Part");
    EXPECT_FALSE(commands().nextStep()->isEnabled());
    EXPECT_FALSE(commands().writeRest()->isEnabled());
    EXPECT_FALSE(commands().back()->isEnabled());
    commands().mode(1)->trigger();  // nothing to change

    // Ctrl+Z in the question field undoes its typing; in an empty field it passes it by.
    auto* field = window->deskView()->newsstand()->questionField();
    field->setFocus();
    QTest::keyClicks(field, "atoms");
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(field->toPlainText(), "");
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(field->toPlainText(), "");
    // Redo still redoes in the empty field.
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(field->toPlainText(), "atoms");
}

TEST_F(Commands, UndoTakesBackThePageChangeWithANoticeWhoseRedoRedoes) {
    Notebook notebook = app.context->library->create(1600, 600);
    window->deskView()->show(notebook);
    auto model = window->focusedIssue();
    ASSERT_NE(model, nullptr);
    model->startWriting(Point{28, 118}, false);
    model->editing.modify([](auto& e) { e->text = "two halves"; });
    model->commitEditing();
    ASSERT_FALSE(model->isEmptyNotebook());
    window->deskView()->setFocus();

    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(model->isEmptyNotebook());
    ASSERT_TRUE(model->notice.get());
    EXPECT_EQ(model->notice.get()->text, "Undone");
    EXPECT_EQ(model->notice.get()->action, "Redo");
    model->noticeAction();  // the pill's button
    EXPECT_FALSE(model->isEmptyNotebook());

    QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);  // nothing left to redo: no notice change
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(model->isEmptyNotebook());
    EXPECT_EQ(model->notice.get()->text, "Redone");
    EXPECT_EQ(model->notice.get()->action, "Undo");
}

TEST_F(Commands, TheIssueMenuFollowsTheNotebookAndModesAreSaved) {
    Notebook notebook = app.context->library->create(1600, 600);
    window->deskView()->show(notebook);
    auto model = window->focusedIssue();
    commands().refresh();
    EXPECT_EQ(commands().nextStep()->text(), QString::fromStdString(NolbyCommands::nextStepTitle(model->way())));
    EXPECT_FALSE(commands().writeRest()->isEnabled());  // nothing is being written
    EXPECT_FALSE(commands().back()->isEnabled());       // no dive stacked

    struct Case {
        int item;
        const char* mode;
    };
    for (const Case& c : {Case{1, "explore"}, Case{2, "think"}, Case{0, "lesson"}, Case{0, "lesson"}}) {
        QTest::keyClick(window.get(), Qt::Key(Qt::Key_1 + c.item), Qt::ControlModifier);
        EXPECT_EQ(model->nb->mode, c.mode);
    }
    app.context->library->flush();
    QTRY_COMPARE_WITH_TIMEOUT(app.context->library->notebook(notebook.id)->mode, std::string("lesson"), 3000);
}

TEST_F(Commands, UndoEmptiesTheNoteBeingTypedFirstThenTakesBackThePage) {
    Notebook notebook = app.context->library->create(1600, 600);
    window->deskView()->show(notebook);
    auto model = window->focusedIssue();
    model->startWriting(Point{28, 118}, false);
    model->editing.modify([](auto& e) { e->text = "first"; });
    model->commitEditing();
    auto* pane = static_cast<IssuePane*>(window->deskView()->issueView()->pane(0));
    QWidget* sheet = pane->scroll()->viewport();
    pane->scroll()->setFocus();
    QTest::keyClicks(sheet, "second");
    ASSERT_TRUE(model->editing.get());
    EXPECT_EQ(model->editing.get()->text, "second");

    QTest::keyClick(sheet, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(model->editing.get());
    EXPECT_EQ(model->editing.get()->text, "");
    EXPECT_FALSE(model->notice.get());
    QTest::keyClick(sheet, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(model->notice.get());
    EXPECT_EQ(model->notice.get()->text, "Undone");
}

// Cut, Copy, Paste and Select All on their standard keys, acting on the focused field or
// sheet and enabled only when they can act there.
TEST_F(Commands, TheEditItemsActOnTheFocusedFieldAndAreEnabledOnlyWhenTheyCan) {
    struct Key {
        QAction* action;
        QKeySequence::StandardKey key;
    };
    for (const Key& k : {Key{commands().cut(), QKeySequence::Cut}, Key{commands().copy(), QKeySequence::Copy},
                         Key{commands().paste(), QKeySequence::Paste},
                         Key{commands().selectAll(), QKeySequence::SelectAll}})
        EXPECT_EQ(k.action->shortcuts(), QKeySequence::keyBindings(k.key)) << k.action->text().toStdString();
    const auto enabled = [&] {
        commands().refresh();
        return std::vector<bool>{commands().cut()->isEnabled(), commands().copy()->isEnabled(),
                                 commands().paste()->isEnabled(), commands().selectAll()->isEnabled()};
    };
    QGuiApplication::clipboard()->clear();

    auto* field = window->deskView()->newsstand()->questionField();
    field->setFocus();
    EXPECT_EQ(enabled(), (std::vector<bool>{false, false, false, false}));  // empty, nothing to paste
    QTest::keyClicks(field, "atoms");
    EXPECT_EQ(enabled(), (std::vector<bool>{false, false, false, true}));
    commands().selectAll()->trigger();
    EXPECT_EQ(enabled(), (std::vector<bool>{true, true, false, true}));
    commands().cut()->trigger();
    EXPECT_EQ(field->toPlainText(), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "atoms");
    EXPECT_EQ(enabled(), (std::vector<bool>{false, false, true, false}));
    commands().paste()->trigger();
    commands().paste()->trigger();
    EXPECT_EQ(field->toPlainText(), "atomsatoms");

    // On a notebook's sheet: its words are copied, never cut; pasting types into a note.
    Notebook notebook = app.context->library->create(1600, 600);
    window->deskView()->show(notebook);
    auto model = window->focusedIssue();
    BlockItem reply;
    reply.json = R"({"t":"p","text":"Atoms bond."})";
    reply.y = 140;
    reply.seed = 3;
    model->mutate(0, false, [&](std::vector<PageItem>& items) { items.emplace_back(reply); });
    auto* pane = static_cast<IssuePane*>(window->deskView()->issueView()->pane(0));
    pane->scroll()->setFocus();
    QTest::qWait(50);
    QGuiApplication::clipboard()->clear();
    EXPECT_EQ(enabled(), (std::vector<bool>{false, false, false, true}));
    QTest::keyClick(window->windowHandle(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(enabled(), (std::vector<bool>{false, true, false, true}));
    commands().copy()->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Atoms bond.");
    EXPECT_EQ(enabled(), (std::vector<bool>{false, true, true, true}));
    QTest::keyClick(window->windowHandle(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_TRUE(model->editing.get());
    EXPECT_EQ(model->editing.get()->text, "Atoms bond.");
}
