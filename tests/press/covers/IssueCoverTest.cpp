// Issue covers: the design by issue number, the texts they set, and what appears on which
// cover and at which size.
#include "press/covers/IssueCover.h"

#include "ink/Mag.h"
#include "platform/Canvas.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace nolby {
namespace {

using Design = IssueCover::Design;

struct Covers : ::testing::Test {
    static void SetUpTestSuite() { Mag::registerFrom(); }
};

Notebook issue(std::optional<int64_t> number, std::string title = "Why the Sky Is Blue", int written = 0,
               std::optional<std::string> plan = std::nullopt) {
    Notebook n;
    n.issue = number;
    n.title = std::move(title);
    n.plan = std::move(plan);
    n.pages.clear();
    for (int i = 0; i < std::max(written, 1); ++i) {
        Page p;
        if (i < written) p.items.push_back(TextItem{});
        n.pages.push_back(p);
    }
    return n;
}

std::shared_ptr<const Image> picture() {
    auto c = std::make_unique<Canvas>(60, 80);
    c->fill(Color{0.2, 0.4, 0.6, 1});
    cairo_surface_reference(c->surface());
    return Image::adopt(c->surface());
}

IssueCover::Drawn drawn(const IssueCover& cover, Size size, bool withPicture = true) {
    Canvas c(size.width, size.height);
    IssueCover::Art art;
    if (withPicture) art.look.shown.cover = picture();
    IssueCover::Drawn d = cover.draw(c.cr(), size, art);
    EXPECT_EQ(cairo_status(c.cr()), CAIRO_STATUS_SUCCESS);
    return d;
}

bool has(const IssueCover::Drawn& d, const std::string& text) {
    return std::find(d.texts.begin(), d.texts.end(), text) != d.texts.end();
}

const char* const kPlan =
    R"({"steps":["Light is a wave","Scattering","Why not violet","Sunsets"],"doodle":[{"k":"doodle","name":"sun"}]})";

TEST(IssueCoverDesign, FollowsTheIssueNumber) {
    const std::pair<std::optional<int64_t>, Design> cases[] = {
        {1, Design::bleed}, {2, Design::grid},  {3, Design::bleed},         {4, Design::editorial},
        {5, Design::bleed}, {6, Design::grid},  {8, Design::editorial},     {std::nullopt, Design::bleed},
        {0, Design::bleed}, {-7, Design::bleed}, {INT64_MAX, Design::bleed},
    };
    for (const auto& [n, design] : cases) EXPECT_EQ(IssueCover::design(n), design) << (n ? *n : -1);
}

TEST(IssueCoverText, IssueSlugAndMeta) {
    EXPECT_EQ((IssueCover{issue(7)}.issueText()), "No. 007");
    EXPECT_EQ((IssueCover{issue(0)}.issueText()), "No. 001");
    EXPECT_EQ((IssueCover{issue(std::nullopt)}.issueText()), "No. 001");
    EXPECT_EQ((IssueCover{issue(1234)}.issueText()), "No. 1234");

    const std::pair<std::string, std::string> slugs[] = {
        {"Why the Sky Is Blue", "why_the_sky.ink"},
        {"", "untitled.ink"},
        {"  Tides  ", "tides.ink"},
        {"Antidisestablishmentarianism explained", "antidisestablishme.ink"},
        {"Ünïcode Straße", "ünïcode_straße.ink"},
    };
    for (const auto& [title, slug] : slugs) EXPECT_EQ((IssueCover{issue(1, title)}.slug()), slug) << title;

    Notebook today = issue(1, "x", 1);
    today.updated = ReferenceClock::now();
    IssueCover cover{today};
    EXPECT_EQ(cover.meta(), "1 page \u00B7 today");
    cover.notebook = issue(1, "x", 3);
    cover.notebook.updated = cover.now - std::chrono::hours(24);
    EXPECT_EQ(cover.meta(), "3 pages \u00B7 yesterday");
    cover.notebook.updated = cover.now - std::chrono::hours(24 * 40);
    EXPECT_NE(cover.meta().find("3 pages \u00B7 "), std::string::npos);
    EXPECT_EQ(cover.meta().find("day"), std::string::npos);
    EXPECT_EQ((IssueCover{issue(1, "x", 0)}.meta()), "a new notebook");
}

TEST_F(Covers, BleedCoverLines) {
    const auto empty = drawn(IssueCover{issue(5, "")}, {220, 293});
    EXPECT_EQ(empty.design, Design::bleed);
    EXPECT_TRUE(has(empty, "A NEW NOTEBOOK"));
    EXPECT_TRUE(has(empty, "New issue"));
    EXPECT_TRUE(has(empty, "No. 005"));
    EXPECT_TRUE(has(empty, "Nolby"));

    Notebook one = issue(0, "Tides", 1);
    one.updated = ReferenceClock::now();
    const auto d = drawn(IssueCover{one}, {220, 293});
    EXPECT_TRUE(has(d, "1 PAGE \u00B7 TODAY"));
    EXPECT_TRUE(has(d, "No. 001"));
    const auto three = drawn(IssueCover{issue(3, "Tides", 3)}, {220, 293});
    EXPECT_TRUE(std::any_of(three.texts.begin(), three.texts.end(),
                            [](const std::string& t) { return t.starts_with("3 PAGES \u00B7 "); }));

    // The grid and editorial designs carry no line of facts.
    for (int64_t n : {2, 4}) {
        const auto other = drawn(IssueCover{issue(n, "Tides", 0, kPlan)}, {220, 293});
        EXPECT_FALSE(has(other, "A NEW NOTEBOOK")) << n;
    }
}

TEST_F(Covers, LensAndWindowOnlyOnCoversWiderThan120) {
    const IssueCover cover{issue(1, "Tides", 1, kPlan)};
    const auto wide = drawn(cover, {121, 161});
    EXPECT_TRUE(wide.lens);
    EXPECT_TRUE(wide.window);
    EXPECT_TRUE(has(wide, "tides.ink"));
    const auto narrow = drawn(cover, {120, 160});
    EXPECT_FALSE(narrow.lens);
    EXPECT_FALSE(narrow.window);
    // No picture yet: no lens; no doodle in the plan: no window.
    EXPECT_FALSE(drawn(cover, {220, 293}, false).lens);
    EXPECT_FALSE(drawn(IssueCover{issue(1, "Tides", 1, R"({"doodle":"none"})")}, {220, 293}).window);
    EXPECT_FALSE(drawn(IssueCover{issue(1, "Tides", 1, "not json")}, {220, 293}).window);
}

TEST_F(Covers, EditorialListsTwoStepsAndAWindowOfTheArt) {
    const auto d = drawn(IssueCover{issue(4, "Tides", 1, kPlan)}, {220, 293});
    EXPECT_EQ(d.design, Design::editorial);
    EXPECT_TRUE(has(d, "02"));
    EXPECT_TRUE(has(d, "05"));
    EXPECT_FALSE(has(d, "08"));
    EXPECT_TRUE(has(d, "Light is a wave"));
    EXPECT_TRUE(has(d, "tides.jpg"));
    EXPECT_TRUE(has(d, "NOLBY  NO. 004  \u2022  " + Mag::quarter(ReferenceClock::toSys(IssueCover{issue(4)}.notebook.created))));
    // Large covers list five.
    const auto large = drawn(IssueCover{issue(8, "Tides", 1, kPlan), true}, {600, 800});
    EXPECT_TRUE(has(large, "11"));

    const auto untitled = drawn(IssueCover{issue(4, "")}, {220, 293});
    EXPECT_TRUE(has(untitled, "untitled.jpg"));
    EXPECT_TRUE(has(untitled, "New issue"));
}

TEST_F(Covers, RunawayTitlesAreCutNotDrawnOffThePage) {
    std::string title;
    while (title.size() < 10000) title += "Everything ";
    for (int64_t n : {1, 2, 4}) {
        const auto d = drawn(IssueCover{issue(n, title, 1, kPlan)}, {220, 293});
        const auto cut = std::count_if(d.texts.begin(), d.texts.end(),
                                       [](const std::string& t) { return t.find("\u2026") != std::string::npos; });
        EXPECT_GE(cut, 1) << n;
        EXPECT_LT(d.texts.size(), 20u) << n;
    }
    // Nothing to draw into: nothing drawn, nothing broken.
    Canvas c(10, 10);
    EXPECT_TRUE(IssueCover{issue(1)}.draw(c.cr(), {0, 0}, {}).texts.empty());
    EXPECT_TRUE(IssueCover{issue(1)}.draw(c.cr(), {std::nan(""), 10}, {}).texts.empty());
}

}  // namespace
}  // namespace nolby
