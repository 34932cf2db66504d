#include "BlocksTestSupport.h"
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/blocks/Blocks.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::testing;

namespace {

// The baselines of the answer area's rules: one sub-path per rule.
std::vector<double> ruleRows(const StrokeOp& rules) {
    std::vector<double> rows;
    for (const auto& e : rules.path.elements())
        if (e.verb == Path::Verb::move) rows.push_back(e.pts[0].y);
    return rows;
}

// The label (14.5 × 1.42) and one question line (17 × 1.42) above the answer area.
constexpr double kOneLineTop = 20.59 + 1 + 24.14 + 8;

}  // namespace

TEST(BlocksAsk, AnswerAreaHeightAndRules) {
    struct Case {
        const char* space;  // the "space" value as JSON; nullptr: no key
        double pageW, roomH;
        size_t rules;
    };
    const Case cases[] = {
        {nullptr, 400, 42.24, 1},  // the default 12: 3.52 × 12
        {"60", 400, 211.2, 8},
        {"100", 400, 211.2, 8},  // clamped to 60
        {"0", 400, 28.9, 1},     // 6 and below give 6, and 3.52 × 6 is under the floor
        {"-5", 400, 28.9, 1},
        {"6", 400, 28.9, 1},
        {"6.5", 400, 28.9, 1},  // 3.52 × 6.5 is under the floor too
        {"\"30\"", 400, 105.6, 4},  // numeric text reads as a number
        {"\"lots\"", 400, 42.24, 1},
        {"null", 400, 42.24, 1},
        {nullptr, 600, 66.24, 2},  // W 552
        {"60", 600, 331.2, 13},
    };
    for (const Case& c : cases) {
        std::string json = R"({"t":"ask","text":"What is 2 + 3?")";
        if (c.space) json += std::string(R"(,"space":)") + c.space;
        json += "}";
        SCOPED_TRACE(json + " on " + std::to_string(c.pageW));
        Laid laid = page(c.pageW).lay(obj(json), 11);

        ASSERT_EQ(laid.rooms.size(), 1u);
        const Rect room = laid.rooms[0];
        EXPECT_NEAR(room.y, kOneLineTop, 1e-9);
        EXPECT_NEAR(room.h, c.roomH, 1e-9);
        EXPECT_EQ(room.x, 27);
        EXPECT_EQ(room.w, c.pageW - 54);
        EXPECT_EQ(laid.height, room.maxY());  // nothing below the room

        auto rules = std::dynamic_pointer_cast<const StrokeOp>(laid.ops.back());
        ASSERT_TRUE(rules);
        const std::vector<double> rows = ruleRows(*rules);
        ASSERT_EQ(rows.size(), c.rules);
        for (size_t k = 0; k < rows.size(); ++k) EXPECT_NEAR(rows[k], room.y + 22 + 24.14 * k, 1e-9);
        // The rules span exactly the room's width.
        const Rect r = rules->path.boundingBox();
        EXPECT_EQ(r.minX(), room.minX());
        EXPECT_EQ(r.maxX(), room.maxX());
        for (const auto& op : laid.ops) EXPECT_LE(op->bounds().maxY(), laid.height);
    }
}

TEST(BlocksAsk, LabelSparkQuestionAndDottedRulesInOrder) {
    Laid laid = page().lay(obj(R"({"t":"ask","text":"Why?"})"), 4);
    ASSERT_GE(laid.ops.size(), 4u);

    auto label = std::dynamic_pointer_cast<const PhraseOp>(laid.ops.front());
    ASSERT_TRUE(label);
    EXPECT_EQ(label->size, 14.5);
    EXPECT_EQ(label->runs.at(0).color, Ink::pencil);
    EXPECT_EQ(label->runs.at(0).x, 46);

    // The spark sits in the margin left of the question, outlined in the accent.
    std::vector<std::shared_ptr<const PhraseOp>> phrases;
    for (const auto& op : laid.ops)
        if (auto p = std::dynamic_pointer_cast<const PhraseOp>(op)) phrases.push_back(p);
    ASSERT_EQ(phrases.size(), 2u);
    size_t question = 0;
    while (laid.ops[question] != phrases[1]) ++question;
    ASSERT_GE(question, 2u);
    Rect spark = Rect::null();
    for (size_t i = 1; i < question; ++i) spark = spark.united(laid.ops[i]->bounds());
    EXPECT_NEAR(spark.midX(), 31, 1.5);
    EXPECT_NEAR(spark.midY(), 20.59 + 1 + 10.54, 1.5);
    auto outline = std::dynamic_pointer_cast<const StrokeOp>(laid.ops[question - 1]);
    ASSERT_TRUE(outline);
    EXPECT_EQ(outline->pen.color, kAccent);

    EXPECT_EQ(phrases[1]->size, 17);
    EXPECT_EQ(phrases[1]->runs.at(0).color, kAccent);
    EXPECT_EQ(phrases[1]->runs.at(0).x, 46);

    auto rules = std::dynamic_pointer_cast<const StrokeOp>(laid.ops.back());
    ASSERT_TRUE(rules);
    EXPECT_EQ(rules->pen.color, Ink::faint);
    EXPECT_EQ(rules->pen.width, 1.6);
    EXPECT_EQ(rules->pen.cap, LineCap::round);
    EXPECT_EQ(rules->pen.dash, (std::vector<double>{0.1, 5.5}));
    EXPECT_EQ(rules->pace(), 2.5);
    EXPECT_EQ(rules->pause, 0.25);
    // Plain straight lines, no sketchiness.
    for (const auto& e : rules->path.elements())
        EXPECT_TRUE(e.verb == Path::Verb::move || e.verb == Path::Verb::line);
}

TEST(BlocksAsk, NoTextStillWritesLabelSparkAndOneLine) {
    Laid bare = page().lay(obj(R"({"t":"ask"})"), 4);
    Laid asked = page().lay(obj(R"({"t":"ask","text":"Why?"})"), 4);
    EXPECT_EQ(bare.height, asked.height);
    ASSERT_EQ(bare.rooms.size(), 1u);
    EXPECT_NEAR(bare.rooms[0].y, kOneLineTop, 1e-9);
    // Label, the spark's strokes, and the rules; no question words.
    EXPECT_TRUE(std::dynamic_pointer_cast<const PhraseOp>(bare.ops.front()));
    EXPECT_EQ(bare.ops.size(), asked.ops.size() - 1);
}

TEST(BlocksAsk, LongQuestionPushesTheRoomDown) {
    Laid laid = page().lay(
        obj(R"({"t":"ask","text":"A question long enough to need a second line and perhaps even a third one here."})"),
        2);
    ASSERT_EQ(laid.rooms.size(), 1u);
    EXPECT_GE(laid.rooms[0].y, kOneLineTop + 24.14 - 1e-9);
    EXPECT_EQ(laid.height, laid.rooms[0].maxY());
}

TEST(BlocksAsk, SameSeedSameInk) {
    const J o = obj(R"({"t":"ask","text":"Name *two* primes.","space":20})");
    Laid a = page().lay(o, 9), b = page().lay(o, 9), c = page().lay(o, 10);
    ASSERT_EQ(a.ops.size(), b.ops.size());
    for (size_t i = 0; i < a.ops.size(); ++i) EXPECT_EQ(a.ops[i]->bounds(), b.ops[i]->bounds());
    EXPECT_EQ(a.rooms, b.rooms);
    EXPECT_NE(a.ops[2]->bounds(), c.ops[2]->bounds());  // the spark jitters with the seed
}
