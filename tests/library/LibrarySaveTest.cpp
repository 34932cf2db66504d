#include "LibraryTestSupport.h"

#include "platform/AtomicFile.h"

#include <atomic>
#include <thread>

using namespace nolby;
using namespace nolby::test;

namespace {

// Installs a step hook for one test and removes it after.
struct StepHook {
    explicit StepHook(AtomicFile::StepHook hook) { AtomicFile::setStepHook(std::move(hook)); }
    ~StepHook() { AtomicFile::setStepHook(nullptr); }
};

bool isNotebookFile(const fs::path& target) { return target.extension() == ".json"; }

}  // namespace

TEST(LibrarySave, TwoDebouncedSavesWriteTheSecondCopyOnceAfterTheDebounce) {
    Store s;
    Library& lib = s.open();
    Notebook n = notebook("first", 1, 10, 1);
    lib.save(n, false);
    s.scheduler->advance(0.3);
    n.title = "second";
    lib.save(n, false);
    EXPECT_EQ(lib.notebook(n.id)->title, "second");  // the list changes at once
    s.scheduler->advance(0.55);
    EXPECT_EQ(s.scheduler->backgroundCount(), 0u);
    EXPECT_FALSE(fs::exists(s.fileOf(n.id)));
    s.scheduler->advance(0.05);
    EXPECT_EQ(s.scheduler->backgroundCount(), 1u);
    s.scheduler->drain();
    EXPECT_EQ(s.titleOnDisk(n.id), "second");
    s.scheduler->advance(5);
    EXPECT_EQ(s.scheduler->backgroundCount(), 0u);
}

TEST(LibrarySave, AnImmediateSaveReplacesAWaitingDebouncedOne) {
    Store s;
    Library& lib = s.open();
    Notebook n = notebook("debounced", 1, 10, 1);
    lib.save(n, false);
    n.title = "immediate";
    lib.save(n, true);
    EXPECT_EQ(s.scheduler->backgroundCount(), 1u);
    s.scheduler->drain();
    EXPECT_EQ(s.titleOnDisk(n.id), "immediate");
    s.scheduler->advance(5);
    EXPECT_EQ(s.scheduler->backgroundCount(), 0u);
}

TEST(LibrarySave, FlushWritesWaitingSavesAtOnce) {
    Store s;
    Library& lib = s.open();
    Notebook debounced = notebook("debounced", 1, 10, 1), queued = notebook("queued", 1, 10, 2);
    lib.save(debounced, false);
    lib.save(queued, true);  // its job has not run yet
    lib.flush();
    EXPECT_EQ(s.titleOnDisk(debounced.id), "debounced");
    EXPECT_EQ(s.titleOnDisk(queued.id), "queued");
    // The jobs and the timer left behind write nothing more.
    int writes = 0;
    StepHook hook([&](AtomicFile::Step step, const fs::path&) { writes += step == AtomicFile::Step::begin; });
    s.scheduler->drain();
    s.scheduler->advance(5);
    s.scheduler->drain();
    EXPECT_EQ(writes, 0);
}

TEST(LibrarySave, FlushWaitsForAWriteRunningElsewhere) {
    Store s;
    Library& lib = s.open();
    Notebook n = notebook("running", 1, 10, 1);
    lib.save(n, true);
    std::atomic<int> phase{0};
    std::atomic<bool> flushed{false}, finishedAfterFlush{false};
    StepHook hook([&](AtomicFile::Step step, const fs::path&) {
        if (step == AtomicFile::Step::written) {
            phase = 1;  // paused half-way through the write
            while (phase != 2) std::this_thread::yield();
        }
        if (step == AtomicFile::Step::finished) finishedAfterFlush = flushed.load();
    });
    std::thread writer([&] { s.scheduler->runBackground(0); });
    while (phase != 1) std::this_thread::yield();
    phase = 2;
    lib.flush();
    flushed = true;
    writer.join();
    EXPECT_FALSE(finishedAfterFlush);
    EXPECT_EQ(s.titleOnDisk(n.id), "running");
}

TEST(LibrarySave, ADeletedNotebookStaysDeleted) {
    Store s;
    Library& lib = s.open();
    Notebook n = notebook("gone", 1, 10, 1);
    lib.save(n, true);
    s.scheduler->drain();
    lib.save(n, false);
    lib.remove(n.id);
    s.scheduler->advance(5);
    EXPECT_EQ(s.scheduler->backgroundCount(), 0u);  // the waiting save was dropped
    EXPECT_FALSE(fs::exists(s.fileOf(n.id)));

    int told = 0;
    auto sub = lib.notebooks.observe([&] { ++told; });
    lib.save(n, true);  // a late save, e.g. of a closing window
    lib.save(n, false);
    s.scheduler->advance(5);
    s.scheduler->drain();
    lib.flush();
    EXPECT_EQ(told, 0);
    EXPECT_FALSE(lib.notebook(n.id));
    EXPECT_FALSE(fs::exists(s.fileOf(n.id)));
}

TEST(LibrarySave, AWriteRunningWhenItsNotebookIsDeletedLeavesNoFile) {
    using Step = AtomicFile::Step;
    for (Step at : {Step::begin, Step::opened, Step::written, Step::synced, Step::closed, Step::renamed, Step::finished}) {
        Store s;
        Library& lib = s.open();
        Notebook n = notebook("deleted mid-write", 1, 10, 1);
        lib.save(n, true);
        bool deleted = false;
        StepHook hook([&](Step step, const fs::path&) {
            if (step == at && !deleted) {
                deleted = true;
                lib.remove(n.id);
            }
        });
        s.scheduler->drain();
        EXPECT_TRUE(deleted);
        EXPECT_TRUE(fs::is_empty(s.notebooks())) << "deleted at step " << int(at);
    }
}

TEST(LibrarySave, TheLatestSaveWinsInWhateverOrderTheWritesRun) {
    // Each list picks the next job by its index among those still waiting.
    const std::vector<std::vector<size_t>> orders = {{0, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}};
    for (const auto& order : orders) {
        Store s;
        Library& lib = s.open();
        Notebook n = notebook("v1", 1, 10, 1);
        lib.save(n, true);
        n.title = "v2";
        lib.save(n, true);
        n.title = "v3";
        lib.save(n, true);
        ASSERT_EQ(s.scheduler->backgroundCount(), 3u);
        int writes = 0;
        StepHook hook([&](AtomicFile::Step step, const fs::path&) { writes += step == AtomicFile::Step::begin; });
        for (size_t index : order) {
            s.scheduler->runBackground(index);
            EXPECT_EQ(s.titleOnDisk(n.id), "v3");  // the first job to run takes the newest copy
        }
        EXPECT_EQ(writes, 1);
    }
}

TEST(LibrarySave, WritesOfOneNotebookNeverOverlap) {
    Store s;
    Library& lib = s.open();
    Notebook n = notebook("v1", 1, 10, 1);
    lib.save(n, true);
    int depth = 0, deepest = 0, writes = 0;
    std::vector<std::string> onDiskAtStart;
    StepHook hook([&](AtomicFile::Step step, const fs::path& target) {
        if (!isNotebookFile(target)) return;
        if (step == AtomicFile::Step::begin) {
            deepest = std::max(deepest, ++depth);
            ++writes;
        }
        if (step == AtomicFile::Step::finished) --depth;
        if (step == AtomicFile::Step::written && writes == 1) {
            // While v1 is half-written, v2 is saved and its job runs.
            n.title = "v2";
            lib.save(n, true);
            s.scheduler->runBackground(0);
            n.title = "v3";
            lib.save(n, true);
        }
    });
    s.scheduler->drain();
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(writes, 2);  // v1, then the newest (v3); v2 was never written
    EXPECT_EQ(s.titleOnDisk(n.id), "v3");
}
