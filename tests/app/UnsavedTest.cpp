// What the app adds to a save that fails: the notebooks' folder watched while it fails (a
// change there tries it at once, through real file-system events), and the last word on
// quitting while it still fails.

#include "TempFolder.h"
#include "app/UnsavedAtQuit.h"
#include "app/UnsavedWatch.h"
#include "library/Library.h"
#include "notebook/NotebookFile.h"
#include "platform/Files.h"
#include "support/FailingDisk.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

using namespace nolby;

namespace {

namespace fs = std::filesystem;

struct Store {
    test::TempFolder folder;
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    std::shared_ptr<Library> library = Library::make(folder.path, scheduler, nullptr, nullptr);

    Notebook saved(const std::string& title) {
        Notebook n;
        n.title = title;
        n.issue = 1;
        library->save(n, true);
        scheduler->drain();
        return n;
    }
    std::string titleOnDisk(const Uuid& id) const {
        auto bytes = Files::read(library->dir / NotebookFile::fileName(id));
        auto n = bytes ? NotebookFile::decode(*bytes).notebook : std::nullopt;
        return n ? n->title : "(no file)";
    }
    void after(double seconds) {
        scheduler->advance(seconds);
        scheduler->drain();
    }
};

}  // namespace

TEST(UnsavedWatch, AChangeOfTheFolderTriesTheWaitingSaveAtOnce) {
    Store s;
    UnsavedWatch watch(s.library);
    EXPECT_FALSE(watch.watching());  // nothing is watched while saves land
    test::FailingDisk disk(AtomicFile::Step::opened, EACCES);
    const Notebook n = s.saved("kept");
    EXPECT_TRUE(watch.watching());
    s.after(1);
    s.after(2);
    s.after(4);
    s.after(2);  // t = 9: four tries so far, the next due at t = 15
    ASSERT_EQ(disk.tries, 4);

    // The learner gives the folder its permission back.
    disk.failing = false;
    fs::permissions(s.library->dir, fs::perms::group_write, fs::perm_options::add);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            s.after(0);
            return disk.tries == 5;
        },
        5000));
    EXPECT_EQ(s.titleOnDisk(n.id), "kept");
    EXPECT_TRUE(s.library->unsaved->empty());
    EXPECT_FALSE(watch.watching());
}

TEST(UnsavedAtQuit, NamesWhatStillFailsAndWritesItOnceItCan) {
    Store s;
    test::FailingDisk disk(AtomicFile::Step::written, ENOSPC);
    Notebook tides = s.saved("Tides");
    tides.title = "Tides, later";
    s.library->save(tides, false);  // still waiting on its debounce at quit
    std::ostringstream err;
    EXPECT_FALSE(UnsavedAtQuit::settle(*s.library, err));  // no display here: no dialog waits
    EXPECT_EQ(err.str(),
              "nolby: couldn't save \u201CTides, later\u201D: the disk is full; its changes since it was last saved "
              "are lost\n");
    EXPECT_EQ(s.titleOnDisk(tides.id), "(no file)");

    disk.failing = false;
    err.str("");
    EXPECT_TRUE(UnsavedAtQuit::settle(*s.library, err));
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(s.titleOnDisk(tides.id), "Tides, later");
}
