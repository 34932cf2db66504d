// Paintings for sketch blocks: asked for when the block is placed, written in when they land,
// wherever the block is by then, and only while the notebook is still kept.
#include "TutorTestSupport.h"

#include "platform/Files.h"
#include "platform/Pict.h"

namespace nolby::test {
namespace {

std::vector<uint8_t> painting(int w = 64, int h = 36) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 0.96, 0.94, 0.9);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.8, 0.3, 0.1);
    cairo_arc(cr, w / 2.0, h / 2.0, h / 3.0, 0, 6.283);
    cairo_fill(cr);
    cairo_destroy(cr);
    return *Pict::encode(*Image::adopt(s), Pict::png);
}

const std::string kSketch = R"({"t":"sketch","prompt":"a pie on a table","h":40,"caption":"A pie"})";

struct SketchRig : TutorRig {
    explicit SketchRig(std::vector<std::string> reply = {kSketch}) {
        open(notebookOf({{note(118, "show me")}}));
        ask();
        this->reply(reply);
    }
    BlockItem sketch(int page = 0, size_t i = 0) { return blocks(page, "sketch").at(i); }
    std::filesystem::path file(const BlockItem& b) const { return store.library->sketches / (b.id.string() + ".png"); }
    void land(size_t i, std::optional<std::vector<uint8_t>> picture) {
        // Called once and let go, as the painter does.
        Press::Reply reply = std::move(paintings.asked.at(i).reply);
        reply(std::move(picture));
        reply = nullptr;
        settle();
    }
};

TEST(SketchPainting, APaintingLandsOnItsBlockAndOnlyItIsWrittenAgain) {
    SketchRig rig;
    NotebookModel& m = *rig.model;
    ASSERT_EQ(rig.paintings.asked.size(), 1u);
    EXPECT_EQ(rig.session().paintings(), 1);
    const BlockItem placed = rig.sketch();
    const size_t before = m.entry(PageItem(placed)).ops.size();
    m.scribe->flush();
    rig.land(0, painting());
    EXPECT_EQ(rig.session().paintings(), 0);
    const BlockItem painted = rig.sketch();
    EXPECT_EQ(painted.image, placed.id.string() + ".png");
    std::optional<std::string> bytes = Files::read(rig.file(painted));
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(Pict::image(std::span(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size())));
    const std::vector<InkOpRef> ops = m.entry(PageItem(painted)).ops;
    EXPECT_EQ(ops.size(), before);
    EXPECT_STREQ(ops.back()->placement().base->className(), "ImageOp");
    ASSERT_EQ(m.scribe->jobs().size(), 1u);
    EXPECT_EQ(m.scribe->jobs()[0].item, painted.id);
    EXPECT_EQ(m.scribe->jobs()[0].next, static_cast<int>(ops.size()) - 1);
    EXPECT_TRUE(m.scribe->jobs()[0].alongside);
}

TEST(SketchPainting, AnEmptyPromptIsStillPainted) {
    SketchRig rig({R"({"t":"sketch"})"});
    ASSERT_EQ(rig.paintings.asked.size(), 1u);
    EXPECT_EQ(rig.paintings.asked[0].subject, "");
}

TEST(SketchPainting, APaintingFollowsItsBlockToAnotherPage) {
    SketchRig rig;
    NotebookModel& m = *rig.model;
    m.scribe->flush();
    // The learner writes above it: it is carried overleaf.
    m.push(0, rig.sketch().y - 1, 700);
    ASSERT_EQ(rig.blocks(0, "sketch").size(), 0u);
    ASSERT_EQ(rig.blocks(1, "sketch").size(), 1u);
    rig.land(0, painting());
    EXPECT_TRUE(rig.sketch(1).image);
}

TEST(SketchPainting, TwoPaintingsLandInAnyOrder) {
    SketchRig rig({kSketch, R"({"t":"sketch","prompt":"a cake","h":30})"});
    ASSERT_EQ(rig.paintings.asked.size(), 2u);
    rig.model->scribe->flush();
    rig.land(1, painting());
    EXPECT_FALSE(rig.sketch(0, 0).image);
    EXPECT_TRUE(rig.sketch(0, 1).image);
    rig.land(0, painting());
    EXPECT_TRUE(rig.sketch(0, 0).image);
}

TEST(SketchPainting, WhatAPaintingFindsWhenItLands) {
    enum class Then { failed, blockGone, notebookGone };
    for (Then then : {Then::failed, Then::blockGone, Then::notebookGone}) {
        SketchRig rig;
        NotebookModel& m = *rig.model;
        const BlockItem b = rig.sketch();
        if (then == Then::blockGone)
            m.mutate(0, false, [&](std::vector<PageItem>& items) {
                std::erase_if(items, [&](const PageItem& i) { return i.id() == b.id; });
            });
        if (then == Then::notebookGone) rig.store.library->remove(m.nb->id);
        const int64_t version = m.version(0);
        rig.land(0, then == Then::failed ? std::nullopt : std::optional(painting()));
        EXPECT_EQ(m.version(0), version);
        // A block that went still gets its file; a notebook that went gets nothing at all.
        EXPECT_EQ(std::filesystem::exists(rig.file(b)), then == Then::blockGone);
        EXPECT_EQ(rig.session().paintings(), 0);
    }
}

TEST(SketchPainting, APaintingInFlightKeepsItsNotebookOpenUntilItLands) {
    SketchRig rig;
    rig.model->close();
    const Uuid id = rig.model->nb->id;
    const BlockItem b = rig.sketch();
    std::weak_ptr<NotebookModel> weak = rig.model;
    rig.model.reset();
    EXPECT_FALSE(weak.expired());
    rig.land(0, painting());
    rig.scheduler().advance(Library::debounce + 0.1);
    rig.settle();
    EXPECT_TRUE(weak.expired());
    std::optional<Notebook> disk = rig.store.onDisk(id);
    ASSERT_TRUE(disk);
    bool found = false;
    for (const PageItem& item : disk->pages[0].items)
        if (item.id() == b.id) found = item.block()->image == b.id.string() + ".png";
    EXPECT_TRUE(found);
}

TEST(SketchPainting, APaintingThatNeverAnswersLetsItsNotebookGoWithItsRequest) {
    SketchRig rig;
    rig.model->close();
    std::weak_ptr<NotebookModel> weak = rig.model;
    rig.model.reset();
    EXPECT_FALSE(weak.expired());  // held open by the painting in flight
    // The painter drops the request unanswered (its gateway went away, say).
    rig.paintings.asked.at(0).reply = nullptr;
    rig.settle();
    EXPECT_TRUE(weak.expired());
}

}  // namespace
}  // namespace nolby::test
