// The next step a notebook offers and what it is decided from: the open question, new ink,
// later ink, the turn cue, the next label; following a step; the review list; prompts.
#include "NoteTestSupport.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::test;

namespace {

using Way = NotebookModel::Way;
using Kind = Way::Kind;

// A learner stroke whose ink is exactly the rectangle.
StrokeItem inkedStroke(NotebookModel& m, Rect r, std::optional<int64_t> turn = 1) {
    StrokeItem s = penStroke(r.x, r.y, turn);
    m.cache->prime(s, {box(r)}, m.geo());
    return s;
}

BlockItem read(BlockItem b) {
    b.turn = 1;
    return b;
}

}  // namespace

TEST(NotebookModelWay, TheWayInOrder) {
    struct Case {
        const char* state;
        bool busy, thinking, newInk, question, waitingLater, later;
        Way way;
    };
    const Case cases[] = {
        {"busy, whatever else", true, true, true, true, true, true, Way::of(Kind::writing)},
        {"thinking with new ink", false, true, true, false, true, false, Way::of(Kind::reading)},
        {"thinking, writing waits later", false, true, false, false, true, false, Way::of(Kind::turn)},
        {"thinking", false, true, false, true, false, true, Way::of(Kind::reading)},
        {"new ink", false, false, true, true, true, true, Way::of(Kind::ask)},
        {"a question open", false, false, false, true, true, true, Way::of(Kind::skip)},
        {"writing waits later", false, false, false, false, true, false, Way::of(Kind::turn)},
        {"ink later", false, false, false, false, false, true, Way::of(Kind::turn)},
        {"nothing", false, false, false, false, false, false, Way::next(std::nullopt)},
    };
    for (const Case& c : cases) {
        ModelRig rig;
        BlockItem question = read(askBlock(200)), para = read(paragraph(200));
        std::vector<PageItem> first{c.question ? question : para};
        if (c.newInk) first.push_back(note(700, "new"));
        NotebookModel& m = rig.open(notebookOf({first, c.later ? std::vector<PageItem>{read(paragraph(300))} : std::vector<PageItem>{}}));
        if (!c.question) primeInk(m, para, 200, 300);
        m.scribe->busy.set(c.busy);
        NotebookModel::TutorStatus status;
        status.thinking = c.thinking;
        m.tutor.set(status);
        if (c.waitingLater) m.scribe->waiting.set({m.nb->pages[1].id});
        EXPECT_EQ(m.way(), c.way) << c.state;
    }
}

TEST(NotebookModelWay, WaysCompare) {
    EXPECT_EQ(Way::next("a"), Way::next("a"));
    EXPECT_NE(Way::next("a"), Way::next("b"));
    EXPECT_NE(Way::next(std::nullopt), Way::next("a"));
    EXPECT_NE(Way::of(Kind::skip), Way::of(Kind::turn));
}

TEST(NotebookModelWay, NewInk) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{read(paragraph(100))}}));
    EXPECT_FALSE(m.hasNewInk());
    m.click({100, 500}, 0);
    type(m, "  \t ");
    EXPECT_FALSE(m.hasNewInk());  // a note of spaces is nothing yet
    type(m, "\n");
    EXPECT_TRUE(m.hasNewInk());  // a line break is something
    m.editing.set(std::nullopt);
    m.gap.reset();

    StrokeItem stamped = penStroke(40, 600, 3);
    m.mutate(0, false, [&](std::vector<PageItem>& items) { items.push_back(stamped); });
    EXPECT_FALSE(m.hasNewInk());  // a finished turn read it
    m.mutate(0, false, [&](std::vector<PageItem>& items) { items.push_back(penStroke(40, 650)); });
    EXPECT_TRUE(m.hasNewInk());
}

TEST(NotebookModelWay, TheOpenQuestion) {
    ModelRig rig;
    const BlockItem question = read(askBlock(200));
    NotebookModel& m = rig.open(notebookOf({{question}}));
    const Rect room = *NotebookModel::room(question, m.geo());
    ASSERT_TRUE(m.openAsk());
    EXPECT_EQ(m.openAsk()->block.id, question.id);
    EXPECT_EQ(m.openAsk()->room, room);

    struct Case {
        double gapAbove;  // between the stroke's ink and the room
        bool open;
    };
    for (const Case& c : {Case{5, false}, Case{7, true}, Case{6.01, true}}) {
        ModelRig r;
        NotebookModel& mm = r.open(notebookOf({{question}}));
        StrokeItem s = inkedStroke(mm, {100, room.minY() - c.gapAbove - 20, 50, 20});
        mm.mutate(0, false, [&](std::vector<PageItem>& items) { items.push_back(s); });
        EXPECT_EQ(mm.openAsk().has_value(), c.open) << c.gapAbove;
    }

    // Content after the question on the page: no longer open.
    ModelRig later;
    BlockItem after = read(paragraph(question.y + *question.h + 20));
    NotebookModel& ml = later.open(notebookOf({{question, after}}));
    primeInk(ml, after, after.y, after.y + 30);
    EXPECT_FALSE(ml.openAsk());

    // A mark after it is no content: still open.
    ModelRig marked;
    BlockItem mark;
    mark.json = R"({"t":"mark"})";
    mark.y = 900;
    NotebookModel& mm = marked.open(notebookOf({{question, mark}}));
    EXPECT_TRUE(mm.openAsk());
}

TEST(NotebookModelWay, TheReviewListKeepsTheNewestSix) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}));
    EXPECT_FALSE(m.nb->review);
    m.remember("halves");
    EXPECT_EQ(m.nb->review, std::vector<std::string>{"halves"});
    for (const char* idea : {"thirds", "quarters", "fifths", "sixths", "halves"}) m.remember(idea);
    EXPECT_EQ(*m.nb->review, (std::vector<std::string>{"thirds", "quarters", "fifths", "sixths", "halves"}));
    m.remember("sevenths");
    m.remember("eighths");
    EXPECT_EQ(*m.nb->review, (std::vector<std::string>{"quarters", "fifths", "sixths", "halves", "sevenths", "eighths"}));
}

TEST(NotebookModelWay, TheNextLabel) {
    struct Case {
        std::optional<std::string> next, plan;
        int64_t step;
        std::optional<std::string> label;
    };
    const std::string plan = R"({"steps":["Intro","Adding Fractions"]})";
    const Case cases[] = {
        {"  \t", plan, 1, "adding fractions"},
        {"  Common Denominators\t", plan, 1, "Common Denominators"},
        {std::nullopt, plan, 2, std::nullopt},
        {std::nullopt, plan, 0, "intro"},
        {std::nullopt, plan, -1, std::nullopt},
        {std::nullopt, "not json", 0, std::nullopt},
        {std::nullopt, std::nullopt, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        ModelRig rig;
        Notebook n = notebookOf({{}});
        n.next = c.next;
        n.plan = c.plan;
        n.step = c.step;
        NotebookModel& m = rig.open(n);
        EXPECT_EQ(m.nextLabel(), c.label) << c.next.value_or("-") << " step " << c.step;
        EXPECT_EQ(m.way(), Way::next(c.label));
    }
}

TEST(NotebookModelWay, FollowingAWay) {
    using Pattern = Haptics::Pattern;
    ModelRig rig;
    BlockItem para = read(paragraph(100));
    NotebookModel& m = rig.open(notebookOf({{para}, {}}));
    primeInk(m, para, 100, 140);
    m.pageIndex.set(1);

    m.follow(Way::of(Kind::turn));  // the last page, and empty: no next page, nothing
    EXPECT_EQ(m.nb->pages.size(), 2u);
    EXPECT_EQ(m.pageIndex.get(), 1);
    m.follow(Way::of(Kind::reading));
    EXPECT_TRUE(rig.haptics->played.empty());

    m.follow(Way::of(Kind::ask));
    m.follow(Way::next("go on"));
    EXPECT_EQ(rig.tutor->asks, 2);
    EXPECT_EQ(rig.haptics->played, (std::vector<Pattern>{Pattern::generic, Pattern::generic}));

    m.pageIndex.set(0);
    m.scribe->enqueue(m.nb->pages[0].id, para.id, m.entry(para).ops, 0, false);
    ASSERT_FALSE(m.scribe->jobs().empty());
    m.follow(Way::of(Kind::writing));  // the pages in view are written at once
    EXPECT_TRUE(m.scribe->jobs().empty());
    EXPECT_EQ(rig.haptics->played.size(), 3u);

    m.follow(Way::of(Kind::turn));
    EXPECT_EQ(m.pageIndex.get(), 1);
    EXPECT_EQ(rig.haptics->played.size(), 3u);
}

TEST(NotebookModelWay, SkippingAQuestion) {
    struct Case {
        std::string text;
        std::optional<std::vector<std::string>> review;
    };
    const Case cases[] = {{"What is half of 8?", std::vector<std::string>{"What is half of 8?"}}, {"", std::nullopt}};
    for (const Case& c : cases) {
        ModelRig rig;
        Notebook n = notebookOf({{read(askBlock(200, c.text))}});
        n.verdict = "wrong";
        n.misses = 2;
        NotebookModel& m = rig.open(n);
        ASSERT_TRUE(m.openAsk());
        EXPECT_TRUE(m.missed());
        m.follow(Way::of(Kind::skip));
        EXPECT_EQ(m.nb->review, c.review);
        EXPECT_EQ(m.nb->misses, 0);
        EXPECT_FALSE(m.nb->verdict);
        EXPECT_EQ(rig.tutor->asks, 1);
        EXPECT_EQ(rig.haptics->played.size(), 1u);
    }
}

TEST(NotebookModelWay, TheTurnCueAndLaterInk) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}, {}, {}}));
    EXPECT_FALSE(m.turnCue());
    EXPECT_FALSE(m.laterInk());

    m.scribe->waiting.set({m.nb->pages[2].id});
    EXPECT_TRUE(m.turnCue());
    m.scribe->waiting.set({m.nb->pages[0].id, m.nb->pages[2].id});
    EXPECT_FALSE(m.turnCue());  // writing waits in view too: that comes first
    m.scribe->waiting.set({});

    rig.tutor->running = true;
    rig.tutor->composing = 1;
    EXPECT_TRUE(m.turnCue());
    m.pageIndex.set(1);
    EXPECT_FALSE(m.turnCue());

    m.mutate(2, false, [](std::vector<PageItem>& items) { items.push_back(paragraph(100)); });
    EXPECT_TRUE(m.laterInk());
    m.curl.set(NotebookModel::Curl{});
    EXPECT_FALSE(m.laterInk());
    m.curl.set(std::nullopt);
    m.scroll.set(true);
    EXPECT_FALSE(m.laterInk());  // every page is in view
}

TEST(NotebookModelWay, FieldPrompts) {
    using Prompts = std::vector<std::string>;
    {
        ModelRig rig;
        Notebook n = notebookOf({{read(askBlock(200))}});
        NotebookModel& m = rig.open(n);
        EXPECT_EQ(m.fieldPrompts(), (Prompts{"Your answer", "Answer"}));
        m.nb.modify([](Notebook& nb) { nb.verdict = "partly"; });
        EXPECT_EQ(m.fieldPrompts(), (Prompts{"Try again"}));
    }
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}));
    EXPECT_EQ(m.fieldPrompts(), (Prompts{"What do you want to learn?", "Learn anything"}));
    m.mutate(0, false, [](std::vector<PageItem>& items) { items.push_back(note(100, "hi")); });
    EXPECT_EQ(m.fieldPrompts(), (Prompts{"Ask about anything", "Ask anything", "Ask"}));
}
