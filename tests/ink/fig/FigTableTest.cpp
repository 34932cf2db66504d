#include "FigTestSupport.h"

#include "ink/Ink.h"
#include "platform/TextLine.h"

#include <cmath>

using namespace nolby;
using namespace nolby::testing;

namespace {

// The default table fills the default area (FigTestSupport.h): rows 8 high, text 0.95 of the text size.
constexpr double kRowH = 8 * kK;
constexpr double kF = 0.95 * kText;  // below 0.6 × the row height

std::vector<InkOpRef> table(const std::string& keys) { return drawn(R"([{"k":"table",)" + keys + "}]"); }

double handWidth(const std::string& text, double size) {
    return textWidth(text, *Faces::font(Faces::Face::hand, size));
}

// The colours of the written words, in writing order.
std::vector<Color> wordColours(const std::vector<InkOpRef>& ops) {
    std::vector<Color> out;
    for (auto p : all<PhraseOp>(ops))
        for (const auto& run : p->runs) out.push_back(run.color);
    return out;
}

}  // namespace

TEST(FigTable, ColumnsShareTheWidthByTheirWidestText) {
    // Column 0's widest text is "a" (markup is not measured), column 1's "bbbbbb"; the short
    // last row measures 0 in column 1. Highlights show the cells' exact extent.
    auto ops = table(R"("rows":[["a","bbbbbb"],["**a**",""],["a"]],"hl":[[0,0],[0,1]])");
    Faces::registerFrom();
    const double a = handWidth("a", kF) + 1.2 * kF, b = handWidth("bbbbbb", kF) + 1.2 * kF;
    const double w0 = kDefaultWidth * a / (a + b), w1 = kDefaultWidth * b / (a + b);
    const auto washes = all<FillOp>(ops);
    ASSERT_EQ(washes.size(), 2u);
    const Rect c0 = washes[0]->bounds(), c1 = washes[1]->bounds();
    EXPECT_NEAR(c0.minX(), kDefaultLeft + 1.5 * kU, 1e-9);
    EXPECT_NEAR(c0.width(), w0 - 3 * kU, 1e-9);
    EXPECT_NEAR(c1.minX(), kDefaultLeft + w0 + 1.5 * kU, 1e-9);
    EXPECT_NEAR(c1.maxX(), kDefaultLeft + kDefaultWidth - 1.5 * kU, 1e-9);  // the columns fill the width
    EXPECT_NEAR(c1.width(), w1 - 3 * kU, 1e-9);
    EXPECT_NEAR(c0.minY(), kDefaultTop + 1.5 * kU, 1e-9);
    EXPECT_NEAR(c0.height(), kRowH - 3 * kU, 1e-9);
}

TEST(FigTable, RowsCellsAndRules) {
    struct Case {
        const char* keys;
        int frameStrokes;  // four edges and one rule per column after the first
        int rowRules;      // faint rules between rows (0: no such operation)
        bool headerRule;
    } cases[] = {
        {R"("rows":[["h"],["a"],["b"]])", 4, 2, true},
        {R"("rows":[["h","i"],["a"]],"head":false)", 5, 1, false},
        {R"("rows":[["only","one","row"]])", 6, 0, false},  // a lone header: no rule under it
        {R"("rows":["junk",["a"],3,{"x":1},["b","c","d"]])", 6, 1, true},  // non-lists skipped
        {R"("rows":[[1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20]])", 4 + 15, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        auto ops = table(c.keys);
        const auto strokes = all<StrokeOp>(ops);
        ASSERT_EQ(strokes.size(), 1u + (c.rowRules > 0) + c.headerRule);
        EXPECT_EQ(subpaths(strokes[0]->path), c.frameStrokes);
        EXPECT_EQ(strokes[0]->pen, Pen::usual(Ink::ink, 0.85 * kLine));
        if (c.rowRules > 0) {
            EXPECT_EQ(subpaths(strokes[1]->path), c.rowRules);
            EXPECT_EQ(strokes[1]->pen, Pen::usual(Ink::faint, 1.6 * kPw));
        }
        if (c.headerRule) {
            EXPECT_EQ(subpaths(strokes.back()->path), 2);  // two passes in one stroke
            EXPECT_EQ(strokes.back()->pen, Pen::usual(Ink::ink, kLine));
        }
        // The strokes come first, the cell text after them.
        for (size_t i = 0; i < strokes.size(); ++i) EXPECT_EQ(ops[i].get(), strokes[i]);
    }
    // 70 rows of 1 unit: the first 60 are drawn.
    std::string rows = "[";
    for (int i = 0; i < 70; ++i) rows += i ? ",[\"r\"]" : "[\"r\"]";
    auto ops = table(R"("ruled":true,"rh":1,"rows":)" + rows + "]");
    const auto strokes = all<StrokeOp>(ops);
    ASSERT_EQ(strokes.size(), 3u);
    EXPECT_NEAR(strokes[0]->path.boundingBox().maxY(), kDefaultTop + 60 * kK, 1e-9);
    EXPECT_EQ(subpaths(strokes[1]->path), 59);
    EXPECT_EQ(all<PhraseOp>(ops).size(), 60u);
}

TEST(FigTable, CellColours) {
    const Color teal = Ink::color("teal", Ink::ink), blue = Ink::color("blue", Ink::ink),
                red = Ink::color("red", Ink::ink);
    struct Case {
        const char* keys;
        std::vector<Color> words;
    } cases[] = {
        {R"("rows":[["h","i"],["a","b"]],"colc":["blue","red"],"hcol":"teal")", {teal, teal, blue, red}},
        {R"("rows":[["h","i"],["a","b"]],"colc":["blue","red"],"head":false)", {blue, red, blue, red}},
        {R"("rows":[["h"]],"colc":["blue"],"hcol":"teal")", {teal}},  // a lone header row
        {R"("rows":[["h","i","j"],["a","b","c"]],"colc":[null,"nocolour"],"hcol":7)",
         {Ink::ink, Ink::ink, Ink::ink, Ink::ink, Ink::ink, Ink::ink}},
        {R"("rows":[["h"," \n "],["  ","b"]],"colc":["red","blue"])", {Ink::ink, blue}},  // blank cells
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        EXPECT_EQ(wordColours(table(c.keys)), c.words);
    }
}

TEST(FigTable, Highlights) {
    // Three rows of two equal columns.
    struct Case {
        const char* hl;
        std::vector<std::pair<int, int>> cells;
    } cases[] = {
        {R"([[0,0]])", {{0, 0}}},  // the header's first cell
        {R"([["1",0],[1.5,1]])", {{1, 0}, {2, 1}}},  // numeric text; 1.5 rounds to 2
        {R"([[-0.4,1],[true,0]])", {{0, 1}, {1, 0}}},
        {R"([[-1,0],[0,99],[3],[3,0],"x",[null,0],[0,null],[0,"a"],[1e300,0]])", {}},
        {R"({"0":[0,0]})", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hl);
        auto ops = table(std::string(R"("rows":[["x","x"],["x","x"],["x","x"]],"hc":"green","hl":)") + c.hl);
        const auto washes = all<FillOp>(ops);
        ASSERT_EQ(washes.size(), c.cells.size());
        for (size_t i = 0; i < washes.size(); ++i) {
            EXPECT_EQ(washes[i]->color, Fig::markerColor("green"));
            EXPECT_EQ(washes[i]->blend, BlendMode::multiply);
            const Rect r = washes[i]->bounds();
            EXPECT_NEAR(r.minY(), kDefaultTop + c.cells[i].first * kRowH + 1.5 * kU, 1e-9);
            EXPECT_NEAR(r.minX(), kDefaultLeft + c.cells[i].second * kDefaultWidth / 2 + 1.5 * kU, 1e-9);
        }
    }
    auto marked = table(R"("rows":[["x"]],"hl":[[0,0]])");
    auto yellow = all<FillOp>(marked);
    ASSERT_EQ(yellow.size(), 1u);
    EXPECT_EQ(yellow[0]->color, Fig::markerColor("yellow"));
}

TEST(FigTable, TextSize) {
    struct Case {
        const char* keys;
        double size;
    } cases[] = {
        {R"("rows":[["ab"]])", kF},
        {R"("rows":[["ab"]],"size":3)", 0.6 * kRowH},  // the row height caps it
        {R"("rows":[["ab"]],"rh":3)", 0.6 * 3 * kK},
        {R"("rows":[["ab"]],"size":0.1)", 0.3 * kText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        auto ops = table(c.keys);
        const auto phrases = all<PhraseOp>(ops);
        ASSERT_EQ(phrases.size(), 1u);
        EXPECT_NEAR(phrases[0]->size, c.size, 1e-9);
    }
    EXPECT_TRUE(sameInk(table(R"("rows":[["ab","c"]],"size":10)"), table(R"("rows":[["ab","c"]],"size":3)")));
}

TEST(FigTable, NothingToDraw) {
    for (const char* keys : {R"("x":3)", R"("rows":"a")", R"("rows":[])", R"("rows":[[],[]])", R"("rows":[3,"a"])",
                             R"("rows":[["a"]],"w":0)", R"("rows":[["a"]],"w":-20)", R"("rows":[["a"]],"rh":0)",
                             R"("rows":[["a"]],"rh":-8)"}) {
        SCOPED_TRACE(keys);
        EXPECT_TRUE(table(keys).empty());
    }
}
