// Saves that cannot be written: a full disk, a read-only folder, a refused rename, a notebook
// too large to read back. The newest copy waits, the learner is told why, the old file stays
// whole, and the copy lands once it can. The disk fails through the writer's fault hook.
#include "LibraryTestSupport.h"

#include "platform/AtomicFile.h"
#include "support/FailingDisk.h"

#include <cerrno>

using namespace nolby;
using namespace nolby::test;

namespace {

using Step = AtomicFile::Step;

// Moves the clock on and runs the writes that fell due.
void after(Store& s, double seconds) {
    s.scheduler->advance(seconds);
    s.scheduler->drain();
}

}  // namespace

TEST(LibraryUnsaved, AFailedSaveWaitsTellsWhyAndLandsOnceTheDiskTakesIt) {
    struct Case {
        const char* name;
        Step step;
        int error;
        const char* reason;
    };
    const Case cases[] = {
        {"full disk", Step::written, ENOSPC, "the disk is full"},
        {"quota spent, told at close", Step::closed, EDQUOT, "the disk is full"},
        {"read-only disk", Step::opened, EROFS, "the disk is read-only"},
        {"folder made read-only", Step::opened, EACCES, "its folder may not be written to"},
        {"flush refused", Step::synced, EIO, "the disk reported an error"},
        {"rename refused", Step::renamed, EBUSY, "device or resource busy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Store s;
        Notebook n = notebook("old", 1, 10, 1);
        s.put(n);
        Library& lib = s.open();
        FailingDisk disk(c.step, c.error);
        n.title = "new";
        lib.save(n, true);
        s.scheduler->drain();
        EXPECT_EQ(lib.unsaved.get(), (std::map<Uuid, std::string>{{n.id, c.reason}}));
        EXPECT_EQ(lib.notebook(n.id)->title, "new");  // the list keeps the newest
        EXPECT_EQ(s.titleOnDisk(n.id), "old");        // and the old file is whole
        EXPECT_EQ(temporaries(s.notebooks()), 0u);

        // Tried again 1, 2 and then 4 seconds after each failure.
        EXPECT_EQ(disk.tries, 1);
        for (auto [wait, tries] : {std::pair{0.99, 1}, {0.01, 2}, {1.99, 2}, {0.01, 3}, {3.99, 3}, {0.01, 4}}) {
            after(s, wait);
            EXPECT_EQ(disk.tries, tries);
        }
        EXPECT_EQ(lib.unsaved->size(), 1u);

        disk.failing = false;  // room again
        after(s, 8);
        EXPECT_EQ(disk.tries, 5);
        EXPECT_EQ(s.titleOnDisk(n.id), "new");
        EXPECT_TRUE(lib.unsaved->empty());
        after(s, 600);
        EXPECT_EQ(disk.tries, 5);  // nothing more to write
    }
}

TEST(LibraryUnsaved, TheNewestCopyIsTheOneThatLands) {
    Store s;
    Library& lib = s.open();
    FailingDisk disk(Step::written, ENOSPC);
    Notebook n = notebook("v1", 1, 10, 1);
    lib.save(n, true);
    s.scheduler->drain();
    n.title = "v2";
    lib.save(n, false);
    after(s, 0.6);  // the debounced copy fails too and waits in place of v1
    EXPECT_EQ(disk.tries, 2);
    n.title = "v3";
    lib.save(n, false);
    after(s, 0.3);

    // Asked by the learner, the waiting copy is tried at once; the debounced v3 still waits.
    disk.failing = false;
    lib.retrySaves();
    s.scheduler->drain();
    EXPECT_EQ(s.titleOnDisk(n.id), "v2");
    EXPECT_TRUE(lib.unsaved->empty());
    after(s, 0.3);
    EXPECT_EQ(s.titleOnDisk(n.id), "v3");

    // Deleting a notebook whose save fails ends its trouble and its tries.
    disk.failing = true;
    n.title = "v4";
    lib.save(n, true);
    s.scheduler->drain();
    ASSERT_EQ(lib.unsaved->size(), 1u);
    const int tries = disk.tries;
    lib.remove(n.id);
    EXPECT_TRUE(lib.unsaved->empty());
    after(s, 600);
    EXPECT_EQ(disk.tries, tries);
    EXPECT_FALSE(fs::exists(s.fileOf(n.id)));
}

TEST(LibraryUnsaved, AChangedFolderIsTriedAtOnceButNeverTwiceASecond) {
    Store s;
    Library& lib = s.open();
    FailingDisk disk(Step::opened, EACCES);
    Notebook n = notebook("kept", 1, 10, 1);
    lib.save(n, true);
    s.scheduler->drain();
    after(s, 1);
    after(s, 2);
    after(s, 4);  // t = 7: the fourth try failed; the next waits 8 seconds
    ASSERT_EQ(disk.tries, 4);

    // The folder's permissions change a second later: tried at once.
    after(s, 1);
    fs::permissions(s.notebooks(), fs::perms::group_write, fs::perm_options::add);
    lib.folderChanged();
    after(s, 0);
    EXPECT_EQ(disk.tries, 5);

    // Its own failed try just now changed nothing that matters; a change straight after it
    // waits a second from that try.
    fs::permissions(s.notebooks(), fs::perms::group_write, fs::perm_options::remove);
    lib.folderChanged();
    after(s, 0.99);
    EXPECT_EQ(disk.tries, 5);
    disk.failing = false;
    after(s, 0.01);
    EXPECT_EQ(disk.tries, 6);
    EXPECT_EQ(s.titleOnDisk(n.id), "kept");
    EXPECT_TRUE(lib.unsaved->empty());
}

TEST(LibraryUnsaved, QuittingTriesOnceMoreAndNamesWhatStillFails) {
    Store s;
    Library& lib = s.open();
    FailingDisk disk(Step::written, ENOSPC);
    Notebook failing = notebook("failing", 1, 10, 1), debounced = notebook("debounced", 1, 10, 2);
    lib.save(failing, true);
    s.scheduler->drain();
    lib.save(debounced, false);
    EXPECT_EQ(lib.flush(), (std::map<Uuid, std::string>{{failing.id, "the disk is full"},
                                                        {debounced.id, "the disk is full"}}));
    EXPECT_EQ(lib.unsaved->size(), 2u);
    disk.failing = false;
    EXPECT_TRUE(lib.flush().empty());
    EXPECT_EQ(s.titleOnDisk(failing.id), "failing");
    EXPECT_EQ(s.titleOnDisk(debounced.id), "debounced");
    EXPECT_TRUE(lib.unsaved->empty());
}

TEST(LibraryUnsaved, TheStoreWritesOnlyWhatItsReaderTakesBackWhole) {
    struct Case {
        const char* name;
        size_t pages;
        size_t noteBytes;
        std::optional<std::string> refused;
    };
    const Case cases[] = {
        {"as many pages as a file may hold", NotebookFile::maxPages, 0, std::nullopt},
        {"one page more", NotebookFile::maxPages + 1, 0, "it has more pages than a notebook file may hold (10000)"},
        {"larger than a file may be", 1, NotebookFile::maxBytes, "it is larger than a notebook file may be (64 MB)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Notebook n = notebook("new", 1, 10, 1);
        n.pages.resize(c.pages);
        if (c.noteBytes) {
            TextItem note;
            note.text = std::string(c.noteBytes, 'x');
            n.pages[0].items.push_back(PageItem(std::move(note)));
        }
        {
            // The store's rule agrees with the reader: what it refuses would not read back whole.
            const NotebookFile::Decoded read = NotebookFile::decode(NotebookFile::encode(n));
            EXPECT_EQ(read.notebook && read.issues.empty() && read.notebook->pages.size() == c.pages, !c.refused);
        }

        Store s;
        Notebook old = notebook("old", 1, 10, 1);
        old.id = n.id;
        s.put(old);
        Library& lib = s.open();
        int tries = 0;
        AtomicFile::setStepHook([&](Step step, const fs::path&) { tries += step == Step::begin; });
        lib.save(n, true);
        n = Notebook{};
        s.scheduler->drain();
        if (!c.refused) {
            EXPECT_TRUE(lib.unsaved->empty());
            EXPECT_EQ(s.onDisk(old.id)->pages.size(), c.pages);
        } else {
            EXPECT_EQ(lib.unsaved.get(), (std::map<Uuid, std::string>{{old.id, *c.refused}}));
            EXPECT_EQ(s.titleOnDisk(old.id), "old");
            after(s, 600);
            EXPECT_EQ(tries, 0);  // the same copy would be refused again: not retried on a timer
            // Made smaller, it lands.
            lib.save(old, true);
            s.scheduler->drain();
            EXPECT_TRUE(lib.unsaved->empty());
            EXPECT_EQ(tries, 1);
        }
        AtomicFile::setStepHook(nullptr);
    }
}

TEST(LibraryFolder, OnlyTheStoreHoldingTheFolderClearsNumbersAndWrites) {
    Store s;
    Notebook n = notebook("unnumbered");
    s.put(n);
    const std::string temporary = "." + NotebookFile::fileName(n.id) + "." + Uuid::random().string() + ".tmp";
    const fs::path leftovers[] = {s.notebooks() / temporary, s.covers() / temporary,
                                  s.data.path / "Sketches" / temporary};
    for (const fs::path& file : leftovers) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "a write in flight";
    }

    // Another process holds the folder: this store only reads.
    auto running = FolderLock::take(s.data.path);
    ASSERT_EQ(running->state(), FolderLock::State::held);
    Library& reader = s.open();
    EXPECT_FALSE(reader.owner());
    EXPECT_EQ(reader.notebook(n.id)->issue, std::nullopt);
    Notebook edited = n;
    edited.title = "edited";
    reader.save(edited, true);
    reader.remove(n.id);
    s.scheduler->drain();
    EXPECT_TRUE(reader.flush().empty());
    EXPECT_EQ(s.onDisk(n.id)->title, "unnumbered");
    EXPECT_EQ(s.onDisk(n.id)->issue, std::nullopt);
    for (const fs::path& file : leftovers) EXPECT_TRUE(fs::exists(file)) << file;

    // Once it is free, the next store takes it, clears every folder and numbers the issue.
    running.reset();
    Library& owner = s.open();
    EXPECT_TRUE(owner.owner());
    for (const fs::path& file : leftovers) EXPECT_FALSE(fs::exists(file)) << file;
    s.scheduler->drain();
    EXPECT_EQ(s.onDisk(n.id)->issue, 1);
    // And it holds the folder against the next.
    EXPECT_EQ(FolderLock::take(s.data.path)->state(), FolderLock::State::busy);
}
