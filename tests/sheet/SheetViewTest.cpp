// The sheet view headless, on a recording host and the manual clock: one relayout per turn
// of the loop, the opening position, glides, following the pen, wheel gestures and swipes,
// the live pages near the view, the outline, the selection's publication and the drawing.
#include "SheetTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;
using namespace nolby::test;

namespace {

// A heading block at y whose ink is primed separately.
BlockItem heading(double y, std::string text) {
    BlockItem b;
    b.json = R"({"t":"h","text":")" + text + R"("})";
    b.y = y;
    return b;
}

BlockItem diveMark(double y, std::string text) {
    BlockItem b;
    b.json = R"({"t":"hole","text":")" + text + R"("})";
    b.y = y;
    return b;
}

double eased(double t) { return t < 0.5 ? 4 * t * t * t : 1 - std::pow(2 - 2 * t, 3) / 2; }

// A notebook of `pages` pages, each with ink from 100 to `bottom`.
NotebookModel& written(SheetRig& r, double bottom, int pages = 1) {
    std::vector<std::vector<PageItem>> list;
    std::vector<BlockItem> blocks;
    for (int p = 0; p < pages; ++p) {
        blocks.push_back(paragraph(100));
        list.push_back({blocks.back()});
    }
    NotebookModel& m = r.open(notebookOf(list));
    for (const BlockItem& b : blocks) primeInk(m, b, 100, bottom);
    return m;
}

}  // namespace

TEST(SheetView, ManyChangesInOneTurnGiveOneRelayout) {
    SheetRig r;
    NotebookModel& m = written(r, 200);
    SheetView& sheet = r.show();
    EXPECT_EQ(sheet.relayouts(), 1);
    ASSERT_TRUE(sheet.layout());
    EXPECT_EQ(r.state->layout.get(), *sheet.layout());
    EXPECT_EQ(r.state->viewport.get(), 800);
    EXPECT_EQ(m.viewSize.get(), (Size{460, std::round(1.15 * 869)}));
    EXPECT_EQ(r.host.document(), sheet.layout()->height);

    m.pageIndex.set(0);  // equal: no news
    m.tutor.modify([](NotebookModel::TutorStatus& t) { t.thinking = true; });
    m.tutor.modify([](NotebookModel::TutorStatus& t) { t.thinkingAt = NotebookModel::TutorStatus::Mark{0, {50, 400}}; });
    NotebookModel::Editing e;
    e.y = 300;
    e.width = 300;
    m.editing.set(e);
    sheet.setNeedsRelayout();
    r.scheduler().runPosted();
    EXPECT_EQ(sheet.relayouts(), 2);
    r.scheduler().runPosted();
    EXPECT_EQ(sheet.relayouts(), 2);

    // A change seen by an older relayout's watch is dropped once a newer relayout ran.
    m.tutor.modify([](NotebookModel::TutorStatus& t) { t.thinking = false; });
    sheet.relayout();
    EXPECT_EQ(sheet.relayouts(), 3);
    r.scheduler().runPosted();
    EXPECT_EQ(sheet.relayouts(), 3);
}

TEST(SheetView, OpensWithTheLastInk62PercentDownTheViewOnce) {
    SheetRig r;
    NotebookModel& m = written(r, 700);
    SheetView& sheet = r.show();
    ASSERT_TRUE(sheet.placed());
    const SheetLayout::Slice& s = sheet.layout()->slices.back();
    EXPECT_DOUBLE_EQ(r.host.y(), s.y + 1.15 * (700 - s.top) - 0.62 * 800);
    EXPECT_EQ(r.state->scrollY.get(), r.host.y());

    sheet.scrollTo(10, false);
    m.tutor.modify([](NotebookModel::TutorStatus& t) { t.thinking = true; });
    r.scheduler().runPosted();
    EXPECT_EQ(r.host.y(), 10);  // later relayouts leave the position alone
}

TEST(SheetView, AnEmptyNotebookOpensAtTheTop) {
    SheetRig r;
    r.open(notebookOf({{}}));
    r.host.size = {1000, 300};
    SheetView& sheet = r.show();
    EXPECT_TRUE(sheet.placed());
    EXPECT_EQ(r.host.y(), 0);
}

TEST(SheetView, TheOpeningWaitsForTheHeadsHeight) {
    SheetRig r;
    written(r, 700);
    auto head = std::make_shared<FixedHead>(0);
    SheetView& sheet = r.show(head);
    EXPECT_FALSE(sheet.placed());
    EXPECT_EQ(sheet.layout()->head, 0);

    head->height = 240.2;
    head->tell();
    r.scheduler().runPosted();
    EXPECT_TRUE(sheet.placed());
    EXPECT_EQ(sheet.headHeight(), 241);
    EXPECT_EQ(sheet.layout()->head, 241);
    EXPECT_EQ(sheet.layout()->slices.front().y, 241);
}

TEST(SheetView, ScrollingClampsJumpsAndGlides) {
    SheetRig r;
    written(r, 400, 6);  // a tall sheet
    r.host.size = {1000, 400};
    SheetView& sheet = r.show();
    sheet.scrollTo(0, false);
    const double end = sheet.layout()->height - 400;
    ASSERT_GT(end, 1000);

    struct Case {
        double from, to, expect;
        bool animated;
    } jumps[] = {
        {100, -50, 0, false}, {100, 1e9, end, false}, {100, 100.8, 100.8, true}, {100, 250, 250, false},
    };
    for (const Case& c : jumps) {
        sheet.scrollTo(c.from, false);
        sheet.scrollTo(c.to, c.animated);
        EXPECT_FALSE(sheet.gliding()) << c.to;
        EXPECT_EQ(r.host.y(), c.expect) << c.to;
    }

    sheet.scrollTo(0, false);
    sheet.scrollTo(800, true);
    EXPECT_TRUE(sheet.gliding());
    r.scheduler().advance(0.125);
    EXPECT_NEAR(r.host.y(), 800 * eased(0.25), 800 * 0.02);  // ticks fall on 1/120 s
    r.scheduler().advance(0.125);
    EXPECT_NEAR(r.host.y(), 400, 800 * 0.02);
    // A second glide starts again from where the first one is.
    const double midway = r.host.y();
    sheet.scrollTo(0, true);
    r.scheduler().advance(0.251);
    EXPECT_NEAR(r.host.y(), midway / 2, midway * 0.03);
    r.scheduler().advance(0.3);
    EXPECT_EQ(r.host.y(), 0);
    EXPECT_FALSE(sheet.gliding());

    // Any wheel event stops a glide where it is.
    sheet.scrollTo(600, true);
    r.scheduler().advance(0.1);
    sheet.wheel({0, -3, SheetView::Wheel::Phase::changed, false});
    const double stopped = r.host.y();
    r.scheduler().advance(0.5);
    EXPECT_EQ(r.host.y(), stopped);
    EXPECT_FALSE(sheet.gliding());
}

TEST(SheetView, FollowsThePenFrom72PercentBackTo40) {
    struct Case {
        double at;  // the pen's place in the view
        bool moves;
    } cases[] = {{0.71, false}, {0.73, true}};
    for (const Case& c : cases) {
        SheetRig r;
        NotebookModel& m = written(r, 700);
        m.tutor.modify([](NotebookModel::TutorStatus& t) { t.thinking = true; });
        SheetView& sheet = r.show(nullptr, true);
        sheet.scrollTo(0, false);
        const SheetLayout::Slice& s = sheet.layout()->slices[0];
        // The pen of a thinking tutor is 30 below its mark.
        const double pen = c.at * 800;
        m.tutor.modify([&](NotebookModel::TutorStatus& t) {
            t.thinkingAt = NotebookModel::TutorStatus::Mark{0, {50, s.top + (pen - 30 - s.y) / 1.15}};
        });
        r.scheduler().runPosted();
        r.scheduler().advance(0.2);
        EXPECT_EQ(sheet.gliding(), c.moves) << c.at;
        r.scheduler().advance(0.6);
        EXPECT_NEAR(r.host.y(), c.moves ? pen - 0.4 * 800 : 0, 1e-6) << c.at;
        EXPECT_FALSE(r.state->writingBelow.get());
    }
}

TEST(SheetView, WritingBelowShowsWhileNotFollowing) {
    SheetRig r;
    NotebookModel& m = written(r, 200);
    r.host.size = {1000, 400};
    SheetView& sheet = r.show(nullptr, true);
    const SheetLayout::Slice& s = sheet.layout()->slices[0];
    m.tutor.modify([&](NotebookModel::TutorStatus& t) {
        t.thinking = true;
        t.thinkingAt = NotebookModel::TutorStatus::Mark{0, {50, s.top + (600 - 30 - s.y) / 1.15}};
    });
    r.scheduler().runPosted();
    r.state->following.set(false);
    r.scheduler().advance(0.2);
    EXPECT_TRUE(r.state->writingBelow.get());
    EXPECT_EQ(r.host.y(), 0);  // not followed

    sheet.catchUp();
    EXPECT_TRUE(r.state->following.get());
    r.scheduler().advance(0.6);
    EXPECT_FALSE(r.state->writingBelow.get());
}

// The pen is watched only while there is one: a sheet in a window whose tutor rests keeps no
// clock running, and "Writing below" goes the moment the tutor stops.
TEST(SheetView, ThePenIsWatchedOnlyWhileTheTutorThinksOrWrites) {
    SheetRig r;
    NotebookModel& m = written(r, 200);
    r.host.size = {1000, 400};
    SheetView& sheet = r.show(nullptr, true);
    r.scheduler().advance(1);
    const size_t resting = r.scheduler().timerCount();
    EXPECT_EQ(resting, 0u);

    const SheetLayout::Slice& s = sheet.layout()->slices[0];
    r.state->following.set(false);
    m.tutor.modify([&](NotebookModel::TutorStatus& t) {
        t.thinking = true;
        t.thinkingAt = NotebookModel::TutorStatus::Mark{0, {50, s.top + (600 - 30 - s.y) / 1.15}};
    });
    r.scheduler().runPosted();
    EXPECT_EQ(r.scheduler().timerCount(), resting + 1);
    r.scheduler().advance(0.2);
    EXPECT_TRUE(r.state->writingBelow.get());

    m.tutor.modify([](NotebookModel::TutorStatus& t) { t.thinking = false; });
    r.scheduler().runPosted();
    EXPECT_FALSE(r.state->writingBelow.get());
    EXPECT_EQ(r.scheduler().timerCount(), resting);

    // Out of the window, nothing is watched even while the tutor thinks.
    sheet.attach(false);
    m.tutor.modify([](NotebookModel::TutorStatus& t) { t.thinking = true; });
    r.scheduler().runPosted();
    EXPECT_EQ(r.scheduler().timerCount(), resting);
}

TEST(SheetView, SwipesCloseADiveOnlyRightwardAndMostlyAcross) {
    using Phase = SheetView::Wheel::Phase;
    struct Case {
        double across, down;
        bool dive, closes;
    } cases[] = {
        {120, 50, true, true}, {120, 70, true, false}, {-120, 0, true, false}, {120, 50, false, false},
    };
    for (const Case& c : cases) {
        SheetRig r;
        written(r, 200);
        SheetView& sheet = r.show();
        int closed = 0;
        SheetActions actions;
        if (c.dive) actions.close = [&] { ++closed; };
        sheet.setActions(actions);
        // Natural scrolling: the content follows the fingers.
        EXPECT_FALSE(sheet.wheel({c.across / 2, c.down / 2, Phase::began, true}));
        EXPECT_FALSE(sheet.wheel({c.across / 2, c.down / 2, Phase::changed, true}));
        EXPECT_EQ(sheet.wheel({0, 0, Phase::ended, true}), c.closes);
        sheet.wheel({5, 0, Phase::momentum, true});
        EXPECT_EQ(closed, c.closes ? 1 : 0) << c.across << " " << c.down;
    }
}

TEST(SheetView, AWheelWithoutPhasesEndsItsGestureAfter120msOfQuiet) {
    SheetRig r;
    written(r, 200);
    SheetView& sheet = r.show();
    int closed = 0;
    SheetActions actions;
    actions.close = [&] { ++closed; };
    sheet.setActions(actions);

    sheet.wheel({-70, 0, SheetView::Wheel::Phase::none, false});  // fingers 70 to the right
    r.scheduler().advance(0.13);                                  // the quiet ends it: too short
    sheet.wheel({-70, 0, SheetView::Wheel::Phase::none, false});  // a new gesture
    EXPECT_EQ(closed, 0);
    r.scheduler().advance(0.1);
    sheet.wheel({-70, 0, SheetView::Wheel::Phase::none, false});  // the same gesture: 140
    EXPECT_EQ(closed, 0);
    r.scheduler().advance(0.119);
    EXPECT_EQ(closed, 0);
    r.scheduler().advance(0.002);
    EXPECT_EQ(closed, 1);
}

TEST(SheetView, WheelingUpStopsFollowingAndTheEndResumesIt) {
    SheetRig r;
    written(r, 200, 4);
    r.host.size = {1000, 400};
    SheetView& sheet = r.show();
    sheet.scrollTo(300, false);
    EXPECT_TRUE(r.state->following.get());
    sheet.wheel({0, -10, SheetView::Wheel::Phase::changed, false});  // down: still following
    EXPECT_TRUE(r.state->following.get());
    sheet.wheel({0, 10, SheetView::Wheel::Phase::changed, false});
    EXPECT_FALSE(r.state->following.get());
    sheet.scrollTo(sheet.layout()->height - 400 - 61, false);
    EXPECT_FALSE(r.state->following.get());
    sheet.scrollTo(sheet.layout()->height - 400 - 59, false);
    EXPECT_TRUE(r.state->following.get());
}

TEST(SheetView, OnlyPagesNearTheViewAndTheLastPageAreLive) {
    SheetRig r;
    written(r, 800, 8);  // eight slices about 850 points tall each
    r.host.size = {1000, 400};
    SheetView& sheet = r.show();
    const SheetLayout& l = *sheet.layout();
    ASSERT_EQ(l.slices.size(), 8u);
    sheet.scrollTo(0, false);
    EXPECT_EQ(sheet.hostedPages(), (std::vector<int>{0, 1, 7}));  // live band to y 900
    sheet.scrollTo(l.slices[4].y, false);
    std::vector<int> near;
    for (const auto& s : l.slices)
        if (s.y < l.slices[4].y + 900 && l.bottom(s) > l.slices[4].y - 500) near.push_back(s.page);
    if (near.back() != 7) near.push_back(7);
    EXPECT_EQ(sheet.hostedPages(), near);
}

TEST(SheetView, TheOutlineListsHeadingsQuestionsAndDivesInSheetOrder) {
    SheetRig r;
    BlockItem h1 = heading(100, "Entropy"), para = paragraph(150), h2 = heading(100, "Heat");
    BlockItem hole = diveMark(160, "disorder");
    TextItem asked = note(300, "  why is that?\n"), margin = note(250, "what", 40);
    margin.about = "the words";
    NotebookModel& m = r.open(notebookOf({{para, h1, asked, margin, hole}, {h2}}));
    primeInk(m, h1, 100, 120);
    primeInk(m, para, 150, 240);
    primeInk(m, hole, 160, 180);
    primeInk(m, asked, 300, 320);
    primeInk(m, margin, 250, 270);
    primeInk(m, h2, 100, 120);
    SheetView& sheet = r.show();
    const SheetLayout& l = *sheet.layout();
    using Kind = SheetState::Entry::Kind;
    const std::vector<SheetState::Entry> want = {
        {h1.id, Kind::heading, "Entropy", l.slices[0].y + 1.15 * (100 - l.slices[0].top)},
        {hole.id, Kind::dive, "disorder", l.slices[0].y + 1.15 * (160 - l.slices[0].top)},
        {margin.id, Kind::question, "the words", l.slices[0].y + 1.15 * (250 - l.slices[0].top)},
        {asked.id, Kind::question, "why is that?", l.slices[0].y + 1.15 * (300 - l.slices[0].top)},
        {h2.id, Kind::heading, "Heat", l.slices[1].y + 1.15 * (100 - l.slices[1].top)},
    };
    EXPECT_EQ(r.state->outline.get(), want);

    int told = 0;
    Subscription watch = r.state->outline.observe([&] { ++told; });
    sheet.outline();
    EXPECT_EQ(told, 0);

    // The note being typed is not listed.
    NotebookModel::Editing e;
    e.id = asked.id;
    e.y = 300;
    e.width = 300;
    e.isNew = false;
    m.editing.set(e);
    sheet.outline();
    EXPECT_EQ(r.state->outline->size(), 4u);
}

TEST(SheetView, PublishesTheSelectionInViewCoordinatesButNotDuringADrag) {
    SheetRig r;
    written(r, 700);
    SheetView& sheet = r.show();
    sheet.scrollTo(100, false);
    bool drag = false;
    std::vector<Rect> lines = {{300, 400, 80, 20}, {300, 424, 40, 20}};
    sheet.setSelectionSource({[&] { return lines; }, [] { return std::string("entropy"); }, [&] { return drag; }});
    EXPECT_EQ(r.state->selection.get(), (SheetState::Selection{{300, 300, 80, 20}, "entropy"}));
    EXPECT_EQ(sheet.highlight(), lines);
    sheet.scrollTo(150, false);
    EXPECT_EQ(r.state->selection.get()->rect.y, 250);

    drag = true;
    sheet.drawSelection();
    EXPECT_FALSE(r.state->selection.get());
    EXPECT_EQ(sheet.highlight(), lines);  // the highlight follows the drag; the bar waits
    drag = false;
    lines.clear();
    sheet.drawSelection();
    EXPECT_FALSE(r.state->selection.get());
    EXPECT_TRUE(sheet.highlight().empty());
}

TEST(SheetView, TheWordsTheLearnerSelectsAreHighlightedAndPublished) {
    SheetRig r;
    BlockItem words = paragraph(120, "Entropy measures disorder.");
    r.open(notebookOf({{words}}));
    SheetView& sheet = r.show();
    const std::vector<NotebookModel::Word>& list = sheet.pointer().words().words(r.model(), 0);
    ASSERT_GE(list.size(), 2u);
    const Rect at = *sheet.layout()->view(list[0].rect, 0);
    sheet.pointer().down({at.midX(), at.midY()}, 2, false);  // a double click selects the word
    sheet.pointer().up();
    ASSERT_TRUE(r.state->selection.get());
    EXPECT_EQ(r.state->selection.get()->text, "Entropy");
    EXPECT_EQ(sheet.highlight().size(), 1u);
    EXPECT_EQ(r.state->selection.get()->rect.y, sheet.highlight()[0].y - r.host.y());
}

TEST(SheetView, RegistriesAndFocus) {
    SheetRig a, b;
    a.open(notebookOf({{}}));
    b.open(notebookOf({{}}));
    SheetView& first = a.show();
    {
        SheetRig gone;
        gone.open(notebookOf({{}}));
        gone.show();
    }
    SheetView& second = b.show();
    std::vector<std::shared_ptr<SheetView>> live = SheetView::all();
    ASSERT_GE(live.size(), 2u);
    EXPECT_EQ(live[live.size() - 2].get(), &first);
    EXPECT_EQ(live.back().get(), &second);
    EXPECT_EQ(a.state->sheet.lock().get(), &first);

    int focused = 0;
    SheetActions actions;
    actions.focused = [&] { ++focused; };
    second.setActions(actions);
    a.model().focused.set(false);
    first.becomeFirstResponder();
    EXPECT_TRUE(a.model().focused.get());
    EXPECT_EQ(SheetView::current().get(), &first);
    second.becomeFirstResponder();
    EXPECT_EQ(focused, 1);
    first.resignFirstResponder();
    EXPECT_FALSE(a.model().focused.get());
    EXPECT_EQ(SheetView::current().get(), &second);  // resigning does not clear it

    // In a window, a focused model takes keyboard focus back.
    b.host.focusCalls = 0;
    second.attach(true);
    EXPECT_EQ(b.host.focusCalls, 1);
}

TEST(SheetView, DrawsPaperPagesAndCaretInOnePass) {
    SheetRig r;
    r.open(notebookOf({{}}));
    r.host.size = {600, 400};
    SheetView& sheet = r.show();
    sheet.becomeFirstResponder();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1200, 800);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, 2, 2);
    sheet.paint(cr, r.scheduler().now());
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const auto pixel = [&](double x, double y) {
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        return *reinterpret_cast<const uint32_t*>(data + int(y * 2) * stride + int(x * 2) * 4);
    };
    // Paper everywhere: opaque and light.
    EXPECT_EQ(pixel(5, 5) >> 24, 0xffu);
    EXPECT_GT((pixel(5, 5) >> 16) & 0xff, 0xe0u);
    // The caret at the typing spot, in the learner's blue.
    const SheetLayout& l = *sheet.layout();
    const Rect caret = *l.view(SheetMarks::spot(r.model())->caret, 0);
    const uint32_t c = pixel(caret.x + 0.8, caret.midY());
    EXPECT_LT((c >> 16) & 0xff, 0x80u);
    EXPECT_GT(c & 0xff, (c >> 16) & 0xff);
    EXPECT_TRUE(sheet.animating(r.scheduler().now()));  // it blinks
    cairo_surface_destroy(surface);
}

// While the caret's blink is all that moves, the sheet names the little rectangle of its
// bar and how long the bar stays lit, so the host need not redraw the whole view; anything
// else moving (here the prompt fading in) or nothing moving gives none.
TEST(SheetView, ACaretBlinkingAloneAsksForItsBarOnly) {
    SheetRig r;
    r.open(notebookOf({{}}));
    r.host.size = {600, 400};
    SheetView& sheet = r.show();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 600, 400);
    cairo_t* cr = cairo_create(surface);
    auto frame = [&] {
        sheet.paint(cr, r.scheduler().now());
        return sheet.blinkOnly(r.scheduler().now());
    };
    r.model().focused.set(false);
    EXPECT_FALSE(frame());  // no focus: no caret, nothing moves
    EXPECT_FALSE(sheet.animating(r.scheduler().now()));

    sheet.becomeFirstResponder();
    EXPECT_FALSE(frame());  // the prompt fades in
    EXPECT_TRUE(sheet.animating(r.scheduler().now()));

    r.scheduler().advance(0.3);
    const std::optional<SheetView::Blink> lit = frame();
    ASSERT_TRUE(lit);
    const Rect caret = *sheet.layout()->view(SheetMarks::spot(r.model())->caret, 0);
    EXPECT_TRUE(lit->rect.contains({caret.x + 0.5, caret.midY()}));
    EXPECT_LT(lit->rect.width(), 8);
    EXPECT_LT(lit->rect.height(), caret.height() + 5);
    EXPECT_GT(lit->wait, 0.15);  // the caret appeared with the focus, 0.3 s ago
    EXPECT_LE(lit->wait, 0.2 + 1e-9);

    r.scheduler().advance(0.5);
    const std::optional<SheetView::Blink> fading = frame();
    ASSERT_TRUE(fading);
    EXPECT_GT(fading->wait, 0.03);  // until its next step of opacity
    EXPECT_LT(fading->wait, 0.25);
    EXPECT_EQ(fading->rect, lit->rect);

    // Ten blinks on, the caret rests lit and nothing moves any more.
    r.scheduler().advance(10);
    EXPECT_FALSE(frame());
    EXPECT_FALSE(sheet.animating(r.scheduler().now()));

    r.host.active = false;  // an inactive window shows no caret
    EXPECT_FALSE(frame());
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
