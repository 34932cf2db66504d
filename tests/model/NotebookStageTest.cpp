// The page stage over an open notebook model: it reads the model's page, note being typed,
// writer and ink, and lets go when the model goes.
#include "ModelTestSupport.h"

#include "model/NotebookStage.h"
#include "writing/InkStage.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::test;

namespace {

TEST(NotebookStage, AStageShowsTheModelsPageAndExpiresWithIt) {
    ModelRig rig;
    const TextItem typed = note(300, "being typed");
    NotebookModel& m = rig.open(notebookOf({{PageItem(paragraph(100)), PageItem(note(200)), PageItem(typed)}}));
    auto adapter = std::make_unique<NotebookStage>(m);
    const std::weak_ptr<StageModel> handle = NotebookStage::handle(rig.model, *adapter);
    NotebookModel::Editing e;
    e.id = typed.id;
    m.editing.set(e);

    const InkStage value{handle, m.nb->pages[0].id, 1, {}, m.version(0), 0, typed.id, 0};
    auto view = value.make({2, rig.store.scheduler});
    EXPECT_EQ(view->items().size(), 2u);  // the note being typed is left out
    EXPECT_EQ(m.scribe->pixels, 2);
    ASSERT_EQ(m.scribe->stages().size(), 1u);
    EXPECT_EQ(m.scribe->stages()[0].stage.lock(), view);
    // The ink is the model's: its cache entry, drawn from its raster cache.
    EXPECT_EQ(adapter->ops(m.nb->pages[0].items[1]), m.entry(m.nb->pages[0].items[1]).ops);
    EXPECT_EQ(m.raster->count(), 2u);

    std::shared_ptr<Scribe> writer = m.scribe;
    rig.model.reset();
    EXPECT_TRUE(handle.expired());
    view->sync();  // nothing to read: nothing changes
    EXPECT_EQ(view->items().size(), 2u);
    InkStage::dismantle(*view);
    EXPECT_TRUE(view->items().empty());
}

}  // namespace
