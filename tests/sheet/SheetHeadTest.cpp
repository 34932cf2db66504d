#include "model/ModelTestSupport.h"
#include "page/PageTestSupport.h"
#include "sheet/SheetChromeShots.h"

#include "ink/Mag.h"
#include "platform/Canvas.h"
#include "sheet/FlowRow.h"
#include "sheet/SheetHead.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace nolby;
using namespace nolby::testing;

namespace {

std::string planOf(int n) {
    std::string s = R"({"steps":[)";
    for (int i = 1; i <= n; ++i) s += (i > 1 ? "," : "") + std::string("\"Step ") + std::to_string(i) + "\"";
    return s + "]}";
}

// The middle of August 2026, in the third quarter in every time zone.
Date august2026() {
    using namespace std::chrono;
    return ReferenceClock::fromSys(sys_days{year{2026} / August / 15});
}

class Head : public ::testing::Test {
protected:
    void SetUp() override { registerFonts(); }
};

}  // namespace

TEST_F(Head, IssueNumbersHaveAtLeastThreeDigits) {
    const struct {
        std::optional<int64_t> issue;
        const char* shown;
    } cases[] = {{std::nullopt, "NO. 001"}, {0, "NO. 001"}, {1, "NO. 001"}, {-5, "NO. 001"},
                 {2, "NO. 002"},           {12, "NO. 012"}, {1234, "NO. 1234"}};
    for (const auto& c : cases) EXPECT_EQ(SheetHead::issueNumber(titled("x", c.issue)), c.shown);

    Notebook nb = titled("x", 12);
    nb.created = august2026();
    EXPECT_EQ(SheetHead::issueKicker(nb), "NO. 012  \u2022  Q3 2026");
}

TEST_F(Head, ModeLabels) {
    EXPECT_EQ(SheetHead::modeLabel("explore"), "YOU LEAD");
    EXPECT_EQ(SheetHead::modeLabel("think"), "YOU WORK IT OUT");
    EXPECT_EQ(SheetHead::modeLabel("lesson"), "NOLBY LEADS");
    EXPECT_EQ(SheetHead::modeLabel(""), "NOLBY LEADS");
}

TEST_F(Head, PlanStepsAreTheFirstSevenOfAJsonObject) {
    const struct {
        std::optional<std::string> plan;
        std::vector<std::string> steps;
    } cases[] = {
        {std::nullopt, {}},
        {"not json", {}},
        {R"(["a","b"])", {}},
        {R"({"goal":"x"})", {}},
        {R"({"steps":[]})", {}},
        {R"({"steps":["Add",2,{"x":1},null,"Check"]})", {"Add", "2", "Check"}},
        {planOf(9), {"Step 1", "Step 2", "Step 3", "Step 4", "Step 5", "Step 6", "Step 7"}},
    };
    for (const auto& c : cases) {
        Notebook nb;
        nb.plan = c.plan;
        EXPECT_EQ(SheetHead::planSteps(nb), c.steps) << c.plan.value_or("(none)");
    }
}

TEST_F(Head, ANewIssueIsFaintAndHasNoSteps) {
    const SheetHead::Laid l = SheetHead::issue(Notebook{}, 1, 600, false);
    ASSERT_EQ(l.title.block.lines.size(), 1u);
    EXPECT_EQ(l.title.block.lines[0].run.text, "A new issue");
    EXPECT_DOUBLE_EQ(l.title.color.a, 0.25);
    EXPECT_TRUE(l.steps.empty());
    EXPECT_FALSE(l.cover);

    const SheetHead::Laid real = SheetHead::issue(titled("Fractions"), 1, 600, false);
    EXPECT_DOUBLE_EQ(real.title.color.a, 1);
    ASSERT_TRUE(real.mode);
    EXPECT_EQ(real.mode->block.lines[0].run.text, "NOLBY LEADS");
    EXPECT_NEAR(real.mode->frame().maxX(), 600, 1e-9);  // flush right
}

TEST_F(Head, StepsTakenAreFadedTheCurrentIsMarkedAndTheRestAreGrey) {
    Notebook nb = titled("Fractions");
    nb.plan = planOf(9);
    nb.step = 3;
    nb.color = "blue";
    const SheetHead::Laid l = SheetHead::issue(nb, 1, 600, false);
    ASSERT_EQ(l.steps.size(), 7u);  // 7 of 9 steps
    const Color accent = Color::hex(Mag::inks("blue").a);
    for (const SheetHead::Step& s : l.steps) {
        SCOPED_TRACE(s.n);
        EXPECT_EQ(s.number.block.lines[0].run.text, chrome::zeroPadded(s.n, 2));
        EXPECT_EQ(s.number.color, s.n <= 3 ? accent : Mag::black.withAlpha(0.35));
        EXPECT_EQ(s.text.color, Mag::black.withAlpha(s.n < 3 ? 0.4 : 0.82));
        // Number and text stand on one baseline, 5 apart.
        EXPECT_NEAR(s.number.baseline(), s.text.baseline(), 1e-9);
        EXPECT_NEAR(s.text.at.x - s.number.frame().maxX(), 5, 1e-9);
    }
    // The row starts 12 below the title and wraps within the width.
    EXPECT_NEAR(l.steps[0].frame.y, l.title.frame().maxY() + 12, 1e-9);
    for (const SheetHead::Step& s : l.steps) EXPECT_LE(s.frame.maxX(), 600 + 1e-9);
    EXPECT_NEAR(l.height, l.steps.back().frame.maxY(), 1e-9);
}

TEST_F(Head, DeepDiveHeadsNameTheirSource) {
    Notebook parent = titled("Entropy");
    EXPECT_EQ(SheetHead::diveKicker(parent), "DEEP DIVE  \u2022  FROM \u201CENTROPY\u201D");
    EXPECT_EQ(SheetHead::diveKicker(titled("")), "DEEP DIVE  \u2022  FROM \u201CUNTITLED\u201D");
    EXPECT_EQ(SheetHead::diveKicker(std::nullopt), "DEEP DIVE  \u2022  FROM \u201CTHE ISSUE\u201D");

    Notebook dive = titled("Heat Death");
    dive.from = "heat death";
    EXPECT_FALSE(SheetHead::diveSubtitle(dive));
    dive.title = "Why the universe runs down";
    EXPECT_EQ(SheetHead::diveSubtitle(dive), "Why the universe runs down");
    dive.title = "";
    EXPECT_FALSE(SheetHead::diveSubtitle(dive));
}

TEST_F(Head, TheCloseButtonOnlyWithACloseAction) {
    Notebook dive = titled("x");
    dive.from = "entropy";
    const SheetHead::Laid without = SheetHead::dive(dive, 1, 500, std::nullopt, false);
    EXPECT_FALSE(without.close);
    const SheetHead::Laid with = SheetHead::dive(dive, 1, 500, std::nullopt, true);
    ASSERT_TRUE(with.close);
    EXPECT_EQ(with.close->w, 26);
    EXPECT_EQ(with.close->h, 26);
    EXPECT_EQ(with.close->maxX(), 500);
    EXPECT_EQ(with.title.block.lines[0].run.text, "\u201Centropy\u201D");
    ASSERT_TRUE(with.subtitle);
}

TEST_F(Head, SizesFollowTheSheetScaleAndTheFixedRoomStays) {
    test::ModelRig rig;
    Notebook nb = titled("Fractions", 3);
    rig.open(nb);
    auto at = [&](double scale) {
        SheetHead head(rig.model, 600, scale, nullptr, nullptr);
        return head.laid();
    };
    const SheetHead::Laid nominal = at(1.1), half = at(0.55);
    // k = 0.5: every size in multiples of k halves; the 64 above, the rule and the 8 below stay.
    EXPECT_NEAR(half.height - 73, (nominal.height - 73) / 2, 1e-9);
    EXPECT_NEAR(half.title.block.size, 23, 1e-9);
    EXPECT_NEAR(nominal.title.block.size, 46, 1e-9);
    EXPECT_EQ(nominal.kicker.at.y, 64);
    EXPECT_EQ(half.rule.h, 1);
    EXPECT_NEAR(nominal.rule.y - nominal.title.frame().maxY(), 18, 1e-9);
    EXPECT_NEAR(half.rule.y - half.title.frame().maxY(), 9, 1e-9);
    EXPECT_EQ(nominal.height, nominal.rule.maxY() + 8);
}

TEST_F(Head, TheCoverStripComesWithThePressAndTheHeightIsReported) {
    test::ModelRig rig;
    Notebook nb = titled("Fractions, and why halves of halves are quarters", 3);
    nb.plan = R"({"steps":["Halves","Quarters of a pizza","Adding unlike parts","Common denominators","Checking",6,7,8,9]})";
    nb.step = 3;
    nb.mode = "think";
    rig.open(nb);
    auto press = std::make_shared<FakePress>();
    std::vector<double> heights;
    SheetHead head(rig.model, 500, 1.1, nullptr, [&](double h) { heights.push_back(h); }, {press, nullptr});
    ASSERT_EQ(heights.size(), 1u);
    EXPECT_FALSE(head.laid().cover);
    head.refresh();
    EXPECT_EQ(heights.size(), 1u);  // the same height is not reported again

    press->covers[nb.id] = solidImage(320, 200, Color{0.9, 0.1, 0.1, 1});
    head.refresh();
    ASSERT_TRUE(head.laid().cover);
    EXPECT_EQ(*head.laid().cover, (Rect{0, 64, 500, 150}));
    EXPECT_NEAR(head.laid().kicker.at.y, 64 + 150 + 22, 1e-9);
    ASSERT_EQ(heights.size(), 2u);
    EXPECT_NEAR(heights[1] - heights[0], 172, 1e-9);
    EXPECT_EQ(press->asked.back(), 1600);

    Canvas c(500, head.height(), 2);
    c.fill(Color::hex(0xF4F1EA));
    head.draw(c.cr());
    keepPng(c, "sheet-head-issue.png");
    const Color mid = c.pixel(500, 2 * 140);
    EXPECT_GT(mid.r, 0.6);
    EXPECT_LT(mid.g, 0.35);
    EXPECT_NEAR(c.pixel(0, 2 * 64).r, Color::hex(0xF4F1EA).r, 0.01) << "the strip's corners are rounded";
}

TEST_F(Head, TheModelsChangesLayTheHeadOutAgain) {
    test::ModelRig rig;
    Notebook nb = titled("Short");
    rig.open(nb);
    std::vector<double> heights;
    SheetHead head(rig.model, 400, 1.1, nullptr, [&](double h) { heights.push_back(h); });
    int redraws = 0;
    head.changed = [&] { ++redraws; };
    // A change the head does not show (a page gains a note) lays nothing out again.
    Notebook typed = rig.model->nb.get();
    typed.pages[0].items.push_back(test::note(200));
    typed.updated = typed.updated + ReferenceClock::duration(1);
    rig.model->nb.set(typed);
    EXPECT_EQ(redraws, 0);

    Notebook longer = rig.model->nb.get();
    longer.title = "A much longer title that runs over more than one line of the head";
    longer.updated = longer.updated + ReferenceClock::duration(1);
    rig.model->nb.set(longer);
    ASSERT_EQ(heights.size(), 2u);
    EXPECT_EQ(redraws, 1);
    EXPECT_GT(heights[1], heights[0]);
    EXPECT_LE(head.laid().title.block.lines.size(), 3u);
}

TEST_F(Head, AsTheSheetsHeadItLaysOutForTheColumnAndTellsOfChanges) {
    test::ModelRig rig;
    rig.open(titled("Fractions"));
    auto head = std::make_shared<SheetHead>(rig.model, 100, 1.1, nullptr, nullptr);
    std::shared_ptr<SheetHeadSource> source = head;
    int changes = 0;
    source->onChange([&] { ++changes; });
    const double h = source->layout(460, 1.15);
    EXPECT_EQ(head->width(), 460);
    EXPECT_EQ(h, head->height());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(source->layout(460, 1.15), h);  // nothing new: no change told
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(source->animating(0));
}

TEST_F(Head, ADiveHeadDrawsItsCloseButton) {
    test::ModelRig rig;
    Notebook dive = titled("Why the universe runs down");
    dive.parent = Uuid::random();
    dive.from = "heat death";
    dive.color = "red";
    rig.open(dive);
    int closed = 0;
    SheetHead head(rig.model, 520, 1.1, [&] { ++closed; }, nullptr);
    ASSERT_TRUE(head.isDive());
    ASSERT_TRUE(head.laid().close);
    const Rect b = *head.laid().close;
    EXPECT_TRUE(head.hitsClose({b.midX(), b.midY()}));
    EXPECT_FALSE(head.hitsClose({b.minX() - 2, b.midY()}));
    head.pressClose();
    EXPECT_EQ(closed, 1);

    Canvas c(520, head.height(), 2);
    c.fill(Color::hex(0xF4F1EA));
    head.draw(c.cr());
    keepPng(c, "sheet-head-dive.png");
    // The cross's centre is dark on the light glass.
    EXPECT_LT(c.pixel(static_cast<int>(2 * b.midX()), static_cast<int>(2 * b.midY())).r, 0.5);
}

TEST(FlowRow, RowsWrapAndWideItemsStandAlone) {
    const FlowRow row{10, 4};
    const std::vector<Size> items = {{40, 10}, {50, 20}, {30, 12}, {200, 8}, {20, 5}};
    EXPECT_EQ(row.sizeThatFits(100, items), (Size{100, 20 + 4 + 12 + 4 + 8 + 4 + 5}));
    const std::vector<Point> at = row.placeSubviews({5, 7, 100, 0}, items);
    const std::vector<Point> expected = {{5, 7}, {55, 7}, {5, 31}, {5, 47}, {5, 59}};
    EXPECT_EQ(at, expected);
    // The overhanging item still counts only up to the width.
    EXPECT_EQ(row.sizeThatFits(100, {{200, 8}}), (Size{100, 8}));
    // Without a width everything stands in one row.
    EXPECT_EQ(row.sizeThatFits(std::nullopt, items), (Size{40 + 50 + 30 + 200 + 20 + 40, 20}));
    EXPECT_EQ(row.sizeThatFits(100, {}), (Size{0, 0}));
    EXPECT_TRUE(row.placeSubviews({0, 0, 100, 0}, {}).empty());
}
