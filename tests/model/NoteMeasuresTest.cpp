#include "model/NotebookModel.h"

#include "ink/Hand.h"

#include <gtest/gtest.h>

using namespace nolby;

namespace {

NotebookModel::Editing editing(std::string text, double width = 300, std::optional<std::string> about = std::nullopt) {
    NotebookModel::Editing e;
    e.id = *Uuid::parse("11111111-2222-4333-8444-555555555555");
    e.x = 28;
    e.y = 100;
    e.width = width;
    e.text = std::move(text);
    e.about = std::move(about);
    return e;
}

}  // namespace

TEST(NoteMeasures, NoteText) {
    struct Case {
        const char* text;
        std::optional<std::string> about;
        const char* written;
    };
    const Case cases[] = {
        {"why?", std::nullopt, "why?"},
        {"why?", std::string("(halves)"), "{grey:\u201chalves\u201d \u2192} why?"},
        {"why?", std::string("{red:*a* `b`}: $c$ ~d~ _e_"), "{grey:\u201creda b c d e\u201d \u2192} why?"},
        {"why?", std::string(""), "{grey:\u2191} why?"},
        {"why?", std::string("()"), "{grey:\u2191} why?"},
        {"why?", std::string("one two  three four five"), "{grey:\u201cone two  three four five\u201d \u2192} why?"},
        {"why?", std::string("one two three four five six"), "{grey:\u201cone two three four\u2026\u201d \u2192} why?"},
    };
    for (const Case& c : cases) EXPECT_EQ(NotebookModel::noteText(c.text, c.about), c.written) << c.written;
}

TEST(NoteMeasures, EditingHeightIsWholeLines) {
    using M = NotebookModel;
    EXPECT_NEAR(M::editingHeight(editing("")), 24.14, 1e-12);
    EXPECT_NEAR(M::editingHeight(editing("short")), 24.14, 1e-12);
    EXPECT_NEAR(M::editingHeight(editing("one\ntwo\nthree")), 72.42, 1e-12);
    // A long text wraps in a narrow column.
    EXPECT_GT(M::editingHeight(editing("a rather long note that must wrap onto several lines", 120)), 48.3);
}

TEST(NoteMeasures, FirstBaselineIsTheFirstLineOfANote) {
    Hand hand(1);
    auto r = hand.write("x", 0, 0, 100, 17);
    EXPECT_EQ(NotebookModel::firstBaseline(), r.lines.at(0).y);
}

TEST(NoteMeasures, CaretFollowsTheText) {
    using M = NotebookModel;

    // An empty note: the caret stands at the column start on the first baseline.
    Rect empty = M::caret(editing(""));
    EXPECT_DOUBLE_EQ(empty.x, 28 + 1.5);
    EXPECT_DOUBLE_EQ(empty.y, 100 + NotebookModel::firstBaseline() - 13.6);
    EXPECT_EQ(empty.w, 0);
    EXPECT_DOUBLE_EQ(empty.h, 17.34);

    Rect word = M::caret(editing("halves"));
    Rect spaced = M::caret(editing("halves "));
    EXPECT_GT(word.x, 28 + 20);
    EXPECT_NEAR(spaced.x - word.x, 5.1, 1e-9);  // a trailing space: one space further
    EXPECT_DOUBLE_EQ(spaced.y, word.y);

    // A trailing line break: the start of the next line.
    Rect broken = M::caret(editing("halves\n"));
    EXPECT_DOUBLE_EQ(broken.x, 28 + 1.5);
    EXPECT_DOUBLE_EQ(broken.y, word.y + 24.14);
}

TEST(NoteMeasures, AnswerRoomOfAQuestion) {
    struct Case {
        const char* json;
        std::optional<double> h;
        std::optional<Rect> room;
    };
    const Geo geo{400, 869};
    const Case cases[] = {
        {R"({"t":"ask","text":"?"})", 100, Rect{27, 200 + 100 - 42.24, 346, 42.24}},  // 12 % of 352
        {R"({"t":"ask","space":100})", 300, Rect{27, 200 + 300 - 211.2, 346, 211.2}},  // taken as 60
        {R"({"t":"ask","space":2})", 100, Rect{27, 200 + 100 - 28.9, 346, 28.9}},     // never below 28.9
        {R"({"t":"ask","space":"30"})", 200, Rect{27, 200 + 200 - 105.6, 346, 105.6}},
        {R"({"t":"ask"})", std::nullopt, std::nullopt},  // stored without a height
        {R"({"t":"p"})", 100, std::nullopt},
        {R"(nonsense)", 100, std::nullopt},
    };
    for (const Case& c : cases) {
        BlockItem b;
        b.json = c.json;
        b.y = 200;
        b.h = c.h;
        auto r = NotebookModel::room(b, geo);
        ASSERT_EQ(r.has_value(), c.room.has_value()) << c.json;
        if (!r) continue;
        EXPECT_NEAR(r->x, c.room->x, 1e-9) << c.json;
        EXPECT_NEAR(r->y, c.room->y, 1e-9) << c.json;
        EXPECT_NEAR(r->w, c.room->w, 1e-9) << c.json;
        EXPECT_NEAR(r->h, c.room->h, 1e-9) << c.json;
    }
}
