// The sheet on screen: real wheel and two-finger events scroll it, stop a glide, turn
// following off and close a dive with a rightward swipe; the scroll bar moves it; focus
// reaches the model; and a notebook's sheet as a reader sees it, written to screenshots/ in
// the build tree.
#include "../../sheet/SheetTestSupport.h"
#include "../../support/Paints.h"

#include "ink/Faces.h"
#include "ink/Mag.h"
#include "ui/sheet/SheetScrollView.h"

#include <QCoreApplication>
#include <QDir>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::test;

namespace {

BlockItem block(double y, const std::string& json) {
    BlockItem b;
    b.json = json;
    b.y = y;
    b.seed = 11;
    return b;
}

struct Shown {
    ModelRig rig;
    std::shared_ptr<SheetState> state = std::make_shared<SheetState>();
    std::unique_ptr<SheetScrollView> view;

    // Pages with ink from 100 to 700 each.
    explicit Shown(int pages, QSize size = {900, 600}) {
        std::vector<std::vector<PageItem>> list;
        std::vector<BlockItem> blocks;
        for (int p = 0; p < pages; ++p) {
            blocks.push_back(paragraph(100));
            list.push_back({blocks.back()});
        }
        NotebookModel& m = rig.open(notebookOf(list));
        for (const BlockItem& b : blocks) primeInk(m, b, 100, 700);
        view = std::make_unique<SheetScrollView>(rig.model, state, rig.store.scheduler);
        view->resize(size);
        view->show();
        settle();
    }
    // Qt's events and the sheet's posted work, until both are quiet (a relayout may show
    // the scroll bar, which narrows the viewport, which asks for a relayout).
    void settle() {
        for (int i = 0; i < 4; ++i) {
            QCoreApplication::processEvents();
            rig.scheduler().runPosted();
        }
    }
    // Sends a wheel event to the viewport as the window system would.
    void wheel(QPoint pixels, QPoint angle, Qt::ScrollPhase phase, bool inverted = false) {
        const QPointF at(view->viewport()->width() / 2.0, view->viewport()->height() / 2.0);
        QWheelEvent e(at, view->viewport()->mapToGlobal(at), pixels, angle, Qt::NoButton, Qt::NoModifier, phase,
                      inverted);
        QCoreApplication::sendEvent(view->viewport(), &e);
    }
};

}  // namespace

TEST(SheetScrollView, AWheelNotchScrollsAndUpwardStopsFollowing) {
    Shown s(4);
    SheetView& sheet = s.view->sheet();
    ASSERT_TRUE(sheet.layout());
    // The sheet is as wide as the viewport beside the scroll bar.
    EXPECT_EQ(s.view->viewportSize(), (Size{double(s.view->viewport()->width()), 600}));
    EXPECT_EQ(sheet.layout()->width, s.view->viewport()->width());
    sheet.scrollTo(200, false);
    EXPECT_EQ(s.view->verticalScrollBar()->value(), 200);
    EXPECT_EQ(s.state->scrollY.get(), 200);

    s.wheel({}, {0, -120}, Qt::NoScrollPhase);  // one notch down
    EXPECT_EQ(s.view->scrollPosition(), 200 + SheetScrollView::kWheelStep);
    EXPECT_TRUE(s.state->following.get());
    s.wheel({}, {0, 120}, Qt::NoScrollPhase);  // back up
    EXPECT_EQ(s.view->scrollPosition(), 200);
    EXPECT_FALSE(s.state->following.get());

    // Touchpad pixels scroll by themselves.
    s.wheel({0, -30}, {0, -240}, Qt::ScrollUpdate);
    EXPECT_EQ(s.view->scrollPosition(), 230);
}

TEST(SheetScrollView, AWheelStopsAGlideWhereItIs) {
    Shown s(4);
    SheetView& sheet = s.view->sheet();
    sheet.scrollTo(0, false);
    sheet.scrollTo(1000, true);
    s.rig.scheduler().advance(0.2);
    ASSERT_TRUE(sheet.gliding());
    const double at = s.view->scrollPosition();
    s.wheel({0, -10}, {0, -80}, Qt::ScrollUpdate);
    EXPECT_FALSE(sheet.gliding());
    EXPECT_EQ(s.view->scrollPosition(), at + 10);
    s.rig.scheduler().advance(0.5);
    EXPECT_EQ(s.view->scrollPosition(), at + 10);
}

TEST(SheetScrollView, ARightwardSwipeClosesADive) {
    struct Case {
        int across, down;
        bool closes;
    } cases[] = {{120, 50, true}, {120, 70, false}};
    for (const Case& c : cases) {
        Shown s(2);
        int closed = 0;
        SheetActions actions;
        actions.close = [&] { ++closed; };
        s.view->setActions(actions);
        s.settle();
        // Natural scrolling: the content follows the fingers, rightward and down.
        s.wheel({0, 0}, {0, 0}, Qt::ScrollBegin, true);
        s.wheel({c.across / 2, c.down / 2}, {c.across * 4, c.down * 4}, Qt::ScrollUpdate, true);
        s.wheel({c.across / 2, c.down / 2}, {c.across * 4, c.down * 4}, Qt::ScrollUpdate, true);
        s.wheel({0, 0}, {0, 0}, Qt::ScrollEnd, true);
        EXPECT_EQ(closed, c.closes ? 1 : 0) << c.across << " " << c.down;
    }
}

TEST(SheetScrollView, TheScrollBarMovesTheSheetAndFocusReachesTheModel) {
    Shown s(4);
    s.view->verticalScrollBar()->setValue(321);
    EXPECT_EQ(s.view->scrollPosition(), 321);
    EXPECT_EQ(s.state->scrollY.get(), 321);

    s.view->clearFocus();
    s.settle();
    s.rig.model->focused.set(false);
    s.view->setFocus();
    s.view->activateWindow();
    s.settle();
    if (s.view->hasFocus()) {
        EXPECT_TRUE(s.rig.model->focused.get());
        EXPECT_EQ(SheetView::current().get(), &s.view->sheet());
    }
    s.view->clearFocus();
    s.settle();
    EXPECT_FALSE(s.rig.model->focused.get());
}

TEST(SheetScrollView, ScreenshotOfANotebooksSheet) {
    Faces::registerFrom();
    Mag::registerFrom();
    ModelRig rig;
    Notebook n = notebookOf({{block(104, R"({"t":"h","text":"Why the sky is blue"})"),
                              block(160, R"({"t":"p","text":"Sunlight holds every colour. Air scatters the short, blue waves far more than the long, red ones, so blue light reaches your eye from every part of the sky."})"),
                              TextItem(note(330, "so why not violet?", 28)),
                              block(400, R"({"t":"p","text":"Violet scatters even more, but the sun sends less of it and our eyes are less sensitive to it."})")},
                             {},
                             {block(104, R"({"t":"p","text":"At sunset the light crosses much more air: the blue is scattered away before it reaches you, and the reds remain."})")}});
    n.title = "Why the sky is blue";
    rig.open(n);
    rig.model->pageIndex.set(2);
    auto state = std::make_shared<SheetState>();
    SheetScrollView view(rig.model, state, rig.store.scheduler);
    view.resize(1000, 760);
    view.show();
    QCoreApplication::processEvents();
    rig.scheduler().runPosted();
    rig.scheduler().drain();
    rig.scheduler().advance(5);  // the writing settles
    QCoreApplication::processEvents();
    view.sheet().becomeFirstResponder();
    ASSERT_TRUE(view.sheet().layout());
    EXPECT_EQ(view.sheet().layout()->slices.size(), 2u);  // the empty middle page is left out
    EXPECT_GE(state->outline->size(), 2u);
    view.sheet().scrollTo(0, false);
    QCoreApplication::processEvents();

    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots";
    QDir().mkpath(dir);
    const QImage shot = view.grab().toImage();
    EXPECT_TRUE(shot.save(dir + "/sheet-notebook.png"));
    view.sheet().scrollTo(1e9, false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(view.grab().toImage().save(dir + "/sheet-notebook-end.png"));
    // Paper at the corner: warm and light.
    EXPECT_GT(qGray(shot.pixel(3, 3)), 200);
}

// A focused sheet whose caret alone blinks does not tick whole frames: it asks for the
// caret's bar at the blink's pace, and for nothing once the caret has stopped blinking.
TEST(SheetScrollView, ABlinkingCaretRepaintsOnlyItsBarAndThenRests) {
    SheetMarks::caretArgument = true;  // the caret shows whether or not the window is active
    Shown s(1);
    s.rig.model->focused.set(true);
    s.view->viewport()->update();
    s.settle();
    s.rig.scheduler().advance(0.3);  // past the prompt's fade
    s.view->viewport()->repaint();
    s.settle();
    SheetMarks::caretArgument = false;
    EXPECT_FALSE(s.view->ticking());
    EXPECT_TRUE(s.view->blinking());
    SheetView& sheet = s.view->sheet();
    const std::optional<SheetMarks::Spot> spot = SheetMarks::spot(*s.rig.model);
    ASSERT_TRUE(spot);
    const std::optional<Rect> caret = sheet.layout()->view(spot->caret, 0);
    ASSERT_TRUE(caret);
    const QRect bar = s.view->blinkRect();
    EXPECT_TRUE(bar.contains(QPoint(int(caret->x + 0.5), int(caret->midY() - s.view->scrollPosition()))));
    EXPECT_LT(bar.width(), 10);

    // Ten blinks on, the caret rests lit: no timer runs and nothing is painted any more.
    SheetMarks::caretArgument = true;
    s.rig.scheduler().advance(11);
    s.view->viewport()->repaint();
    s.settle();
    EXPECT_FALSE(s.view->ticking());
    EXPECT_FALSE(s.view->blinking());
    Paints paints(s.view->viewport());
    QTest::qWait(300);  // several blink steps, were it still blinking
    EXPECT_EQ(paints.total(), 0);

    // The window coming to the front again wakes the blink, lit first.
    QEvent activation(QEvent::ActivationChange);
    QCoreApplication::sendEvent(s.view.get(), &activation);
    s.settle();
    EXPECT_TRUE(s.view->blinking());
    SheetMarks::caretArgument = false;
}
