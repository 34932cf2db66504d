// The turn driver: one turn at a time, where the reply goes, what the learner sees, how a
// turn is recorded, and how a failed or cancelled turn leaves the notebook.
#include "TutorTestSupport.h"

#include "tutor/Gateway.h"

namespace nolby::test {
namespace {

const std::string kPara = R"({"t":"p","text":"A fraction is a part of a whole."})";

TEST(TurnDriver, OneTurnAtATime) {
    TutorRig rig;
    NotebookModel& m = rig.open(notebookOf({{note(118, "fractions?")}}));
    rig.ask();
    rig.ask();
    EXPECT_EQ(rig.script.requests.size(), 1u);
    m.tutor.modify([](NotebookModel::TutorStatus& s) { s.error = "old"; });
    rig.session().cancel();
    EXPECT_FALSE(rig.script.open());
    EXPECT_FALSE(m.tutor->thinking);
    // A new turn starts at once, and the old one's stream cannot touch it.
    rig.ask();
    ASSERT_EQ(rig.script.requests.size(), 2u);
    EXPECT_FALSE(m.tutor->error);
    rig.reply({kPara});
    EXPECT_EQ(m.nb->turns.size(), 1u);
}

TEST(TurnDriver, WritingAboveATutorBlockIsAnsweredJustBelowIt) {
    struct Case {
        double blockTop;  // the ink top of a block below the question, which ends at 218
        bool pto;
        bool insert;
    };
    // A block whose top lies 1 point above the question's bottom still counts as below it.
    for (const Case c : {Case{400, false, true}, Case{217, false, true}, Case{216, false, false}, Case{400, true, false}}) {
        TutorRig rig;
        BlockItem below = c.pto ? pageTurn(c.blockTop) : paragraph(c.blockTop);
        NotebookModel& m = rig.open(notebookOf({{note(200, "why?"), below}}));
        primeInk(m, m.nb->pages[0].items[0], 200, 218);
        primeInk(m, m.nb->pages[0].items[1], c.blockTop, c.blockTop + 40);
        rig.ask();
        const auto* turn = static_cast<const TutorSession::Run*>(rig.session().current().get());
        ASSERT_TRUE(turn);
        EXPECT_EQ(turn->insert, c.insert) << c.blockTop << " " << c.pto;
        EXPECT_EQ(turn->placer.inserting, c.insert);
        if (c.insert) EXPECT_EQ(turn->placer.y, 232);
    }
}

TEST(TurnDriver, WithoutNewWritingTheReplyFollowsTheLowestInk) {
    TutorRig rig;
    NotebookModel& m = rig.open(notebookOf({{paragraph(120)}}));
    primeInk(m, m.nb->pages[0].items[0], 120, 300);
    m.nb.modify([](Notebook& n) {
        n.turns.push_back(Turn{});
        n.verdict = "wrong";
        n.next = "Go on";
    });
    rig.ask();
    EXPECT_FALSE(rig.session().anchor());
    EXPECT_FALSE(m.tutor->reading);
    EXPECT_FALSE(m.nb->next);
    EXPECT_EQ(rig.session().current()->placer.y, 314);
    EXPECT_EQ(m.tutor->thinkingAt, (NotebookModel::TutorStatus::Mark{0, {30, 326}}));
    rig.reply({kPara});
    EXPECT_FALSE(m.nb->verdict);
    EXPECT_EQ(rig.blocks(0).back().y, 314);
}

TEST(TurnDriver, NewWritingOnTwoPagesIsAnsweredOnTheLastReadOnTheOneInView) {
    TutorRig rig;
    NotebookModel& m = rig.open(notebookOf({{note(118, "first")}, {note(118, "second")}}));
    m.pageIndex.set(0);
    rig.ask();
    EXPECT_EQ(rig.session().anchor()->page, 1);
    EXPECT_EQ(rig.session().current()->placer.page, 1);
    ASSERT_TRUE(m.tutor->reading);
    EXPECT_EQ(m.tutor->reading->page, 0);
    EXPECT_EQ(m.tutor->reading->lines.size(), 1u);
}

TEST(TurnDriver, VerdictsOnAnsweredQuestions) {
    struct Case {
        std::optional<int64_t> missesBefore;
        std::vector<std::string> verdicts;
        std::optional<std::string> verdict;
        std::optional<int64_t> misses;
        bool reviewed;
    };
    const Case cases[] = {
        {std::nullopt, {"wrong"}, "wrong", 1, false},
        {1, {"partly"}, "partly", 0, true},
        {1, {"wrong", "right"}, "right", 0, false},
        {1, {}, std::nullopt, 1, false},
    };
    for (const Case& c : cases) {
        TutorRig rig;
        BlockItem ask = question(200, 200, "What is ½ + ½?");
        Notebook n = notebookOf({{ask, note(372, "one")}});
        n.misses = c.missesBefore;
        n.turns.push_back(Turn{});
        NotebookModel& m = rig.open(n);
        primeInk(m, m.nb->pages[0].items[1], 372, 389, 30, 60);
        rig.ask();
        std::vector<std::string> lines = {kPara};
        for (const std::string& v : c.verdicts) lines.push_back(R"({"t":"mark","on":"u1","kind":"tick","v":")" + v + "\"}");
        rig.reply(lines);
        EXPECT_EQ(m.nb->verdict, c.verdict);
        EXPECT_EQ(m.nb->misses, c.misses);
        EXPECT_EQ(m.nb->review.has_value() && !m.nb->review->empty(), c.reviewed);
        if (c.reviewed) EXPECT_EQ(m.nb->review->back(), "What is ½ + ½?");
    }
}

TEST(TurnDriver, AStrokeInTheAnswerRoomAnswersNothing) {
    TutorRig rig;
    NotebookModel& m = rig.open(notebookOf({{question(200, 200), stroke(40, 380, 60, 5)}}));
    m.nb.modify([](Notebook& n) { n.verdict = "wrong"; });
    rig.ask();
    EXPECT_FALSE(static_cast<const TutorSession::Run*>(rig.session().current().get())->answered);
    rig.reply({R"({"t":"mark","on":"u1","kind":"tick","v":"right"})"});
    EXPECT_FALSE(m.nb->verdict);
}

TEST(TurnDriver, AReplyOfNothingButWaitLeavesNoTrace) {
    TutorRig rig;
    NotebookModel& m = rig.open(notebookOf({{note(118, "hold on")}}));
    rig.ask();
    rig.reply({R"({"t":"read","text":"x","kind":"question"})", R"({"t":"wait"})"});
    EXPECT_TRUE(m.nb->turns.empty());
    EXPECT_FALSE(m.nb->pages[0].items[0].text()->turn);
    EXPECT_FALSE(rig.session().task());

    // A reply with no usable line at all is still a turn.
    rig.ask();
    rig.reply({"Sorry, I can't help with that."});
    ASSERT_EQ(m.nb->turns.size(), 1u);
    EXPECT_EQ(m.nb->turns[0].reply, "");
    EXPECT_EQ(m.nb->pages[0].items[0].text()->turn, 0);
}

TEST(TurnDriver, TheTranscriptIsCutToSixHundredCharacters) {
    TutorRig rig;
    NotebookModel& m = rig.open(notebookOf({{note(118, "tell me")}}));
    rig.ask();
    rig.reply({R"({"t":"read","text":"tell me","kind":"question"})", R"({"t":"p","text":")" + std::string(400, 'a') + "\"}",
               R"({"t":"p","text":")" + std::string(400, 'b') + "\"}"});
    EXPECT_EQ(m.nb->turns.at(0).reply, std::string(400, 'a') + " · " + std::string(197, 'b'));
}

TEST(TurnDriver, PagesInsertedByPageFlowMoveTheTurnsPages) {
    struct Case {
        int at, page;
    };
    for (const Case c : {Case{2, 3}, Case{4, 2}, Case{0, 3}}) {
        TutorRig rig;
        rig.open(notebookOf({{}, {}, {note(118, "q")}}));
        rig.ask();
        TutorSession& s = rig.session();
        ASSERT_EQ(s.current()->placer.page, 2);
        s.pageInserted(c.at);
        EXPECT_EQ(s.current()->placer.page, c.page) << c.at;
        EXPECT_EQ(s.composingPage(), c.page);
        EXPECT_EQ(s.anchor()->page, c.page);
    }
    // Without a running turn nothing moves.
    TutorRig idle;
    idle.open(notebookOf({{}}));
    idle.session().pageInserted(0);
    EXPECT_EQ(idle.session().composingPage(), 0);
}

TEST(TurnDriver, FailuresShowTheirTextAndKeepTheNotebookAsItWas) {
    struct Case {
        std::exception_ptr error;  // none: cancelled
        std::string text;
    };
    const Case cases[] = {
        {std::make_exception_ptr(Claude::Failure::http(500, "down")),
         "The tutor couldn't write just now (500). Try again in a moment."},
        {std::make_exception_ptr(Claude::Failure::refused("refusal")),
         "The tutor would rather not answer that one. Try asking another way."},
        {std::make_exception_ptr(Claude::Failure::api(Claude::cutOff)), Claude::cutOff},
        {std::make_exception_ptr(Gateway::Failure(Gateway::Failure::Kind::unreachable)),
         "Couldn't reach the press. Check your connection and try again."},
        {nullptr, ""},
    };
    for (const Case& c : cases) {
        TutorRig rig;
        Notebook n = notebookOf({{note(118, "why?")}});
        n.turns.push_back(Turn{});
        n.verdict = "partly";
        n.misses = 1;
        NotebookModel& m = rig.open(n);
        rig.ask();
        rig.script.lines({R"({"t":"h","text":"Because"})", R"({"t":"step","n":3})"});
        rig.settle();
        if (c.error) rig.script.fail(c.error);
        else rig.session().cancel();
        rig.settle();
        EXPECT_EQ(m.tutor->error, c.text.empty() ? std::nullopt : std::optional<std::string>(c.text));
        EXPECT_FALSE(m.tutor->thinking);
        EXPECT_FALSE(rig.session().task());
        EXPECT_FALSE(rig.session().current());
        // What was handled stays; nothing is recorded.
        EXPECT_EQ(rig.blocks(0, "h").size(), 1u);
        EXPECT_EQ(m.nb->step, 3);
        EXPECT_EQ(m.nb->turns.size(), 1u);
        EXPECT_EQ(m.nb->verdict, "partly");
        EXPECT_EQ(m.nb->misses, 1);
        std::optional<Notebook> disk = rig.onDisk();
        ASSERT_TRUE(disk);
        EXPECT_FALSE(disk->pages[0].items[0].text()->turn);
        EXPECT_EQ(disk->turns.size(), 1u);
    }
}

TEST(TurnDriver, ACancelWhileABlockIsLaidOutDropsIt) {
    TutorRig rig;
    NotebookModel& m = rig.open(notebookOf({{note(118, "why?")}}));
    rig.ask();
    rig.script.lines({kPara});
    rig.session().cancel();  // the layout is still in the background
    rig.settle();
    EXPECT_TRUE(rig.blocks(0).empty());
    EXPECT_FALSE(m.nb->pages[0].items[0].text()->turn);
}

TEST(TurnDriver, AReplyReceivedInFullIsRecordedBeforeTheNextTurnStarts) {
    TutorRig rig;
    NotebookModel& m = rig.open(notebookOf({{note(118, "one")}}));
    rig.ask();
    rig.script.lines({kPara, kPara});
    rig.script.end();
    // Cancelled and asked again while its blocks are still being laid out.
    rig.session().cancel();
    EXPECT_FALSE(rig.session().task());
    m.ask();
    rig.scheduler().runPosted();
    EXPECT_EQ(rig.script.requests.size(), 1u);
    rig.settle();
    EXPECT_EQ(rig.blocks(0).size(), 2u);
    ASSERT_EQ(m.nb->turns.size(), 1u);
    // The next turn starts once the first is recorded, as turn 1.
    ASSERT_EQ(rig.script.requests.size(), 2u);
    EXPECT_EQ(rig.session().current()->turn, 1);
    EXPECT_TRUE(m.tutor->thinking);
    rig.reply({kPara});
    EXPECT_EQ(m.nb->turns.size(), 2u);
}

TEST(TurnDriver, ALateLayoutOfAnOldTurnTouchesNothingOfTheNewOne) {
    TutorRig rig;
    NotebookModel& m = rig.open(notebookOf({{note(118, "one")}}));
    rig.ask();
    rig.script.lines({kPara});
    ASSERT_EQ(rig.scheduler().backgroundCount(), 1u);
    rig.session().cancel();
    rig.ask();  // the old layout runs here too, and is dropped
    ASSERT_EQ(rig.script.requests.size(), 2u);
    EXPECT_TRUE(rig.blocks(0).empty());
    EXPECT_FALSE(rig.session().current()->placedAny);
    rig.reply({R"({"t":"h","text":"New"})"});
    ASSERT_EQ(rig.blocks(0).size(), 1u);
    EXPECT_EQ(NotebookModel::kind(rig.blocks(0)[0]), "h");
    EXPECT_EQ(m.nb->turns.size(), 1u);
}

TEST(TurnDriver, ClosingTheNotebookMidTurnLeavesTheLearnersWritingUnstamped) {
    TutorRig rig;
    NotebookModel& m = rig.open(notebookOf({{note(118, "why?")}}));
    rig.ask();
    rig.script.lines({kPara});
    rig.settle();
    m.close();
    const std::weak_ptr<NotebookModel> weak = rig.model;
    rig.model.reset();
    EXPECT_TRUE(weak.expired());
    rig.script.lines({kPara});
    rig.script.end();
    rig.settle();
    std::optional<Notebook> disk = rig.store.onDisk(rig.store.library->notebooks->front().id);
    ASSERT_TRUE(disk);
    EXPECT_FALSE(disk->pages[0].items[0].text()->turn);
    EXPECT_TRUE(disk->turns.empty());
}

TEST(TurnDriver, TheThinkingMarkStaysWhileTheLastBlockWaitsToBeWritten) {
    TutorRig rig;
    NotebookModel& m = rig.open(notebookOf({{note(118, "why?")}}));
    rig.ask();
    rig.reply({kPara});
    // No page stage is attached, so the block still waits in the writer.
    ASSERT_TRUE(m.scribe->waiting->count(m.nb->pages[0].id));
    EXPECT_TRUE(m.tutor->thinking);
    m.scribe->flush();
}

}  // namespace
}  // namespace nolby::test
