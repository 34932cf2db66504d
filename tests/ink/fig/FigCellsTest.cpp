#include "FigTestSupport.h"

#include "ink/Ink.h"
#include "platform/TextLine.h"

#include <cmath>

using namespace nolby;
using namespace nolby::testing;

namespace {

// The default array: x 5, y 6, 90 by 9 units.
constexpr double kL = kOx + 5 * kK, kT = kOy + 6 * kK, kW = 90 * kK, kH = 9 * kK;
constexpr double kM = 1.5 * kU;  // wash pad at the array's ends

J item(const std::string& text) { return J(nlohmann::json::parse(text)); }

// The cells item drawn on its own into a fresh figure.
std::vector<InkOpRef> cellsOps(const std::string& text) {
    auto fig = makeFig();
    fig->cells(item(text), Ink::ink, kLine);
    return fig->ops;
}

std::vector<std::string> textsIn(const std::vector<InkOpRef>& ops, Color color) {
    std::vector<std::string> out;
    for (auto p : all<PhraseOp>(ops))
        if (p->runs.front().color == color) out.push_back(text(p));
    return out;
}

void expectRect(Rect got, Rect want) {
    EXPECT_NEAR(got.minX(), want.minX(), 1e-9);
    EXPECT_NEAR(got.minY(), want.minY(), 1e-9);
    EXPECT_NEAR(got.width(), want.width(), 1e-9);
    EXPECT_NEAR(got.height(), want.height(), 1e-9);
}

const double kGrid = 0.85 * kLine;
const double kLeader = 1.2 * kPw;

}  // namespace

TEST(FigCells, ValuesAreBoundedAndColumnsGrowWithThem) {
    std::string vals;
    for (int i = 0; i < 200; ++i) vals += (i ? "," : "") + std::to_string(i);
    auto ops = cellsOps(R"({"dir":"v","hl":[127,128],"vals":[)" + vals + "]}");
    // The outer frame and a separator between each two of the 128 cells.
    ASSERT_EQ(strokesOfWidth(ops, kGrid).size(), 1u);
    EXPECT_EQ(subpaths(strokesOfWidth(ops, kGrid)[0]->path), 4 + 127);
    // The column is 8 units per cell: 1024 units, the last cell's wash padded at the end.
    auto fills = all<FillOp>(ops);
    ASSERT_EQ(fills.size(), 1u);
    const double ch = 8 * kK;
    expectRect(fills[0]->bounds(), Rect{kL + kM, kT + 127 * ch, 16 * kK - 2 * kM, ch - kM});

    EXPECT_TRUE(cellsOps(R"({"vals":[]})").empty());
    EXPECT_TRUE(cellsOps(R"({"vals":"1,2,3"})").empty());
    EXPECT_TRUE(cellsOps(R"({})").empty());
}

TEST(FigCells, OneValueHasNoSeparatorsAndAPaddedWash) {
    for (const char* text : {R"({"vals":[7],"hl":[0],"groups":[{"c":"blue"}]})", R"({"vals":[7],"groups":[{"c":"blue"}]})"}) {
        SCOPED_TRACE(text);
        auto ops = cellsOps(text);
        EXPECT_EQ(subpaths(strokesOfWidth(ops, kGrid)[0]->path), 4);
        // The group never washes over a highlighted cell; either wash is padded all round.
        auto fills = all<FillOp>(ops);
        ASSERT_EQ(fills.size(), 1u);
        expectRect(fills[0]->bounds(), Rect{kL + kM, kT + kM, kW - 2 * kM, kH - 2 * kM});
        EXPECT_EQ(fills[0]->color, Fig::markerColor(std::string(text).find("hl") != std::string::npos ? "yellow" : "blue"));
        EXPECT_EQ(fills[0]->blend, BlendMode::multiply);
    }
}

TEST(FigCells, HighlightsAndGroupWashes) {
    const double cw = kW / 5;
    struct Case {
        const char* item;
        std::vector<Rect> washes;
        std::vector<std::string> colors;
    } cases[] = {
        {R"({"vals":[0,1,2,3,4],"hl":[2,2,-1,9]})", {{kL + 2 * cw, kT + kM, cw, kH - 2 * kM}}, {"yellow"}},
        // A group over a highlighted cell washes around it, padded only at the array's ends.
        {R"({"vals":[0,1,2,3,4],"hl":[2],"hc":"pink","groups":[{"from":0,"to":4,"c":"blue"}]})",
         {{kL + kM, kT + kM, 2 * cw - kM, kH - 2 * kM},
          {kL + 3 * cw, kT + kM, 2 * cw - kM, kH - 2 * kM},
          {kL + 2 * cw, kT + kM, cw, kH - 2 * kM}},
         {"blue", "blue", "pink"}},
        {R"({"vals":[0,1,2,3,4],"groups":[{"from":3,"to":1,"c":"red"}]})", {{kL + 3 * cw, kT + kM, cw, kH - 2 * kM}}, {"red"}},
        {R"({"vals":[0,1,2,3,4],"groups":[{"from":2.5,"c":"red"}]})", {{kL + 3 * cw, kT + kM, cw, kH - 2 * kM}}, {"red"}},
        {R"({"vals":[0,1,2,3,4],"groups":[{"from":"-2.5","to":1,"c":"red"}]})",
         {{kL + kM, kT + kM, 2 * cw - kM, kH - 2 * kM}}, {"red"}},
        {R"({"vals":[0,1,2,3,4],"groups":[{"from":3,"to":99,"solid":true}]})",
         {{kL + 3 * cw, kT + kM, 2 * cw - kM, kH - 2 * kM}}, {"1"}},
        {R"({"vals":[0,1,2,3,4],"groups":[{"from":1,"label":"no colour"}]})", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        auto ops = cellsOps(c.item);
        auto fills = all<FillOp>(ops);
        ASSERT_EQ(fills.size(), c.washes.size());
        for (size_t i = 0; i < fills.size(); ++i) {
            expectRect(fills[i]->bounds(), c.washes[i]);
            EXPECT_EQ(fills[i]->color, Fig::markerColor(c.colors[i]));
        }
    }
    // A column pads its washes at the top and bottom ends instead.
    auto column = cellsOps(R"({"dir":"v","vals":[0,1],"groups":[{"from":0,"to":0,"c":"teal"}]})");
    auto fills = all<FillOp>(column);
    ASSERT_EQ(fills.size(), 1u);
    expectRect(fills[0]->bounds(), Rect{kL + kM, kT + kM, 16 * kK - 2 * kM, 8 * kK - kM});
}

TEST(FigCells, SolidGroupBracesInInk) {
    auto ops = cellsOps(R"({"vals":[0,1,2],"groups":[{"from":0,"to":1,"solid":true,"brace":true}]})");
    auto braces = strokesOfWidth(ops, 0.9 * kLine);
    ASSERT_EQ(braces.size(), 1u);
    EXPECT_EQ(braces[0]->pen.color, Ink::ink);
}

TEST(FigCells, EllipsisCellsStayOpen) {
    auto ops = cellsOps(R"({"vals":[1,"…"," ... ",4],"idx":true})");
    EXPECT_EQ(subpaths(strokesOfWidth(ops, kGrid)[0]->path), 4);  // no separator touches them
    EXPECT_EQ(textsIn(ops, Ink::grey), (std::vector<std::string>{"···", "···", "0", "3"}));
    EXPECT_EQ(textsIn(ops, Ink::ink), (std::vector<std::string>{"1", "4"}));

    ops = cellsOps(R"({"vals":[1,"\t…"],"face":"print"})");
    auto printed = all<PacedOp>(ops);
    ASSERT_EQ(printed.size(), 2u);
    auto dots = dynamic_cast<const TextOp*>(printed[1]->inner.get());
    ASSERT_TRUE(dots);
    EXPECT_EQ(dots->text, "…");
    EXPECT_EQ(dots->color, Ink::grey);

    // An ellipsis is never a bit.
    const auto ellipsis = cellsOps(R"({"vals":["…",1],"bits":true})");
    EXPECT_EQ(all<FillOp>(ellipsis).size(), 1u);
}

TEST(FigCells, BitSquares) {
    struct Case {
        const char* value;
        bool filled;
    } cases[] = {{"1", true}, {"\"1\"", true}, {"\" 1\\t\"", true}, {"true", true}, {"1.0", true},
                 {"0", false}, {"\"\"", false}, {"\"true\"", false}, {"null", false}, {"\"1\\n\"", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        auto ops = cellsOps(std::string(R"({"bits":true,"tc":"blue","vals":[)") + c.value + "]}");
        auto fills = all<FillOp>(ops);
        ASSERT_EQ(fills.size(), c.filled ? 1u : 0u);
        EXPECT_TRUE(all<PhraseOp>(ops).empty());
        if (!c.filled) continue;
        const double inset = 0.2 * kH;  // a fifth of the smaller side
        expectRect(fills[0]->bounds(), Rect{kL + inset, kT + inset, kW - 2 * inset, kH - 2 * inset});
        EXPECT_EQ(fills[0]->color, Ink::color("blue", Ink::ink));
        EXPECT_EQ(fills[0]->blend, BlendMode::normal);
    }
}

TEST(FigCells, PrintFaceSizes) {
    struct Case {
        const char* item;
        double size;
    } cases[] = {
        {R"({"vals":[7],"face":"print"})", 0.62 * kH},  // the cell's height, capped
        {R"({"vals":[7],"face":"print","size":0.5})", 0.5 * kText},
        {R"({"vals":[7],"face":"print","size":0.1})", 0.3 * kText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        auto ops = cellsOps(c.item);
        auto printed = all<PacedOp>(ops);
        ASSERT_EQ(printed.size(), 1u);
        auto t = dynamic_cast<const TextOp*>(printed[0]->inner.get());
        ASSERT_TRUE(t);
        EXPECT_NEAR(t->size, c.size, 1e-9);
    }
    // The face name is case-sensitive.
    auto ops = cellsOps(R"({"vals":[7],"face":"Print"})");
    EXPECT_TRUE(all<PacedOp>(ops).empty());
    EXPECT_EQ(textsIn(ops, Ink::ink), std::vector<std::string>{"7"});
}

TEST(FigCells, IndexLabels) {
    EXPECT_EQ(textsIn(cellsOps(R"({"vals":[5,6,7,8],"idx":true})"), Ink::grey),
              (std::vector<std::string>{"0", "1", "2", "3"}));
    EXPECT_EQ(textsIn(cellsOps(R"({"vals":[5,6,7,8],"idx":["a","b"]})"), Ink::grey),
              (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(textsIn(cellsOps(R"({"vals":[5,6],"idx":["a"," ","c","d"]})"), Ink::grey),
              std::vector<std::string>{"a"});
    EXPECT_TRUE(textsIn(cellsOps(R"({"vals":[5,6],"idx":false})"), Ink::grey).empty());

    // In a row, a label wider than its cell shrinks, but not below 0.55 of the text size.
    std::string vals = "0";
    for (int i = 1; i < 20; ++i) vals += "," + std::to_string(i);
    auto ops = cellsOps(R"({"idx":["a label far too wide for its cell","x"],"vals":[)" + vals + "]}");
    auto labels = all<PhraseOp>(ops);
    std::vector<double> sizes;
    for (auto p : labels)
        if (p->runs.front().color == Ink::grey) sizes.push_back(p->size);
    EXPECT_EQ(sizes, (std::vector<double>{0.55 * kText, 0.8 * kText}));
}

TEST(FigCells, BraceLabelsStackInRows) {
    // Ruled: braces and leaders are exactly straight, so a leader's length shows the row.
    // A bare brace takes no row; six overlapping labels fill rows 0 to 4, the sixth sharing 4.
    std::string groups = R"({"from":0,"to":3,"brace":true})";
    for (int i = 0; i < 6; ++i) groups += R"(,{"from":0,"to":3,"label":"group label"})";
    auto ops = drawn(R"([{"k":"cells","ruled":true,"vals":[1,2,3,4,5,6,7,8],"groups":[)" + groups + "]}]");
    EXPECT_EQ(strokesOfWidth(ops, 0.9 * kLine).size(), 7u);
    auto leaders = strokesOfWidth(ops, kLeader);
    ASSERT_EQ(leaders.size(), 5u);
    const double ls = 0.86 * kText;
    const int rows[] = {1, 2, 3, 4, 4};
    for (size_t i = 0; i < leaders.size(); ++i) {
        // From 2 u below the brace's tip to the label's top: 5 u plus the drop.
        EXPECT_NEAR(leaders[i]->bounds().height() - 2 * kLeader, 5 * kU + ls * rows[i] * 1.25, 1e-9);
    }
    EXPECT_EQ(textsIn(ops, Ink::ink).size(), 8u + 6);  // the values and the labels

    // Labels that do not overlap share row 0: no leaders.
    ops = drawn(R"([{"k":"cells","vals":[1,2,3,4,5,6,7,8],"groups":[{"from":0,"label":"a"},{"from":7,"label":"b"}]}])");
    EXPECT_TRUE(strokesOfWidth(ops, kLeader).empty());
}

TEST(FigCells, TooShortBraceDrawsNothing) {
    auto ops = cellsOps(R"({"vals":[1],"w":1.5,"groups":[{"label":"tiny","brace":true}]})");
    EXPECT_TRUE(strokesOfWidth(ops, 0.9 * kLine).empty());
    EXPECT_EQ(textsIn(ops, Ink::ink), std::vector<std::string>{"1"});
}

TEST(FigCells, BraceAt) {
    auto fig = makeFig();
    EXPECT_TRUE(fig->braceAt({100, 50}, {100 + 5.9 * kU, 50}, "label", Ink::ink, 2, 18 * kU, 0).isNull());
    EXPECT_TRUE(fig->ops.empty());

    const double ls = 0.86 * kText, tw = textWidth("label", *Faces::font(Faces::Face::hand, ls));
    const double d = 18 * kU;  // 0.18 of a 100-point brace, held at depth0
    // Horizontal either way round: bulges down, label centred under the tip.
    for (double dir : {1.0, -1.0}) {
        auto f = makeFig();
        const Rect r = f->braceAt({150 - 50 * dir, 50}, {150 + 50 * dir, 50}, "label", Ink::ink, 2, 18 * kU, 0);
        expectRect(r, Rect{150 - tw / 2, 50 + 7 * kU + d - 0.15 * ls + 0.2 * ls, tw, 1.1 * ls});
        ASSERT_EQ(all<StrokeOp>(f->ops).size(), 1u);
        EXPECT_GT(f->ops[0]->bounds().maxY(), 50 + 0.9 * d);
        EXPECT_DOUBLE_EQ(all<StrokeOp>(f->ops)[0]->pen.width, 0.9 * 2);
    }
    // Vertical either way round: bulges right, label beside the tip.
    for (double dir : {1.0, -1.0}) {
        auto f = makeFig();
        const Rect r = f->braceAt({100, 100 - 50 * dir}, {100, 100 + 50 * dir}, "label", Ink::ink, 2, 18 * kU, 0);
        expectRect(r, Rect{100 + 7 * kU + d + 4 * kU, 100 - 0.75 * ls + 0.2 * ls, tw, 1.1 * ls});
    }
    // A blank label: the brace alone.
    auto f = makeFig();
    EXPECT_TRUE(f->braceAt({100, 50}, {200, 50}, " \n", Ink::ink, 2, 18 * kU, 0).isNull());
    EXPECT_EQ(f->ops.size(), 1u);
}

TEST(FigCells, Pointers) {
    const double cw = kW / 5;
    const double tipY = kT + kH + 4 * kU;
    const double ptr = 2.4 * kPw;
    // "at" past the end points at the last cell; the shaft is straight when ruled.
    auto ops = drawn(R"([{"k":"cells","ruled":true,"vals":[0,1,2,3,4],"ptr":[{"at":99}]}])");
    auto shafts = strokesOfWidth(ops, ptr);
    ASSERT_EQ(shafts.size(), 2u);  // shaft and head
    EXPECT_NEAR(shafts[0]->bounds().midX(), kL + 4.5 * cw, 1e-9);
    EXPECT_NEAR(shafts[0]->bounds().minY() + ptr, tipY, 1e-9);
    EXPECT_NEAR(shafts[0]->bounds().maxY() - ptr, kT + kH + 4 * kK + 6 * kU, 1e-9);
    EXPECT_NEAR(shafts[1]->bounds().minY() + ptr, tipY, 1e-9);
    EXPECT_EQ(shafts[0]->pen.color, Ink::color("red", Ink::ink));

    // In a column with index labels, the tip stops 5 u left of the cell's label.
    ops = drawn(R"([{"k":"cells","ruled":true,"dir":"v","vals":[0,1,2],"idx":["first"],"ptr":[{"at":0},{"at":1}]}])");
    shafts = strokesOfWidth(ops, ptr);
    ASSERT_EQ(shafts.size(), 4u);
    const double tw = textWidth("first", *Faces::font(Faces::Face::hand, 0.8 * kText));
    EXPECT_NEAR(shafts[0]->bounds().maxX() - ptr, kL - tw - 10 * kU - 5 * kU, 1e-9);
    EXPECT_NEAR(shafts[2]->bounds().maxX() - ptr, kL - 4 * kU, 1e-9);
    EXPECT_NEAR(shafts[2]->bounds().minX() + ptr, kL - 60 * kU, 1e-9);
}

TEST(FigCells, PointerLabelsStepDownPastEachOther) {
    auto ops = drawn(R"([{"k":"cells","ruled":true,"vals":[0,1,2],"ptr":[{"at":1,"text":"i"},{"at":1,"text":"j"}]}])");
    auto shafts = strokesOfWidth(ops, 2.4 * kPw);
    ASSERT_EQ(shafts.size(), 4u);
    // Two steps of 0.8 of the label size clear a label 1.3 sizes tall.
    const double ps = 0.9 * kText;
    EXPECT_NEAR(shafts[2]->bounds().height() - shafts[0]->bounds().height(), 2 * 0.8 * ps, 1e-9);
    auto labels = all<PhraseOp>(ops);
    ASSERT_EQ(labels.size(), 5u);
    EXPECT_FALSE(labels[3]->bounds().intersects(labels[4]->bounds()));
}

TEST(FigCells, ShaftsBreakAroundBraceLabels) {
    struct Case {
        const char* groups;
        int pieces;
    } cases[] = {
        {R"([{"from":1,"to":1,"label":"middle"}])", 2},
        {R"([{"from":1,"to":1,"brace":true}])", 1},
        {R"([{"from":0,"to":0,"label":"aside"}])", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.groups);
        auto ops = drawn(std::string(R"([{"k":"cells","ruled":true,"vals":[0,1,2],"ptr":[{"at":1}],"groups":)") +
                         c.groups + "}]");
        auto shafts = strokesOfWidth(ops, 2.4 * kPw);
        ASSERT_EQ(shafts.size(), 2u);
        EXPECT_EQ(subpaths(shafts[0]->path), c.pieces);
    }
}

TEST(FigCells, ClearSegments) {
    auto fig = makeFig();
    const Point a{0, 0}, b{100, 0};
    const double g = 2 * kU;        // rectangles are grown by 2 u
    const double step = 100.0 / 66;  // the sample spacing of a 100-point segment
    struct Case {
        std::vector<Rect> rects;
        std::vector<std::pair<double, double>> pieces;  // x of each piece's ends
    } cases[] = {
        {{}, {{0, 100}}},
        {{Rect::null()}, {{0, 100}}},
        {{{40, -5, 20, 10}}, {{0, 40 - g}, {60 + g, 100}}},
        {{{-10, -5, 13, 10}}, {{3 + g, 100}}},
        {{{50, -5, 49, 10}}, {{0, 50 - g}}},                      // what is left at the end is too short
        {{{20, -5, 20, 10}, {44, -5, 20, 10}}, {{0, 20 - g}, {64 + g, 100}}},  // so is the gap
        {{{40, 10, 20, 10}}, {{0, 100}}},
    };
    for (const Case& c : cases) {
        auto pieces = fig->clear(a, b, c.rects);
        ASSERT_EQ(pieces.size(), c.pieces.size());
        for (size_t i = 0; i < pieces.size(); ++i) {
            EXPECT_NEAR(pieces[i].first.x, c.pieces[i].first, step);
            EXPECT_NEAR(pieces[i].second.x, c.pieces[i].second, step);
            EXPECT_EQ(pieces[i].first.y, 0);
        }
    }
    EXPECT_TRUE(fig->clear(a, a, {}).empty());
}

TEST(FigCells, Blank) {
    EXPECT_TRUE(Fig::blank(std::nullopt));
    EXPECT_TRUE(Fig::blank(""));
    EXPECT_TRUE(Fig::blank(" \t\n\r"));
    EXPECT_FALSE(Fig::blank(" x "));
}

TEST(FigCells, SameItemSameInk) {
    const std::string items =
        R"([{"k":"cells","vals":[1,2,"…",4],"idx":true,"hl":[1],"groups":[{"from":0,"to":1,"label":"g","c":"red"}],"ptr":[{"at":3,"text":"p"}]}])";
    EXPECT_TRUE(sameInk(drawn(items), drawn(items)));
}
