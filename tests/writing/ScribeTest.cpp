#include "ScribeTestSupport.h"

#include "ink/ops/FillOp.h"
#include "ink/ops/ImageOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/WetOp.h"
#include "ink/ops/WrapOp.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cmath>
#include <limits>

using namespace nolby;
using namespace nolby::testing;

namespace {

std::shared_ptr<const Image> painting() {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 40, 30);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.2, 0.4, 0.9);
    cairo_rectangle(cr, 4, 4, 14, 20);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.9, 0.5, 0.1);
    cairo_rectangle(cr, 22, 8, 14, 16);
    cairo_fill(cr);
    cairo_destroy(cr);
    return Image::adopt(s);
}

bool sameBytes(const Image& a, const Image& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    cairo_surface_flush(a.surface());
    cairo_surface_flush(b.surface());
    const size_t n = size_t(cairo_image_surface_get_stride(a.surface())) * size_t(a.height());
    return std::equal(cairo_image_surface_get_data(a.surface()), cairo_image_surface_get_data(a.surface()) + n,
                      cairo_image_surface_get_data(b.surface()));
}

}  // namespace

TEST(Scribe, Durations) {
    Desk d;
    struct Case {
        const char* name;
        InkOpRef op;
        double seconds;
    };
    const Case cases[] = {
        {"text of cost 320", text(320), 1},
        {"other work of cost 320", work(320), 0.7407},
        {"no work", work(0), 0.016},
        {"negative work", work(-50), 0.016},
        {"a painting", std::make_shared<ImageOp>(painting(), Rect{0, 0, 40, 30}), 4.0509},
        {"text shifted", std::make_shared<ShiftOp>(text(320), 5, 5), 1},
        {"text turned", std::make_shared<RotOp>(text(320), 10, 0, 0), 1},
        {"paced text", std::make_shared<PacedOp>(text(320), 12), 1.0 / 12},
        {"paced work", std::make_shared<PacedOp>(work(320), 12), 1 / (12 * 1.35)},
        {"infinite work", work(std::numeric_limits<double>::infinity()), 0.016},
    };
    for (const auto& c : cases) EXPECT_NEAR(d.scribe->duration(*c.op), c.seconds, 5e-5) << c.name;

    // Speed divides durations; a speed that is not a finite number above 0 counts as 1.
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const std::pair<double, double> speeds[] = {{2, 0.5}, {0.5, 2}, {0, 1}, {-1, 1}, {nan, 1}, {inf, 1}};
    for (auto [speed, seconds] : speeds) {
        d.scribe->speed.set(speed);
        EXPECT_DOUBLE_EQ(d.scribe->duration(*text(320)), seconds) << speed;
    }
}

TEST(Scribe, SequentialStrokesFollowOneAnother) {
    Desk d;
    Uuid page = Uuid::random(), a = Uuid::random(), b = Uuid::random();
    auto stage = d.attach(page);
    d.scribe->speed.set(2);
    d.scribe->enqueue(page, a, {text(320, 0.5), work(0, 0.2)}, 0, false);
    d.scribe->enqueue(page, b, {text(640, 0.1)}, 0, false);
    d.prerender();
    // The first starts 0.05 after now plus its pause over the speed; each later one at the
    // end of the one before plus its own.
    ASSERT_EQ(stage->added.size(), 3u);
    EXPECT_DOUBLE_EQ(stage->added[0].start, 100.05 + 0.25);
    EXPECT_DOUBLE_EQ(stage->added[0].dur, 0.5);
    EXPECT_DOUBLE_EQ(stage->added[1].start, 100.8 + 0.1);
    EXPECT_DOUBLE_EQ(stage->added[1].dur, 0.016);
    EXPECT_DOUBLE_EQ(stage->added[2].start, 100.916 + 0.05);
    EXPECT_DOUBLE_EQ(d.scribe->cursor(), 100.966 + 1);
    EXPECT_EQ(stage->added[2].item, b);
    EXPECT_EQ(stage->added[2].job, 2);
    EXPECT_FALSE(stage->added[2].beside);
    EXPECT_EQ(stage->advances.back(), 100);
    EXPECT_TRUE(d.scribe->begun().count(page));

    // A negative pause or speed goes the usual way: pauses over a speed of 1.
    d.scribe->speed.set(-3);
    Uuid c = Uuid::random();
    d.scribe->enqueue(page, c, {work(0, 1)}, 0, false);
    d.prerender();
    ASSERT_EQ(stage->added.size(), 4u);
    EXPECT_DOUBLE_EQ(stage->added[3].start, 101.966 + 1);
}

TEST(Scribe, AlongsideStrokesAreStaggeredFromNow) {
    Desk d;
    Uuid page = Uuid::random();
    // Both jobs are ready before any stage shows the page, so one run schedules them.
    d.scribe->enqueue(page, Uuid::random(), {work(320, 2), work(320, 3)}, 0, true);
    d.scribe->enqueue(page, Uuid::random(), {text(320, 5)}, 0, true);
    d.prerender();
    EXPECT_TRUE(d.scribe->timeline().empty());
    d.clock->set(200);
    auto stage = d.attach(page);
    const std::vector<double> expected{200.3, 200.7, 201.1};
    ASSERT_EQ(stage->added.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_NEAR(stage->added[i].start, expected[i], 1e-9);
    for (const auto& s : stage->added) EXPECT_TRUE(s.beside);
    EXPECT_EQ(d.scribe->cursor(), 0);  // alongside work leaves the cursor alone
}

TEST(Scribe, AFreshPageWaitsForLeadWhileStreaming) {
    for (bool byMore : {true, false}) {
        Desk d;
        Uuid page = Uuid::random();
        auto stage = d.attach(page);
        d.scribe->composing(true);
        // 4 s queued: durations and pauses (pauses are not divided by speed here).
        d.scribe->speed.set(4);
        d.scribe->enqueue(page, Uuid::random(), {text(1280), text(1280), text(1280), text(640, 0.5)}, 0, false);
        d.prerender();
        EXPECT_TRUE(stage->added.empty());
        // The gate holds back sequential writing only.
        d.scribe->enqueue(page, Uuid::random(), {text(320)}, 0, true);
        d.prerender();
        ASSERT_EQ(stage->added.size(), 1u);
        EXPECT_TRUE(stage->added[0].beside);
        if (byMore) {
            d.scribe->enqueue(page, Uuid::random(), {text(1280)}, 0, false);  // 5 s: it starts
            d.prerender();
        } else {
            d.scribe->composing(false);  // the reply is complete: it starts
        }
        EXPECT_EQ(stage->added.size(), byMore ? 6u : 5u) << byMore;
        EXPECT_TRUE(d.scribe->begun().count(page));

        // A begun page never waits again during the reply, nor in the next one while it has work.
        d.scribe->composing(true);
        d.scribe->enqueue(page, Uuid::random(), {text(4)}, 0, false);
        d.prerender();
        EXPECT_EQ(stage->added.size(), byMore ? 7u : 6u) << byMore;
    }
}

TEST(Scribe, ComposingKeepsOnlyPagesWithWork) {
    Desk d;
    Uuid a = Uuid::random(), b = Uuid::random();
    d.scribe->enqueue(a, Uuid::random(), {text(320)}, 0, false);
    d.scribe->complete = {a, b};
    d.scribe->composing(true);
    EXPECT_EQ(d.scribe->complete, std::set<Uuid>{a});
    EXPECT_TRUE(d.scribe->streaming());
    d.scribe->complete.clear();
    d.scribe->composing(false);
    EXPECT_EQ(d.scribe->complete, std::set<Uuid>{a});
    EXPECT_FALSE(d.scribe->streaming());
}

TEST(Scribe, APreRenderStillOutHoldsBackThePage) {
    Desk d;
    Uuid page = Uuid::random();
    auto stage = d.attach(page);
    d.scribe->enqueue(page, Uuid::random(), {work(10), work(10)}, 0, false);
    d.scribe->enqueue(page, Uuid::random(), {work(10)}, 0, false);
    d.scribe->enqueue(page, Uuid::random(), {work(10)}, 0, true);
    ASSERT_EQ(d.sched->backgroundCount(), 3u);
    d.sched->runBackground(1);  // the second job returns first: nothing may overtake the first
    d.sched->runPosted();
    EXPECT_TRUE(stage->added.empty());
    d.sched->runBackground(1);  // the alongside job goes out at once
    d.sched->runPosted();
    ASSERT_EQ(stage->added.size(), 1u);
    d.sched->runBackground(0);
    d.sched->runPosted();
    ASSERT_EQ(stage->added.size(), 4u);
    EXPECT_EQ(stage->added[1].job, 1);
    EXPECT_EQ(stage->added[2].job, 1);
    EXPECT_EQ(stage->added[3].job, 2);
}

TEST(Scribe, NoStageNoStrokes) {
    Desk d;
    Uuid page = Uuid::random();
    d.scribe->enqueue(page, Uuid::random(), {work(10)}, 0, false);
    d.prerender();
    EXPECT_TRUE(d.scribe->timeline().empty());
    EXPECT_FALSE(d.scribe->busy.get());
    auto stage = d.attach(page);
    EXPECT_EQ(stage->added.size(), 1u);
    EXPECT_TRUE(d.scribe->busy.get());
}

TEST(Scribe, WritingStartsAndStopsWithItsStrokes) {
    Desk d;
    Uuid page = Uuid::random(), item = Uuid::random();
    auto stage = d.attach(page);
    int busyChanges = 0;
    auto sub = d.scribe->busy.observe([&] { ++busyChanges; });
    d.scribe->enqueue(page, item, {text(320), work(0)}, 0, false);
    EXPECT_EQ(d.scribe->waiting.get(), std::set<Uuid>{page});
    EXPECT_EQ(d.scribe->drawn(item), 0);
    d.prerender();
    EXPECT_EQ(d.started, 1);
    EXPECT_TRUE(d.scribe->ticking());
    // Strokes end at 101.05 and 101.066; the first tick after retires both.
    d.wait(1.0);
    EXPECT_EQ(d.scribe->drawn(item), 0);
    EXPECT_TRUE(d.finished.empty());
    d.wait(0.15);
    EXPECT_EQ(d.finished, std::vector<Uuid>{item});
    EXPECT_FALSE(d.scribe->drawn(item));
    EXPECT_TRUE(d.scribe->jobs().empty());
    EXPECT_TRUE(d.scribe->waiting.get().empty());
    EXPECT_FALSE(d.scribe->busy.get());
    EXPECT_FALSE(d.scribe->ticking());
    EXPECT_EQ(d.sched->timerCount(), 0u);
    EXPECT_EQ(busyChanges, 2);
    // Every tick told the stage the time.
    EXPECT_GE(stage->advances.size(), 11u);

    d.scribe->enqueue(page, Uuid::random(), {work(10)}, 0, false);
    d.prerender();
    EXPECT_EQ(d.started, 2);
    EXPECT_TRUE(d.scribe->ticking());
}

TEST(Scribe, StrokesAfterTheFirstRetireOneByOne) {
    Desk d;
    Uuid page = Uuid::random(), item = Uuid::random();
    auto stage = d.attach(page);
    d.scribe->enqueue(page, item, {text(320), text(320), text(320)}, 0, false);
    d.prerender();
    // They end at 101.05, 102.05 and 103.05; the timer ticks every 0.1 s from 100.
    d.wait(1.04);
    EXPECT_EQ(d.scribe->drawn(item), 0);
    d.wait(0.12);
    EXPECT_EQ(d.scribe->drawn(item), 1);
    d.wait(1.0);
    EXPECT_EQ(d.scribe->drawn(item), 2);
    d.wait(1.0);
    EXPECT_FALSE(d.scribe->drawn(item));
}

TEST(Scribe, EnqueueEdges) {
    Desk d;
    Uuid page = Uuid::random();
    // Nothing left to write: finished at once, no job, no new version.
    Uuid done = Uuid::random();
    d.scribe->enqueue(page, done, {work(1), work(1)}, 2, false);
    d.scribe->enqueue(page, done, {}, 0, false);
    EXPECT_EQ(d.finished, (std::vector<Uuid>{done, done}));
    EXPECT_EQ(d.scribe->version.get(), 0);
    EXPECT_EQ(d.scribe->jobCount(), 0);

    // The operations before `from` count as written; a negative `from` counts as 0.
    Uuid a = Uuid::random(), b = Uuid::random();
    d.scribe->enqueue(page, a, {work(1), work(1), work(1)}, 2, false);
    d.scribe->enqueue(page, b, {work(1)}, -3, false);
    EXPECT_EQ(d.scribe->drawn(a), 2);
    EXPECT_EQ(d.scribe->drawn(b), 0);
    EXPECT_FALSE(d.scribe->drawn(done));
    ASSERT_EQ(d.scribe->jobs().size(), 2u);
    EXPECT_EQ(d.scribe->jobs()[0].id, 1);
    EXPECT_EQ(d.scribe->jobs()[1].id, 2);
    EXPECT_EQ(d.scribe->jobs()[0].drawnPic, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(d.scribe->jobs()[1].next, 0);
    EXPECT_EQ(d.scribe->version.get(), 2);

    // A second call for an item with a job waits for it; when it ends, the item is reported,
    // then the second job is made.
    d.scribe->enqueue(page, a, {work(1), work(1)}, 0, true);
    EXPECT_EQ(d.scribe->jobs().size(), 2u);
    auto stage = d.attach(page);
    d.prerender();
    d.wait(1);
    EXPECT_EQ(d.finished, (std::vector<Uuid>{done, done, a, b}));
    ASSERT_EQ(d.scribe->jobs().size(), 1u);
    EXPECT_EQ(d.scribe->jobs()[0].id, 3);
    EXPECT_EQ(d.scribe->jobs()[0].item, a);
    EXPECT_TRUE(d.scribe->jobs()[0].alongside);
    EXPECT_EQ(stage->takenItems.back(), a);
}

TEST(Scribe, WhenWrittenRunsAfterTheItemIsReported) {
    Desk d;
    Uuid page = Uuid::random(), item = Uuid::random();
    std::vector<std::string> log;
    d.scribe->finished = [&](const Uuid&) { log.push_back("finished"); };
    d.scribe->whenWritten(item, [&] { log.push_back("at once"); });
    d.scribe->enqueue(page, item, {work(1)}, 0, false);
    d.scribe->whenWritten(item, [&] { log.push_back("first"); });
    d.scribe->whenWritten(item, [&] { log.push_back("second"); });
    auto stage = d.attach(page);
    d.prerender();
    d.wait(0.5);
    EXPECT_EQ(log, (std::vector<std::string>{"at once", "finished", "first", "second"}));
}

TEST(Scribe, PreRenderMakesSpritesAndBlooms) {
    Desk d;
    Uuid page = Uuid::random();
    Path line;
    line.moveTo(0, 0);
    line.lineTo(10, 5);
    Path box;
    box.addRect({0, 0, 10, 10});
    auto image = std::make_shared<ImageOp>(painting(), Rect{0, 0, 40, 30});
    d.scribe->pixels = 2;
    d.scribe->enqueue(page, Uuid::random(), {work(1)}, 0, false);  // job 1
    d.scribe->enqueue(page, Uuid::random(),
                      {std::make_shared<StrokeOp>(line, Pen::usual(Color::hex(0), 1)),
                       std::make_shared<ShiftOp>(std::make_shared<FillOp>(box, Color::hex(0)), 3, 3),
                       std::make_shared<RotOp>(work(1), 5, 0, 0), std::make_shared<WetOp>(Rect{0, 0, 50, 20}, 3),
                       std::make_shared<ShiftOp>(image, 10, 0), work(1)},
                      0, false);  // job 2
    auto stage = d.attach(page);
    d.prerender();
    ASSERT_EQ(stage->added.size(), 7u);
    const bool sprite[] = {true, false, false, true, true, true, true};
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(stage->added[i].sprite.has_value(), sprite[i]) << i;
    // The sprite is the whole operation, its wrappers included, at the writer's scale.
    EXPECT_EQ(stage->added[5].sprite->frame, (Rect{6, -4, 48, 38}));
    EXPECT_EQ(stage->added[5].sprite->image->width(), 96);
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(stage->added[i].bloom != nullptr, i == 5) << i;
    // A painting's bloom is seeded by its job id times 7919.
    auto expected = Bloom::make(*stage->added[5].sprite->image, 2 * 7919);
    auto other = Bloom::make(*stage->added[5].sprite->image, 7919);
    const Bloom& got = *stage->added[5].bloom;
    bool same = true, differs = false;
    for (size_t k = 0; k < got.masks.size(); ++k) {
        same = same && sameBytes(*got.masks[k], *expected->masks[k]);
        differs = differs || !sameBytes(*got.masks[k], *other->masks[k]);
    }
    EXPECT_TRUE(same);
    EXPECT_TRUE(differs);
}

TEST(Scribe, ResultsForDroppedJobsAreIgnored) {
    Desk d;
    Uuid page = Uuid::random(), item = Uuid::random();
    auto stage = d.attach(page);
    d.scribe->enqueue(page, item, {work(10)}, 0, false);
    d.scribe->flush();
    EXPECT_EQ(d.finished, std::vector<Uuid>{item});
    d.prerender();
    EXPECT_TRUE(stage->added.empty());
    EXPECT_TRUE(d.scribe->timeline().empty());
    EXPECT_FALSE(d.scribe->busy.get());

    // A stroke whose job was dropped is still retired by time, and changes nothing else.
    Uuid other = Uuid::random();
    d.scribe->enqueue(page, other, {work(10)}, 0, false);
    d.prerender();
    ASSERT_EQ(d.scribe->timeline().size(), 1u);
    stage.reset();  // the view is gone: finishing the page drops the job but not its stroke
    d.scribe->finishPage(page);
    EXPECT_EQ(d.finished, (std::vector<Uuid>{item, other}));
    EXPECT_EQ(d.scribe->timeline().size(), 1u);
    d.wait(1);
    EXPECT_TRUE(d.scribe->timeline().empty());
    EXPECT_EQ(d.finished.size(), 2u);
    EXPECT_FALSE(d.scribe->busy.get());
}

TEST(Scribe, TheTimerDoesNotKeepTheWriter) {
    Desk d;
    Uuid page = Uuid::random();
    auto stage = d.attach(page);
    d.scribe->enqueue(page, Uuid::random(), {work(1000)}, 0, false);
    d.prerender();
    ASSERT_TRUE(d.scribe->ticking());
    std::weak_ptr<Scribe> weak = d.scribe;
    d.scribe.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(d.sched->timerCount(), 0u);
    d.wait(5);
}
