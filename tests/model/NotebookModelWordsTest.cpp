// Words and hit-testing on blocks whose ink is primed with phrases of chosen widths, so
// every box is known exactly.
#include "NoteTestSupport.h"

#include "ink/Faces.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/TextOp.h"
#include "ink/ops/WrapOp.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::test;

namespace {

constexpr double kSize = 10;

// A run of the given text and width, its baseline at (x, y).
PhraseOp::Run run(std::string text, double x, double y, double width) {
    GlyphRun g;
    g.text = std::move(text);
    g.width = width;
    return {g, x, y, Ink::ink};
}

InkOpRef phrase(std::vector<PhraseOp::Run> runs) { return std::make_shared<PhraseOp>(std::move(runs), kSize); }

// A run's word box as written: from 0.82 of the size above its baseline, 1.08 of it high.
Rect boxOf(double x, double y, double width) { return {x, y - 0.82 * kSize, width, 1.08 * kSize}; }

BlockItem blockOf(std::string kind, double y) {
    BlockItem b;
    b.json = R"({"t":")" + kind + R"("})";
    b.y = y;
    return b;
}

}  // namespace

TEST(NotebookModelWords, TheBlockUnderAPoint) {
    ModelRig rig;
    BlockItem para = paragraph(100), mark = blockOf("mark", 100), later = paragraph(300), over = paragraph(310);
    TextItem typed = note(100, "not a block");
    NotebookModel& m = rig.open(notebookOf({{para, mark, typed, later, over}, {}}));
    primeInk(m, para, 100, 140);                  // x 24 ... 224
    primeInk(m, mark, 100, 140);                  // a mark over the paragraph
    primeInk(m, later, 300, 340), primeInk(m, over, 310, 350);

    struct Case {
        Point at;
        std::optional<Uuid> block;
    };
    const Case cases[] = {
        {{21, 120}, para.id},        // 3 outside the ink still hits
        {{20, 96}, para.id},         // the grown rectangle holds its min edges
        {{228, 120}, std::nullopt},  // but not its max edges
        {{100, 144}, std::nullopt},
        {{227.99, 143.99}, para.id},
        {{100, 320}, over.id},       // of two blocks, the later on the page
        {{300, 120}, std::nullopt},
    };
    for (const Case& c : cases) {
        std::optional<NotebookModel::Hit> hit = m.blockHit(c.at);
        ASSERT_EQ(hit.has_value(), c.block.has_value()) << c.at.x << "," << c.at.y;
        if (!hit) continue;
        EXPECT_EQ(hit->block.id, *c.block);
        EXPECT_EQ(hit->bounds, m.bounds(hit->block)) << "the bounds as they are, not grown";
    }
    EXPECT_FALSE(m.blockHit({100, 120}, 1));
    EXPECT_FALSE(m.blockHit({100, 120}, 2));
    m.pageIndex.set(1);
    EXPECT_TRUE(m.blockHit({100, 120}, 0));
    EXPECT_FALSE(m.blockHit({100, 120}));
}

TEST(NotebookModelWords, TheWordNearestAPoint) {
    ModelRig rig;
    BlockItem para = paragraph(100);
    NotebookModel& m = rig.open(notebookOf({{para}}));
    m.cache->prime(para,
                   {phrase({run("\u201cEnergy,\u201d", 30, 120, 60), run("?!", 200, 120, 10)}),
                    phrase({run("first", 100, 200, 40), run("second", 100, 200, 40)})},
                   m.geo());
    struct Case {
        Point at;
        std::optional<std::string> word;
        Rect box;  // the written box, before growing
    };
    const Case cases[] = {
        {{50, 115}, "Energy", boxOf(30, 120, 60)},  // without the quotes and the comma
        {{24, 115}, "Energy", boxOf(30, 120, 60)},  // 6 left of the box: in
        {{96, 115}, std::nullopt, {}},              // 6 right of it: out (a max edge)
        {{205, 115}, std::nullopt, {}},             // only punctuation is never a word
        {{120, 196}, "first", boxOf(100, 200, 40)}, // an exact tie: the earlier box
    };
    for (const Case& c : cases) {
        std::optional<NotebookModel::WordBox> w = m.wordAt(c.at, para);
        ASSERT_EQ(w.has_value(), c.word.has_value()) << c.at.x << "," << c.at.y;
        if (!w) continue;
        EXPECT_EQ(w->text, *c.word);
        EXPECT_EQ(w->rect, c.box.insetBy(-5, -3));
    }
}

TEST(NotebookModelWords, WordsOfABlockAreAsWritten) {
    ModelRig rig;
    BlockItem para = paragraph(100);
    NotebookModel& m = rig.open(notebookOf({{para}}));
    auto printed = std::make_shared<TextOp>("Power", 40, 300, *Faces::font(Faces::Face::hand, kSize), Ink::ink);
    m.cache->prime(para,
                   {phrase({run("comma,", 30, 120, 50), run("   ", 80, 120, 12), run("\t", 92, 120, 4)}),
                    printed->offset(0, 50)},
                   m.geo());
    const std::vector<NotebookModel::WordBox> words = m.words(para);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0], (NotebookModel::WordBox{boxOf(30, 120, 50), "comma,"}));
    EXPECT_EQ(words[1].text, "Power");
    const Rect shifted = boxOf(40, 350, printed->glyphs.width);  // through its shift
    EXPECT_NEAR(words[1].rect.minX(), shifted.minX(), 1e-9);
    EXPECT_NEAR(words[1].rect.minY(), shifted.minY(), 1e-9);
    EXPECT_NEAR(words[1].rect.width(), shifted.width(), 1e-9);
}

TEST(NotebookModelWords, ATurnedRunIsBoxedWhereItIsDrawn) {
    ModelRig rig;
    BlockItem para = paragraph(100);
    NotebookModel& m = rig.open(notebookOf({{para}}));
    m.cache->prime(para, {std::make_shared<RotOp>(phrase({run("up", 100, 100, 20)}), 90, 100, 100)}, m.geo());
    const std::vector<NotebookModel::WordBox> words = m.words(para);
    ASSERT_EQ(words.size(), 1u);
    // (100, 91.8, 20, 10.8) turned a quarter about (100, 100).
    EXPECT_NEAR(words[0].rect.minX(), 97.4, 1e-9);
    EXPECT_NEAR(words[0].rect.minY(), 100, 1e-9);
    EXPECT_NEAR(words[0].rect.width(), 10.8, 1e-9);
    EXPECT_NEAR(words[0].rect.height(), 20, 1e-9);
}

TEST(NotebookModelWords, WordsOfAPageGoBlockByBlockFromTheTop) {
    ModelRig rig;
    BlockItem low = paragraph(300), a = paragraph(100), b = paragraph(100), hole = blockOf("hole", 50);
    TextItem typed = note(20, "typed words are not listed");
    NotebookModel& m = rig.open(notebookOf({{low, a, hole, typed, b}}));
    m.cache->prime(low, {phrase({run("third", 30, 320, 30)})}, m.geo());
    m.cache->prime(a, {phrase({run("first", 30, 120, 30)})}, m.geo());
    m.cache->prime(b, {phrase({run("second", 30, 120, 30)})}, m.geo());
    m.cache->prime(hole, {phrase({run("overlay", 30, 60, 30)})}, m.geo());
    std::vector<std::string> texts;
    std::vector<Uuid> blocks;
    for (const NotebookModel::Word& w : m.words(0)) {
        texts.push_back(w.text);
        blocks.push_back(w.block);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(blocks, (std::vector<Uuid>{a.id, b.id, low.id}));
    EXPECT_TRUE(m.words(1).empty());
    EXPECT_TRUE(m.words(-1).empty());
}

TEST(NotebookModelWords, WhereAWordIsWritten) {
    ModelRig rig;
    BlockItem para = paragraph(100), printed = paragraph(200);
    NotebookModel& m = rig.open(notebookOf({{para, printed}, {}}));
    m.cache->prime(para, {phrase({run("Energy.", 30, 120, 60)})->offset(0, 10)}, m.geo());
    m.cache->prime(printed, {std::make_shared<TextOp>("power", 40, 300, *Faces::font(Faces::Face::hand, kSize), Ink::ink)},
                   m.geo());
    const std::optional<Point> p = m.point("energy");
    ASSERT_TRUE(p);
    EXPECT_NEAR(p->x, 60, 1e-9);
    EXPECT_NEAR(p->y, 127, 1e-9);  // half-way along, 0.3 of the size above the baseline
    EXPECT_TRUE(m.point("ENERGY"));
    EXPECT_FALSE(m.point("energy."));  // the word asked for is not trimmed
    EXPECT_FALSE(m.point("power"));    // print text is not searched
    m.pageIndex.set(1);
    EXPECT_FALSE(m.point("energy"));
}

TEST(NotebookModelWords, DiveMarksReadBack) {
    ModelRig rig;
    const Uuid dive = Uuid::random();
    const auto hole = [&](std::string extra, std::optional<Rect> box, std::string to) {
        BlockItem b;
        b.json = R"({"t":"hole","to":")" + to + R"(","text":"kinetic energy")" + extra + "}";
        b.box = box;
        return b;
    };
    const Rect box{10, 20, 80, 30};
    BlockItem full = hole(R"(,"r":[[0,0,30,12],[5,"14",20,true],["x",1,2,3],[1,2,3],7])", box, dive.string());
    BlockItem plain = hole(R"(,"r":"none")", box, dive.string());
    BlockItem noBox = hole("", std::nullopt, dive.string());
    BlockItem badTo = hole("", box, "not a uuid");
    NotebookModel& m = rig.open(notebookOf({{full, noBox, badTo, plain, paragraph(300)}}));

    const std::vector<NotebookModel::Dive> dives = m.dives(0);
    ASSERT_EQ(dives.size(), 2u);
    EXPECT_EQ(dives[0], (NotebookModel::Dive{{{10, 20, 30, 12}, {15, 34, 20, 1}}, dive, "kinetic energy"}));
    EXPECT_EQ(dives[1].rects, std::vector<Rect>{box});
    EXPECT_TRUE(m.dives(1).empty());
}

TEST(NotebookModelWords, MarkingADive) {
    ModelRig rig;
    Notebook n = notebookOf({{}});
    n.turns.resize(3);
    NotebookModel& m = rig.open(n);
    const Uuid dive = Uuid::random();
    m.markDive(0, {{10, 20, 30, 12}}, dive, "energy");
    ASSERT_EQ(m.nb->pages[0].items.size(), 1u);
    const BlockItem& b = *m.nb->pages[0].items[0].block();
    EXPECT_EQ(b.json, R"({"r":[[0,0,30,12]],"t":"hole","text":"energy","to":")" + dive.string() + R"("})");
    EXPECT_EQ(b.box, (Rect{10, 20, 30, 12}));
    EXPECT_EQ(b.y, 20);
    EXPECT_EQ(b.h, 0);
    EXPECT_EQ(b.dx, 0);
    EXPECT_EQ(b.turn, 3);
    EXPECT_GE(b.seed, 1u);
    EXPECT_LT(b.seed, uint64_t(1) << 62);
    EXPECT_TRUE(m.undoStack.empty());
    EXPECT_EQ(m.version(0), 1);
    EXPECT_EQ(m.dives(0), (std::vector<NotebookModel::Dive>{{{{10, 20, 30, 12}}, dive, "energy"}}));

    m.markDive(0, {{10, 20, 30, 12}, {50, 34, 20, 12}}, dive, "two lines");
    EXPECT_NE(m.nb->pages[0].items[1].block()->json.find(R"("r":[[0,0,30,12],[40,14,20,12]])"), std::string::npos);
    m.markDive(0, {}, dive, "nothing");
    m.markDive(1, {{10, 20, 30, 12}}, dive, "no page");
    EXPECT_EQ(m.nb->pages[0].items.size(), 2u);
}
