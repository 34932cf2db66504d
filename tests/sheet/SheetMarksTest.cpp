// Where the learner's typing goes: the caret after the note or at the typing spot, the
// prompt by the notebook's state, nothing while the tutor is busy, and the caret's blink.
#include "model/ModelTestSupport.h"
#include "sheet/SheetMarks.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;
using namespace nolby::test;

TEST(SheetMarks, ANewNotebookPromptsAtItsTypingSpot) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}));
    const auto spot = SheetMarks::spot(m);
    ASSERT_TRUE(spot);
    EXPECT_EQ(spot->page, 0);
    EXPECT_EQ(spot->top, 118);
    EXPECT_EQ(spot->caret, (Rect{29, 118 + NotebookModel::firstBaseline() - 13.6, 0, 17.34}));
    EXPECT_EQ(spot->prompt, "what would you like to learn?");

    m.focused.set(false);  // no keyboard focus: no prompt (and no caret)
    EXPECT_FALSE(SheetMarks::spot(m)->prompt);
}

TEST(SheetMarks, AnEmptyDiveHasNoPrompt) {
    ModelRig rig;
    Notebook n = notebookOf({{}});
    n.parent = Uuid::random();
    NotebookModel& m = rig.open(std::move(n));
    EXPECT_FALSE(SheetMarks::prompt(m));
    EXPECT_TRUE(SheetMarks::spot(m));
}

TEST(SheetMarks, TheCaretFollowsTheNoteAndGoesWhileTheTutorWorks) {
    ModelRig rig;
    BlockItem a = paragraph(100);
    NotebookModel& m = rig.open(notebookOf({{a}}));
    primeInk(m, a, 100, 200);
    ASSERT_TRUE(SheetMarks::spot(m));
    EXPECT_EQ(SheetMarks::spot(m)->top, 226);  // 26 below the lowest ink

    m.tutor.modify([](NotebookModel::TutorStatus& t) { t.thinking = true; });
    EXPECT_FALSE(SheetMarks::spot(m));
    m.tutor.modify([](NotebookModel::TutorStatus& t) {
        t.thinking = false;
        t.reading = NotebookModel::TutorStatus::Reading{};
    });
    EXPECT_FALSE(SheetMarks::spot(m));
    m.tutor.modify([](NotebookModel::TutorStatus& t) { t.reading.reset(); });

    NotebookModel::Editing e;
    e.x = 38;
    e.y = 300;
    e.width = 300;
    e.text = "why";
    m.editing.set(e);
    const auto spot = SheetMarks::spot(m);
    ASSERT_TRUE(spot);
    EXPECT_EQ(spot->caret, NotebookModel::caret(e));
    EXPECT_FALSE(spot->prompt);
}

TEST(SheetMarks, CaretBlinkAndIdentity) {
    struct Case {
        double t, opacity;
    } cases[] = {
        {0, 1}, {0.49, 1}, {0.75, 0.5}, {1.0, 0}, {1.25, 0.5}, {1.5, 1}, {2.0, 0},
    };
    for (const Case& c : cases) EXPECT_NEAR(Caret::opacity(c.t), c.opacity, 1e-9) << c.t;
    EXPECT_EQ(Caret::opacity(-1), 1);
    EXPECT_EQ(Caret::opacity(10.75), 1);  // ten blinks on it stays lit
    EXPECT_FALSE(std::isfinite(Caret::untilChange(10.75)));

    // Drawn in quarter steps: a blink of one second is eight changes of the bar, each when
    // the drawn step changes, and the lit half second first.
    EXPECT_NEAR(Caret::untilChange(0.2), 0.3, 1e-9);
    int changes = 0;
    for (double t = 1.5;;) {
        const double step = Caret::untilChange(t);
        if (t + step >= 2.5) break;  // the next second's
        ASSERT_GT(step, 0.02) << t;
        EXPECT_NE(Caret::drawn(t + step), Caret::drawn(t)) << t;
        EXPECT_EQ(Caret::drawn(t + step - 0.002), Caret::drawn(t)) << t;
        t += step;
        ++changes;
    }
    EXPECT_EQ(changes, 8);

    EXPECT_EQ(SheetMarks::caretIdentity({29.3, 10.2, 0, 17.34}), "117 40");
    EXPECT_EQ(SheetMarks::caretIdentity({-0.3, 1e300, 0, 1}), "-1 0");
    EXPECT_EQ(SheetMarks::caretIdentity({NAN, 2, 0, 1}), "0 8");

    // A move to another quarter point restarts the blink; staying within one does not.
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}));
    NotebookModel::Editing e;
    e.x = 38;
    e.y = 300;
    e.width = 300;
    m.editing.set(e);
    SheetMarks marks;
    marks.sync(m, 1);
    EXPECT_EQ(marks.caretSince(), 1);
    marks.sync(m, 2);
    EXPECT_EQ(marks.caretSince(), 1);
    const double quarterY = std::floor(NotebookModel::caret(e).y * 4) / 4;
    e.y += quarterY + 0.2 - NotebookModel::caret(e).y;  // within the same quarter point
    m.editing.set(e);
    marks.sync(m, 3);
    EXPECT_EQ(marks.caretSince(), 1);
    e.y += 0.25;
    m.editing.set(e);
    marks.sync(m, 4);
    EXPECT_EQ(marks.caretSince(), 4);

    const char* args[] = {"nolby", "-caret"};
    EXPECT_TRUE(SheetMarks::hasCaretArgument(2, args));
    EXPECT_FALSE(SheetMarks::hasCaretArgument(1, args));
}

TEST(SheetMarks, ThePromptFadesIn) {
    ModelRig rig;
    NotebookModel& m = rig.open(notebookOf({{}}));
    m.focused.set(false);
    SheetMarks marks;
    marks.sync(m, 0);
    EXPECT_EQ(marks.promptAmount(0), 0);
    m.focused.set(true);
    marks.sync(m, 1);
    EXPECT_GT(marks.promptAmount(1.1), 0);
    EXPECT_LT(marks.promptAmount(1.1), 1);
    EXPECT_EQ(marks.promptAmount(1.2), 1);
    EXPECT_FALSE(marks.promptOps().empty());
}
