#include "FigTestSupport.h"

#include "ink/Ink.h"
#include "ink/Rng.h"
#include "platform/FontSource.h"
#include "platform/TextLine.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <cmath>
#include <memory>

using namespace nolby;
using namespace nolby::testing;

namespace {

const std::string kLong = "A very long line of print that is much wider than any figure could ever be";

std::vector<double> phraseSizes(const std::vector<InkOpRef>& ops) {
    std::vector<double> out;
    for (const auto& op : ops)
        if (auto p = as<PhraseOp>(op)) out.push_back(p->size);
    return out;
}

const TextOp* printed(const InkOpRef& op) {
    auto paced = as<PacedOp>(op);
    return paced ? dynamic_cast<const TextOp*>(paced->inner.get()) : nullptr;
}

std::shared_ptr<const FontFile> noCharter(const std::string& family) {
    return family == Fig::kCharterStandIn ? nullptr : systemfonts::family(family);
}
std::shared_ptr<const FontFile> nothing(const std::string&) { return nullptr; }

}  // namespace

TEST(FigText, PrintShrinksToTheFigureAndStaysInside) {
    auto fig = makeFig();
    Rect r = fig->text(kLong, 50, 30, "c", 1, Ink::ink, "print");
    ASSERT_EQ(fig->ops.size(), 1u);
    const TextOp* t = printed(fig->ops[0]);
    ASSERT_TRUE(t);
    EXPECT_EQ(fig->ops[0]->pace(), 12);
    EXPECT_EQ(fig->ops[0]->pause, 0);
    EXPECT_NEAR(t->glyphs.width, 95 * kK, 0.05);
    EXPECT_NEAR(r.w, t->glyphs.width, 1e-9);
    EXPECT_GE(r.minX(), kOx + 2 * kU);
    EXPECT_LE(r.maxX(), kOx + 100 * kK - 2 * kU + 1e-9);
    EXPECT_EQ(t->y, kOy + 30 * kK);

    // In a figure narrower than its margins, the left margin wins.
    Faces::registerFrom();
    Fig tiny(5, kOx, kOy, 0.05, 40, kText, kLine);
    Rect rt = tiny.text("wide", 50, 0, "r", 1, Ink::ink, "print");
    EXPECT_EQ(rt.minX(), kOx + 2 * kU);
}

TEST(FigText, AlignmentAndMargins) {
    struct Case {
        double x;
        const char* align;
        char edge;        // 'l': left edge, 'r': right edge, 'c': centre
        double expected;  // page x of that edge
    } cases[] = {
        {50, "right", 'r', kOx + 50 * kK},
        {50, "end", 'r', kOx + 50 * kK},
        {50, "middle", 'c', kOx + 50 * kK},
        {50, "l", 'l', kOx + 50 * kK},
        {50, "Center", 'l', kOx + 50 * kK},  // names are case-sensitive
        {99, "l", 'r', kOx + 100 * kK - 2 * kU},
        {-5, "r", 'l', kOx + 2 * kU},
        {5000, "c", 'r', kOx + 100 * kK - 2 * kU},
    };
    for (const Case& c : cases) {
        for (const char* face : {"", "pencil", "print"}) {
            SCOPED_TRACE(std::to_string(c.x) + " " + c.align + " " + face);
            auto fig = makeFig();
            Rect r = fig->text("some words", c.x, 20, c.align, 1, Ink::ink, face);
            const double at = c.edge == 'l' ? r.minX() : c.edge == 'r' ? r.maxX() : r.midX();
            EXPECT_NEAR(at, c.expected, 1e-9);
        }
    }
}

TEST(FigText, HandwritingIsMeasuredWithoutMarkup) {
    EXPECT_EQ(Fig::unmarked("**word** {red:more} ((ring)) ~~w~~ __u__ `c` $x$ *i*"), "word more ring w u c x i");
    EXPECT_EQ(Fig::unmarked("{notacolour} {1:x}"), "notacolour 1:x");
    auto fig = makeFig();
    const Fig::Setting plain = fig->setting("a word", kOx + 50 * kK, "c", 1);
    EXPECT_EQ(fig->setting("a **word**", kOx + 50 * kK, "c", 1), plain);
    EXPECT_EQ(fig->setting("a {blue:word}", kOx + 50 * kK, "c", 1), plain);
    EXPECT_EQ(plain.size, kText);
    EXPECT_EQ(fig->setting("x", 0, "l", 9).size, 2.2 * kText);
    EXPECT_EQ(fig->setting("x", 0, "l", 0.1).size, 0.6 * kText);
    EXPECT_TRUE(fig->ops.empty());
}

TEST(FigText, BlankTextDrawsNothing) {
    auto fig = makeFig();
    for (const char* face : {"", "pencil", "print"}) EXPECT_TRUE(fig->text(" \n\t ", 10, 10, "l", 1, Ink::ink, face).isNull());
    fig->label(J(nlohmann::json::parse(R"({"text":"  ","x":50,"y":20,"to":[0,0]})")), Ink::ink);
    fig->inside("\n", Rect{0, 0, 100, 100}, J());
    fig->fit(" ", Rect{0, 0, 100, 100}, Ink::ink, std::nullopt, Faces::Face::hand);
    fig->printIn(" ", Rect{0, 0, 100, 100}, Ink::ink, 12);
    EXPECT_TRUE(fig->ops.empty());
}

TEST(FigText, PencilIsTheQuickHand) {
    auto fig = makeFig();
    Rect r = fig->text("quick note", 10, 20, "l", 1.2, Ink::ink, "pencil");
    EXPECT_EQ(phraseSizes(fig->ops), std::vector<double>{1.2 * kText});
    EXPECT_NEAR(r.height(), 0.97 * 1.2 * kText, 1e-9);
    EXPECT_NEAR(r.width(), textWidth("quick note", *Faces::font(Faces::Face::scrawl, 1.2 * kText)), 1e-9);
}

TEST(FigText, LabelLeaders) {
    struct Case {
        const char* item;
        size_t strokes;
    } cases[] = {
        {R"({"text":"label","x":50,"y":30,"to":[90,30]})", 2},
        {R"({"text":"label","x":50,"y":30,"to":[10,30]})", 2},
        {R"({"text":"label","x":50,"y":30,"to":[50,30]})", 0},  // at its own centre
        {R"({"text":"label","x":50,"y":30,"to":[56,30]})", 0},  // within 12 u of the box edge
        {R"({"text":"label","x":50,"y":30,"to":[51,30.5]})", 0},  // inside its own box
        {R"({"text":"label","x":50,"y":30,"to":[50.3,29.2]})", 0},
        {R"({"text":"label","x":50,"y":30,"to":[90]})", 0},
        {R"({"text":"label","x":50,"y":30,"to":"90,30"})", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        auto fig = makeFig();
        fig->label(J(nlohmann::json::parse(c.item)), Ink::color("red", Ink::ink));
        size_t strokes = 0;
        for (const auto& op : fig->ops)
            if (auto s = as<StrokeOp>(op)) {
                ++strokes;
                EXPECT_EQ(s->pen.color, Ink::color("red", Ink::ink));
                EXPECT_DOUBLE_EQ(s->pen.width, 2.2 * kPw);
            }
        ASSERT_EQ(strokes, c.strokes);
        EXPECT_FALSE(phraseSizes(fig->ops).empty());
    }

    // The leader stops 7 u short of its target and bows out by about a fifth of its length.
    auto fig = makeFig();
    fig->label(J(nlohmann::json::parse(R"({"text":"label","x":30,"y":30,"to":[90,30]})")), Ink::ink);
    const size_t n = fig->ops.size();
    const Rect leader = fig->ops[n - 2]->bounds(), head = fig->ops[n - 1]->bounds();
    const double endX = kOx + 90 * kK - 7 * kU;
    EXPECT_NEAR(head.maxX() - 2.2 * kPw, endX, 1.5);
    EXPECT_GT(leader.height(), 0.12 * leader.width());
}

TEST(FigText, InsideShrinksToItsFloorAndNoFurther) {
    struct Case {
        const char* text;
        Rect rect;
        const char* item;
        double size;
    } cases[] = {
        {"a long text inside a very small circle", {100, 100, 35, 35}, "{}", 0.62 * kText},
        {"short", {100, 100, 200, 60}, "{}", kText},
        {"short", {100, 100, 200, 100}, R"({"size":9})", 2.2 * kText},
        {"tiny", {100, 100, 200, 100}, R"({"size":0})", 0.5 * kText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto fig = makeFig();
        fig->inside(c.text, c.rect, J(nlohmann::json::parse(c.item)));
        auto sizes = phraseSizes(fig->ops);
        ASSERT_FALSE(sizes.empty());
        for (double s : sizes) EXPECT_NEAR(s, c.size, 1e-9);
    }
    // The text colour comes from "tc".
    auto fig = makeFig();
    fig->inside("blue", {0, 0, 100, 40}, J(nlohmann::json::parse(R"({"tc":"blue"})")));
    EXPECT_EQ(as<PhraseOp>(fig->ops[0])->runs[0].color, Ink::color("blue", Ink::ink));
}

TEST(FigText, MeasuringLeavesTheFigureHandAlone) {
    const std::string text = "a long text inside a very small circle";
    auto fig = makeFig();
    fig->inside(text, {100, 100, 35, 35}, J());
    // Only the final writing advances the hand: as if it had written once at the floor size.
    Hand once(5 * 3 + 1);
    once.write(text, 0, 0, 35 - 12 * kU, 0.62 * kText, Ink::ink, Faces::Face::hand, std::nullopt,
               Hand::Align::center, true, Ink::paper);
    EXPECT_EQ(fig->hand.rnd, once.rnd);
}

TEST(FigText, FitStopsAtThirteenTextUnits) {
    struct Case {
        const char* text;
        Rect rect;
        std::optional<double> cap;
        double lo, hi;  // the size written
    } cases[] = {
        {"this text is far too long to fit into such a small cell", {0, 0, 20, 20}, std::nullopt, 11.7 * kU, 13 * kU},
        {"this text is far too long to fit into such a small cell", {0, 0, 30, 10}, std::nullopt, 6.2, 6.2},
        {"hi", {0, 0, 200, 30}, std::nullopt, kText, kText},
        {"hi", {0, 0, 200, 30}, 10.0, 10, 10},
        {"hi", {0, 0, 200, 12}, std::nullopt, 0.62 * 12, 0.62 * 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto fig = makeFig();
        fig->fit(c.text, c.rect, Ink::ink, c.cap, Faces::Face::hand);
        auto sizes = phraseSizes(fig->ops);
        ASSERT_FALSE(sizes.empty());
        for (double s : sizes) {
            EXPECT_GE(s, c.lo - 1e-9);
            EXPECT_LE(s, c.hi + 1e-9);
        }
    }
}

TEST(FigText, PrintInKeepsOneLineInANarrowCell) {
    auto fig = makeFig();
    const Rect cell{10, 10, 40, 30};
    fig->printIn(kLong, cell, Ink::ink, 14);
    ASSERT_EQ(fig->ops.size(), 1u);
    const TextOp* t = printed(fig->ops[0]);
    ASSERT_TRUE(t);
    EXPECT_NEAR(t->glyphs.width, 0.88 * 40, 0.01);
    EXPECT_NEAR(t->x + t->glyphs.width / 2, cell.midX(), 0.01);
    EXPECT_NEAR(t->y, cell.midY() + 0.335 * t->size, 1e-9);

    auto short_ = makeFig();
    short_->printIn("7", cell, Ink::ink, 30);
    EXPECT_NEAR(printed(short_->ops[0])->size, 0.62 * 30, 1e-9);
}

TEST(FigText, PrintFaceStandIns) {
    const bool charter = systemfonts::family(Fig::kCharterStandIn) != nullptr;
    EXPECT_EQ(Fig::printFont(12)->familyName(), charter ? Fig::kCharterStandIn : Fig::kTimesStandIn);
    EXPECT_EQ(Fig::printFont(12, &noCharter)->familyName(), Fig::kTimesStandIn);
    EXPECT_EQ(Fig::printFont(12, &nothing)->base(), nullptr);
    EXPECT_EQ(Fig::printFont(12)->size(), 12);
}

// unmarked is scanned by hand; it must leave out exactly what the markup expression matches,
// checked in ICU's engine on many short texts of marks, letters, colons, digits, non-ASCII
// characters and a malformed byte.
TEST(FigText, UnmarkedLeavesOutWhatTheMarkupExpressionMatches) {
    auto byExpression = [](const std::string& text) {
        icu::UnicodeString src = icu::UnicodeString::fromUTF8(text);
        UErrorCode err = U_ZERO_ERROR;
        std::unique_ptr<icu::RegexMatcher> matcher(Fig::markup().matcher(src, err));
        icu::UnicodeString out = matcher->replaceAll(icu::UnicodeString(), err);
        EXPECT_FALSE(U_FAILURE(err));
        std::string utf8;
        out.toUTF8String(utf8);
        return utf8;
    };
    const char* pieces[] = {"{", "}", "(", ")", "~", "*", "_", "$", "`", ":", "a", "Z", "q", "1", " ",
                            "\xC3\xA9", "\xF0\x9F\x98\x80", "\xFF", "{red:", "((", "**"};
    Rng rng(33);
    int changed = 0;
    for (int n = 0; n < 30000; ++n) {
        std::string text;
        const int length = int(rng.next() % 10);
        for (int k = 0; k < length; ++k) text += pieces[rng.next() % std::size(pieces)];
        const std::string expected = byExpression(text);
        changed += expected != text;
        ASSERT_EQ(Fig::unmarked(text), expected) << "text: " << text;
    }
    EXPECT_GT(changed, 10000);  // the texts do exercise the marks
}
