// A save killed at every step of its writes: the folder must always hold one whole copy,
// old or new, and the next launch must read exactly that one.
#include "LibraryTestSupport.h"

#include "platform/AtomicFile.h"

#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

using namespace nolby;
using namespace nolby::test;

namespace {

constexpr int kCrashed = 42;
int stepsLeft = 0;

// Saves `newer` at once in a child process that dies, without any cleaning up, at its
// `step`-th write step (counted from 0 over every file it writes). True when the child got
// through all its writes before that step.
bool saveDyingAt(const fs::path& dataFolder, const Notebook& newer, int step) {
    const pid_t pid = fork();
    if (pid == 0) {
        stepsLeft = step;
        AtomicFile::setStepHook([](AtomicFile::Step, const fs::path&) {
            if (stepsLeft-- == 0) _exit(kCrashed);
        });
        auto scheduler = std::make_shared<ManualScheduler>();
        auto lib = Library::make(dataFolder, scheduler, nullptr, nullptr);
        lib->save(newer, true);
        scheduler->drain();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TEST(LibraryCrash, EveryStepOfASaveLeavesTheOldOrTheNewNotebookWhole) {
    Notebook old = notebook("old", 1, 10, 1);
    TextItem t;
    t.text = "a note";
    old.pages[0].items.push_back(PageItem(t));
    Notebook newer = old;
    newer.title = "new";
    newer.updated = at(20);
    newer.pages.push_back(Page{});

    struct Case {
        const char* name;
        std::string oldBytes;
        bool repaired;
    };
    const Case cases[] = {
        {"clean file", NotebookFile::encode(old), false},
        {"repaired file (its original is kept first)", damaged(old), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool finished = false;
        int crashes = 0;
        for (int step = 0; !finished && step < 100; ++step) {
            Store s;
            s.put(NotebookFile::fileName(old.id), c.oldBytes);
            finished = saveDyingAt(s.data.path, newer, step);
            crashes += !finished;
            SCOPED_TRACE("died at step " + std::to_string(step));

            Library& lib = s.open();
            ASSERT_EQ(lib.notebooks.get().size(), 1u);
            const Notebook loaded = *lib.notebook(lib.notebooks.get().front().id);
            const auto file = *Files::read(s.fileOf(old.id));
            const auto orig = Files::read(NotebookWrites::originalFile(s.fileOf(old.id)));
            if (loaded.title == "new") {
                EXPECT_EQ(file, NotebookFile::encode(newer));
                EXPECT_EQ(loaded.pages.size(), 2u);
                EXPECT_TRUE(lib.loadNotes().empty());
                if (c.repaired) {
                    EXPECT_EQ(orig, c.oldBytes);  // never replaced before it was kept
                }
            } else {
                EXPECT_EQ(loaded.title, "old");
                EXPECT_EQ(file, c.oldBytes);
                if (orig) {
                    EXPECT_EQ(*orig, c.oldBytes);
                }
            }
            if (!c.repaired) {
                EXPECT_FALSE(orig);
            }
            EXPECT_EQ(temporaries(s.notebooks()), 0u);  // the launch removed what a crash left
            if (finished) {
                EXPECT_EQ(loaded.title, "new");
            }
        }
        EXPECT_TRUE(finished);
        EXPECT_GE(crashes, c.repaired ? 14 : 7);  // every step of every write was tried
    }
}
