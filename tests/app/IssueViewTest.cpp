// The issue view's stack of deep dives: where the panes stand, what opening, focusing and
// closing a dive does to the stack and its models, and what the view keeps when the window
// goes inactive or the view goes away.
#include "app/IssueViewRig.h"
#include "support/WindowEvents.h"

#include "app/DiveLayout.h"
#include "sheet/SheetHead.h"
#include "sheet/SheetView.h"
#include "support/FailingDisk.h"
#include "support/Screenshots.h"
#include "ui/pills/Pills.h"

#include <gtest/gtest.h>

namespace nolby::test {
namespace {

QRect frameOf(IssueView& view, int level) { return view.pane(level)->parentWidget()->geometry(); }

TEST(IssueView, DivesStackFromTheRightEdge48ApartAndTheNotebookLeans) {
    struct Case { int w, d; };
    for (const Case c : {Case{1000, 600}, Case{800, 520}, Case{1600, 820}, Case{600, 460}}) {
        IssueViewRig rig;
        rig.stack({"ratio", "part", "whole"}, c.w);
        ASSERT_EQ(rig.view->dives().size(), 3u);
        for (int level = 1; level <= 3; ++level) {
            const QRect f = frameOf(*rig.view, level);
            EXPECT_EQ(f.width(), c.d) << "W " << c.w;
            EXPECT_EQ(f.x(), c.w - c.d - 48 * (3 - level)) << "W " << c.w << " level " << level;
            EXPECT_EQ(f.height(), 700);
        }
        EXPECT_EQ(frameOf(*rig.view, 0).x(), -static_cast<int>(std::lround(rig.view->lean(c.w))));
        EXPECT_EQ(frameOf(*rig.view, 0).width(), c.w);
    }
}

TEST(IssueView, LeanTakesTheNotebooksPageWidth) {
    struct Case { double pageW, w, shift; };
    for (const Case c : {Case{400, 1200, 342}, Case{600, 800, 42}}) {
        IssueViewRig rig(c.pageW, 1200);
        EXPECT_NEAR(rig.view->lean(c.w), c.shift, 1e-9);
    }
}

TEST(IssueView, ADiveIsSavedMarkedAndAskedGoDeeperOnce) {
    IssueViewRig rig;
    rig.stack({"denominator"});
    ASSERT_EQ(rig.view->dives().size(), 1u);
    NotebookModel& dive = *rig.view->dives()[0];
    const Uuid id = dive.nb->id;
    EXPECT_EQ(rig.view->focus(), 1);
    EXPECT_EQ(rig.view->focused().get(), &dive);
    // A child of the notebook, with its page size, colour and mode, stored at once.
    EXPECT_EQ(dive.nb->parent, rig.model().nb->id);
    EXPECT_EQ(dive.nb->from, "denominator");
    EXPECT_EQ(dive.nb->pageW, 600);
    EXPECT_EQ(dive.nb->color, rig.model().nb->color);
    EXPECT_TRUE(dive.nb->title.empty());
    EXPECT_TRUE(dive.scroll.get());
    // The notebook's words carry a hole mark pointing at the dive.
    ASSERT_EQ(rig.model().dives(0).size(), 1u);
    EXPECT_EQ(rig.model().dives(0)[0].to, id);
    // The first turn asks under the learner's note "go deeper".
    EXPECT_EQ(IssueViewRig::tutor(dive).asks, 1);
    dive.save(true);
    EXPECT_EQ(rig.storedNotes(id), std::vector<std::string>{"go deeper"});

    // Closed and opened again from its mark: it holds writing, so nothing is asked again.
    rig.view->closeDive(1);
    rig.rest();
    EXPECT_TRUE(rig.view->dives().empty());
    EXPECT_EQ(rig.view->focus(), 0);
    rig.view->actions(0).open(id);
    rig.rest();
    ASSERT_EQ(rig.view->dives().size(), 1u);
    NotebookModel& reopened = *rig.view->dives()[0];
    EXPECT_EQ(IssueViewRig::tutor(reopened).asks, 0);
    EXPECT_FALSE(reopened.editing.get().has_value());
    EXPECT_EQ(rig.storedNotes(id), std::vector<std::string>{"go deeper"});
}

TEST(IssueView, ClickingIntoDiveOneClosesTheDivesAboveIt) {
    IssueViewRig rig;
    rig.stack({"ratio", "part", "whole"});
    ASSERT_EQ(rig.view->dives().size(), 3u);
    const std::shared_ptr<NotebookModel> first = rig.view->dives()[0];

    // The notebook's own pane takes focus: the dives stay open beside it.
    QTest::mouseClick(rig.sheet(0), Qt::LeftButton, {}, QPoint(5, 300));
    rig.rest();
    EXPECT_EQ(rig.view->focus(), 0);
    EXPECT_EQ(rig.view->dives().size(), 3u);

    // Dive 1 takes focus: dives 2 and 3 close.
    QTest::mouseClick(rig.sheet(1), Qt::LeftButton, {}, QPoint(20, 300));
    rig.rest();
    EXPECT_EQ(rig.view->dives().size(), 1u);
    EXPECT_EQ(rig.view->focus(), 1);
    EXPECT_EQ(rig.view->focused(), first);
    EXPECT_EQ(rig.view->pane(2), nullptr);
}

TEST(IssueView, OpeningAStackedDivePopsBackToItAndADiveFromBelowReplacesTheBranch) {
    IssueViewRig rig;
    rig.stack({"ratio", "part"});
    const Notebook lower = rig.view->dives()[0]->nb.get();
    // Opening the topmost changes nothing; opening the lower one closes the one above.
    rig.view->open(rig.view->dives()[1]->nb.get(), 0);
    EXPECT_EQ(rig.view->dives().size(), 2u);
    rig.view->open(lower, 0);
    rig.rest();
    ASSERT_EQ(rig.view->dives().size(), 1u);
    EXPECT_EQ(rig.view->dives()[0]->nb->id, lower.id);
    // Going deeper from the notebook's pane replaces the whole stack.
    rig.dive(1, "part again");
    rig.dive(0, "fraction");
    rig.rest();
    ASSERT_EQ(rig.view->dives().size(), 1u);
    EXPECT_EQ(rig.view->dives()[0]->nb->from, "fraction");
    EXPECT_EQ(rig.view->focus(), 1);
}

TEST(IssueView, TheDiveHeadersCloseButtonClosesTheDive) {
    IssueViewRig rig;
    rig.stack({"ratio"});
    auto* pane = static_cast<IssuePane*>(rig.view->pane(1));
    SheetView& sheet = pane->scroll()->sheet();
    sheet.relayout();
    ASSERT_TRUE(sheet.layout());
    // Find the close button in the header's own coordinates.
    std::optional<Point> onClose;
    for (double y = 0; y < sheet.headHeight() && !onClose; y += 2)
        for (double x = 0; x < sheet.layout()->width && !onClose; x += 2)
            if (pane->head()->hitsClose({x, y})) onClose = Point{x, y};
    ASSERT_TRUE(onClose);
    // A press beside it is nothing; a press on it closes the dive.
    sheet.pointer().down({sheet.layout()->x + 1, 1}, 1, false);
    sheet.pointer().up();
    EXPECT_EQ(rig.view->dives().size(), 1u);
    sheet.pointer().down({sheet.layout()->x + onClose->x, onClose->y}, 1, false);
    sheet.pointer().up();
    rig.rest();
    EXPECT_TRUE(rig.view->dives().empty());
}

TEST(IssueView, EscapeClosesADiveButNotTheNotebook) {
    IssueViewRig rig;
    rig.stack({"ratio"});
    QTest::keyClick(rig.sheet(0), Qt::Key_Escape);
    EXPECT_EQ(rig.view->dives().size(), 1u);
    QTest::keyClick(rig.sheet(1), Qt::Key_Escape);
    rig.rest();
    EXPECT_TRUE(rig.view->dives().empty());
    EXPECT_EQ(rig.view->focus(), 0);
}

// A learner double-clicks a word, goes deeper from the selection bar, and presses Escape
// without clicking anywhere: the new dive took the keyboard, so Escape closes it, and the
// keyboard goes back to the notebook.
TEST(IssueView, ANewDiveTakesTheKeyboardSoEscapeClosesIt) {
    IssueViewRig rig;
    rig.show();
    rig.writeParagraph("Entropy measures how spread out energy is.");
    const std::optional<QPoint> word = rig.onWord(0, "Entropy");
    ASSERT_TRUE(word);
    windowDoubleClick(rig.view->windowHandle(), *word, 2000000);
    auto* pane = static_cast<IssuePane*>(rig.view->pane(0));
    ASSERT_TRUE(pane->scroll()->sheet().pointer().selection());
    rig.scheduler->advance(1);  // the selection bar has come
    rig.rest();
    EXPECT_TRUE(saveScreenshot(*rig.view, "issue-double-clicked-word"));
    const Rect deeper = pane->deeperFrame();
    QTest::mouseClick(pane->selectionBar(), Qt::LeftButton, {},
                      QPoint(static_cast<int>(deeper.midX() + 6), static_cast<int>(deeper.midY() + 6)));
    rig.rest();
    ASSERT_EQ(rig.view->dives().size(), 1u);
    EXPECT_EQ(rig.view->dives()[0]->nb->from, "Entropy");
    EXPECT_EQ(QApplication::focusWidget(), rig.scroll(1));

    QTest::keyClick(rig.view->windowHandle(), Qt::Key_Escape);
    rig.rest();
    EXPECT_TRUE(rig.view->dives().empty());
    EXPECT_EQ(QApplication::focusWidget(), rig.scroll(0));
}

// Explain on the last word of a paragraph written just above a quote: the margin note is
// written under the paragraph and the quote, opening mark and all, moves down below it.
TEST(IssueView, ExplainAboveAQuoteMovesTheQuoteBelowTheNote) {
    for (const double space : {4.0, 10.0, 18.0}) {  // between the paragraph and the quote
        SCOPED_TRACE(space);
        IssueViewRig rig;
        rig.show();
        rig.writeParagraph("Einstein once wrote about what matters more.");
        NotebookModel& m = rig.model();
        const double paragraphBottom = m.bounds(m.nb->pages[0].items.back()).maxY();
        rig.writeBlock(R"({"t":"quote","text":"Imagination is more important than knowledge.","by":"Albert Einstein"})",
                       paragraphBottom + space);
        const Uuid quote = m.nb->pages[0].items.back().id();
        const std::optional<QPoint> word = rig.onWord(0, "more.");
        ASSERT_TRUE(word);
        windowDoubleClick(rig.view->windowHandle(), *word, 3000000);
        auto* pane = static_cast<IssuePane*>(rig.view->pane(0));
        ASSERT_TRUE(pane->scroll()->sheet().pointer().selection());
        rig.scheduler->advance(1);
        rig.rest();
        const Rect explain = pane->explainFrame();
        QTest::mouseClick(pane->selectionBar(), Qt::LeftButton, {},
                          QPoint(static_cast<int>(explain.midX() + 6), static_cast<int>(explain.midY() + 6)));
        rig.scheduler->advance(1);
        rig.rest();
        // The note's line came in between (its ring on the word above is drawn over the
        // paragraph on purpose); the quote went down by at least that line.
        std::optional<double> noteY, quoteY;
        for (const PageItem& item : m.nb->pages[0].items) {
            if (item.text()) noteY = item.text()->y;
            if (item.id() == quote) quoteY = item.block()->y;
        }
        ASSERT_TRUE(noteY && quoteY);
        EXPECT_GT(*noteY, paragraphBottom - 1);
        EXPECT_GE(*quoteY, paragraphBottom + space + NotebookModel::noteLineHeight);
        if (space == 10) EXPECT_TRUE(saveScreenshot(*rig.view, "issue-explain-above-quote"));
    }
}

TEST(IssueView, LeavingTheActiveStateSavesTheNotebookAndEveryDive) {
    IssueViewRig rig;
    rig.stack({"ratio"});
    NotebookModel& dive = *rig.view->dives()[0];
    rig.model().nb.modify([](Notebook& n) { n.title = "Fractions"; });
    dive.nb.modify([](Notebook& n) { n.step = 4; });
    EXPECT_EQ(rig.library->notebook(rig.model().nb->id)->title, "");

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QApplication::processEvents();
    EXPECT_EQ(rig.library->notebook(rig.model().nb->id)->title, "Fractions");
    EXPECT_EQ(rig.library->notebook(dive.nb->id)->step, 4);
    EXPECT_EQ(rig.view->windowTitle(), "Fractions");
}

TEST(IssueView, AViewGoingAwayKeepsEveryPanesTypedNote) {
    IssueViewRig rig;
    rig.stack({"ratio", "part"});
    const Uuid notebook = rig.model().nb->id, first = rig.view->dives()[0]->nb->id,
               second = rig.view->dives()[1]->nb->id;
    IssueViewRig::type(rig.model(), "half a thought");
    IssueViewRig::type(*rig.view->dives()[1], "why the whole?");

    rig.view->closeModels();
    EXPECT_TRUE(rig.view->closed());
    EXPECT_EQ(rig.storedNotes(notebook), std::vector<std::string>{"half a thought"});
    EXPECT_EQ(rig.storedNotes(first), std::vector<std::string>{"go deeper"});
    EXPECT_EQ(rig.storedNotes(second), (std::vector<std::string>{"go deeper", "why the whole?"}));
    // The view's actions do nothing once it has gone.
    rig.view->actions(0).dive("late", "", 0, {});
    EXPECT_EQ(rig.view->dives().size(), 2u);
}

TEST(IssueView, ShutCommitsTheNotebooksNoteSavesAndLeaves) {
    IssueViewRig rig;
    rig.show();
    IssueViewRig::type(rig.model(), "my answer");
    rig.view->shut();
    EXPECT_EQ(rig.closes, 1);
    EXPECT_FALSE(rig.model().editing.get().has_value());
    EXPECT_EQ(rig.storedNotes(rig.model().nb->id), std::vector<std::string>{"my answer"});
}

TEST(IssueView, PillsFollowTheFocusedLevel) {
    IssueViewRig rig;
    rig.stack({"ratio"});
    PillColumn& pills = *rig.view->pills();
    NotebookModel& dive = *rig.view->dives()[0];
    rig.model().tutor.modify([](NotebookModel::TutorStatus& t) { t.error = "The tutor is resting."; });
    EXPECT_FALSE(pills.error()->isVisibleTo(rig.view.get()));  // the dive is focused

    int undone = 0;
    dive.notify("Note removed", "Undo", [&] { ++undone; });
    dive.tutor.modify([](NotebookModel::TutorStatus& t) { t.error = "No connection."; });
    ASSERT_TRUE(pills.notice()->isVisibleTo(rig.view.get()));
    ASSERT_TRUE(pills.error()->isVisibleTo(rig.view.get()));
    EXPECT_LT(pills.error()->capsule().bottom(), pills.notice()->capsule().top());
    // The notice's button takes its action once and clears it.
    pills.notice()->onAction();
    EXPECT_EQ(undone, 1);
    EXPECT_FALSE(dive.notice.get().has_value());
    EXPECT_FALSE(dive.noticeAction);
    EXPECT_TRUE(pills.notice()->leaving());
    // Retry clears the error and asks again.
    pills.error()->onRetry();
    EXPECT_FALSE(dive.tutor->error.has_value());
    EXPECT_EQ(IssueViewRig::tutor(dive).asks, 2);
    EXPECT_TRUE(pills.error()->leaving());
    rig.rest();
    EXPECT_FALSE(pills.error()->isVisibleTo(rig.view.get()));

    // Back on the notebook: its own error shows.
    QTest::mouseClick(rig.sheet(0), Qt::LeftButton, {}, QPoint(5, 300));
    rig.rest();
    EXPECT_TRUE(pills.error()->isVisibleTo(rig.view.get()));
    pills.error()->onDismiss();
    EXPECT_FALSE(rig.model().tutor->error.has_value());
}

// A save that fails is told on the error pill before the tutor's error, with real clicks on
// its buttons: Retry tries at once and keeps the pill while it still fails; once the save
// lands the tutor's error comes back; a closed message stays away until saves land again.
TEST(IssueView, ASaveThatFailsIsToldBeforeTheTutorsErrorUntilItLands) {
    IssueViewRig rig;
    rig.show();
    PillColumn& pills = *rig.view->pills();
    ErrorPill& pill = *pills.error();
    auto click = [&](const Rect& r) {
        QTest::mouseClick(&pill, Qt::LeftButton, {},
                          QPoint(qRound(PillWidget::kMargin + r.x + r.w / 2), qRound(PillWidget::kMargin + r.y + r.h / 2)));
        rig.scheduler->drain();
        rig.rest();
    };
    rig.model().tutor.modify([](NotebookModel::TutorStatus& t) { t.error = "The tutor is resting."; });
    test::FailingDisk disk(AtomicFile::Step::written, ENOSPC);
    rig.model().save(true);
    rig.scheduler->drain();
    rig.rest();
    const std::string full = "Couldn't save \u201CUntitled\u201D: the disk is full. Your writing is kept open; saving again\u2026";
    EXPECT_EQ(rig.view->unsavedText(), full);
    ASSERT_TRUE(pill.shown());
    for (const auto& line : pill.art().text.lines) EXPECT_FALSE(line.truncated);  // read to its end

    const int tries = disk.tries;
    click(pill.art().retryRect);
    EXPECT_EQ(disk.tries, tries + 1);
    EXPECT_TRUE(pill.shown());  // still failing: still told
    EXPECT_EQ(IssueViewRig::tutor(rig.model()).asks, 0);  // the tutor was not asked again

    disk.failing = false;
    click(pill.art().retryRect);
    EXPECT_TRUE(rig.library->unsaved->empty());
    EXPECT_EQ(rig.view->unsavedText(), std::nullopt);
    EXPECT_TRUE(pill.shown());  // now the tutor's error
    EXPECT_EQ(rig.model().tutor->error, "The tutor is resting.");

    // Closed, a failing save's message stays away; after a save has landed, a new failure shows.
    disk.failing = true;
    rig.model().save(true);
    rig.scheduler->drain();
    rig.rest();
    click(pill.art().closeRect);
    EXPECT_EQ(rig.view->unsavedText(), std::nullopt);
    EXPECT_EQ(rig.model().tutor->error, "The tutor is resting.");  // closing the save's message left it
    rig.model().save(true);
    rig.scheduler->drain();
    rig.rest();
    EXPECT_EQ(rig.view->unsavedText(), std::nullopt);
    disk.failing = false;
    rig.library->retrySaves();
    rig.scheduler->drain();
    disk.failing = true;
    rig.model().save(true);
    rig.scheduler->drain();
    rig.rest();
    EXPECT_EQ(rig.view->unsavedText(), full);
    EXPECT_TRUE(pill.shown());
}

// Moving the focus to another level changes what the pills show as any change would: a
// notice the newly focused level lacks leaves, and comes back when the focus does.
TEST(IssueView, PillsComeAndGoAsTheFocusMoves) {
    IssueViewRig rig;
    rig.stack({"ratio"});
    PillColumn& pills = *rig.view->pills();
    NotebookModel& dive = *rig.view->dives()[0];
    dive.notify("Note removed", "Undo", [] {});
    rig.rest();
    ASSERT_TRUE(pills.notice()->shown());

    QTest::mouseClick(rig.sheet(0), Qt::LeftButton, {}, QPoint(5, 300));
    ASSERT_EQ(rig.view->focused().get(), &rig.model());
    EXPECT_TRUE(pills.notice()->leaving());
    rig.rest();
    EXPECT_FALSE(pills.notice()->isVisibleTo(rig.view.get()));

    QTest::mouseClick(rig.sheet(1), Qt::LeftButton, {}, QPoint(5, 300));
    ASSERT_EQ(rig.view->focused().get(), &dive);
    EXPECT_TRUE(pills.notice()->shown());
    EXPECT_FALSE(pills.notice()->leaving());
}

TEST(IssueView, DivesAreMadeByTheApplicationsModelMakerWhenGiven) {
    IssueViewRig rig;
    int made = 0;
    rig.services.models = [&](Notebook n) {
        ++made;
        IssueServices plain = rig.services;
        plain.models = nullptr;
        return plain.makeModel(std::move(n));
    };
    auto view = std::unique_ptr<IssueView>(IssueView::open(rig.services, rig.model().nb->id, [] {}));
    EXPECT_EQ(made, 1);
    view->actions(0).dive("ratio", "", 0, {});
    EXPECT_EQ(made, 2);
    view->closeModels();
}

TEST(IssueView, ANotebookWithoutATitleIsANewIssue) {
    IssueViewRig rig;
    EXPECT_EQ(rig.view->title(), "New issue");
}

}  // namespace
}  // namespace nolby::test
