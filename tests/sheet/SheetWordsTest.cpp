// The sheet's words: hit-testing with its slop, the nearest word while dragging, the word
// cache, and the selection's text forms and lines.
#include "SheetPointerTestSupport.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::test;

namespace {

// Page 0: a paragraph of three words on two lines and one of two words; page 1 empty;
// page 2 one paragraph of two words.
struct Lesson {
    BlockItem a = paragraph(100), b = paragraph(200), c = paragraph(100);
    NotebookModel& m;
    explicit Lesson(InputRig& r) : m(r.open(notebookOf({{a, b}, {}, {c}}))) {
        primeWords(m, a, {wordRun("The", 30, 120, 30), wordRun("entropy,", 70, 120, 60), wordRun("rises", 30, 150, 40)});
        primeWords(m, b, {wordRun("Heat", 30, 220, 40), wordRun("flows.", 80, 220, 50)});
        primeWords(m, c, {wordRun("Last", 30, 120, 40), wordRun("word", 80, 120, 40)});
    }
};

SheetWords::Picked pick(int page, std::string text, Uuid block, Rect rect = {}) {
    return {page, NotebookModel::Word{rect, std::move(text), block}};
}

}  // namespace

TEST(SheetWords, AWordCountsThreePointsBeyondItsBox) {
    InputRig r;
    Lesson l(r);
    SheetWords w;
    struct Case {
        Point at;
        std::optional<int> word;
    };
    // "The" is boxed (30, 111.8, 30, 10.8); "entropy," starts at 70.
    const Case cases[] = {
        {{28, 115}, 0},  {{27, 115}, 0},  {{26.9, 115}, std::nullopt}, {{62.9, 115}, 0},
        {{63, 115}, std::nullopt}, {{45, 108.8}, 0}, {{45, 108.7}, std::nullopt}, {{68, 115}, 1},
        {{40, 150}, 2},  {{100, 215}, 4},
    };
    for (const Case& c : cases) EXPECT_EQ(w.wordUnder(l.m, c.at, 0), c.word) << c.at.x << "," << c.at.y;
    EXPECT_EQ(w.wordUnder(l.m, {45, 115}, 1), std::nullopt);
    EXPECT_EQ(w.wordUnder(l.m, {45, 115}, 7), std::nullopt);
}

TEST(SheetWords, ADiveMarkCountsTwoAcrossAndFourUpAndDown) {
    InputRig r;
    const Uuid dive = Uuid::random();
    BlockItem hole;
    hole.json = R"({"t":"hole","to":")" + dive.string() + R"(","text":"entropy"})";
    hole.box = Rect{10, 20, 80, 30};
    NotebookModel& m = r.open(notebookOf({{hole}}));
    struct Case {
        Point at;
        bool hit;
    };
    const Case cases[] = {
        {{8, 25}, true},  {{7.9, 25}, false}, {{91.9, 25}, true}, {{92, 25}, false},
        {{50, 16}, true}, {{50, 15.9}, false}, {{50, 53.9}, true}, {{50, 54}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SheetWords::dive(m, c.at, 0), c.hit ? std::optional<Uuid>(dive) : std::nullopt) << c.at.x << "," << c.at.y;
}

TEST(SheetWords, TheNearestWordWeighsVerticalDistanceThreeTimes) {
    InputRig r;
    Lesson l(r);
    SheetWords w;
    const SheetLayout withEmpty = handLayout({{0, 40, 400}, {1, 40, 200}, {2, 40, 300}});
    // Right of "rises" and a little below it: "flows." is nearer on the page, but not when
    // height counts three times.
    EXPECT_EQ(w.nearestWord(l.m, withEmpty, {200, 160}, 0), (SheetWords::Ref{0, 2}));
    EXPECT_EQ(w.nearestWord(l.m, withEmpty, {100, 400}, 0), (SheetWords::Ref{0, 4}));
    EXPECT_EQ(w.nearestWord(l.m, withEmpty, {0, 0}, 0), (SheetWords::Ref{0, 0}));
    // A page without words: the last word of the nearest earlier page, else the first of a later one.
    EXPECT_EQ(w.nearestWord(l.m, withEmpty, {100, 100}, 1), (SheetWords::Ref{0, 4}));
    EXPECT_EQ(w.nearestWord(l.m, handLayout({{1, 40, 200}, {2, 40, 300}}), {100, 100}, 1), (SheetWords::Ref{2, 0}));
    EXPECT_EQ(w.nearestWord(l.m, handLayout({{1, 40, 200}}), {100, 100}, 1), std::nullopt);
}

TEST(SheetWords, TheCacheKnowsThePageAndBothVersionsApart) {
    InputRig r;
    Lesson l(r);
    SheetWords w;
    const Uuid first = l.m.nb->pages[0].id, last = l.m.nb->pages[2].id;
    l.m.pageVersions.modify([&](auto& v) { v[first] = 7; });
    ASSERT_EQ(w.words(l.m, 0).size(), 5u);
    // The last page moves to the front with version 0 while the writer's version goes to 1:
    // 0 + 7 × 1 is the sum the first page was cached under.
    l.m.nb.modify([](Notebook& n) { std::swap(n.pages[0], n.pages[2]); });
    l.m.scribe->version.modify([](int& v) { ++v; });
    EXPECT_EQ(w.words(l.m, 0).size(), 2u);
    EXPECT_EQ(w.words(l.m, 0)[0].text, "Last");
    // The same versions on another page are another page.
    l.m.pageVersions.modify([&](auto& v) { v[first] = 0; v[last] = 0; });
    l.m.nb.modify([](Notebook& n) { std::swap(n.pages[0], n.pages[2]); });
    EXPECT_EQ(w.words(l.m, 0).size(), 5u);
    // A change of the page is news; the cache serves the same list until then.
    const NotebookModel::Word* before = &w.words(l.m, 0)[0];
    EXPECT_EQ(&w.words(l.m, 0)[0], before);
    l.m.mutate(0, false, [](std::vector<PageItem>& items) { items.pop_back(); });
    EXPECT_EQ(w.words(l.m, 0).size(), 3u);
}

TEST(SheetWords, SelectedTextPhraseAndPassage) {
    InputRig r;
    Lesson l(r);
    SheetWords w;
    const SheetLayout layout = handLayout({{0, 40, 400}, {2, 40, 300}});
    struct Case {
        SheetWords::Selection sel;
        std::string text, phrase, passage;
    };
    const Case cases[] = {
        {{{0, 1}, {0, 1}}, "entropy,", "entropy", "The entropy, rises"},
        {{{0, 3}, {0, 0}}, "The entropy, rises\n\nHeat", "The entropy, rises Heat", "The entropy, rises\nHeat flows."},
        {{{0, 4}, {2, 0}}, "flows.\n\nLast", "flows. Last", "Heat flows.\nLast word"},
        {{{0, 2}, {0, 9}}, "rises\n\nHeat flows.", "rises Heat flows", "The entropy, rises\nHeat flows."},
    };
    for (const Case& c : cases) {
        const auto picked = w.picked(l.m, layout, c.sel);
        const std::string text = SheetWords::selectedText(picked);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(SheetWords::phrase(text), c.phrase);
        EXPECT_EQ(w.passage(l.m, picked), c.passage);
    }
    // Closing punctuation takes no space before it; quotes, brackets and punctuation trim.
    const Uuid b = Uuid::random();
    EXPECT_EQ(SheetWords::selectedText({pick(0, "one", b), pick(0, ",", b), pick(0, "\u201Dtwo", b), pick(0, "(x)", b)}),
              "one,\u201Dtwo (x)");
    const std::pair<const char*, const char*> phrases[] = {
        {"\u201Centropy,\u201D", "entropy"}, {" (\u2018a b\u2019) ", "a b"}, {"[\"x\"]", "x"},
        {"?!", ""}, {"", ""}, {"don't.", "don't"},
    };
    for (const auto& [in, out] : phrases) EXPECT_EQ(SheetWords::phrase(in), out) << in;
}

TEST(SheetWords, SelectedLinesOnTheSheetAndOnThePage) {
    const Uuid b = Uuid::random();
    const SheetLayout layout = handLayout({{0, 40, 400}}, 400, 2);
    const std::vector<SheetWords::Picked> picked = {
        pick(0, "The", b, wordBox(30, 120, 30)), pick(0, "entropy,", b, wordBox(70, 120, 60)),
        pick(0, "rises", b, wordBox(30, 150, 40)),
        pick(0, "back", b, wordBox(20, 150, 5)),  // left of the line's start: a line of its own
        pick(1, "gone", b, wordBox(30, 120, 40)),  // a page without a slice
    };
    const std::vector<Rect> sheet = SheetWords::selectedLines(layout, picked);
    ASSERT_EQ(sheet.size(), 3u);
    expectNear(sheet[0], {158, 182.1, 204, 24.6});
    expectNear(sheet[1], {158, 242.1, 84, 24.6});
    expectNear(sheet[2], {138, 242.1, 14, 24.6});
    const std::vector<Rect> page = SheetWords::linesOnPage(picked, 0);
    ASSERT_EQ(page.size(), 2u);
    expectNear(page[0], {30, 111.8, 100, 10.8});
    expectNear(page[1], {20, 141.8, 50, 10.8});
}
