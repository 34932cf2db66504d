// What the tutor is told with every request, compared whole; and the pictures it is sent.
#include "TutorTestSupport.h"

#include "PinnedLocale.h"
#include "tutor/Base64.h"

#include <chrono>

namespace nolby::test {
namespace {

using testing::PinnedLocale;

// ICU's English has a comma after the weekday and a narrow no-break space before AM.
const std::string kTime = "Time: Saturday, 6\u202FAM\nMode: lesson\n";
const std::string kEnd = "Your reply starts just below their writing, at the end of the sheet.\n" + kTime;

// A learner item with its ink primed to an exact rectangle (no ink at all when w is 0).
PageItem primed(NotebookModel& m, PageItem item, double x, double y, double w, double h) {
    if (w > 0) primeInk(m, item, y, y + h, x, w);
    else m.cache->prime(item, {}, m.geo());
    return item;
}

struct ContextRig : TutorRig {
    PinnedLocale locale{"en_US", "UTC"};
    // The context of a turn whose new writing is `fresh` (pages of the items given).
    std::string text(std::vector<Notebook::Unread> fresh, double room = 657, bool inside = false, int page = 0) {
        TutorSession::Ids ids;
        for (size_t i = 0; i < fresh.size(); ++i) ids.emplace("u" + std::to_string(i + 1), fresh[i]);
        return session().contextText(fresh, ids, page, model->nb->turns.empty(), room, inside);
    }
    Turn turnAgo(double minutes, std::string read = "halves?", std::string reply = "A half is one of two equal parts.") {
        Turn t;
        t.at = wallClock - std::chrono::duration_cast<ReferenceClock::duration>(std::chrono::duration<double>(minutes * 60));
        t.read = std::move(read);
        t.kind = "question";
        t.reply = std::move(reply);
        return t;
    }
};

TEST(TurnContext, TheFirstTurnOfAPlainNotebook) {
    ContextRig rig;
    NotebookModel& m = rig.open(notebookOf({{note(200, "What is a fraction?", 60)}}));
    primed(m, m.nb->pages[0].items[0], 60, 200, 100, 17);
    rig.ask();
    EXPECT_EQ(rig.context(), "This is the FIRST turn of a new notebook: send a plan.\n"
                             "\n"
                             "Their new writing since your last reply:\n"
                             "  u1 typed at 10,56 on page 1: “What is a fraction?”\n" +
                                 kEnd);
    const nlohmann::json& content = rig.script.requests[0].content;
    ASSERT_EQ(content.size(), 3u);
    EXPECT_EQ(content[1], (nlohmann::json{{"type", "text"}, {"text", "page:"}}));
    EXPECT_EQ(content[2]["source"]["media_type"], "image/png");
}

TEST(TurnContext, ALaterTurnNamesTheNotebookItsPlanAndWhatCameBefore) {
    ContextRig rig;
    Notebook n = notebookOf({{}});
    n.title = "Fractions";
    n.plan = R"({"steps":["Halves","Quarters","Eighths"],"t":"plan"})";
    n.step = 2;
    n.learner = "Quick with halves.";
    n.pace = 4;
    NotebookModel& m = rig.open(n, false);
    rig.defaults->set("learner-about", std::string("Likes cooking."));
    m.nb.modify([&](Notebook& nb) { nb.turns.push_back(rig.turnAgo(29)); });
    EXPECT_EQ(rig.text({}, 328.5),
              "Notebook: “Fractions”, turn 2.\n"
              "Plan: 1. Halves ✓  2. Quarters (current)  3. Eighths\n"
              "Your notes on this learner (pace 4): Quick with halves.\n"
              "About the learner, from all their notebooks: Likes cooking.\n"
              "\n"
              "The notebook so far (oldest first):\n"
              "- they wrote “halves?” (question); you wrote: A half is one of two equal parts.\n"
              "\n"
              "They're on page 1 of 1.\n"
              "No new writing: they tapped Next to carry on.\n"
              "Your reply starts just below their writing, with about 50% of a page free there, and runs on overleaf "
              "if it needs more.\n" +
                  kTime);
}

TEST(TurnContext, RoomLeftOnAPageInWholePercent) {
    ContextRig rig;
    rig.open(notebookOf({{}}), false);
    struct Case {
        double room;
        const char* percent;
    };
    // A writing position past the bottom line has no room, not less than none.
    for (const Case c : {Case{328.5, "50%"}, Case{361.5, "55%"}, Case{657, "100%"}, Case{-40, "0%"}}) {
        const std::string text = rig.text({}, c.room);
        EXPECT_NE(text.find(std::string("with about ") + c.percent + " of a page free"), std::string::npos) << c.room;
    }
}

TEST(TurnContext, WhereTheReplyGoesByInsertAndScroll) {
    ContextRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}));
    EXPECT_NE(rig.text({}, 100, true).find("Their writing sits in the middle of the sheet"), std::string::npos);
    m.scroll.set(false);
    EXPECT_NE(rig.text({}, 100, true).find("(what no longer fits goes overleaf)"), std::string::npos);
}

TEST(TurnContext, TimeAwayAndWarmUps) {
    struct Case {
        double minutes;
        std::vector<std::string> review;
        bool fresh, warmupFlag;
        std::string expected;  // the part after the history line
    };
    const std::string checkIns = "Check-ins they missed or skipped before, waiting for a warm-up: r1 “½ + ½”; r2 “¼ + ¼”\n";
    const std::string warmUp = "Warm up first: they're back, so open this turn with a friendly line and one quick `ask` on "
                               "one of those ideas (a fresh way to check it), and stop there.\n";
    const Case cases[] = {
        {29, {}, false, false, ""},
        {45, {}, false, false, "(They're back after 45 minutes.)\n"},
        {125, {}, false, false, "(They're back after 2 hours.)\n"},
        {3000, {}, false, false, "(They're back after 50 hours.)\n"},
        {40, {"½ + ½", "¼ + ¼"}, false, false, "(They're back after 40 minutes.)\n" + checkIns + warmUp},
        {40, {"½ + ½", "¼ + ¼"}, true, false, "(They're back after 40 minutes.)\n" + checkIns},
        {5, {"½ + ½", "¼ + ¼"}, false, true, checkIns + warmUp},
        {5, {"½ + ½", "¼ + ¼"}, false, false, checkIns},
    };
    for (const Case& c : cases) {
        ContextRig rig;
        rig.warmup = c.warmupFlag;
        Notebook n = notebookOf({{c.fresh ? std::vector<PageItem>{note(300, "hi")} : std::vector<PageItem>{}}});
        NotebookModel& m = rig.open(n);
        m.nb.modify([&](Notebook& nb) {
            nb.turns.push_back(rig.turnAgo(c.minutes));
            if (!c.review.empty()) nb.review = c.review;
        });
        std::vector<Notebook::Unread> fresh = m.nb->newItems();
        if (c.fresh) primed(m, fresh[0].item, 28, 300, 50, 17);
        const std::string text = rig.text(fresh);
        const std::string history = "- they wrote “halves?” (question); you wrote: A half is one of two equal parts.\n";
        const size_t at = text.find(history);
        ASSERT_NE(at, std::string::npos);
        const std::string after = text.substr(at + history.size());
        EXPECT_EQ(after.substr(0, after.find("\n\n") + 1), c.expected) << c.minutes;
    }
}

TEST(TurnContext, TheLastTenTurnsWithTheirRepliesCut) {
    ContextRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}));
    m.nb.modify([&](Notebook& nb) {
        for (int i = 1; i <= 12; ++i) nb.turns.push_back(rig.turnAgo(1, "q" + std::to_string(i), std::string(1000, 'x')));
        nb.turns.back().kind = "";
    });
    const std::string text = rig.text({});
    EXPECT_EQ(text.find("“q2”"), std::string::npos);
    const size_t first = text.find("- they wrote “q3” (question); you wrote: " + std::string(300, 'x') + "\n");
    const size_t last = text.find("- they wrote “q12” (); you wrote: ");
    EXPECT_NE(first, std::string::npos);
    EXPECT_NE(last, std::string::npos);
    EXPECT_LT(first, last);
}

TEST(TurnContext, ADeepDiveNamesItsParentAndQuotesItsPassage) {
    struct Case {
        std::optional<std::string> passage;
        bool parentKept;
        std::string clause;
    };
    const std::string passage900(900, 'p');
    const Case cases[] = {
        {std::nullopt, true, "in their notebook “Light” they chose “photons”, and asked"},
        {std::string(), true, "in their notebook “Light” they chose “photons”, and asked"},
        {passage900, true, "they chose “photons” in this passage of yours: “" + std::string(600, 'p') + "”, and asked"},
        {std::nullopt, false, "in their notebook “their lesson” they chose “photons”, and asked"},
    };
    for (const Case& c : cases) {
        ContextRig rig;
        Notebook parent = notebookOf({{}});
        parent.title = "Light";
        if (c.parentKept) rig.store.library->save(parent, true);
        Notebook dive = notebookOf({{}});
        dive.parent = parent.id;
        dive.from = "photons";
        dive.passage = c.passage;
        rig.open(dive);
        const std::string text = rig.text({});
        EXPECT_EQ(text.rfind("This is the FIRST turn of a new notebook: send a plan.\nIt is a DEEP DIVE: ", 0), 0u);
        EXPECT_NE(text.find(c.clause), std::string::npos) << c.clause;
        EXPECT_NE(text.find("Keep the plan to 2–4 steps, and name the notebook for the thing itself.\n"), std::string::npos);
    }
}

TEST(TurnContext, NewWritingInIdOrderWithPositionsSizesAndRemarks) {
    ContextRig rig;
    TextItem said = note(400, "photosynthesis", 80);
    said.spoken = true;
    said.about = "chlorophyll";
    TextItem circled = note(450, "this part?");
    circled.about = "";
    StrokeItem marker = stroke(24, 200, 35.2, 7, "marker");
    StrokeItem pen = stroke(24, 300, 35.2, 7);
    TextItem inkless = note(500, "");
    std::vector<PageItem> items = {said, circled, marker, pen, inkless};
    for (int i = 0; i < 7; ++i) items.push_back(note(520 + i * 20, "n" + std::to_string(i + 6)));
    NotebookModel& m = rig.open(notebookOf({items}));
    std::vector<Notebook::Unread> fresh = m.nb->newItems();
    ASSERT_EQ(fresh.size(), 12u);
    primed(m, fresh[0].item, 80, 400, 60, 17);
    primed(m, fresh[1].item, 28, 450, 60, 17);
    primed(m, fresh[2].item, 24, 200, 35.2, 7);
    primed(m, fresh[3].item, 24, 300, 35.2, 7);
    primed(m, fresh[4].item, 0, 0, 0, 0);
    for (int i = 5; i < 12; ++i) primed(m, fresh[i].item, 28, 520 + (i - 5) * 20, 30, 17);
    const std::string text = rig.text(fresh);
    const std::string expected =
        "Their new writing since your last reply:\n"
        "  u1 said at 15,113 on page 1: “photosynthesis”, about “chlorophyll”, a word of yours they circled just above it\n"
        "  u2 typed at 1,127 on page 1: “this part?”, about the part of your picture they circled just above it\n"
        "  u3 a pen stroke at 0,56 on page 1, 10×1 units (highlighter) — see `new`\n"
        "  u4 a pen stroke at 0,85 on page 1, 10×1 units — see `new`\n"
        "  u5 typed on page 1: “”\n"
        "  u6 typed at 1,147 on page 1: “n6”\n"
        "  u7 typed at 1,153 on page 1: “n7”\n"
        "  u8 typed at 1,159 on page 1: “n8”\n"
        "  u9 typed at 1,164 on page 1: “n9”\n"
        "  u10 typed at 1,170 on page 1: “n10”\n"
        "  u11 typed at 1,176 on page 1: “n11”\n"
        "  u12 typed at 1,181 on page 1: “n12”\n";
    EXPECT_NE(text.find(expected), std::string::npos) << text;
}

TEST(TurnContext, AnAnswerInTheRoomOfAQuestionAndItsSecondTry) {
    ContextRig rig;
    // A question whose answer room ends at its bottom, 400: the room is 28.9 high at least.
    BlockItem ask = question(200, 200, "What is ½ + ½?");
    NotebookModel& m = rig.open(notebookOf({{ask, note(372, "one whole")}}));
    m.nb.modify([](Notebook& n) { n.misses = 1; });
    std::vector<Notebook::Unread> fresh = m.nb->newItems();
    primed(m, fresh[0].item, 30, 372, 80, 17);
    EXPECT_NE(rig.text(fresh).find("“one whole”, their answer to your question “What is ½ + ½?” (their second try: if "
                                   "it's still not right, walk them through the answer and move on; don't ask again)\n"),
              std::string::npos);
    m.nb.modify([](Notebook& n) { n.misses.reset(); });
    EXPECT_NE(rig.text(fresh).find("“one whole”, their answer to your question “What is ½ + ½?”\n"), std::string::npos);
}

TEST(TurnContext, ThePictureOfNewStrokesFollowsThePage) {
    ContextRig rig;
    NotebookModel& m = rig.open(notebookOf({{stroke(100, 300, 60, 20)}}));
    rig.ask();
    ASSERT_EQ(rig.script.requests.size(), 1u);
    const nlohmann::json& content = rig.script.requests[0].content;
    ASSERT_EQ(content.size(), 5u);
    EXPECT_EQ(content[3], (nlohmann::json{{"type", "text"}, {"text", "new:"}}));
    EXPECT_EQ(content[4]["type"], "image");
    EXPECT_TRUE(Base64::decode(content[4]["source"]["data"].get<std::string>()));
    EXPECT_TRUE(m.tutor->reading);
}

TEST(TurnContext, ARequestMayGoWithoutPictures) {
    ContextRig rig;
    rig.pictures = false;
    rig.open(notebookOf({{stroke(100, 300, 60, 20)}}));
    rig.ask();
    ASSERT_EQ(rig.script.requests.size(), 1u);
    const nlohmann::json& content = rig.script.requests[0].content;
    ASSERT_EQ(content.size(), 1u);
    EXPECT_EQ(content[0]["type"], "text");
    EXPECT_NE(rig.context().find("Time: "), std::string::npos);
}

TEST(TurnContext, TheTimeOfDayIsTheUsersOwn) {
    const Date when = dateFromReference(800'000'000);
    {
        PinnedLocale locale("de_DE", "Europe/Berlin");
        EXPECT_EQ(TutorSession::timeOfDay(when), "Samstag, 08 Uhr");
    }
    // The format is kept between turns, yet follows the user's locale and time zone.
    {
        PinnedLocale locale("de_DE", "America/New_York");
        EXPECT_EQ(TutorSession::timeOfDay(when), "Samstag, 02 Uhr");
    }
    {
        PinnedLocale locale("en_US", "America/New_York");
        EXPECT_EQ(TutorSession::timeOfDay(when), "Saturday, 2\u202FAM");
    }
}

}  // namespace
}  // namespace nolby::test
