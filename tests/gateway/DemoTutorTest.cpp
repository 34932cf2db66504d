#include "DemoTutor.h"

#include "ink/Faces.h"
#include "ink/J.h"
#include "ink/blocks/Blocks.h"
#include "ink/fig/Fig.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <set>

using namespace nolby;
namespace Demo = nolby::service::DemoTutor;

namespace {

const std::string kFirst =
    "This is the FIRST turn of a new notebook: send a plan.\n\n"
    "Their new writing since your last reply:\n"
    "  u1 typed at 10,56 on page 1: “What is photosynthesis?”\n"
    "Your reply starts just below their writing, at the end of the sheet.\n"
    "Time: Saturday 10 AM\nMode: lesson\n";

std::string second(const std::string& answer) {
    return "Notebook: “Photosynthesis”, turn 2.\n"
           "Plan: 1. Say it in your own words (current)  2. Work one example  3. Check yourself\n\n"
           "Their new writing since your last reply:\n"
           "  u1 typed at 10,140 on page 1: “" + answer +
           "”, their answer to your question “What is $\\frac{1}{2} + \\frac{1}{2}$?”\n"
           "Your reply starts just below their writing, at the end of the sheet.\nTime: Saturday 10 AM\nMode: lesson\n";
}

std::vector<J> objects(const std::string& context) {
    std::vector<J> out;
    for (const std::string& line : Demo::lines(Demo::read(context))) {
        std::optional<J> j = J::parse(line);
        EXPECT_TRUE(j) << line;
        if (j) out.push_back(*j);
    }
    return out;
}

std::vector<std::string> kinds(const std::vector<J>& objects) {
    std::vector<std::string> out;
    for (const J& j : objects) out.push_back(j.str("t", ""));
    return out;
}

const J* find(const std::vector<J>& objects, const std::string& kind) {
    for (const J& j : objects)
        if (j.str("t", "") == kind) return &j;
    return nullptr;
}

// Every line the demo writes must draw: blocks lay out into ink of some height, the plan's
// doodle draws as a figure, a mark draws at a box.
void expectEveryLineDraws(const std::vector<J>& objects) {
    Faces::registerFrom();
    const Blocks blocks{{400, 869}, Color::hex(0x1971c2)};
    uint64_t seed = 7;
    for (const J& j : objects) {
        const std::string kind = j.str("t", "");
        ++seed;
        if (Blocks::isBlock(kind)) {
            Laid laid = blocks.lay(j, seed);
            EXPECT_FALSE(laid.ops.empty()) << j.line();
            EXPECT_GT(laid.height, 0) << j.line();
        } else if (kind == "plan") {
            Fig fig(seed, 0, 0, 1, 100, 12.5, 1.55);
            fig.draw(*j.arr("doodle"));
            EXPECT_FALSE(fig.ops.empty()) << j.line();
        } else if (kind == "mark") {
            EXPECT_FALSE(blocks.mark(j, {60, 200, 40, 20}, seed).empty()) << j.line();
        } else {
            EXPECT_TRUE((std::set<std::string>{"read", "step", "next", "learner", "wait", "reviewed", "cover"}.count(kind)))
                << j.line();
        }
    }
}

}  // namespace

TEST(DemoTutor, ItsFirstTwoRepliesUseEveryBlockKindAndTheControlsAndAllOfItDraws) {
    std::vector<J> first = objects(kFirst);
    std::vector<J> then = objects(second("1"));
    expectEveryLineDraws(first);
    expectEveryLineDraws(then);
    std::set<std::string> used;
    for (const auto* list : {&first, &then})
        for (const std::string& k : kinds(*list)) used.insert(k);
    for (const char* k : {"h", "p", "math", "list", "quote", "note", "fig", "code", "ask", "aside", "sketch", "read", "plan",
                          "step", "next", "learner", "mark"})
        EXPECT_TRUE(used.count(k)) << k;
    const J* plan = find(first, "plan");
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->str("topic", ""), "Photosynthesis");
    EXPECT_EQ(plan->strs("steps").size(), 3u);
    EXPECT_EQ(plan->str("color", ""), "teal");
    EXPECT_EQ(plan->objs("doodle").size(), 2u);
    EXPECT_EQ(find(first, "read")->str("text", ""), "What is photosynthesis?");
    const J* mark = find(then, "mark");
    ASSERT_TRUE(mark);
    EXPECT_EQ(mark->str("on", ""), "u1");
    EXPECT_EQ(mark->str("v", ""), "right");
}

TEST(DemoTutor, ReadsTheContextItIsSent) {
    // The answer to its question decides the verdict.
    const std::pair<std::string, std::string> verdicts[] = {{"1", "right"}, {"one whole", "right"}, {"2/2", "right"},
                                                             {"1/4", "wrong"}, {"12", "wrong"}, {"", "wrong"}};
    for (const auto& [answer, verdict] : verdicts) EXPECT_EQ(find(objects(second(answer)), "mark")->str("v", ""), verdict) << answer;

    // After time away it opens with one warm-up question on what was missed, and stops.
    const std::string warm = "Notebook: “Fractions”, turn 5.\n"
                             "Plan: 1. Halves ✓  2. Quarters (current)  3. Eighths\n\n"
                             "The notebook so far (oldest first):\n- they wrote “x” (answer); you wrote: y\n"
                             "(They're back after 45 minutes.)\n"
                             "Check-ins they missed or skipped before, waiting for a warm-up: r1 “What is half of 6?”\n"
                             "Warm up first: they're back, so open this turn with a friendly line and one quick `ask`.\n\n"
                             "No new writing: they tapped Next to carry on.\n";
    std::vector<J> w = objects(warm);
    expectEveryLineDraws(w);
    EXPECT_EQ(kinds(w), (std::vector<std::string>{"read", "p", "ask", "next"}));
    EXPECT_NE(find(w, "ask")->str("text", "").find("What is half of 6?"), std::string::npos);

    // Next moves to the following step of the plan.
    const std::string next = "Notebook: “Fractions”, turn 3.\n"
                             "Plan: 1. Halves ✓  2. Quarters (current)  3. Eighths\n\n"
                             "No new writing: they tapped Next to carry on.\n";
    std::vector<J> n = objects(next);
    expectEveryLineDraws(n);
    EXPECT_EQ(find(n, "step")->int_("n", 0), 3);
    EXPECT_EQ(find(n, "h")->str("text", ""), "Step 3: Eighths");

    Demo::Context c = Demo::read(next);
    EXPECT_FALSE(c.firstTurn);
    EXPECT_EQ(c.turn, 3);
    EXPECT_EQ(c.title, "Fractions");
    EXPECT_EQ(c.steps, (std::vector<std::string>{"Halves", "Quarters", "Eighths"}));
    EXPECT_EQ(c.step, 2);
    EXPECT_TRUE(c.next);

    // A deep dive is titled by the chosen words.
    const std::string dive = "This is the FIRST turn of a new notebook: send a plan.\n"
                             "It is a DEEP DIVE: in their notebook “Cells” they chose “mitochondria”, and asked to go deeper.\n";
    EXPECT_EQ(find(objects(dive), "plan")->str("topic", ""), "Mitochondria");
}

TEST(DemoTutor, ARequestBodyGetsLinesThatEachHoldOneObject) {
    const nlohmann::json body = {{"messages", {{{"role", "user"}, {"content", {{{"type", "text"}, {"text", kFirst}}}}}}}};
    const std::string text = Demo::reply(body);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text, Demo::reply(body));  // deterministic
    size_t lines = 0;
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1, ++lines)
        EXPECT_TRUE(J::parse(text.substr(at, end - at))) << text.substr(at, end - at);
    EXPECT_EQ(lines, objects(kFirst).size());
    EXPECT_EQ(J::parse(text.substr(0, text.find('\n')))->str("t", ""), "read");
    // A bare request without the app's context still gets the opening lesson.
    EXPECT_NE(Demo::reply(nlohmann::json::object()).find("\"t\":\"plan\""), std::string::npos);
}
