// The page stage's containers: one per item, drawn whole when settled, taken up by the
// writer, slid when page flow moves them, redrawn when their content changes.
#include "StageTestSupport.h"

#include "ink/ops/WetOp.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;
using namespace nolby::testing;

namespace {

std::shared_ptr<const SpringAnimation> springOf(const Layer& layer) {
    return std::dynamic_pointer_cast<const SpringAnimation>(layer.animation("slide"));
}

// The picture layer of a settled container: its only sublayer, with contents.
const Layer* pictureOf(const InkStageView::Entry& e) {
    if (e.layer->sublayers().size() != 1) return nullptr;
    return e.layer->sublayers()[0]->contents ? e.layer->sublayers()[0].get() : nullptr;
}

TEST(InkStageView, RasterScaleIsRaisedToTheNextHalfPixel) {
    struct Case {
        double scale, display, pixels;
    } cases[] = {{1, 2, 2}, {1, 3, 3}, {0.8, 2, 2}, {0.7, 2, 1.5}, {1.01, 2, 2.5}, {0.5, 1, 0.5}};
    for (const Case& c : cases) EXPECT_EQ(InkStageView::rasterScale(c.scale, c.display), c.pixels) << c.scale;
}

TEST(InkStageView, ADisplayScaleChangeRedrawsEverySettledItem) {
    StageDesk d;
    const Uuid id = d.put(note(200)).id();
    d.sync();
    EXPECT_EQ(d.stage().pixels(), 2);
    EXPECT_EQ(d.writer().pixels, 2);
    const uint64_t before = d.entry(id).key;
    ASSERT_TRUE(pictureOf(d.entry(id)));
    const int narrow = pictureOf(d.entry(id))->contents->width();

    d.stage().place(1, {0, 0}, 2.0004);  // jitter under a thousandth of a pixel: nothing changes
    d.stage().place(1, {0, 0}, 2.2);     // still rounds up to 2.5
    EXPECT_EQ(d.stage().pixels(), 2.5);
    d.stage().place(1, {0, 0}, 3);
    EXPECT_EQ(d.stage().pixels(), 3);
    EXPECT_EQ(d.writer().pixels, 3);
    d.stage().sync();
    EXPECT_NE(d.entry(id).key, before);
    EXPECT_EQ(d.entry(id).key, InkStageView::contentKey(d.item(id), 3));
    ASSERT_TRUE(pictureOf(d.entry(id)));
    EXPECT_NEAR(pictureOf(d.entry(id))->contents->width(), narrow * 1.5, 2);
}

TEST(InkStageView, ShowingTheShownPageDoesNothingAndNoneDetaches) {
    StageDesk d;
    const Uuid id = d.put(note(200)).id();
    d.sync();
    LayerRef layer = d.entry(id).layer;
    d.stage().show(d.page());
    EXPECT_EQ(d.entry(id).layer, layer);  // not cleared

    // The stage itself is registered with a writer that has no tap in between.
    auto model = d.model;
    auto view = InkStageView::make(model, d.scheduler);
    view->place(1, {}, 2);
    view->show(d.page());
    const auto registered = [&] {
        for (const auto& live : d.writer().stages())
            if (live.stage.lock() == view) return true;
        return false;
    };
    EXPECT_TRUE(registered());
    EXPECT_EQ(view->items().size(), 1u);
    view->show(std::nullopt);
    EXPECT_FALSE(registered());
    EXPECT_TRUE(view->items().empty());
    EXPECT_TRUE(view->ink()->sublayers().empty());
    view->show(std::nullopt);  // again: nothing
    EXPECT_FALSE(view->page());
}

TEST(InkStageView, TheNoteBeingTypedHasNoContainerUntilCommitted) {
    StageDesk d;
    const Uuid id = d.put(note(200)).id();
    d.model->editing = id;
    d.sync();
    EXPECT_FALSE(d.has(id));
    d.model->editing.reset();
    d.sync();
    ASSERT_TRUE(d.has(id));
    EXPECT_TRUE(pictureOf(d.entry(id)));
}

TEST(InkStageView, ContainersKeepThePageOrderOfTheirItems) {
    StageDesk d;
    const Uuid a = d.put(note(100, "first")).id();
    const Uuid c = d.put(note(300, "third")).id();
    d.sync();
    // An item put between them gets its container between theirs.
    d.items().insert(d.items().begin() + 1, PageItem(note(200, "second")));
    const Uuid b = d.items()[1].id();
    d.sync();
    const auto& layers = d.stage().ink()->sublayers();
    ASSERT_EQ(layers.size(), 3u);
    EXPECT_EQ(layers[0], d.entry(a).layer);
    EXPECT_EQ(layers[1], d.entry(b).layer);
    EXPECT_EQ(layers[2], d.entry(c).layer);
    // An item that leaves the page takes its container with it.
    d.items().erase(d.items().begin());
    d.sync();
    EXPECT_FALSE(d.has(a));
    EXPECT_EQ(d.stage().ink()->sublayers().size(), 2u);
}

TEST(InkStageView, AMovedItemSlidesFromWhereItWasDrawn) {
    StageDesk d;
    const Uuid id = d.put(note(200)).id();
    d.sync();
    const LayerRef layer = d.entry(id).layer;
    const Layer* picture = pictureOf(d.entry(id));

    d.move(id, 40);
    d.sync();
    EXPECT_EQ(layer->transform, Affine::translation(0, 40));
    auto spring = springOf(*layer);
    ASSERT_TRUE(spring);
    EXPECT_EQ(spring->damping, 26);
    EXPECT_EQ(spring->stiffness, 260);
    EXPECT_EQ(spring->mass, 1);
    EXPECT_EQ(spring->duration, spring->settlingDuration());
    EXPECT_EQ(spring->preferredFrameRateRange, InkStageView::rate);
    EXPECT_EQ(std::get<Affine>(spring->fromValue), Affine::identity());
    EXPECT_EQ(pictureOf(d.entry(id)), picture);  // slid, not redrawn

    // Pushed again part way through the slide: on to 50 from wherever it shows now.
    d.run(0.1);
    const double shown = layer->presentedTransform(d.clock->now()).ty;
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 40);
    d.move(id, 10);
    d.sync();
    EXPECT_EQ(layer->transform, Affine::translation(0, 50));
    EXPECT_EQ(std::get<Affine>(springOf(*layer)->fromValue).ty, shown);
    EXPECT_EQ(d.entry(id).drawnTop, 200);
    EXPECT_EQ(d.entry(id).key, InkStageView::contentKey(d.item(id), 2));
    d.run(2);
    EXPECT_EQ(layer->presentedTransform(d.clock->now()).ty, 50);
}

TEST(InkStageView, AChangedSettledItemIsRedrawnInPlace) {
    StageDesk d;
    const Uuid id = d.put(note(200, "short")).id();
    d.sync();
    d.move(id, 40);
    d.sync();
    const LayerRef layer = d.entry(id).layer;
    const Layer* old = pictureOf(d.entry(id));
    std::get<TextItem>(d.item(id).value).text = "a longer note now";
    d.sync();
    EXPECT_EQ(d.entry(id).layer, layer);
    EXPECT_EQ(layer->transform, Affine::identity());
    EXPECT_FALSE(layer->animation("slide"));
    ASSERT_TRUE(pictureOf(d.entry(id)));
    EXPECT_NE(pictureOf(d.entry(id)), old);
    EXPECT_EQ(d.entry(id).drawnTop, 240);
    EXPECT_FALSE(d.entry(id).live);
}

TEST(InkStageView, ASettledItemThatGetsAJobIsTakenUp) {
    StageDesk d;
    const Uuid id = d.put(note(200)).id();
    d.sync();
    ASSERT_TRUE(pictureOf(d.entry(id)));
    d.write(id);  // the writer tells the stage at once
    const auto& e = d.entry(id);
    EXPECT_TRUE(e.live);
    EXPECT_TRUE(e.layer->sublayers().empty());  // nothing of a fresh job is written yet
    EXPECT_EQ(e.item, InkStageView::contentHash(d.item(id)));
    EXPECT_EQ(e.shape, InkStageView::shapeHash(d.item(id)));

    // Starting part way: the written operations are one picture.
    StageDesk e2;
    const Uuid id2 = e2.put(note(200, "two words")).id();
    e2.sync();
    e2.write(id2, 1);
    ASSERT_EQ(e2.entry(id2).layer->sublayers().size(), 1u);
    EXPECT_TRUE(e2.entry(id2).layer->sublayers()[0]->contents);
}

TEST(InkStageView, AnItemMovedWhileWrittenKeepsItsPlaceUntilItsJobEnds) {
    StageDesk d;
    const Uuid id = d.put(note(200)).id();
    d.write(id);
    d.sync();
    d.run(0.2);
    d.move(id, 30);
    d.sync();
    EXPECT_EQ(d.entry(id).layer->transform, Affine::identity());
    ASSERT_TRUE(d.runUntilIdle(30));
    d.sync();
    EXPECT_EQ(d.entry(id).layer->transform, Affine::translation(0, 30));
    EXPECT_TRUE(d.entry(id).live);  // its stroke-built ink stays; it only slides
}

TEST(InkStageView, ATakenUpSlidContainerKeepsItsPlaceholdersWhereTheyShow) {
    StageDesk d;
    const Uuid id = d.put(block(R"({"t":"sketch","h":30,"caption":"a pond"})", 200)).id();
    d.write(id);
    ASSERT_TRUE(d.runUntilIdle(30));
    const LayerRef c = d.entry(id).layer;
    auto wetOf = [&]() -> LayerRef {
        for (const LayerRef& s : c->sublayers())
            if (s->name == "wet") return s;
        return nullptr;
    };
    ASSERT_TRUE(wetOf());
    const double y = wetOf()->position.y;
    d.move(id, 30);
    d.sync();
    EXPECT_EQ(c->transform, Affine::translation(0, 30));
    // A new job for the moved item: the container is set back, the placeholder moved by the
    // slide, and the written part drawn where the item is now.
    std::vector<InkOpRef> ops = d.model->ops(d.item(id));
    d.writer().enqueue(d.page(), id, ops, int(ops.size()) - 1, true);
    d.run(1);
    EXPECT_EQ(c->transform, Affine::identity());
    ASSERT_TRUE(wetOf());
    EXPECT_EQ(wetOf()->position.y, y + 30);
}

TEST(InkStageView, AStrokeAheadOfItsItemGetsAContainerThatAdoptsTheItem) {
    StageDesk d;
    // The item is queued (its ink known) before it reaches the page.
    const PageItem item(note(200));
    d.writer().enqueue(d.page(), item.id(), d.model->ops(item), 0, false);
    d.run(0.5);
    ASSERT_TRUE(d.has(item.id()));
    EXPECT_TRUE(d.entry(item.id()).live);
    EXPECT_EQ(d.entry(item.id()).key, 0u);
    EXPECT_EQ(d.entry(item.id()).shape, 0u);
    EXPECT_TRUE(std::isnan(d.entry(item.id()).drawnTop));
    EXPECT_EQ(d.stage().ink()->sublayers().back(), d.entry(item.id()).layer);

    d.put(item);
    d.sync();
    EXPECT_EQ(d.entry(item.id()).drawnTop, 200);
    EXPECT_EQ(d.entry(item.id()).shape, InkStageView::shapeHash(item));
    EXPECT_EQ(d.entry(item.id()).layer->transform, Affine::identity());
    ASSERT_TRUE(d.runUntilIdle(30));
    // Page flow moves it once written: it slides rather than being drawn again.
    d.move(item.id(), 25);
    d.sync();
    EXPECT_EQ(d.entry(item.id()).layer->transform, Affine::translation(0, 25));
    EXPECT_TRUE(d.entry(item.id()).live);
}

TEST(InkStageView, AWrittenItemWhoseContentIsTakenBackIsRedrawn) {
    StageDesk d;
    const Uuid id = d.put(note(200, "written by the writer")).id();
    d.write(id);
    ASSERT_TRUE(d.runUntilIdle(30));
    d.sync();
    ASSERT_TRUE(d.entry(id).live);
    // An undo puts an older text back: the stroke-built ink must not stay.
    std::get<TextItem>(d.item(id).value).text = "older";
    d.sync();
    EXPECT_FALSE(d.entry(id).live);
    ASSERT_TRUE(pictureOf(d.entry(id)));
    EXPECT_EQ(d.entry(id).shape, InkStageView::shapeHash(d.item(id)));
}

TEST(InkStageView, WithTheModelGoneNothingIsDrawnOrAttached) {
    auto sched = std::make_shared<ManualScheduler>();
    Notebook nb;
    const Uuid first = nb.pages[0].id;
    nb.pages.push_back(Page{});
    const Uuid second = nb.pages[1].id;
    nb.pages[0].items.push_back(PageItem(note(200)));
    auto model = std::make_shared<tools::DeskModel>(nb, sched);
    std::shared_ptr<Scribe> writer = model->writer;
    auto view = InkStageView::make(model, sched);
    view->place(1, {}, 2);
    view->show(first);
    ASSERT_EQ(view->items().size(), 1u);
    const LayerRef kept = view->ink()->sublayers()[0];

    model.reset();
    view->place(2, {5, 5}, 2);
    view->sync();
    view->taken(nb.pages[0].items[0].id());
    EXPECT_EQ(view->pixels(), 2);
    EXPECT_EQ(view->ink()->sublayers().size(), 1u);
    EXPECT_EQ(view->ink()->sublayers()[0], kept);
    view->show(second);
    EXPECT_TRUE(view->ink()->sublayers().empty());
    EXPECT_EQ(view->page(), second);
    for (const auto& live : writer->stages()) EXPECT_NE(live.page, second);
}

TEST(InkStage, MakeUpdateAndDismantleDriveTheView) {
    auto sched = std::make_shared<ManualScheduler>();
    Notebook nb;
    nb.pages[0].items.push_back(PageItem(note(200)));
    auto model = std::make_shared<tools::DeskModel>(nb, sched);
    InkStage value{model, nb.pages[0].id, 1, {10, 0}, 0, 0, std::nullopt, 3};
    const InkStage::Environment env{2, sched};
    auto view = value.make(env);
    EXPECT_EQ(view->order, 3);
    EXPECT_EQ(view->pixels(), 2);
    EXPECT_EQ(view->ink()->position, (Point{10, 0}));
    EXPECT_EQ(view->items().size(), 1u);
    ASSERT_EQ(model->writer->stages().size(), 1u);
    EXPECT_EQ(model->writer->stages()[0].order, 3);

    InkStage moved = value;
    EXPECT_EQ(moved, value);
    moved.scale = 1.5;
    ++moved.version;
    EXPECT_NE(moved, value);
    model->notebook.pages[0].items.push_back(PageItem(note(400)));
    moved.update(*view, env);
    EXPECT_EQ(view->ink()->transform, Affine::scaling(1.5, 1.5));
    EXPECT_EQ(view->pixels(), 3);
    EXPECT_EQ(view->items().size(), 2u);

    InkStage::dismantle(*view);
    EXPECT_TRUE(view->items().empty());
    EXPECT_TRUE(model->writer->stages().empty());
}

}  // namespace
