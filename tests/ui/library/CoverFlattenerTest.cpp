// The shelf's cover queue: the covers in view first, the newest request before older ones,
// two made at a time, and covers that have left the view dropped while the queue is pumped.

#include "ui/library/CoverFlattener.h"

#include "ShelfTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace nolby::test {
namespace {

// Notebooks whose ids sort in the order given: the queue's entries are keyed by id first, so
// the tests can put an entry that leaves the view ahead of one that stays.
std::vector<Notebook> ordered(int count) {
    std::vector<Notebook> out;
    for (int i = 0; i < count; ++i) {
        Notebook n = issue("Cover " + std::to_string(i), i + 1);
        char text[37];
        std::snprintf(text, sizeof text, "00000000-0000-4000-8000-%012d", i);
        n.id = *Uuid::parse(text);
        out.push_back(n);
    }
    return out;
}

struct Queue {
    Queue() { Faces::registerFrom(); }
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    CoverFlattener flattener{scheduler, 50};
    std::vector<Notebook> notebooks = ordered(8);
    std::vector<int> ready;     // notebooks whose covers were handed over, in order
    std::map<int, int> calls;   // callbacks run, by notebook: every request is told

    std::shared_ptr<const FlatCover> ask(int i) {
        return flattener.get({notebooks[i], nullptr, QSizeF(24, 32), 1, false, 0, dateFromReference(820000000)},
                             [this, i] {
                                 if (!calls[i]++) ready.push_back(i);
                             });
    }
    // Makes the oldest running cover and hands it over.
    void finishOne() {
        scheduler->runBackground(0);
        scheduler->runPosted();
    }
};

TEST(CoverFlattener, TwoAtATimeAndTheNewestRequestFirst) {
    Queue q;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(q.ask(i), nullptr);
    EXPECT_EQ(q.flattener.running(), 2u);
    EXPECT_EQ(q.flattener.waiting(), 3u);
    EXPECT_EQ(q.scheduler->backgroundCount(), 2u);
    // Asking again for one waiting makes it the newest.
    q.ask(2);
    while (q.scheduler->backgroundCount()) {
        EXPECT_LE(q.flattener.running(), CoverFlattener::kAtOnce);
        q.finishOne();
    }
    EXPECT_EQ(q.ready, (std::vector<int>{0, 1, 2, 4, 3}));
    EXPECT_EQ(q.calls[2], 2);
    // Every cover is kept now and handed over at once.
    for (int i = 0; i < 5; ++i) EXPECT_NE(q.ask(i), nullptr);
    EXPECT_EQ(q.flattener.cached(), 5u);
}

TEST(CoverFlattener, CoversThatLeftTheViewAreDroppedWhileCoversInViewWait) {
    Queue q;
    // Frame 1 asks for covers 0 to 5: 0 and 1 are made, 2 to 5 wait.
    q.flattener.beginFrame();
    for (int i = 0; i < 6; ++i) q.ask(i);
    // The shelf scrolls: frame 2 still sees 4 and 5 and asks for 6 and 7; frames 3 and 4 ask
    // for 5 to 7. Covers 2, 3 and 4, keyed first in the queue, have left the view; a cover the
    // last whole frame asked for stays.
    q.flattener.beginFrame();
    for (int i = 4; i < 8; ++i) q.ask(i);
    for (int frame = 3; frame <= 4; ++frame) {
        q.flattener.beginFrame();
        for (int i = 5; i < 8; ++i) q.ask(i);
    }
    EXPECT_EQ(q.flattener.waiting(), 6u);
    q.finishOne();  // 0 lands: 2, 3 and 4 go, 7 starts (asked last)
    EXPECT_EQ(q.flattener.waiting(), 2u);
    while (q.scheduler->backgroundCount()) q.finishOne();
    EXPECT_EQ(q.ready, (std::vector<int>{0, 1, 7, 6, 5}));
    EXPECT_EQ(q.flattener.waiting(), 0u);
    EXPECT_EQ(q.flattener.running(), 0u);
    // A dropped cover asked for again is queued anew.
    EXPECT_EQ(q.ask(2), nullptr);
    q.finishOne();
    EXPECT_NE(q.ask(2), nullptr);
    EXPECT_EQ(q.ready.back(), 2);
}

TEST(CoverFlattener, LateResultsAfterTheShelfIsGoneAreDropped) {
    auto scheduler = std::make_shared<ManualScheduler>();
    bool called = false;
    {
        CoverFlattener flattener(scheduler, 4);
        flattener.get({ordered(1)[0], nullptr, QSizeF(24, 32), 1}, [&] { called = true; });
    }
    scheduler->drain();
    EXPECT_FALSE(called);
}

// A shelf of a hundred issues without covers, scrolled while their covers wait: each frame
// asks for the covers in view, and the ones scrolled past leave the queue.
TEST(Shelf, ScrollingWhileCoversWait) {
    Desk d;
    std::vector<Notebook> many;
    for (int i = 0; i < 100; ++i) many.push_back(issue("Issue " + std::to_string(i), i + 1, 800000000 - i));
    d.add(many);
    Newsstand& s = d.open();
    s.show();
    Shelf* shelf = s.shelf();
    QScrollBar* bar = shelf->verticalScrollBar();
    for (int step = 0; step <= 10; ++step) {
        bar->setValue(bar->maximum() * step / 10);
        s.grab();
        // One cover lands between frames: the queue is pumped with the earlier frames' covers
        // out of view.
        if (d.scheduler->backgroundCount()) d.scheduler->runBackground(0);
        d.scheduler->runPosted();
        EXPECT_LE(shelf->flattener().running(), CoverFlattener::kAtOnce);
    }
    d.settled();
    EXPECT_EQ(shelf->flattener().waiting(), 0u);
    EXPECT_EQ(shelf->flattener().running(), 0u);
}

}  // namespace
}  // namespace nolby::test
