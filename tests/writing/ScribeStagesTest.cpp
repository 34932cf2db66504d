#include "ScribeTestSupport.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::testing;

namespace {

// Three strokes of one second each on a page; with the stage attached at 100 they run
// 100.05 … 101.05 … 102.05 … 103.05.
std::vector<InkOpRef> threeSeconds() { return {text(320), text(320), text(320)}; }

}  // namespace

TEST(ScribeStages, WithoutSpreadANewStageTakesOverTheWriting) {
    Desk d;
    Uuid a = Uuid::random(), b = Uuid::random(), item = Uuid::random();
    auto first = d.attach(a);
    d.scribe->enqueue(a, item, threeSeconds(), 0, false);
    d.prerender();
    ASSERT_EQ(first->added.size(), 3u);
    d.clock->set(101.5);  // the second stroke has begun, not ended
    const int version = d.scribe->version.get();
    auto second = d.attach(b);
    ASSERT_EQ(d.scribe->stages().size(), 1u);
    EXPECT_EQ(d.scribe->stages()[0].page, b);
    EXPECT_EQ(d.scribe->drawn(item), 2);  // begun counts as written
    EXPECT_EQ(d.scribe->jobs()[0].next, 2);
    EXPECT_TRUE(d.scribe->timeline().empty());
    EXPECT_EQ(d.scribe->waiting.get(), std::set<Uuid>{a});
    EXPECT_EQ(d.scribe->version.get(), version + 1);
    EXPECT_FALSE(d.scribe->busy.get());  // nothing left to write on the stages shown
    EXPECT_FALSE(d.scribe->ticking());

    // Back on page A, the writing resumes at the first operation not begun.
    second.reset();
    auto again = d.attach(a);
    ASSERT_EQ(again->added.size(), 1u);
    EXPECT_EQ(again->added[0].index, 2);
    EXPECT_DOUBLE_EQ(again->added[0].start, 101.55);
    EXPECT_TRUE(d.scribe->busy.get());
}

TEST(ScribeStages, WithSpreadEachPageKeepsItsStage) {
    Desk d;
    d.scribe->spread = true;
    Uuid a = Uuid::random(), b = Uuid::random();
    auto sa = d.attach(a, 1), sb = d.attach(b, 0);
    ASSERT_EQ(d.scribe->stages().size(), 2u);
    EXPECT_EQ(d.scribe->stages()[0].page, b);  // sorted by order
    EXPECT_EQ(d.scribe->stage(a), sa);

    // The lower order is written first: its page holds the focus while it has work queued,
    // even work still being pre-rendered, and while its strokes run.
    Uuid ia = Uuid::random(), ib = Uuid::random();
    d.scribe->enqueue(a, ia, {text(320)}, 0, false);
    d.scribe->enqueue(b, ib, {text(320)}, 0, false);
    d.sched->runBackground(0);  // page A's job returns first
    d.sched->runPosted();
    EXPECT_TRUE(sa->added.empty());
    d.prerender();
    ASSERT_EQ(sb->added.size(), 1u);
    EXPECT_TRUE(sa->added.empty());
    d.wait(1.1);  // B's stroke ends at 101.05
    ASSERT_EQ(sa->added.size(), 1u);
    EXPECT_NEAR(sa->added[0].start, 101.15, 1e-9);  // scheduled by the tick at 101.1

    // A second stage for page A replaces the first one only.
    auto sa2 = d.attach(a, 1);
    EXPECT_EQ(d.scribe->stages().size(), 2u);
    EXPECT_EQ(d.scribe->stage(a), sa2);
    EXPECT_EQ(d.scribe->stage(b), sb);

    // Detaching a stage that is not registered does nothing.
    const int version = d.scribe->version.get();
    d.scribe->detach(*sa);
    EXPECT_EQ(d.scribe->version.get(), version);
}

TEST(ScribeStages, FinishPageHandsOverExactlyTheRest) {
    Desk d;
    Uuid page = Uuid::random(), other = Uuid::random();
    Uuid one = Uuid::random(), two = Uuid::random(), elsewhere = Uuid::random();
    auto stage = d.attach(page);
    d.scribe->enqueue(page, one, threeSeconds(), 0, false);       // job 1: all handed out
    d.scribe->enqueue(other, elsewhere, {text(320)}, 0, false);  // job 2: another page
    d.prerender();
    ASSERT_EQ(stage->added.size(), 3u);
    d.wait(1.2);                                                       // the first stroke is retired
    d.scribe->enqueue(page, two, {text(320), text(320), text(320)}, 1, false);  // job 3, pre-render out
    d.scribe->enqueue(page, one, {text(320), text(320)}, 1, false);             // waits for job 1
    d.clock->set(150);

    d.scribe->finishPage(page);
    ASSERT_EQ(stage->finishes.size(), 1u);
    std::vector<std::pair<int, int>> handed;  // (job, index)
    for (const auto& s : stage->finishes[0]) {
        handed.push_back({s.job, s.index});
        EXPECT_EQ(s.start, 150);
        EXPECT_EQ(s.dur, 0);
        EXPECT_FALSE(s.bloom);
        EXPECT_FALSE(s.beside);
    }
    EXPECT_EQ(handed, (std::vector<std::pair<int, int>>{{3, 1}, {3, 2}}));
    EXPECT_TRUE(d.scribe->timeline().empty());
    EXPECT_EQ(d.finished, (std::vector<Uuid>{one, two}));
    // The job waiting for item one is made and written normally; the late pre-render of
    // job 3 is dropped.
    ASSERT_EQ(d.scribe->jobs().size(), 2u);
    EXPECT_EQ(d.scribe->jobs()[1].id, 4);
    EXPECT_EQ(d.scribe->jobs()[1].item, one);
    EXPECT_EQ(d.scribe->waiting.get(), (std::set<Uuid>{page, other}));
    d.prerender();
    ASSERT_EQ(stage->added.size(), 4u);
    EXPECT_EQ(stage->added.back().job, 4);
    EXPECT_EQ(stage->added.back().index, 1);
    EXPECT_DOUBLE_EQ(stage->added.back().start, 150.05);
}

TEST(ScribeStages, FinishPageBeforeThePreRenderReturns) {
    Desk d;
    Uuid page = Uuid::random(), item = Uuid::random();
    auto stage = d.attach(page);
    d.scribe->enqueue(page, item, threeSeconds(), 1, false);
    d.scribe->finishPage(page);
    ASSERT_EQ(stage->finishes.size(), 1u);
    ASSERT_EQ(stage->finishes[0].size(), 2u);
    EXPECT_EQ(stage->finishes[0][0].index, 1);
    EXPECT_EQ(stage->finishes[0][1].index, 2);
    EXPECT_FALSE(stage->finishes[0][0].sprite);
    EXPECT_EQ(d.finished, std::vector<Uuid>{item});
    d.prerender();  // the late result is dropped
    EXPECT_TRUE(stage->added.empty());

    // A page without jobs: still a new version, out of waiting, and the stage completes
    // whatever it had pending.
    const int version = d.scribe->version.get();
    d.scribe->finishPage(page);
    EXPECT_EQ(d.scribe->version.get(), version + 1);
    ASSERT_EQ(stage->finishes.size(), 2u);
    EXPECT_TRUE(stage->finishes[1].empty());
    EXPECT_TRUE(d.scribe->waiting.get().empty());
}

TEST(ScribeStages, FinishPageWritesWhatIsNotYetHandedOut) {
    Desk d;
    Uuid page = Uuid::random(), a = Uuid::random(), b = Uuid::random();
    auto stage = d.attach(page);
    d.scribe->composing(true);  // a fresh page holds its writing until 5 s are queued
    d.scribe->enqueue(page, a, {text(320), text(320)}, 0, false);
    d.scribe->enqueue(page, b, {text(320)}, 0, false);
    d.prerender();
    ASSERT_TRUE(stage->added.empty());
    d.scribe->finishPage(page);
    ASSERT_EQ(stage->finishes.size(), 1u);
    std::vector<std::pair<int, int>> handed;
    for (const auto& s : stage->finishes[0]) handed.push_back({s.job, s.index});
    EXPECT_EQ(handed, (std::vector<std::pair<int, int>>{{1, 0}, {1, 1}, {2, 0}}));
    EXPECT_TRUE(stage->finishes[0][0].sprite == std::nullopt);  // phrases without runs draw nothing
    EXPECT_EQ(d.finished, (std::vector<Uuid>{a, b}));
    EXPECT_TRUE(d.scribe->jobs().empty());
}

TEST(ScribeStages, FlushStopsEverything) {
    Desk d;
    d.scribe->spread = true;
    Uuid shown = Uuid::random(), hidden = Uuid::random();
    Uuid i1 = Uuid::random(), i2 = Uuid::random();
    auto stage = d.attach(shown);
    d.scribe->enqueue(shown, i1, threeSeconds(), 0, false);
    d.scribe->enqueue(hidden, i2, threeSeconds(), 0, false);
    bool ran = false;
    d.scribe->whenWritten(i2, [&] { ran = true; });
    d.scribe->composing(false);
    d.prerender();
    ASSERT_TRUE(d.scribe->busy.get());

    d.scribe->flush();
    EXPECT_EQ(d.finished, (std::vector<Uuid>{i1, i2}));
    EXPECT_FALSE(ran);  // a page without a stage: its waiting actions are dropped
    EXPECT_EQ(stage->finishes.size(), 1u);
    EXPECT_TRUE(d.scribe->jobs().empty());
    EXPECT_TRUE(d.scribe->timeline().empty());
    EXPECT_TRUE(d.scribe->waiting.get().empty());
    EXPECT_TRUE(d.scribe->complete.empty());
    EXPECT_TRUE(d.scribe->begun().empty());
    EXPECT_EQ(d.scribe->cursor(), 0);
    EXPECT_FALSE(d.scribe->busy.get());
    EXPECT_FALSE(d.scribe->ticking());

    // Usable again at once.
    d.scribe->enqueue(shown, Uuid::random(), {text(320)}, 0, false);
    d.prerender();
    EXPECT_EQ(stage->added.size(), 4u);
    EXPECT_TRUE(d.scribe->busy.get());
}
