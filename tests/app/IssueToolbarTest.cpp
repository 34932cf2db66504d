// The issue view's toolbar: the next-step button's cue, style, tint and context menu, the
// "Who leads" menu following keyboard focus, and the Shelf button leaving the notebook.
#include "app/IssueToolbar.h"
#include "app/IssueViewRig.h"
#include "app/NextStepButton.h"

#include "support/Screenshots.h"
#include "ui/library/ColorScheme.h"

#include <QActionGroup>
#include <QMenu>
#include <QToolButton>

#include <gtest/gtest.h>

namespace nolby::test {
namespace {

using Way = NotebookModel::Way;
using Kind = Way::Kind;

TEST(NextStepButton, EachCueHasItsWordsHelpAndStyle) {
    struct Case { Way cue; const char* label; const char* help; bool prominent; };
    const Case cases[] = {
        {Way::of(Kind::skip), "Skip Question", "Move on without answering (it comes back later as a warm-up) — Ctrl+Return", false},
        {Way::of(Kind::turn), "Read On", "Read on — Ctrl+Return", false},
        {Way::of(Kind::writing), "Writing", "Write the rest at once — Ctrl+Return", true},
        {Way::of(Kind::reading), "Reading", "The tutor is reading what you wrote", true},
        {Way::of(Kind::ask), "Ask", "Ask the tutor — Return", true},
        {Way::next(std::nullopt), "Next", "The tutor writes the next part — Return", true},
        {Way::next("Equivalent fractions"), "Next Equivalent fractions", "The tutor writes the next part — Return", true},
    };
    NextStepButton button;
    for (const Case& c : cases) {
        button.setCue(c.cue, 0xE22C38);
        EXPECT_EQ(button.label(), c.label);
        EXPECT_EQ(button.toolTip(), c.help) << c.label;
        EXPECT_EQ(button.prominent(), c.prominent) << c.label;
        // Tinted with the ink when prominent; plain buttons are not tinted.
        EXPECT_EQ(button.tint(), c.prominent ? std::optional<QColor>(QColor(226, 44, 56)) : std::nullopt) << c.label;
        EXPECT_TRUE(button.isEnabled());
        EXPECT_EQ(button.contextMenu() != nullptr, c.cue.kind == Kind::writing || c.cue.kind == Kind::reading) << c.label;
    }
}

TEST(NextStepButton, ALongStepTitleIsCutTo170Points) {
    NextStepButton button;
    button.setCue(Way::next(std::string(200, 'w')), 0);
    const QString label = button.label();
    ASSERT_TRUE(label.startsWith("Next "));
    EXPECT_TRUE(label.endsWith(QChar(0x2026)));
    EXPECT_LT(label.size(), 120);
}

// The issue view stays light on a dark desktop, and so do the labels over its paper: the
// Shelf button's label is dark ink, whether the desktop turned dark before the view came or
// while it was open.
TEST(IssueToolbar, TheShelfLabelStaysDarkOnThePaperOfADarkDesktop) {
    const QPalette before = QApplication::palette();
    const auto darkestOfShelf = [](IssueViewRig& rig) {
        IssueToolbar& bar = *rig.view->toolbar();
        QWidget* shelf = bar.widgetForAction(bar.shelf());
        EXPECT_LT(shelf->palette().color(QPalette::ButtonText).lightness(), 100);
        // The label right of the icon, as the view shows it over its paper.
        const int from = static_cast<QToolButton*>(shelf)->iconSize().width() + 4;
        const QImage image =
            rig.view->grab(QRect(shelf->mapTo(rig.view.get(), QPoint(from, 0)), QSize(shelf->width() - from, shelf->height())))
                .toImage();
        int darkest = 255;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) darkest = std::min(darkest, qGray(image.pixel(x, y)));
        return darkest;
    };
    IssueViewRig early;
    early.show();
    QApplication::setPalette(ColorScheme::palette(ColorScheme::Scheme::dark));
    QApplication::processEvents();
    EXPECT_LT(darkestOfShelf(early), 100);
    IssueViewRig late;
    late.show();
    EXPECT_LT(darkestOfShelf(late), 100);
    EXPECT_GT(qGray(late.view->grab().toImage().pixel(5, 300)), 230);  // the paper itself
    late.writeParagraph("On a dark desktop the issue stays on light paper.");
    late.scheduler->advance(1);
    late.rest();
    EXPECT_TRUE(saveScreenshot(*late.view, "issue-on-a-dark-desktop"));
    QApplication::setPalette(before);
}

TEST(IssueToolbar, NoButtonOnAFreshNotebookThenAskInTheNotebooksInk) {
    IssueViewRig rig(600, 1600, "red");
    rig.show();
    IssueToolbar& bar = *rig.view->toolbar();
    EXPECT_FALSE(bar.offersWay());
    // A note opened: the button shows; with words in it, it asks, tinted red.
    rig.model().startWriting(Point{60, 300}, false);
    EXPECT_TRUE(bar.offersWay());
    IssueViewRig::type(rig.model(), "what is a ratio?");
    EXPECT_EQ(bar.wayButton()->cue(), Way::of(Kind::ask));
    EXPECT_EQ(bar.wayButton()->tint(), QColor(226, 44, 56));

    // A click asks the tutor of the focused notebook.
    QTest::mouseClick(bar.wayButton(), Qt::LeftButton);
    EXPECT_EQ(IssueViewRig::tutor(rig.model()).asks, 1);
}

TEST(IssueToolbar, TheButtonShowsWhileTheTutorThinksOnAnEmptyNotebook) {
    IssueViewRig rig;
    rig.show();
    rig.model().tutor.modify([](NotebookModel::TutorStatus& t) { t.thinking = true; });
    EXPECT_TRUE(rig.view->toolbar()->offersWay());
    EXPECT_EQ(rig.view->toolbar()->wayButton()->cue().kind, Kind::reading);
}

TEST(IssueToolbar, StopWritingEndsTheTurnWithoutAnError) {
    IssueViewRig rig;
    rig.show();
    NotebookModel& m = rig.model();
    IssueViewRig::type(m, "why?");
    m.tutor.modify([](NotebookModel::TutorStatus& t) { t.thinking = true; });
    IssueViewRig::tutor(m).running = true;
    NextStepButton& button = *rig.view->toolbar()->wayButton();
    ASSERT_EQ(button.cue().kind, Kind::reading);
    std::unique_ptr<QMenu> menu = button.contextMenu();
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), "Stop Writing");
    menu->actions()[0]->trigger();
    EXPECT_EQ(IssueViewRig::tutor(m).cancels, 1);
    EXPECT_FALSE(IssueViewRig::tutor(m).task());
    EXPECT_FALSE(m.tutor->error.has_value());
    EXPECT_FALSE(m.scribe->busy.get());
}

TEST(IssueToolbar, StopWritingWritesEverythingScheduledAtOnce) {
    IssueViewRig rig;
    rig.show();
    NotebookModel& m = rig.model();
    IssueViewRig::type(m, "a long answer to write out");
    m.commitEditing();
    const PageItem item = m.nb->pages[0].items.back();
    m.scribe->enqueue(m.nb->pages[0].id, item.id(), m.entry(item).ops, 0, false);
    // The page on screen takes its stage; the writer starts on it.
    for (int i = 0; i < 3 && !m.scribe->busy.get(); ++i) {
        QApplication::processEvents();
        rig.scheduler->drain();
        m.scribe->pump();
    }
    ASSERT_TRUE(m.scribe->busy.get());
    NextStepButton& button = *rig.view->toolbar()->wayButton();
    ASSERT_EQ(button.cue().kind, Kind::writing);
    EXPECT_EQ(button.toolTip(), "Write the rest at once — Ctrl+Return");
    button.contextMenu()->actions()[0]->trigger();
    EXPECT_FALSE(m.scribe->busy.get());
    EXPECT_FALSE(m.scribe->drawn(item.id()).has_value());  // written whole
    EXPECT_FALSE(m.tutor->error.has_value());
    EXPECT_NE(button.cue().kind, Kind::writing);
}

TEST(IssueToolbar, WhoLeadsActsOnTheFocusedDive) {
    IssueViewRig rig;
    rig.stack({"ratio"});
    NotebookModel& dive = *rig.view->dives()[0];
    IssueToolbar& bar = *rig.view->toolbar();
    QList<QAction*> items = bar.modes()->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), "Nolby leads");
    EXPECT_EQ(items[1]->text(), "You lead");
    EXPECT_EQ(items[2]->text(), "You work it out");
    EXPECT_TRUE(items[0]->isChecked());

    items[1]->trigger();
    EXPECT_EQ(dive.nb->mode, "explore");
    EXPECT_EQ(rig.model().nb->mode, "lesson");
    EXPECT_TRUE(items[1]->isChecked());
    // The dive is saved, debounced; the notebook is not touched.
    rig.scheduler->advance(1);
    rig.scheduler->drain();
    EXPECT_EQ(rig.library->notebook(dive.nb->id)->mode, "explore");
    EXPECT_EQ(rig.library->notebook(rig.model().nb->id)->mode, "lesson");

    // Focus back on the notebook: the menu reads the notebook's mode again.
    QTest::mouseClick(rig.sheet(0), Qt::LeftButton, {}, QPoint(5, 300));
    rig.rest();
    EXPECT_TRUE(items[0]->isChecked());
}

TEST(IssueToolbar, OnlyTheControlsTakeClicksTheStripBetweenLetsThemThrough) {
    IssueViewRig rig;
    rig.stack({"ratio"});
    QWidget* between = rig.view->childAt(500, 12);
    ASSERT_TRUE(between);
    EXPECT_FALSE(rig.view->toolbar()->isAncestorOf(between) || between == rig.view->toolbar());
    QWidget* shelf = rig.view->childAt(rig.view->toolbar()->widgetForAction(rig.view->toolbar()->shelf())->geometry().center());
    EXPECT_TRUE(shelf && rig.view->toolbar()->isAncestorOf(shelf));
}

TEST(IssueToolbar, ShelfShortcutWithADiveFocusedLeavesTheWholeNotebook) {
    IssueViewRig rig;
    rig.show();
    IssueViewRig::type(rig.model(), "a thought");
    rig.dive(0, "ratio");
    rig.rest();
    ASSERT_EQ(rig.view->focus(), 1);
    QTest::keyClick(rig.sheet(1), Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(rig.closes, 1);
    EXPECT_EQ(rig.storedNotes(rig.model().nb->id), std::vector<std::string>{"a thought"});
}

}  // namespace
}  // namespace nolby::test
