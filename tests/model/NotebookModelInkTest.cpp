// The ink of an open notebook's pages: what is settled, raster layers, finished items and
// the lowest ink of a page.
#include "ModelTestSupport.h"

#include "platform/Canvas.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::test;

namespace {

// Three operations one under the other, for the item's primed ink.
std::vector<InkOpRef> threeOps(double top) {
    return {box({24, top, 100, 10}), box({24, top + 12, 100, 10}), box({24, top + 24, 100, 10})};
}

}  // namespace

TEST(NotebookModelInk, SettledOpsLeaveOutWhatIsNotWrittenYet) {
    ModelRig rig;
    BlockItem done = paragraph(104), writing = paragraph(200), waiting = paragraph(300);
    TextItem typed = note(400, "being typed");
    NotebookModel& m = rig.open(notebookOf({{done, writing, waiting, typed}}));
    const Uuid page = m.nb->pages[0].id;
    for (const BlockItem& b : {done, writing, waiting}) m.cache->prime(b, threeOps(b.y), m.geo());
    m.scribe->enqueue(page, writing.id, threeOps(200), 2, false);  // two operations written
    m.scribe->enqueue(page, waiting.id, threeOps(300), 0, false);  // none yet

    NotebookModel::Editing e;
    e.id = typed.id;
    e.isNew = false;
    m.editing.set(e);

    std::vector<InkOpRef> ops = m.settledOps(0);
    ASSERT_EQ(ops.size(), 5u);
    EXPECT_EQ(ops[3], m.entry(writing).ops[0]);
    EXPECT_EQ(ops[4], m.entry(writing).ops[1]);
    EXPECT_TRUE(m.settledOps(1).empty());
    EXPECT_TRUE(m.settledOps(-1).empty());

    m.editing.set(std::nullopt);
    EXPECT_GT(m.settledOps(0).size(), 5u);  // the note is on the page again
}

TEST(NotebookModelInk, LayersAreBitmapsOnceRenderedAndVectorsMeanwhile) {
    ModelRig rig;
    BlockItem done = paragraph(104), writing = paragraph(200);
    NotebookModel& m = rig.open(notebookOf({{done, writing}}));
    for (const BlockItem& b : {done, writing}) m.cache->prime(b, threeOps(b.y), m.geo());
    m.scribe->enqueue(m.nb->pages[0].id, writing.id, threeOps(200), 1, false);
    rig.scheduler().drain();  // the writer's own pre-render

    auto [bitmaps, vectors] = m.layers(0, 2);
    EXPECT_TRUE(bitmaps.empty());
    EXPECT_EQ(vectors.size(), 3u + 1u);  // done as vectors while its bitmap renders; writing's first op

    const int before = m.rasterVersion.get();
    rig.scheduler().drain();
    EXPECT_EQ(m.rasterVersion.get(), before + 1);  // the bitmap arrived
    auto [bitmaps2, vectors2] = m.layers(0, 2);
    ASSERT_EQ(bitmaps2.size(), 1u);
    EXPECT_EQ(bitmaps2[0].id, done.id);
    EXPECT_EQ(bitmaps2[0].raster.frame, (Rect{20, 100, 108, 42}));
    EXPECT_EQ(vectors2.size(), 1u);
}

TEST(NotebookModelInk, AFinishedItemIsRenderedAtTheWritersScale) {
    ModelRig rig;
    BlockItem b = paragraph(104);
    NotebookModel& m = rig.open(notebookOf({{b}}));
    m.cache->prime(b, threeOps(104), m.geo());
    m.scribe->pixels = 2;
    m.written(b.id);
    EXPECT_EQ(m.version(0), 1);
    rig.scheduler().drain();
    EXPECT_EQ(m.rasterVersion.get(), 1);
    // The page view at the writer's scale now finds the bitmap at once.
    EXPECT_EQ(m.layers(0, 2).first.size(), 1u);
}

TEST(NotebookModelInk, LowestInk) {
    for (double pageH : {869.0, 699.0}) {
        ModelRig rig;
        BlockItem b = paragraph(300);
        BlockItem blank = paragraph(700);
        blank.json = R"({"t":"mark"})";
        NotebookModel& m = rig.open(notebookOf({{}, {b, blank}}, pageH));
        primeInk(m, b, 300, 412.5);
        EXPECT_EQ(m.lowestInk(0), pageH < 700 ? 62 : 90) << pageH;
        EXPECT_EQ(m.lowestInk(1), 412.5) << pageH;
    }
}

TEST(NotebookModelInk, APaintingIsReadBackThroughTheStore) {
    ModelRig rig;
    BlockItem sketch = paragraph(104);
    sketch.json = R"({"t":"sketch","prompt":"a pie cut in halves","h":160})";
    NotebookModel& m = rig.open(notebookOf({{sketch}}));
    const auto painted = [&] {
        for (const InkOpRef& op : m.entry(m.nb->pages[0].items[0]).ops)
            if (std::string(op->placement().base->className()) == "ImageOp") return true;
        return false;
    };
    EXPECT_FALSE(painted());  // wet paper, waiting

    // The painting is saved among the sketches, and the block names it.
    Canvas painting(40, 30, 1);
    painting.fill(Color::hex(0xcc3322));
    ASSERT_TRUE(painting.writePng((rig.store.data.path / "Sketches" / "pie.png").string()));
    m.mutate(0, false, [](std::vector<PageItem>& items) { std::get<BlockItem>(items[0].value).image = "pie.png"; });
    EXPECT_TRUE(painted());
}
