// The sheet pane's chrome as a person meets it: real mouse events on the selection bar,
// "Writing below" and the outline, placed from the sheet's published state.
#include "ui/sheet/SheetPane.h"

#include "../../support/Paints.h"
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/Mag.h"
#include "sheet/SheetChromeMotion.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace nolby;

namespace {

using Entry = SheetState::Entry;
using Kind = SheetState::Entry::Kind;

class Pane : public ::testing::Test {
protected:
    void SetUp() override {
        Faces::registerFrom();
        Mag::registerFrom();
        pane = std::make_unique<SheetPane>(nullptr, true, nullptr, clock);
        // A stand-in for the sheet: plain paper.
        sheet = new QWidget;
        sheet->setAutoFillBackground(true);
        QPalette p = sheet->palette();
        p.setColor(QPalette::Window, QColor::fromRgbF(Ink::paper.r, Ink::paper.g, Ink::paper.b));
        sheet->setPalette(p);
        pane->setSheet(sheet);
        pane->resize(1000, 700);
        pane->setActions({[this] { ++explained; }, [this] { ++deeper; }, [this] { ++caughtUp; },
                          [this](double y, bool animated) { scrolled.push_back({y, animated}); }});
        pane->show();
    }

    // Lets every transition finish, as the frames would.
    void settle() {
        clock->advance(2);
        for (auto* c : {pane->selectionBar(), pane->outline(), pane->writingBelow()}) c->step();
    }

    // A widget point for a point in a chrome element's content.
    static QPoint at(Rect r) { return QPoint(static_cast<int>(r.midX() + 6), static_cast<int>(r.midY() + 6)); }

    void keep(const std::string& name) {
        if (const char* dir = std::getenv("NOLBY_SCREENSHOTS")) {
            std::filesystem::create_directories(dir);
            pane->grab().save(QString::fromStdString((std::filesystem::path(dir) / name).string()));
        }
    }

    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(100);
    std::unique_ptr<SheetPane> pane;
    QWidget* sheet = nullptr;
    int explained = 0, deeper = 0, caughtUp = 0;
    std::vector<std::pair<double, bool>> scrolled;
};

SheetLayout columnAt(double x) {
    SheetLayout l;
    l.x = x;
    l.width = 1000;
    return l;
}

}  // namespace

TEST_F(Pane, TheSheetFillsThePaneUnderItsChrome) {
    EXPECT_EQ(sheet->geometry(), QRect(0, 0, 1000, 700));
    EXPECT_EQ(pane->fade()->geometry(), QRect(0, 0, 1000, 62));
    EXPECT_TRUE(pane->fade()->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_FALSE(pane->selectionBar()->isVisible());
    EXPECT_FALSE(pane->writingBelow()->isVisible());
    EXPECT_FALSE(pane->outline()->isVisible());
}

TEST_F(Pane, TheSelectionBarsButtonsAskTheSheet) {
    pane->state()->selection.set(SheetState::Selection{{300, 400, 80, 20}, "entropy"});
    QWidget* bar = pane->selectionBar();
    ASSERT_TRUE(bar->isVisible());
    // 44 above the line, 6 left of it (and the widget's room for the shadow around it).
    EXPECT_EQ(bar->pos(), QPoint(294 - 6, 356 - 6));
    settle();

    QTest::mouseClick(bar, Qt::LeftButton, {}, at(pane->explainFrame()));
    EXPECT_EQ(explained, 1);
    QTest::mouseClick(bar, Qt::LeftButton, {}, at(pane->deeperFrame()));
    EXPECT_EQ(deeper, 1);
    // Pressed on one button and released on the other: neither runs.
    QTest::mousePress(bar, Qt::LeftButton, {}, at(pane->explainFrame()));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, at(pane->deeperFrame()));
    EXPECT_EQ(explained + deeper, 2);

    // A line near the top puts the bar below it; the bar glides there.
    pane->state()->selection.set(SheetState::Selection{{300, 100, 80, 20}, "entropy"});
    EXPECT_EQ(bar->pos(), QPoint(294 - 6, 356 - 6));
    clock->advance(0.08);
    pane->selectionBar()->step();
    EXPECT_LT(bar->y(), 356 - 6);
    EXPECT_GT(bar->y(), 128 - 6);
    clock->advance(0.08);
    pane->selectionBar()->step();
    EXPECT_EQ(bar->pos(), QPoint(294 - 6, 128 - 6));
    keep("sheet-pane-selection.png");

    pane->state()->selection.set(std::nullopt);
    EXPECT_TRUE(bar->isVisible());  // fading out
    settle();
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(Pane, WithoutASheetViewTheButtonsDoNothing) {
    pane->setActions(SheetPane::through(pane->state()));
    pane->state()->selection.set(SheetState::Selection{{300, 400, 80, 20}, "entropy"});
    pane->state()->writingBelow.set(true);
    settle();
    QTest::mouseClick(pane->selectionBar(), Qt::LeftButton, {}, at(pane->explainFrame()));
    QTest::mouseClick(pane->selectionBar(), Qt::LeftButton, {}, at(pane->deeperFrame()));
    const Size s = WritingBelowButton().size();
    QTest::mouseClick(pane->writingBelow(), Qt::LeftButton, {}, QPoint(6 + static_cast<int>(s.width / 2), 12));
    EXPECT_EQ(explained + deeper + caughtUp, 0);
}

TEST_F(Pane, WritingBelowCatchesUp) {
    pane->state()->writingBelow.set(true);
    SheetPane::Chrome* w = pane->writingBelow();
    ASSERT_TRUE(w->isVisible());
    settle();
    // Centred at (W / 2, H − 36).
    const Size s = WritingBelowButton().size();
    EXPECT_NEAR(w->x() + 6 + s.width / 2, 500, 1);
    EXPECT_NEAR(w->y() + 6 + s.height / 2, 664, 1);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6 + static_cast<int>(s.width / 2), 6 + static_cast<int>(s.height / 2)));
    EXPECT_EQ(caughtUp, 1);
    // Below the button (the way it came in) is no button.
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6 + static_cast<int>(s.width / 2), w->height() - 2));
    EXPECT_EQ(caughtUp, 1);
    keep("sheet-pane-writing-below.png");

    pane->state()->writingBelow.set(false);
    settle();
    EXPECT_FALSE(w->isVisible());
}

TEST_F(Pane, AnOutlineRowStopsFollowingAndGlidesToItsEntry) {
    std::vector<Entry> entries = {{Uuid::random(), Kind::heading, "Why entropy grows", 500},
                                  {Uuid::random(), Kind::question, "what is a microstate", 1200},
                                  {Uuid::random(), Kind::dive, "heat death", 2000}};
    pane->state()->outline.set(entries);
    pane->state()->viewport.set(700);
    pane->state()->layout.set(columnAt(230));
    EXPECT_FALSE(pane->outline()->isVisible());  // 230 is not room enough
    pane->state()->layout.set(columnAt(300));
    SheetPane::Chrome* o = pane->outline();
    ASSERT_TRUE(o->isVisible());
    EXPECT_EQ(o->pos(), QPoint(34 - 6, 92 - 6));
    EXPECT_EQ(o->width(), 224 + 12);
    settle();
    keep("sheet-pane-outline.png");

    ASSERT_TRUE(pane->outlineLaid());
    ASSERT_EQ(pane->outlineLaid()->rows().size(), 3u);
    ASSERT_TRUE(pane->state()->following.get());
    QTest::mouseClick(o, Qt::LeftButton, {}, at(pane->outlineLaid()->rows()[1].frame));
    EXPECT_FALSE(pane->state()->following.get());
    ASSERT_EQ(scrolled.size(), 1u);
    EXPECT_EQ(scrolled[0], (std::pair<double, bool>{1200 - 96, true}));

    // A dive's pane never shows it; narrowing the window fades it out.
    pane->setOutlineAllowed(false);
    settle();
    EXPECT_FALSE(o->isVisible());
    pane->setOutlineAllowed(true);
    EXPECT_TRUE(o->isVisible());
    pane->state()->outline.set({entries[0]});
    settle();
    EXPECT_FALSE(o->isVisible());
}

TEST_F(Pane, TheOutlinesReachedRowFollowsTheScroll) {
    pane->state()->outline.set({{Uuid::random(), Kind::heading, "Why entropy grows", 500},
                                {Uuid::random(), Kind::question, "what is a microstate", 1200}});
    pane->state()->viewport.set(700);
    pane->state()->layout.set(columnAt(300));
    ASSERT_TRUE(pane->outline()->isVisible());
    auto reached = [&] {
        std::optional<size_t> row;
        for (const Outline::Row& r : pane->outlineLaid()->rows())
            if (r.current) row = r.index;
        return row;
    };
    // An entry is reached once its top is less than 245 points (35 % of 700) below the top edge.
    const std::pair<double, std::optional<size_t>> cases[] = {
        {0, std::nullopt}, {300, 0}, {600, 0}, {1000, 1}, {2000, 1}, {200, std::nullopt}};
    for (const auto& [y, row] : cases) {
        pane->state()->scrollY.set(y);
        EXPECT_EQ(reached(), row) << y;
    }
}

// The outline floats over the sheet, so each repaint of the sheet beneath repaints it too;
// it draws its rows again only when what it shows changed, and the sheet publishing the
// same layout, viewport and entries again (it does at every relayout) changes nothing.
TEST_F(Pane, TheOutlineDrawsAgainOnlyWhenWhatItShowsChanged) {
    std::vector<Entry> entries = {{Uuid::random(), Kind::heading, "Why entropy grows", 500},
                                  {Uuid::random(), Kind::question, "what is a microstate", 1200}};
    pane->state()->outline.set(entries);
    pane->state()->viewport.set(700);
    pane->state()->layout.set(columnAt(300));
    SheetPane::Chrome* o = pane->outline();
    ASSERT_TRUE(o->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pane.get()));
    settle();
    o->repaint();
    QApplication::processEvents();
    const int draws = o->draws();
    ASSERT_GT(draws, 0);

    test::Paints paints(o);
    sheet->repaint();  // the paper beneath, drawn again: the outline is put back, not drawn
    o->repaint();
    EXPECT_EQ(o->draws(), draws);
    EXPECT_GT(paints.total(), 0);

    paints.clear();
    pane->state()->outline.notify();
    pane->state()->layout.notify();
    pane->state()->viewport.notify();
    pane->state()->scrollY.set(100);  // no row reached yet: the same rows
    QApplication::processEvents();
    EXPECT_EQ(paints.total(), 0);
    EXPECT_EQ(o->draws(), draws);
    EXPECT_EQ(pane->outlineLaid()->rows().size(), 2u);

    // A row reached, a new entry: drawn again, once each.
    pane->state()->scrollY.set(300);
    o->repaint();
    EXPECT_EQ(o->draws(), draws + 1);
    entries.push_back({Uuid::random(), Kind::dive, "heat death", 2000});
    pane->state()->outline.set(entries);
    o->repaint();
    EXPECT_EQ(o->draws(), draws + 2);
    EXPECT_EQ(pane->outlineLaid()->rows().size(), 3u);
}
