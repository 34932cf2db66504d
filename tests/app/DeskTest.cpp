// The desk and issue windows: sizes, beginning a notebook with a question (written and
// asked in the notebook begun for it, answered by the local gateway's tutor), the Learn
// hand-off, and notebooks that already have a window of their own.

#include "AppTestSupport.h"
#include "app/DeskWindow.h"
#include "app/IssueWindow.h"
#include "app/OpenIssues.h"
#include "app/Router.h"
#include "library/Library.h"

#include <QApplication>
#include <QTest>

using namespace nolby;
using nolby::test::TestApp;

namespace {

// The learner notes and tutor blocks of a notebook, in page order.
std::vector<std::string> notes(const Notebook& notebook) {
    std::vector<std::string> out;
    for (const auto& page : notebook.pages)
        for (const auto& item : page.items)
            if (item.text()) out.push_back(item.text()->text);
    return out;
}
int blocks(const Notebook& notebook) {
    int count = 0;
    for (const auto& page : notebook.pages)
        for (const auto& item : page.items) count += item.block() ? 1 : 0;
    return count;
}

struct Desk : ::testing::Test {
    TestApp app;
    std::vector<Uuid> windowsOpened;
    std::unique_ptr<DeskWindow> window;
    void SetUp() override {
        Router::shared().learn.set(std::nullopt);
        Router::shared().pendingQuestion.set(std::nullopt);
        window = std::make_unique<DeskWindow>(app.context, [this](const Uuid& id) { windowsOpened.push_back(id); });
    }
    void TearDown() override {
        window.reset();
        Router::shared().pendingQuestion.set(std::nullopt);
    }
    DeskView& desk() { return *window->deskView(); }
};

}  // namespace

TEST_F(Desk, WindowsOpenAtTheirSizesAndKeepTheirMinimum) {
    EXPECT_EQ(window->size(), QSize(1280, 860));
    EXPECT_EQ(window->minimumSize(), QSize(760, 600));
    EXPECT_EQ(window->windowTitle(), "Nolby");
    IssueWindow issue(app.context, Uuid::random());
    EXPECT_EQ(issue.size(), QSize(1200, 840));
    EXPECT_EQ(issue.minimumSize(), QSize(760, 600));
    // A notebook the library does not hold leaves the window on its placeholder.
    EXPECT_EQ(issue.model(), nullptr);
}

TEST_F(Desk, WindowsAreTitledAfterTheNotebookTheyShow) {
    Notebook fractions = app.context->library->create(1600, 600);
    fractions.title = "Fractions";
    fractions.pages[0].items.push_back(TextItem{});  // not empty: closing keeps it
    app.context->library->save(fractions, true);
    desk().show(fractions);
    EXPECT_EQ(window->windowTitle(), "Fractions");
    desk().model()->nb.modify([](Notebook& n) { n.title = "Halves and Quarters"; });
    EXPECT_EQ(window->windowTitle(), "Halves and Quarters");
    desk().close();
    EXPECT_EQ(window->windowTitle(), "Nolby");
    desk().begin("");
    EXPECT_EQ(window->windowTitle(), "New issue");

    IssueWindow own(app.context, fractions.id);
    EXPECT_EQ(own.windowTitle(), "Halves and Quarters");
    own.model()->nb.modify([](Notebook& n) { n.title = "Ratios"; });
    EXPECT_EQ(own.windowTitle(), "Ratios");
}

TEST_F(Desk, AQuestionSentFromTheShelfIsWrittenAskedAndAnswered) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    auto* field = desk().newsstand()->questionField();
    field->setFocus();
    QTest::keyClicks(field, "  What is a fraction?  ");
    QTest::keyClick(field, Qt::Key_Return);
    auto model = desk().model();
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->nb->pageW, 600);
    EXPECT_EQ(model->nb->pageH, 1600);
    EXPECT_TRUE(model->scroll.get());
    // The question becomes the learner's note on the first page, then the tutor answers.
    QTRY_COMPARE_WITH_TIMEOUT(notes(model->nb.get()), std::vector<std::string>{"What is a fraction?"}, 10000);
    const Uuid id = model->nb->id;
    QTRY_VERIFY_WITH_TIMEOUT(!model->nb->turns.empty() && blocks(model->nb.get()) > 0, 60000);
    // The saved notebook holds the turn.
    app.context->library->flush();
    QTRY_VERIFY_WITH_TIMEOUT(app.context->library->notebook(id) && !app.context->library->notebook(id)->turns.empty(),
                             10000);
    Library::make(app.folder.path, app.scheduler, app.context->press, nullptr);
    auto reread = Library::make(app.folder.path, app.scheduler, app.context->press, nullptr)->notebook(id);
    ASSERT_TRUE(reread);
    EXPECT_FALSE(reread->turns.empty());
    EXPECT_EQ(notes(*reread).front(), "What is a fraction?");
}

TEST_F(Desk, TheWaitingQuestionGoesOnlyToTheNotebookBegunForIt) {
    window->show();
    // Begun for a notebook that is not shown yet: another empty notebook does not take it.
    Notebook other = app.context->library->create(1600, 600);
    Notebook begun = app.context->library->create(1600, 600);
    Router::shared().pendingQuestion.set(Router::Pending{begun.id, "Why is the sky blue?"});
    desk().show(other);
    QTest::qWait(800);  // past the view's appearing fade and its hooks
    EXPECT_TRUE(notes(desk().model()->nb.get()).empty());
    ASSERT_TRUE(Router::shared().pendingQuestion.get());
    desk().show(begun);
    QTRY_COMPARE_WITH_TIMEOUT(notes(desk().model()->nb.get()), std::vector<std::string>{"Why is the sky blue?"}, 5000);
    EXPECT_FALSE(Router::shared().pendingQuestion.get());
    // An empty question makes the same notebook without a note.
    desk().begin("");
    QTest::qWait(800);  // past the view's appearing fade and its hooks
    EXPECT_TRUE(desk().model()->isEmptyNotebook());
}

TEST_F(Desk, ALearnTopicIsBegunWhenTheDeskIsShownTrimmedAndABlankOneIsDropped) {
    struct Case {
        std::string topic;
        std::optional<std::string> note;
    };
    for (const Case& c : {Case{"  Photosynthesis \n", "Photosynthesis"}, Case{" \t ", std::nullopt}}) {
        SCOPED_TRACE(c.topic);
        auto desk = std::make_unique<DeskWindow>(app.context, [](const Uuid&) {});
        Router::shared().learn.set(c.topic);
        EXPECT_EQ(desk->focusedIssue(), nullptr);  // nothing until the desk is shown
        desk->show();
        EXPECT_FALSE(Router::shared().learn.get());
        auto model = desk->focusedIssue();
        if (!c.note) {
            EXPECT_EQ(model, nullptr);
            continue;
        }
        ASSERT_NE(model, nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(notes(model->nb.get()), std::vector<std::string>{*c.note}, 5000);
        model->session.reset();  // no need to wait for the answer
    }
}

TEST_F(Desk, ANotebookWithAWindowOfItsOwnIsBroughtForward) {
    window->show();
    Notebook notebook = app.context->library->create(1600, 600);
    auto* own = new IssueWindow(app.context, notebook.id);
    own->show();
    ASSERT_NE(own->model(), nullptr);
    EXPECT_EQ(OpenIssues::shared().window(notebook.id), own);
    desk().show(notebook);
    EXPECT_EQ(desk().model(), nullptr);  // the desk stays on the shelf
    own->close();  // deletes itself
    QApplication::processEvents();
    EXPECT_EQ(OpenIssues::shared().window(notebook.id), nullptr);
    desk().show(notebook);
    EXPECT_NE(desk().model(), nullptr);
}

TEST_F(Desk, GoingBackToTheShelfKeepsTheTypedNote) {
    window->show();
    Notebook notebook = app.context->library->create(1600, 600);
    desk().show(notebook);
    auto model = desk().model();
    model->startWriting(Point{28, 118}, false);
    model->editing.modify([](auto& e) { e->text = "half a pie"; });
    desk().newIssue();
    EXPECT_EQ(desk().model(), nullptr);
    EXPECT_EQ(notes(*app.context->library->notebook(notebook.id)), std::vector<std::string>{"half a pie"});
}
