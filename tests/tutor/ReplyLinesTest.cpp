// Reply lines: how streamed text becomes lines, which lines count, and the control messages.
#include "TutorTestSupport.h"

namespace nolby::test {
namespace {

// A turn on a notebook with one new note, its reply text sent as the deltas given.
struct LinesRig : TutorRig {
    explicit LinesRig(Notebook n = notebookOf({{note(118, "Teach me fractions")}}), bool scroll = true) {
        open(std::move(n), scroll);
        ask();
    }
    void deltas(const std::vector<std::string>& pieces) {
        for (const std::string& p : pieces) script.send(p);
        settle();
    }
    void finish() {
        script.end();
        settle();
    }
    Notebook nb() const { return model->nb.get(); }
};

TEST(ReplyLines, LinesAreCutAtLineFeedsWhereverTheDeltasAreCut) {
    struct Case {
        std::vector<std::string> deltas;
        size_t blocks;
    };
    const Case cases[] = {
        // The first object whole and the second begun; the rest of the second.
        {{"{\"t\":\"p\",\"text\":\"one\"}\n{\"t\":\"p\",", "\"text\":\"two\"}\n"}, 2},
        {{"\n", "\n\n"}, 0},
        // The last object needs no line feed.
        {{"{\"t\":\"p\",\"text\":\"one\"}\n{\"t\":\"h\",\"text\":\"last\"}"}, 2},
        // A carriage return before the line feed goes with the trimming.
        {{"{\"t\":\"p\",\"text\":\"one\"}\r\n{\"t\":\"p\",\"text\":\"two\"}\r\n"}, 2},
        {{"  {\"t\":\"p\",\"text\":\"padded\"} \r", "\n"}, 1},
        {{"Sure! {\"t\":\"p\",\"text\":\"no\"}\n", "[{\"t\":\"p\"}]\n", "{\"text\":\"no kind\"}\n", "{\"t\":\"H\",\"text\":\"x\"}\n"}, 0},
        {{"{\"t\":\"p\",\"text\":\"one\"}{\"t\":\"p\",\"text\":\"glued\"}\n"}, 0},
    };
    for (const Case& c : cases) {
        LinesRig rig;
        rig.deltas(c.deltas);
        rig.finish();
        EXPECT_EQ(rig.blocks(0).size(), c.blocks) << c.deltas.front();
        EXPECT_EQ(rig.nb().turns.size(), 1u);
    }
}

TEST(ReplyLines, TheTranscriptOfBlocks) {
    LinesRig rig;
    rig.reply({R"({"t":"h","text":"Halves"})", R"({"t":"fig","h":20,"items":[],"caption":"Two halves"})",
               R"({"t":"math","tex":"\\frac{1}{2}"})", R"({"t":"list","items":["a",2,{"x":1}]})", R"({"t":"list"})",
               R"({"t":"mark","on":"u1","kind":"tick","note":"good"})"});
    EXPECT_EQ(rig.nb().turns.at(0).reply, "# Halves · Two halves · [figure] · \\frac{1}{2} · a; 2 ·  · [tick: good]");
}

TEST(ReplyLines, RepeatableIdentifiersRepeatATurnExactly) {
    // Block and mark seeds come from the identifier generator: restarted from one seed, the
    // same turn places the same items with the same seeds in the same places.
    using Placed = std::tuple<Uuid, std::string, uint64_t, double, std::optional<Rect>>;
    auto turn = [] {
        Uuid::repeatable(3);
        LinesRig rig;
        rig.reply({R"({"t":"p","text":"one"})", R"({"t":"math","tex":"x^2"})", R"({"t":"mark","on":"u1","kind":"tick"})"});
        Uuid::repeatable(std::nullopt);
        const Notebook nb = rig.nb();
        std::vector<Placed> placed;
        for (const PageItem& item : nb.pages.at(0).items)
            if (const BlockItem* b = item.block()) placed.emplace_back(b->id, b->json, b->seed, b->y, b->box);
        return placed;
    };
    const std::vector<Placed> first = turn();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(turn(), first);
    EXPECT_NE(std::get<2>(first[0]), std::get<2>(first[1]));
}

TEST(ReplyLines, APlanKeepsTheStoredDoodleUnlessItBringsOne) {
    struct Case {
        std::string plan;
        std::string doodle;  // the stored plan's doodle after the line
    };
    const Case cases[] = {
        {R"({"t":"plan","topic":"Halves","steps":["a"]})", R"([{"k":"dot"}])"},
        {R"({"t":"plan","topic":"Halves","steps":["a"],"doodle":[{"k":"pie"}]})", R"([{"k":"pie"}])"},
    };
    for (const Case& c : cases) {
        Notebook n = notebookOf({{note(118, "fractions")}});
        n.plan = R"({"doodle":[{"k":"dot"}],"steps":["old"]})";
        LinesRig rig(n);
        rig.reply({c.plan});
        std::optional<J> plan = J::parse(*rig.nb().plan);
        ASSERT_TRUE(plan);
        EXPECT_EQ(J(nlohmann::json{{"d", *(*plan)["doodle"]}}).line(), R"({"d":)" + c.doodle + "}");
        EXPECT_EQ(plan->strs("steps"), std::vector<std::string>{"a"});
        EXPECT_EQ(rig.nb().title, "Halves");
    }
}

TEST(ReplyLines, APlanNamesOnlyANotebookWithoutATitleOrOnItsFirstTurn) {
    Notebook n = notebookOf({{note(118, "more")}});
    n.title = "Fractions";
    n.turns.push_back(Turn{});
    LinesRig rig(n);
    rig.reply({R"({"t":"plan","topic":"Decimals","color":"Teal"})", R"({"t":"cover","color":"chartreuse"})",
               R"({"t":"p","text":"x"})"});
    EXPECT_EQ(rig.nb().title, "Fractions");
    EXPECT_EQ(rig.nb().color, "blue");
}

TEST(ReplyLines, ACoverChangesTheDoodleAndColourOnly) {
    Notebook n = notebookOf({{note(118, "more")}});
    LinesRig rig(n);
    rig.reply({R"({"t":"cover","doodle":[{"k":"dot"}],"color":"pink"})", R"({"t":"p","text":"x"})"});
    EXPECT_EQ(rig.nb().plan, R"({"doodle":[{"k":"dot"}]})");
    EXPECT_EQ(rig.nb().color, "pink");
    LinesRig bare;
    bare.reply({R"({"t":"cover"})"});
    EXPECT_EQ(bare.nb().plan, "{}");
}

TEST(ReplyLines, StepNextReviewedAndLearner) {
    Notebook n = notebookOf({{note(118, "more")}});
    n.review = std::vector<std::string>{"a", "b", "c"};
    n.pace = 3;
    LinesRig rig(n);
    rig.reply({R"({"t":"step","n":"4"})", R"({"t":"next","label":"A label of forty-five characters, give or take"})",
               R"({"t":"reviewed","n":0})", R"({"t":"reviewed","n":4})", R"({"t":"reviewed","n":2})",
               R"({"t":"learner","notes":"Quick.","pace":9,"about":"Likes maps."})", R"({"t":"p","text":"x"})"});
    const Notebook nb = rig.nb();
    EXPECT_EQ(nb.step, 4);
    EXPECT_EQ(nb.next, "A label of forty-five characte");
    EXPECT_EQ(nb.review, (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(nb.learner, "Quick.");
    EXPECT_EQ(nb.pace, 5);
    EXPECT_EQ(rig.defaults->string("learner-about"), "Likes maps.");

    struct Case {
        std::string line;
        int64_t pace;
    };
    for (const Case& c : {Case{R"({"t":"learner","pace":0})", 1}, Case{R"({"t":"learner"})", 3}}) {
        LinesRig r;
        r.reply({c.line, R"({"t":"next"})", R"({"t":"p","text":"x"})"});
        EXPECT_EQ(r.nb().pace, c.pace) << c.line;
        EXPECT_EQ(r.nb().next, "");
        EXPECT_EQ(r.nb().learner, "");
    }
}

TEST(ReplyLines, AMarkOnTheLearnersWritingBoxesItsInk) {
    LinesRig rig;
    const Rect ink = rig.model->bounds(rig.model->nb->pages[0].items[0]);
    rig.reply({R"({"t":"mark","on":"u1","kind":"circle","c":"green","note":"nice","v":"right"})",
               R"({"t":"mark","on":"u7","kind":"tick"})"});
    const std::vector<BlockItem> marks = rig.blocks(0, "mark");
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].box, ink);
    EXPECT_EQ(marks[0].turn, 0);
    EXPECT_EQ(marks[0].json, R"({"c":"green","kind":"circle","note":"nice","on":"u1","t":"mark","v":"right"})");
    EXPECT_EQ(rig.nb().turns.at(0).reply, "[circle: nice]");
}

TEST(ReplyLines, AMarkOnlyOnAnUnknownIdPlacesNothing) {
    Notebook n = notebookOf({{note(118, "hm")}});
    LinesRig rig(n);
    // Nothing placed and the tutor waited: no trace of the turn.
    rig.reply({R"({"t":"mark","on":"u2","kind":"tick"})", R"({"t":"wait"})"});
    EXPECT_TRUE(rig.nb().turns.empty());
    EXPECT_FALSE(rig.nb().pages[0].items[0].text()->turn);
}


TEST(ReplyLines, BadLinesAreDroppedOrReadWithDefaults) {
    LinesRig rig;
    const std::string deep = "{\"t\":\"p\",\"a\":" + std::string(5000, '[') + std::string(5000, ']') + "}";
    rig.reply({"not json", R"([{"t":"p","text":"in an array"}])", R"({"t":"unknown","text":"x"})",
               R"({"t":"p","text":"too big a height","h":1e999})", R"({"t":"fig","h":NaN})", deep,
               "{" + std::string(1 << 20, 'a'), R"({"t":"p","text":"padded","pad":")" + std::string(1 << 20, 'x') + "\"}",
               R"({"t":"step","n":"lots"})", R"({"t":"h","text":"Done"})"});
    std::vector<std::string> texts;
    for (const BlockItem& b : rig.blocks(0)) texts.push_back(J::parse(b.json)->str("text", ""));
    EXPECT_EQ(texts, (std::vector<std::string>{"too big a height", "padded", "Done"}));
    EXPECT_EQ(rig.nb().step, 1);
    EXPECT_EQ(rig.nb().turns.size(), 1u);
}

}  // namespace
}  // namespace nolby::test
