#include "page/PageTestSupport.h"
#include "sheet/SheetChromeShots.h"

#include "ink/Ink.h"
#include "platform/Canvas.h"
#include "platform/layers/LayerRender.h"
#include "sheet/SheetChrome.h"
#include "sheet/SheetChromeBar.h"
#include "sheet/SheetChromeMotion.h"
#include "sheet/SheetChromeOutline.h"

#include <gtest/gtest.h>


using namespace nolby;
using namespace nolby::testing;

namespace {

using Entry = SheetState::Entry;
using Kind = SheetState::Entry::Kind;

Entry entry(Kind kind, std::string text, double y) { return Entry{Uuid::random(), kind, std::move(text), y}; }

std::vector<Entry> entriesAt(std::initializer_list<double> ys) {
    std::vector<Entry> out;
    for (double y : ys) out.push_back(entry(Kind::heading, "Heading", y));
    return out;
}

class Chrome : public ::testing::Test {
protected:
    void SetUp() override { registerFonts(); }
};

SheetLayout columnAt(double x) {
    SheetLayout l;
    l.x = x;
    return l;
}

}  // namespace

TEST_F(Chrome, TheOutlineNeedsRoomTwoEntriesAndLeave) {
    const struct {
        bool allowed;
        std::optional<double> x;
        size_t entries;
        bool shown;
    } cases[] = {
        {true, 231, 2, true},  {true, 230, 2, false}, {true, 231, 1, false},
        {false, 400, 9, false}, {true, std::nullopt, 9, false}, {true, 500, 50, true},
    };
    for (const auto& c : cases) {
        std::optional<SheetLayout> layout;
        if (c.x) layout = columnAt(*c.x);
        EXPECT_EQ(SheetChrome::outlineShown(c.allowed, layout, c.entries), c.shown) << c.x.value_or(-1);
    }
    EXPECT_EQ(SheetChrome::outlineWidth(231), 155);
    EXPECT_EQ(SheetChrome::outlineWidth(316), 240);
    EXPECT_EQ(SheetChrome::outlineWidth(600), 240);
}

TEST_F(Chrome, TheBarStandsAboveLowWordsAndBelowHighOnes) {
    const struct {
        Rect r;
        double W;
        Point at;
    } cases[] = {
        {{100, 121, 80, 20}, 1000, {94, 77}},    // room above: 44 above the line
        {{100, 120, 80, 20}, 1000, {94, 148}},   // minY 120: 8 below it
        {{2, 300, 80, 20}, 1000, {12, 256}},     // never left of 12
        {{900, 300, 80, 20}, 1000, {620, 256}},  // never right of W − 380
        {{100, 300, 80, 20}, 300, {-80, 256}},   // narrower than 392: W − 380 wins
    };
    for (const auto& c : cases) EXPECT_EQ(SheetChrome::barOrigin(c.r, c.W), c.at) << c.r.y << " " << c.W;
    EXPECT_EQ(SheetChrome::writingBelowCentre(800, 600), (Point{400, 564}));
}

TEST_F(Chrome, TheCurrentRowIsTheLastEntryPastAThirdOfTheView) {
    const struct {
        std::vector<Entry> entries;
        double scrollY, viewport;
        std::optional<size_t> current;
    } cases[] = {
        {entriesAt({100, 300, 500}), 0, 800, 0},            // the line is at 280
        {entriesAt({100, 280, 500}), 0, 800, 1},            // at the line counts
        {entriesAt({400, 900}), 0, 800, std::nullopt},      // before scrolling: none yet
        {entriesAt({400, 900}), 300, 800, 0},
        {entriesAt({400, 900}), 700, 800, 1},
        {{}, 0, 800, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Outline::current(c.entries, c.scrollY, c.viewport), c.current) << c.scrollY;
}

TEST_F(Chrome, AnOutlineListsTheFirstFortyEntries) {
    std::vector<Entry> fifty;
    for (int i = 0; i < 50; ++i) fifty.push_back(entry(Kind::heading, "Row " + std::to_string(i), 100.0 * i));
    const Outline o(fifty, Mag::red, 200, 0, 800);
    ASSERT_EQ(o.rows().size(), 40u);  // 40 of 50
    EXPECT_EQ(o.rows().back().text.lines[0].run.text, "Row 39");
    EXPECT_EQ(o.heading().lines[0].run.text, "IN THIS ISSUE");
    // Rows stand 9 apart under the heading and its 3 below.
    EXPECT_NEAR(o.rows()[0].frame.y, o.heading().height() + 3 + 9, 1e-9);
    EXPECT_NEAR(o.rows()[1].frame.y, o.rows()[0].frame.maxY() + 9, 1e-9);
    EXPECT_EQ(o.rowAt({5, o.rows()[2].frame.midY()}), 2u);
    EXPECT_EQ(o.rowAt({5, o.rows()[2].frame.maxY() + 4.5}), std::nullopt);
}

TEST_F(Chrome, OutlineRowsByKind) {
    const Color accent = Color::hex(Mag::inks("red").a);
    const std::vector<Entry> entries = {entry(Kind::heading, "Why entropy grows", 0),
                                        entry(Kind::question, "what is a microstate", 200),
                                        entry(Kind::dive, "heat death", 900)};
    const Outline o(entries, accent, 220, 0, 800);  // the line at 280: the question is current
    ASSERT_EQ(o.rows().size(), 3u);
    const auto& [heading, question, dive] = std::tie(o.rows()[0], o.rows()[1], o.rows()[2]);
    EXPECT_EQ(heading.color, Mag::black.withAlpha(0.6));
    EXPECT_EQ(heading.textAt.x, 0);
    EXPECT_TRUE(question.current);
    EXPECT_EQ(question.color, Ink::learner.withAlpha(0.95));
    EXPECT_EQ(question.textAt.x, 10);
    EXPECT_EQ(question.text.lines[0].run.text.rfind("\u201Cwhat", 0), 0u);
    EXPECT_EQ(dive.color, accent.withAlpha(0.75));
    ASSERT_TRUE(dive.icon);
    EXPECT_GT(dive.textAt.x, 6);
    EXPECT_FALSE(heading.icon);
    // At most two lines, cut short.
    const Outline longRow({entry(Kind::heading, std::string(40, 'w') + " " + std::string(40, 'w') + " more words here", 0),
                           entry(Kind::heading, "x", 10)},
                          accent, 120, 0, 800);
    EXPECT_LE(longRow.rows()[0].text.lines.size(), 2u);

    Canvas c(240, o.height() + 4, 2);
    c.fill(Ink::paper);
    o.draw(c.cr());
    keepPng(c, "sheet-outline.png");
}

TEST_F(Chrome, TheSelectionBarRunsItsActionsAndTracksHover) {
    int explained = 0, deeper = 0;
    SelectionBar bar([&] { ++explained; }, [&] { ++deeper; });
    const Size s = bar.size();
    EXPECT_LT(s.width, 380);  // it fits the room the pane keeps for it
    EXPECT_NEAR(bar.explainFrame().x, 3, 1e-9);
    EXPECT_NEAR(bar.dividerFrame().h, 16, 1e-9);
    EXPECT_NEAR(bar.deeperFrame().x, bar.dividerFrame().maxX() + 2, 1e-9);
    EXPECT_NEAR(bar.hintFrame().maxX() + 3, s.width, 1e-9);

    const Point onExplain{bar.explainFrame().midX(), bar.explainFrame().midY()};
    const Point onDeeper{bar.deeperFrame().midX(), bar.deeperFrame().midY()};
    EXPECT_TRUE(bar.hover(onExplain));
    EXPECT_TRUE(bar.explainButton().over);
    EXPECT_FALSE(bar.hover(onExplain));
    EXPECT_TRUE(bar.hover(std::nullopt));
    EXPECT_FALSE(bar.explainButton().over);
    EXPECT_EQ(bar.help(onDeeper), SelectionBar::kDeeperHelp);
    EXPECT_EQ(bar.help(onExplain), "The tutor explains these words, right here");

    EXPECT_TRUE(bar.click(onExplain));
    EXPECT_TRUE(bar.click(onDeeper));
    EXPECT_FALSE(bar.click({bar.hintFrame().midX(), bar.hintFrame().midY()}));
    EXPECT_EQ(explained, 1);
    EXPECT_EQ(deeper, 1);

    bar.hover(onDeeper);
    const WritingBelowButton writing;
    const Rect w = writing.frameAround({200, 80});
    EXPECT_NEAR(w.midX(), 200, 1e-9);
    EXPECT_NEAR(w.midY(), 80, 1e-9);
    Canvas c(420, 120, 2);
    c.fill(Ink::paper);
    {
        draw::Saved saved(c.cr());
        draw::translate(c.cr(), 20, 10);
        bar.draw(c.cr());
    }
    writing.draw(c.cr(), w);
    keepPng(c, "sheet-selection-bar.png");
    // The glass is lighter than the paper; the label's ink is dark.
    const Color glass = c.pixel(2 * 23, 2 * (10 + static_cast<int>(s.height) / 2));
    EXPECT_GT(glass.r + glass.g + glass.b, Ink::paper.r + Ink::paper.g + Ink::paper.b - 0.01);
}

TEST_F(Chrome, TheBarGrowsAndFadesInOverASixthOfASecond) {
    DrawnLayer layer;
    layer.opacity = 0;
    ChromeMotion::bar(layer, true, 10);
    EXPECT_NEAR(layer.presentedNumber(KeyPath::opacity, 10), 0, 1e-9);
    EXPECT_NEAR(layer.presentedNumber(KeyPath::transformScale, 10), 0.96, 1e-9);
    EXPECT_GT(layer.presentedNumber(KeyPath::opacity, 10.08), 0.5);  // ease-out: more than half at half time
    EXPECT_NEAR(layer.presentedNumber(KeyPath::opacity, 10.16), 1, 1e-9);
    EXPECT_NEAR(layer.presentedNumber(KeyPath::transformScale, 10.2), 1, 1e-9);
    EXPECT_TRUE(ChromeMotion::visible(layer, 10));

    ChromeMotion::bar(layer, false, 11);
    EXPECT_NEAR(layer.presentedNumber(KeyPath::opacity, 11), 1, 1e-9);
    EXPECT_NEAR(layer.presentedNumber(KeyPath::opacity, 11.16), 0, 1e-9);
    EXPECT_FALSE(ChromeMotion::visible(layer, 11.2));
}

TEST_F(Chrome, WritingBelowSpringsInFromTheBottomEdge) {
    DrawnLayer layer;
    layer.opacity = 0;
    ChromeMotion::writingBelow(layer, true, 60, 5);
    EXPECT_NEAR(layer.presentedTransform(5).ty, 60, 1e-9);
    const double settled = ChromeMotion::spring(KeyPath::opacity, 0.0, 1.0).duration;
    EXPECT_LT(settled, 1.5);
    EXPECT_NEAR(layer.presentedTransform(5 + settled).ty, 0, 0.15);  // within the envelope's 0.1 %
    EXPECT_EQ(layer.presentedTransform(5 + settled + 0.01).ty, 0);
    EXPECT_LT(layer.presentedTransform(5.2).ty, 20);
    EXPECT_FALSE(layers::animating(layer, 5 + settled + 0.01));

    ChromeMotion::writingBelow(layer, false, 60, 20);
    EXPECT_NEAR(layer.presentedTransform(20 + settled).ty, 60, 0.15);
    EXPECT_FALSE(ChromeMotion::visible(layer, 20 + settled + 0.01));
}
