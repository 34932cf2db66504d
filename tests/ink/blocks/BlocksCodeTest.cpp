#include "BlocksTestSupport.h"
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/blocks/Blocks.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/MonoOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "platform/TextLine.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <set>

using namespace nolby;
using namespace nolby::testing;

namespace {

// A code block of the given lines (and any further keys, as JSON members).
J codeOf(const std::vector<std::string>& lines, const std::string& more = "") {
    nlohmann::json o{{"t", "code"}, {"lines", lines}};
    std::string text = o.dump();
    if (!more.empty()) text = text.substr(0, text.size() - 1) + "," + more + "}";
    return obj(text);
}

// One letter per colour, so a line's colours read as a short word.
char letterOf(Color c) {
    auto named = [](const char* n) { return Ink::color(std::string(n), Ink::paper); };
    if (c == Ink::ink) return 'k';
    if (c == Ink::grey) return 'g';
    if (c == named("green")) return 'G';
    if (c == named("orange")) return 'o';
    if (c == named("violet")) return 'v';
    if (c == named("blue")) return 'b';
    return '?';
}

std::string letters(const std::vector<Color>& colors) {
    std::string s;
    for (Color c : colors) s += letterOf(c);
    return s;
}

std::string cellLetters(const MonoOp& op) {
    std::string s;
    for (const auto& cell : op.cells()) s += letterOf(cell.color);
    return s;
}

// Height of n rows at a code size: the card from y 8 and 6 below it.
double heightOf(double size, int n) { return 1.45 * size * n + 14.4 + 14; }

}  // namespace

TEST(BlocksCode, TintColoursEachCharacter) {
    struct Case {
        const char* line;
        bool output;
        const char* colors;
    };
    const Case cases[] = {
        {">>> x = 1", false, "gggkkkkko"},
        {"1", true, "b"},
        {"for x in y # all blue", true, "bbbbbbbbbbbbbbbbbbbbb"},
        {"... x", false, "gggkk"},  // the dots are grey even outside a transcript
        {">>>", false, "ggg"},
        {"", false, ""},
        {"x2 = 2e5", false, "kkkkkooo"},  // x2 is one word; 2e5 one number
        {"0x1F", false, "okkk"},          // a 0, then the word x1F
        {"a1.5", false, "kkko"},
        {"x=-1.5_0", false, "kkkooooo"},
        {"s = 'a#b", false, "kkkkGGGG"},           // unterminated: to the end; # is part of it
        {"a # c 'x'", false, "kkggggggg"},         // a comment swallows the rest
        {"\"it's\" + 'x'", false, "GGGGGGkkkGGG"},  // the other quote does not close
        {"print(len(x))", false, "vvvvvkvvvkkkk"},
        {"Print(Len)", false, "kkkkkkkkkk"},  // case-sensitive
        {"def f_1(n):", false, "vvvkkkkkkkk"},
        {"x = None or True", false, "kkkkvvvvkvvkvvvv"},
        {"const f = function", false, "vvvvvkkkkkvvvvvvvv"},
        {"\u03c02 = \u00bd", false, "kkkkko"},       // π2 is a word; ½ is a number
        {"x = \"e\u0301\"", false, "kkkkGGG"},      // é with a combining accent is one character
        {"_if if_ if", false, "kkkkkkkkvv"},
    };
    for (const Case& c : cases) EXPECT_EQ(letters(Blocks::tint(c.line, c.output)), c.colors) << c.line;
}

TEST(BlocksCode, KeywordSet) {
    const auto& words = Blocks::pyWords();
    EXPECT_EQ(std::set<std::string>(words.begin(), words.end()).size(), 35u);
    for (const char* w : {"def", "print", "len", "None", "let", "var", "func", "const", "function", "continue"})
        EXPECT_TRUE(Blocks::isPyWord(w)) << w;
    for (const char* w : {"Print", "none", "self", "async", ""}) EXPECT_FALSE(Blocks::isPyWord(w)) << w;
}

TEST(BlocksCode, TranscriptRowsLabelAndHeight) {
    Laid laid = page().lay(codeOf({">>> x = 1", "1"}), 3);
    EXPECT_NEAR(laid.height, heightOf(14.5, 2), 1e-9);
    EXPECT_TRUE(laid.rooms.empty());

    // Card fill first, then its border, then the label.
    auto card = std::dynamic_pointer_cast<const FillOp>(laid.ops.at(0));
    ASSERT_TRUE(card);
    EXPECT_EQ(card->color, Color::hex(0xf3efe6));
    EXPECT_EQ(card->blend, BlendMode::multiply);
    EXPECT_NEAR(card->bounds().x, 24, 1e-9);
    EXPECT_NEAR(card->bounds().y, 8, 1e-9);
    EXPECT_NEAR(card->bounds().w, 12 * 8.7 + 30, 1e-9);  // 12 cells at least
    EXPECT_NEAR(card->bounds().h, 1.45 * 14.5 * 2 + 14.4, 1e-9);
    auto border = std::dynamic_pointer_cast<const StrokeOp>(laid.ops.at(1));
    ASSERT_TRUE(border);
    EXPECT_EQ(border->pen, Pen::usual(Ink::faint, 1.3));
    EXPECT_EQ(border->pace(), 2.5);

    auto label = std::dynamic_pointer_cast<const TextOp>(laid.ops.at(2));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text, "python");
    EXPECT_EQ(label->color, Ink::grey);
    EXPECT_EQ(label->size, 12);
    EXPECT_EQ(label->y, 4);
    EXPECT_NEAR(label->x + label->glyphs.width, 24 + 134.4 - 8, 1e-9);

    auto rows = opsOf<MonoOp>(laid);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(cellLetters(*rows[0]), "gggkkkkko");
    EXPECT_EQ(cellLetters(*rows[1]), "b");
    EXPECT_EQ(rows[0]->pause, 0);
    EXPECT_EQ(rows[1]->pause, 0.65);
    EXPECT_EQ(rows[0]->x, 36);
    EXPECT_NEAR(rows[0]->y, 15.2 + 14.5, 1e-9);
    EXPECT_NEAR(rows[1]->y, 15.2 + 14.5 + 1.45 * 14.5, 1e-9);
    EXPECT_NEAR(rows[0]->adv, 8.7, 1e-12);
    EXPECT_EQ(rows[0]->size, 14.5);
}

TEST(BlocksCode, LabelOnlyWhenNamedOrATranscript) {
    struct Case {
        std::vector<std::string> lines;
        const char* more;
        const char* label;  // nullptr: none
    };
    const Case cases[] = {
        {{">>> 1 + 1", "2"}, "", "python"},
        {{">>> 1 + 1", "2"}, R"("lang":"")", nullptr},
        {{"x = 1"}, "", nullptr},
        {{"x = 1"}, R"("lang":"rust")", "rust"},
        {{"... x", "y"}, "", nullptr},  // only ">>>" makes a transcript
    };
    for (const Case& c : cases) {
        Laid laid = page().lay(codeOf(c.lines, c.more), 1);
        auto texts = opsOf<TextOp>(laid);
        if (!c.label) {
            EXPECT_TRUE(texts.empty()) << c.more;
            continue;
        }
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0]->text, c.label);
    }
    // Outside a transcript "..." lines are code: pause 0.26, dots grey, rest coloured.
    auto rows = opsOf<MonoOp>(page().lay(codeOf({"... x", "y"}), 1));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(cellLetters(*rows[0]), "gggkk");
    EXPECT_EQ(rows[1]->pause, 0.26);
}

TEST(BlocksCode, SizeAndCardWidthFollowTheLongestLine) {
    struct Case {
        std::string line;
        bool notes;
        double pageW, size, cardW;
    };
    const Case cases[] = {
        {"x = 1", false, 400, 14.5, 134.4},                  // 12 cells at least
        {"x = 1        ", false, 400, 14.5, 134.4},          // trailing spaces never widen
        {"\t\tx = 1", false, 400, 14.5, 13 * 8.7 + 30},      // tabs count four
        {std::string(30, 'a'), false, 400, 14.5, 291},       // 261 ≤ 328
        {std::string(40, 'a'), false, 400, 328.0 / 24, 352},  // shrinks to fit; card capped at W
        {std::string(60, 'a'), true, 400, 10.5, 246.4},      // notes take 0.3 W: max(222.4 / 36, 10.5)
        {std::string(100, 'a'), false, 400, 10.5, 352},      // never below 10.5: runs past the card
        {std::string(60, 'a'), false, 600, 14.5, 552},
        {std::string(12, 'a') + "\u00e9\u0301", false, 400, 14.5, 13 * 8.7 + 30},  // characters, not bytes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Laid laid = page(c.pageW).lay(codeOf({"#", c.line}, c.notes ? R"("notes":[{"text":"n"}])" : ""), 1);
        auto rows = opsOf<MonoOp>(laid);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_NEAR(rows[1]->size, c.size, 1e-9);
        EXPECT_NEAR(rows[1]->adv, 0.6 * c.size, 1e-9);
        EXPECT_NEAR(laid.ops.at(0)->bounds().w, c.cardW, 1e-9);
        EXPECT_NEAR(laid.height, heightOf(c.size, 2), 1e-9);
    }
}

TEST(BlocksCode, LinesFromTextBlankRowsAndBadLines) {
    // "text" splits at line breaks; blank rows keep their place; leading spaces stay.
    Laid laid = page().lay(obj(R"({"t":"code","text":"a = 1\r\n\n   \n  b\tc  "})"), 2);
    EXPECT_NEAR(laid.height, heightOf(14.5, 4), 1e-9);
    auto rows = opsOf<MonoOp>(laid);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]->text, "a = 1");
    EXPECT_EQ(rows[1]->text, "  b    c");
    EXPECT_NEAR(rows[1]->y, 15.2 + 14.5 + 3 * 1.45 * 14.5, 1e-9);
    EXPECT_EQ(rows[1]->pause, 0.26);

    // "lines" wins over "text"; numbers in it become their text.
    auto numbered = opsOf<MonoOp>(page().lay(obj(R"({"t":"code","lines":[12, "x"],"text":"y"})"), 2));
    ASSERT_EQ(numbered.size(), 2u);
    EXPECT_EQ(numbered[0]->text, "12");

    // An empty text is one empty line on a card; no lines at all is nothing.
    Laid one = page().lay(obj(R"({"t":"code"})"), 2);
    EXPECT_NEAR(one.height, heightOf(14.5, 1), 1e-9);
    EXPECT_TRUE(opsOf<MonoOp>(one).empty());
    for (const char* none : {R"({"t":"code","lines":[]})", R"({"t":"code","lines":"x = 1","text":"y"})",
                             R"({"t":"code","lines":null,"text":"y"})", R"({"t":"code","lines":[null,{}]})"}) {
        Laid empty = page().lay(obj(none), 2);
        EXPECT_TRUE(empty.ops.empty()) << none;
        EXPECT_EQ(empty.height, 0) << none;
    }
}

TEST(BlocksCode, LongBlocksAreBounded) {
    std::string many;
    for (int i = 0; i < 1000; ++i) many += "x = " + std::to_string(i) + "\n";
    Laid tall = page().lay(*J::parse(nlohmann::json{{"t", "code"}, {"text", many}}.dump()), 1);
    EXPECT_NEAR(tall.height, heightOf(14.5, 400), 1e-6);

    Laid wide = page().lay(codeOf({std::string(5000, 'a') + "  "}), 1);
    auto rows = opsOf<MonoOp>(wide);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->cells().size(), 400u);
}

TEST(BlocksCode, HighlightsClampToTheirLine) {
    const std::vector<std::string> lines{"abcdef", "", "xyz"};
    auto strokes = [&](const std::string& hl) {
        return opsOf<StrokeOp>(page().lay(codeOf(lines, R"("hl":)" + hl), 5));
    };
    auto exact = strokes(R"([{"line":0,"from":2,"to":5}])");
    ASSERT_EQ(exact.size(), 2u);  // the border, then the mark
    const StrokeOp& mark = *exact[1];
    EXPECT_EQ(mark.pen.color, Ink::marker(std::nullopt));
    EXPECT_EQ(mark.pen.width, 0.95 * 14.5);
    EXPECT_EQ(mark.pen.cap, LineCap::butt);
    EXPECT_EQ(mark.pen.join, LineJoin::round);
    EXPECT_EQ(mark.pen.blend, BlendMode::multiply);
    EXPECT_EQ(mark.pace(), 1.6);
    EXPECT_EQ(mark.pause, 0.2);
    // From just before cell 2 to just after cell 5, a little above the baseline.
    const Rect b = mark.path.boundingBox();
    EXPECT_NEAR(b.minX(), 36 + 2 * 8.7 - 1.5, 2);
    EXPECT_NEAR(b.maxX(), 36 + 6 * 8.7 + 1.5, 2);
    EXPECT_NEAR(b.midY(), 29.7 - 0.3 * 14.5, 2);

    // Out-of-range numbers clamp to the same mark; halves round away from zero.
    for (const char* same : {R"([{"from":2,"to":99}])", R"([{"line":-3,"from":1.5,"to":"5"}])",
                             R"([{"line":0,"from":2.4}])"}) {
        auto s = strokes(same);
        ASSERT_EQ(s.size(), 2u) << same;
        EXPECT_EQ(s[1]->path, mark.path) << same;
    }
    auto clamped = strokes(R"([{"line":99,"from":0}])");
    ASSERT_EQ(clamped.size(), 2u);
    EXPECT_NEAR(clamped[1]->path.boundingBox().midY(), 29.7 + 2 * 21.025 - 0.3 * 14.5, 2);

    // Nothing when the end comes before the start, or on an empty line.
    for (const char* none : {R"([{"from":4,"to":3}])", R"([{"line":1}])", R"([{"line":1,"from":0,"to":0}])"})
        EXPECT_EQ(strokes(none).size(), 1u) << none;

    auto pink = strokes(R"([{"line":2,"c":"pink"}])");
    ASSERT_EQ(pink.size(), 2u);
    EXPECT_EQ(pink[1]->pen.color, Ink::marker(std::string("pink")));
}

TEST(BlocksCode, NotesHangBesideTheirLine) {
    Laid laid = page().lay(codeOf({"x = 1", "y = 22"}, R"("notes":[{"line":1,"text":"why?"}])"), 8);
    auto strokes = opsOf<StrokeOp>(laid);
    ASSERT_EQ(strokes.size(), 2u);  // the border, then the leader
    const StrokeOp& leader = *strokes[1];
    EXPECT_EQ(leader.pen, Pen::usual(Ink::color(std::string("red"), Ink::ink), 1.3));
    EXPECT_EQ(leader.pause, 0.3);
    // The leader runs from the note column back to just past the line's last character.
    const double nx = 24 + 134.4 + 16, e = 36 + 6 * 8.7 + 4;
    const Rect b = leader.bounds();
    EXPECT_NEAR(b.minX(), e, 3);
    EXPECT_NEAR(b.maxX(), nx - 3, 3);

    auto text = opsOf<PhraseOp>(laid);
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(laid.ops.back(), text[0]);  // the text follows its leader
    EXPECT_EQ(text[0]->size, 13.5);
    EXPECT_NEAR(text[0]->runs.at(0).x, nx, 1e-9);
    EXPECT_EQ(text[0]->runs.at(0).color, Ink::color(std::string("red"), Ink::ink));

    // Notes, highlights and labels never change the height of short lines.
    Laid plain = page().lay(codeOf({"x = 1", "y = 22"}), 8);
    EXPECT_EQ(laid.height, plain.height);
    Laid marked = page().lay(codeOf({"x = 1", "y = 22"}, R"("lang":"py","hl":[{"line":1}])"), 8);
    EXPECT_EQ(marked.height, plain.height);

    // An unknown colour writes in ink; a line past the end clamps to the last line.
    Laid odd = page().lay(codeOf({"x = 1", "y = 22"}, R"("notes":[{"line":7,"c":"banana","text":"n"}])"), 8);
    auto oddText = opsOf<PhraseOp>(odd);
    ASSERT_EQ(oddText.size(), 1u);
    EXPECT_EQ(oddText[0]->runs.at(0).color, Ink::ink);
    EXPECT_EQ(opsOf<StrokeOp>(odd)[1]->path, leader.path);
}

TEST(BlocksCode, MarksThatDrawNothingTakeNoDraws) {
    // A highlight on an empty line draws nothing and leaves the notes' leaders unchanged.
    const std::vector<std::string> lines{"x = 1", ""};
    Laid with = page().lay(codeOf(lines, R"("hl":[{"line":1}],"notes":[{"text":"n"}])"), 4);
    Laid without = page().lay(codeOf(lines, R"("notes":[{"text":"n"}])"), 4);
    ASSERT_EQ(with.ops.size(), without.ops.size());
    for (size_t i = 0; i < with.ops.size(); ++i) EXPECT_EQ(with.ops[i]->bounds(), without.ops[i]->bounds());
}

TEST(BlocksCode, SameSeedSameInk) {
    const J o = codeOf({"def f(x):", "    return x"}, R"("hl":[{"line":1}],"notes":[{"text":"doubles"}])");
    Laid a = page().lay(o, 12), b = page().lay(o, 12), c = page().lay(o, 13);
    ASSERT_EQ(a.ops.size(), b.ops.size());
    for (size_t i = 0; i < a.ops.size(); ++i) EXPECT_EQ(a.ops[i]->bounds(), b.ops[i]->bounds());
    EXPECT_NE(a.ops[1]->bounds(), c.ops[1]->bounds());  // the border's jitter follows the seed
}
