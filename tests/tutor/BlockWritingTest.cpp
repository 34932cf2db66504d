// Writing a reply's blocks: the breath before each, shrinking what almost fits, the page-turn
// mark and the link back to the question.
#include "TutorTestSupport.h"

#include "platform/NumberText.h"

namespace nolby::test {
namespace {

TEST(BlockWriting, BreathsBetweenBlocks) {
    struct Case {
        std::optional<std::string> after;
        std::string before;
        double pause;
    };
    const Case cases[] = {{std::nullopt, "ask", 0}, {"fig", "p", 0.9}, {"sketch", "p", 0.9}, {"code", "h", 0.9},
                          {"p", "ask", 0.95}, {"h", "aside", 0.8}, {"h", "p", 0.35}, {"note", "p", 0.6},
                          {"quote", "ask", 1.05}, {"list", "p", 0.5}, {"math", "math", 0.9}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(TutorSession::breath(c.after, c.before), c.pause) << c.before;
}

TEST(BlockWriting, TheFirstOperationWaitsItsBreathUnlessItWaitsLonger) {
    TutorRig rig;
    NotebookModel& m = rig.open(notebookOf({{note(118, "q")}}));
    rig.ask();
    rig.reply({R"({"t":"p","text":"One."})", R"({"t":"ask","text":"Two?"})"});
    const std::vector<BlockItem> blocks = rig.blocks(0);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_GE(m.entry(PageItem(blocks[1])).ops.front()->pause, 0.95);
    const Blocks layout{m.geo(), m.accent()};
    const double own = layout.lay(*J::parse(blocks[0].json), blocks[0].seed).ops.front()->pause;
    EXPECT_EQ(m.entry(PageItem(blocks[0])).ops.front()->pause, own);
}

// A figure of this height (its "h" in units of the text column) on a page with `free` points
// below the writing position.
struct FigRig : TutorRig {
    double figHeight = 0;
    FigRig(double free, bool turned = false) {
        // The question ends so that the reply starts `free` points above the bottom line, 761.
        const double start = 761 - free;
        NotebookModel& m = open(notebookOf({{note(start - 14 - 17, "draw it")}}), !turned);
        primeInk(m, m.nb->pages[0].items[0], start - 14 - 17, start - 14);
        ask();
    }
};

TEST(BlockWriting, AFigureThatAlmostFitsIsShrunkToFitAndOneThatDoesNotMovesOn) {
    // "h" 50 on a 400-point page lays out about 190 points high; a caption does not shrink
    // with the figure, so a long one keeps the shrunk figure taller than the room.
    const std::string plain = R"({"t":"fig","h":50,"items":[{"k":"rect","x":10,"y":10,"w":80,"h":30}]})";
    const std::string captioned = R"({"t":"fig","h":50,"items":[{"k":"rect","x":10,"y":10,"w":80,"h":30}],"caption":")" +
                                  std::string("A caption long enough to run over several lines of the column, so that ") +
                                  "it stays as tall as it was when the figure above it is shrunk to fit, and more besides: "
                                  "it goes on, and on, for a good while yet, line after line after line.\"}";
    struct Case {
        std::string fig;
        double share;  // of the figure's height that is free
        bool shrunk;
        int page;
    };
    const Case cases[] = {{plain, 0.8, true, 0}, {plain, 0.7, false, 1}, {plain, 1.2, false, 0}, {captioned, 0.76, false, 1}};
    for (const Case& c : cases) {
        ModelRig measure;
        measure.open(notebookOf({{}}));
        const double h = Blocks{measure.model->geo(), measure.model->accent()}.lay(*J::parse(c.fig), 7).height;
        ASSERT_GT(h, 100);
        FigRig rig(c.share * h);
        rig.reply({c.fig});
        const int pages = static_cast<int>(rig.model->nb->pages.size());
        ASSERT_EQ(pages, c.page + 1) << c.share;
        const std::vector<BlockItem> figs = rig.blocks(c.page, "fig");
        ASSERT_EQ(figs.size(), 1u) << c.share;
        std::optional<J> stored = J::parse(figs[0].json);
        EXPECT_EQ(stored->has("_scale"), c.shrunk) << c.share;
        if (c.shrunk) {
            EXPECT_NEAR(stored->num("_scale", 0), (c.share * h - 4) / h, 1e-9);
            EXPECT_LE(*figs[0].h, c.share * h);
        }
    }
}

TEST(BlockWriting, AFigureLeavingATurnedPageLeavesAPageTurnMarkAndALinkOverleaf) {
    FigRig rig(70, true);
    rig.reply({R"({"t":"p","text":"Look overleaf, where the whole picture is waiting for you: every part of it drawn large, with its name written beside it, so you can follow it from one end to the other."})",
               R"({"t":"p","text":"Next."})"});
    NotebookModel& m = *rig.model;
    ASSERT_EQ(m.nb->pages.size(), 2u);
    const std::vector<BlockItem> pto = rig.blocks(0, "pto");
    ASSERT_EQ(pto.size(), 1u);
    EXPECT_EQ(pto[0].y, 869 - 108 + 10);
    EXPECT_EQ(pto[0].h, 18);
    EXPECT_EQ(pto[0].json, R"({"t":"pto"})");
    const std::vector<BlockItem> links = rig.blocks(0, "link");
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(J::parse(links[0].json)->str("text", ""), "overleaf →");
    EXPECT_TRUE(m.scribe->complete.count(m.nb->pages[0].id));
    EXPECT_EQ(links[0].turn, 0);
}

TEST(BlockWriting, LinksBackToTheQuestion) {
    struct Case {
        double gap;            // from the question's bottom to the reply's first block
        bool turned;
        bool overleaf;         // the reply starts on the next page
        double rightEdge;      // of the question
        std::string expected;  // the link's JSON; "" for none
    };
    const Case cases[] = {
        {71, false, false, 200, R"({"from":[208,209.5],"t":"link","to":[18,297]})"},
        {70, false, false, 200, ""},
        {0, true, true, 200, R"({"from":[210,209.5],"t":"link","text":"overleaf →"})"},
        {0, true, true, 300, R"({"from":[24,236],"t":"link","text":"overleaf →"})"},
        {0, false, true, 200, ""},
    };
    for (const Case& c : cases) {
        TutorRig rig;
        // The question, 201 to 218, and earlier writing of the learner's below it (read in an
        // earlier turn) that the reply has to go below.
        TextItem earlier = note(224, "earlier");
        earlier.turn = 0;
        NotebookModel& m = rig.open(notebookOf({{note(201, "why?"), earlier}}), !c.turned);
        primeInk(m, m.nb->pages[0].items[0], 201, 218, 24, c.rightEdge - 24);
        primeInk(m, m.nb->pages[0].items[1], 224, c.overleaf ? 755 : 218 + c.gap - 6);
        rig.ask();
        rig.reply({R"({"t":"p","text":"Because."})", R"({"t":"p","text":"And so."})"});
        if (!c.overleaf) ASSERT_EQ(rig.blocks(0, "p").at(0).y, 218 + c.gap);
        std::vector<BlockItem> links = rig.blocks(0, "link");
        if (c.expected.empty()) {
            EXPECT_TRUE(links.empty()) << c.gap << " " << c.turned;
            continue;
        }
        ASSERT_EQ(links.size(), 1u) << c.gap << " " << c.turned;
        EXPECT_EQ(links[0].json, c.expected);
    }
}

TEST(BlockWriting, ALinkToAPageFurtherOnNamesIt) {
    TutorRig rig;
    TextItem earlier = note(224, "earlier");
    earlier.turn = 0;
    NotebookModel& m = rig.open(notebookOf({{note(201, "why?"), earlier}}), false);
    primeInk(m, m.nb->pages[0].items[0], 201, 218);
    primeInk(m, m.nb->pages[0].items[1], 224, 755);
    rig.ask();
    // The reply starts overleaf, on page index 1; page flow then puts three pages before it.
    ASSERT_EQ(rig.session().current()->placer.page, 1);
    for (int i = 0; i < 3; ++i) {
        m.nb.modify([](Notebook& n) { n.pages.insert(n.pages.begin() + 1, Page{}); });
        rig.session().pageInserted(1);
    }
    rig.reply({R"({"t":"p","text":"Far away."})"});
    EXPECT_EQ(J::parse(rig.blocks(0, "link").at(0).json)->str("text", ""), "see p. 5 →");
}

TEST(BlockWriting, AHeadingOrALineEndingInAColonKeepsWithWhatFollows) {
    FigRig rig(140);
    rig.reply({R"({"t":"p","text":"Here is how:"})"});
    EXPECT_EQ(rig.model->nb->pages.size(), 2u);
    EXPECT_TRUE(rig.blocks(0, "p").empty());
}

TEST(BlockWriting, SketchesArePaintedAtTheirOwnHeight) {
    struct Case {
        double h;
        const char* aspect;
    };
    // 120 counts as 90 % of the column's width, 10 as 20 %.
    for (const Case c : {Case{120, "1:1"}, Case{10, "16:9"}, Case{40, "16:9"}}) {
        TutorRig rig;
        rig.open(notebookOf({{note(118, "paint")}}));
        rig.ask();
        rig.reply({R"({"t":"sketch","prompt":"a pie","h":)" + NumberText::shortest(c.h) + "}"});
        ASSERT_EQ(rig.paintings.asked.size(), 1u);
        EXPECT_EQ(rig.paintings.asked[0].kind, "painting");
        EXPECT_EQ(rig.paintings.asked[0].subject, "a pie");
        EXPECT_EQ(rig.paintings.asked[0].aspect, c.aspect) << c.h;
        EXPECT_FALSE(rig.paintings.asked[0].inks);
    }
}

}  // namespace
}  // namespace nolby::test
