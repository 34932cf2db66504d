// The launch hooks on a notebook model, on the manual clock: the question a notebook was
// begun with, each notebook hook's cases, "-open" and "-appearance".
#include "app/DebugHooks.h"
#include "app/DebugHooksPalette.h"
#include "app/Router.h"

#include "model/NoteTestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace nolby {
namespace {

using test::ModelRig;
using Args = std::vector<std::string>;

class DebugHooksTest : public ::testing::Test {
protected:
    ModelRig rig;
    std::vector<double> stalls;

    void SetUp() override {
        DebugHooks::reset();
        DebugHooks::stallFor = [this](double s) { stalls.push_back(s); };
        Router::shared().pendingQuestion.set(std::nullopt);
    }
    void TearDown() override {
        DebugHooks::reset();
        Router::shared().pendingQuestion.set(std::nullopt);
    }

    void launch(Args args) {
        args.insert(args.begin(), "nolby");
        DebugHooks::setArguments(args);
    }
    // Applies the hooks, recording each note's box as it opens. A note opened at a point
    // stands 3 left of it and 12.24 above it (the click marks its first line's middle).
    std::vector<Point> opened;
    void apply() {
        opened.clear();
        auto watch = rig.model->editing.observe([this] {
            if (const auto& e = rig.model->editing.get(); e && (opened.empty() || !(opened.back() == Point{e->x, e->y})))
                opened.push_back({e->x, e->y});
        });
        DebugHooks::apply(rig.model, rig.store.scheduler);
    }

    void expectOpenedAt(Point at) const {
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_NEAR(opened[0].x, at.x - 3, 1e-9);
        EXPECT_NEAR(opened[0].y, at.y - 12.24, 1e-9);
    }

    // The learner notes on a page: (x, y, text).
    std::vector<TextItem> notes(int page = 0) const {
        std::vector<TextItem> out;
        for (const PageItem& item : rig.model->nb->pages[static_cast<size_t>(page)].items)
            if (item.text()) out.push_back(*item.text());
        return out;
    }
};

TEST_F(DebugHooksTest, ValueReadsTheArgumentsGiven) {
    launch({"-speed", "2", "-write"});
    EXPECT_EQ(DebugHooks::value("-speed"), "2");
    EXPECT_EQ(DebugHooks::value("-write"), std::nullopt);
    DebugHooks::setArguments(std::nullopt);
    // The process's own list: this test binary, first.
    const auto own = DebugHooks::arguments();
    ASSERT_FALSE(own.empty());
    EXPECT_NE(own.front().find("app_tests"), std::string::npos);
}

TEST_F(DebugHooksTest, TheQuestionBegunForANotebookIsWrittenAndAskedHalfASecondLater) {
    struct Case {
        double pageH, y;
    };
    for (const Case c : {Case{1600, 118}, Case{600, 90}}) {
        SetUp();
        launch({"-page", "1", "-ask"});
        rig.open(test::notebookOf({{}}, c.pageH, 600));
        Router::shared().pendingQuestion.set(Router::Pending{rig.model->nb->id, "Why is the sky blue?"});
        rig.tutor->asks = 0;
        apply();
        EXPECT_FALSE(Router::shared().pendingQuestion.get());
        const auto written = notes();
        ASSERT_EQ(written.size(), 1u);
        EXPECT_EQ(written[0].text, "Why is the sky blue?");
        expectOpenedAt({28, c.y});
        rig.scheduler().advance(0.49);
        EXPECT_EQ(rig.tutor->asks, 0);
        rig.scheduler().advance(0.02);
        EXPECT_EQ(rig.tutor->asks, 1);
        // The launch hooks wait for the next notebook shown.
        EXPECT_FALSE(DebugHooks::spent);
        rig.scheduler().advance(1);
        EXPECT_EQ(rig.tutor->asks, 1);
    }
}

TEST_F(DebugHooksTest, AQuestionBegunForAnotherNotebookStaysAndTheHooksApply) {
    launch({"-speed", "3"});
    rig.open(test::notebookOf({{}}, 1600, 600));
    const Router::Pending pending{Uuid::random(), "entropy"};
    Router::shared().pendingQuestion.set(pending);
    apply();
    EXPECT_EQ(Router::shared().pendingQuestion.get(), pending);
    EXPECT_TRUE(notes().empty());
    EXPECT_TRUE(DebugHooks::spent);
    EXPECT_DOUBLE_EQ(rig.model->scribe->speed.get(), 3);
}

TEST_F(DebugHooksTest, AQuestionForANotebookThatIsNoLongerEmptyWaits) {
    rig.open(test::notebookOf({{test::note(200)}}, 1600, 600));
    const Router::Pending pending{rig.model->nb->id, "entropy"};
    Router::shared().pendingQuestion.set(pending);
    apply();
    EXPECT_EQ(Router::shared().pendingQuestion.get(), pending);
    EXPECT_EQ(notes().size(), 1u);
}

TEST_F(DebugHooksTest, PageTakesOnlyANumberWithinThePages) {
    struct Case {
        std::string page;
        int index;
    };
    const Case cases[] = {{"3", 2}, {"1", 0}, {"5", 4}, {"0", 1}, {"6", 1}, {"-2", 1}, {"three", 1}, {"", 1}};
    for (const auto& c : cases) {
        SetUp();
        launch({"-page", c.page});
        rig.open(test::notebookOf({{}, {test::note(100)}, {}, {}, {}}));
        rig.model->pageIndex.set(1);
        apply();
        EXPECT_EQ(rig.model->pageIndex.get(), c.index) << '"' << c.page << '"';
    }
}

TEST_F(DebugHooksTest, SpeedTakesOnlyFiniteValuesAboveZero) {
    struct Case {
        std::string speed;
        double result;
    };
    for (const Case& c : {Case{"2.5", 2.5}, Case{"0", 1}, Case{"-3", 1}, Case{"nan", 1}, Case{"inf", 1}, Case{"x", 1}}) {
        SetUp();
        launch({"-speed", c.speed});
        rig.open(test::notebookOf({{}}));
        apply();
        EXPECT_DOUBLE_EQ(rig.model->scribe->speed.get(), c.result) << c.speed;
    }
}

TEST_F(DebugHooksTest, TheNotebookHooksRunOncePerProcess) {
    launch({"-page", "2"});
    rig.open(test::notebookOf({{}, {}}));
    apply();
    EXPECT_EQ(rig.model->pageIndex.get(), 1);
    rig.model->pageIndex.set(0);
    apply();
    EXPECT_EQ(rig.model->pageIndex.get(), 0);
}

TEST_F(DebugHooksTest, StallBlocksEveryHalfSecondAndIsMadeOnce) {
    launch({"-stall", "40"});
    rig.open(test::notebookOf({{}}));
    apply();
    DebugHooks::spent = false;  // a second pass must not make a second timer
    apply();
    rig.scheduler().advance(1.2);
    EXPECT_EQ(stalls, (std::vector<double>{0.04, 0.04}));
    EXPECT_TRUE(DebugHooks::staller.active());
}

TEST_F(DebugHooksTest, WriteFindsItsPoint) {
    struct Case {
        Args args;
        bool inkOnPage;
        Point at;
        std::string text;
    };
    const double lowest = 300;  // the primed block's ink ends here
    const Case cases[] = {
        {{"-write", "hello"}, false, {28, 90}, "hello"},
        {{"-write", "hello"}, true, {28, lowest + 30}, "hello"},
        {{"-write", "hello", "-writeAt", "40,200"}, true, {40, 200}, "hello"},
        {{"-write", "hello", "-writeAt", "40"}, true, {28, 90}, "hello"},
        {{"-write", R"(one\ntwo\nthree)"}, false, {28, 90}, "one\ntwo\nthree"},
        {{"-write", "hello", "-about", "absent"}, false, {28, 90}, "hello"},
    };
    for (const auto& c : cases) {
        SetUp();
        launch(c.args);
        const auto block = test::paragraph(200);
        std::vector<PageItem> items;
        if (c.inkOnPage) items.push_back(block);
        rig.open(test::notebookOf({items}, 600));  // below 700 high: the first line at 90
        if (c.inkOnPage) test::primeInk(*rig.model, block, 200, lowest);
        apply();
        const auto written = notes();
        ASSERT_EQ(written.size(), 1u) << ::testing::PrintToString(c.args);
        expectOpenedAt(c.at);
        EXPECT_EQ(written[0].text, c.text);
        EXPECT_FALSE(rig.model->editing.get());
    }
}

TEST_F(DebugHooksTest, WriteAboutAWordOnThePageMakesANoteAboutIt) {
    launch({"-write", "the cell's engine", "-about", "mitochondria"});
    const auto block = test::laidBlock(R"({"t":"p","text":"Every cell has mitochondria inside it."})", 150);
    rig.open(test::notebookOf({{block}}));
    apply();
    const auto written = notes();
    ASSERT_EQ(written.size(), 1u);
    EXPECT_TRUE(written[0].anchor);
    EXPECT_EQ(written[0].about, "mitochondria");
    EXPECT_NE(written[0].text.find("the cell's engine"), std::string::npos);
}

TEST_F(DebugHooksTest, ReplayWritesTheCurrentPagesBlocksAgain) {
    launch({"-replay", "-page", "2"});
    const auto first = test::paragraph(100), second = test::paragraph(300), other = test::paragraph(100);
    rig.open(test::notebookOf({{other}, {first, test::note(250), second}}));
    for (const auto& b : {first, second, other}) test::primeInk(*rig.model, b, b.y, b.y + 40);
    apply();
    std::vector<Uuid> queued;
    for (const auto& job : rig.model->scribe->jobs()) queued.push_back(job.item);
    EXPECT_EQ(queued, (std::vector<Uuid>{first.id, second.id}));
    EXPECT_TRUE(rig.model->scribe->complete.count(rig.model->nb->pages[1].id));
}

TEST_F(DebugHooksTest, AskAsksSixTenthsOfASecondLater) {
    launch({"-ask"});
    rig.open(test::notebookOf({{}}));
    apply();
    rig.scheduler().advance(0.59);
    EXPECT_EQ(rig.tutor->asks, 0);
    rig.scheduler().advance(0.02);
    EXPECT_EQ(rig.tutor->asks, 1);
}

TEST_F(DebugHooksTest, LeafAndCurlFreezeAPageTurnOnlyWhereOneCanBe) {
    // Without spread mode there is no leaf; before the view has a size there is no curl.
    launch({"-leaf", "0.5", "-curl", "0.5"});
    rig.open(test::notebookOf({{test::note(100)}, {}}));
    apply();
    EXPECT_FALSE(rig.model->leaf.get());
    EXPECT_FALSE(rig.model->curl.get());

    SetUp();
    launch({"-curl", "0.5"});
    rig.open(test::notebookOf({{test::note(100)}, {}}));
    rig.model->viewSize.set({800, 1000});
    apply();
    ASSERT_TRUE(rig.model->curl.get());
    const auto& curl = *rig.model->curl.get();
    EXPECT_EQ(curl.top, 0);
    EXPECT_EQ(curl.under, 1);
    EXPECT_EQ(curl.corner, (Point{800, 1000}));
    EXPECT_DOUBLE_EQ(curl.finger.x, 800 - 2.35 * 0.5 * 800);
    EXPECT_DOUBLE_EQ(curl.finger.y, 1000 - 0.04 * 0.5 * 1000 - 0.18 * 1000 * std::sin(std::numbers::pi * 0.5));

    SetUp();
    launch({"-leaf", "7"});  // held to 1
    rig.open(test::notebookOf({{test::note(100)}, {}, {}}));
    rig.model->spread.set(true);
    apply();
    ASSERT_TRUE(rig.model->leaf.get());
    EXPECT_DOUBLE_EQ(rig.model->leaf.get()->progress, 1);
    EXPECT_TRUE(rig.model->leaf.get()->forward);
}

TEST_F(DebugHooksTest, OpenFindsItsNotebookOnce) {
    Library& library = *rig.store.library;
    auto a = library.create(869, 400);
    a.title = "Fractions and Ratios";
    library.save(a, true);
    auto b = library.create(869, 400);
    b.title = "Mitochondria";
    library.save(b, true);
    const auto newest = library.issues().front().id;
    struct Case {
        std::string open;
        std::optional<Uuid> id;  // none: nothing; random id: a new notebook
    };
    const Case cases[] = {
        {"newest", newest},
        {"title:fractions", a.id},
        {"title:MITO", b.id},
        {"title:nothing like it", std::nullopt},
        {"title:", std::nullopt},
        {b.id.string(), b.id},
        {Uuid::random().string(), std::nullopt},
        {"Newest", std::nullopt},
    };
    for (const auto& c : cases) {
        DebugHooks::reset();
        launch({"-open", c.open});
        const auto shown = DebugHooks::autoOpenForTesting(library);
        EXPECT_EQ(shown ? std::optional(shown->id) : std::nullopt, c.id) << c.open;
        EXPECT_FALSE(DebugHooks::autoOpenForTesting(library)) << "runs once";
    }
    DebugHooks::reset();
    launch({"-open", "new"});
    const auto made = DebugHooks::autoOpenForTesting(library);
    ASSERT_TRUE(made);
    EXPECT_DOUBLE_EQ(made->pageW, 600);
    EXPECT_DOUBLE_EQ(made->pageH, 1600);
    EXPECT_TRUE(library.notebook(made->id));
}

TEST_F(DebugHooksTest, OpenWithAnEmptyLibraryOrWithoutTheArgumentOpensNothing) {
    launch({"-open", "newest"});
    EXPECT_FALSE(DebugHooks::autoOpenForTesting(*rig.store.library));
    DebugHooks::reset();
    launch({});
    EXPECT_FALSE(DebugHooks::autoOpenForTesting(*rig.store.library));
}

TEST_F(DebugHooksTest, AppearanceIsLightOnlyForExactlyLight) {
    using A = LaunchArguments::Appearance;
    const QPalette before = QApplication::palette();
    struct Case {
        Args args;
        std::optional<A> applied;
    };
    for (const auto& c : {Case{{"-appearance", "light"}, A::light}, Case{{"-appearance", "dark"}, A::dark},
                          Case{{"-appearance", "Light"}, A::dark}, Case{{}, std::nullopt}}) {
        QApplication::setPalette(before);
        launch(c.args);
        EXPECT_EQ(DebugHooks::applyAppearance(), c.applied) << ::testing::PrintToString(c.args);
        const bool dark = QApplication::palette().color(QPalette::Window).lightness() < 128;
        EXPECT_EQ(dark, c.applied == A::dark) << ::testing::PrintToString(c.args);
    }
    QApplication::setPalette(before);
}

}  // namespace
}  // namespace nolby
