// A turn from ask to record, on a real notebook model with a scripted reply stream.
#include "TutorTestSupport.h"

namespace nolby::test {
namespace {

TEST(TutorTurn, AReplyIsPlacedWrittenAndRecordedWithItsTurn) {
    TutorRig rig;
    NotebookModel& m = rig.open(notebookOf({{note(118, "What is a fraction?")}}));
    rig.ask();
    ASSERT_EQ(rig.script.requests.size(), 1u);
    EXPECT_TRUE(m.tutor->thinking);
    EXPECT_TRUE(rig.script.requests[0].lesson);

    rig.reply({R"({"t":"read","text":"What is a fraction?","kind":"question"})",
               R"({"t":"h","text":"Fractions"})", R"({"t":"p","text":"A fraction is a part of a whole."})"});

    const std::vector<BlockItem> blocks = rig.blocks(0);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].turn, 0);
    EXPECT_FALSE(rig.session().task());
    EXPECT_EQ(rig.session().current(), nullptr);
    ASSERT_EQ(m.nb->turns.size(), 1u);
    EXPECT_EQ(m.nb->turns[0].read, "What is a fraction?");
    EXPECT_EQ(m.nb->turns[0].kind, "question");
    EXPECT_EQ(m.nb->turns[0].reply, "# Fractions · A fraction is a part of a whole.");
    EXPECT_EQ(m.nb->pages[0].items[0].text()->turn, 0);

    std::optional<Notebook> disk = rig.onDisk();
    ASSERT_TRUE(disk);
    EXPECT_EQ(disk->turns.size(), 1u);
    EXPECT_EQ(disk->pages[0].items.size(), 3u);
    EXPECT_EQ(disk->pages[0].items[0].text()->turn, 0);
}

}  // namespace
}  // namespace nolby::test
