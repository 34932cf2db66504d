#include "LibraryTestSupport.h"

#include "ink/Ink.h"

#include <nlohmann/json.hpp>

#include <algorithm>

using namespace nolby;
using namespace nolby::test;

TEST(Library, LoadsJsonFilesByExactExtensionAndSortsNewestFirst) {
    Store s;
    Notebook a = notebook("a", 1, 300, 1), b = notebook("b", 2, 100, 2), c = notebook("c", 3, 200, 3);
    Notebook d = notebook("d", 4, 400, 4), e = notebook("e", 5, 500, 5), f = notebook("f", 6, 300, 6);
    s.put(a);
    s.put("any.json", NotebookFile::encode(b));      // the name need not be the id
    s.put(".hidden.json", NotebookFile::encode(c));  // hidden entries count
    s.put(NotebookFile::fileName(d.id) + ".orig", NotebookFile::encode(d));
    s.put(d.id.string() + ".JSON", NotebookFile::encode(d));  // the extension is case-sensitive
    s.put(e.id.string() + ".json.txt", NotebookFile::encode(e));
    s.put("zzz.json", NotebookFile::encode(f));  // same date as a: name order decides
    Library& lib = s.open();
    EXPECT_EQ(titles(lib.notebooks.get()), (std::vector<std::string>{"a", "f", "c", "b"}));
    EXPECT_TRUE(lib.loadNotes().empty());
    EXPECT_EQ(s.log.str(), "");
}

TEST(Library, NumbersIssueLessIssuesByCreationAndLeavesDivesAlone) {
    Store s;
    Notebook one = notebook("one", 1, 10, 1), two = notebook("two", 2, 20, 2), five = notebook("five", 3, 30, 5);
    Notebook late = notebook("late", 50, 60), early = notebook("early", 40, 70);
    Notebook dive = notebook("dive", 45, 80, std::nullopt, one.id);
    for (const auto& n : {one, two, five, late, early, dive}) s.put(n);
    Library& lib = s.open();
    EXPECT_EQ(lib.notebook(early.id)->issue, 6);
    EXPECT_EQ(lib.notebook(late.id)->issue, 7);
    EXPECT_EQ(lib.notebook(dive.id)->issue, std::nullopt);
    EXPECT_EQ(lib.notebook(five.id)->issue, 5);
    s.scheduler->drain();
    EXPECT_EQ(s.onDisk(early.id)->issue, 6);
    EXPECT_EQ(s.onDisk(late.id)->issue, 7);
    EXPECT_EQ(s.onDisk(dive.id)->issue, std::nullopt);
    EXPECT_EQ(titles(lib.issues()), (std::vector<std::string>{"early", "late", "five", "two", "one"}));
    EXPECT_EQ(titles(lib.dives(one.id)), (std::vector<std::string>{"dive"}));
}

TEST(Library, CreateMakesTheNextIssueFirstAndWritesItAtOnce) {
    Store s;
    Library& lib = s.open();
    Notebook first = lib.create(1600, 600);
    EXPECT_EQ(first.issue, 1);
    EXPECT_EQ(first.pageH, 1600);
    EXPECT_EQ(first.pageW, 600);
    EXPECT_NE(std::find(Ink::names().begin(), Ink::names().end(), first.color), Ink::names().end());
    Notebook second = lib.create(869, 400);
    EXPECT_EQ(second.issue, 2);
    EXPECT_EQ(lib.notebooks.get().front().id, second.id);
    EXPECT_EQ(s.scheduler->backgroundCount(), 2u);
    s.scheduler->drain();
    EXPECT_EQ(s.onDisk(first.id)->issue, 1);
    EXPECT_EQ(s.onDisk(second.id)->pageH, 869);
}

TEST(Library, SavingAnUnknownNotebookPutsItFirstAndAKnownOneKeepsItsPlace) {
    Store s;
    s.put(notebook("old", 1, 10, 1));
    s.put(notebook("older", 1, 5, 2));
    Library& lib = s.open();
    Notebook older = *lib.notebook(lib.notebooks.get()[1].id);
    older.title = "older, edited";
    lib.save(older, true);
    Notebook fresh = notebook("fresh", 1, 1, 3);
    lib.save(fresh, false);
    EXPECT_EQ(titles(lib.notebooks.get()), (std::vector<std::string>{"fresh", "old", "older, edited"}));
    lib.sortByRecent();
    EXPECT_EQ(titles(lib.notebooks.get()), (std::vector<std::string>{"old", "older, edited", "fresh"}));
}

TEST(Library, AssigningTheSameIdsAndDatesTellsNobody) {
    Store s;
    s.put(notebook("a", 1, 10, 1));
    s.put(notebook("b", 1, 20, 2));
    Library& lib = s.open();
    int told = 0;
    auto sub = lib.notebooks.observe([&] { ++told; });

    auto renamed = lib.notebooks.get();
    for (auto& n : renamed) n.title += " (renamed)";
    lib.notebooks.set(renamed);
    EXPECT_EQ(told, 0);
    EXPECT_EQ(titles(lib.notebooks.get()), (std::vector<std::string>{"b (renamed)", "a (renamed)"}));

    auto touched = lib.notebooks.get();
    touched[1].updated = at(30);
    lib.notebooks.set(touched);
    EXPECT_EQ(told, 1);
    std::reverse(touched.begin(), touched.end());
    lib.notebooks.set(touched);
    EXPECT_EQ(told, 2);
    lib.sortByRecent();  // in place: always told, even when nothing moves
    EXPECT_EQ(told, 3);
}

TEST(Library, OnlyASaveInItsPlaceIsToldAsOneAndOnlyToItsOwnObservers) {
    Store s;
    s.put(notebook("a", 1, 10, 1));
    s.put(notebook("b", 1, 20, 2));
    Library& lib = s.open();
    // The first observer makes a change of its own while the first save in place is told;
    // the second records what it is told each time.
    bool changeOnce = true;
    auto meddler = lib.notebooks.observe([&] {
        if (!lib.savedInPlace() || !changeOnce) return;
        changeOnce = false;
        lib.save(notebook("fresh", 1, 30, 3), false);
    });
    std::vector<std::optional<Library::SavedInPlace>> heard;
    auto listener = lib.notebooks.observe([&] { heard.push_back(lib.savedInPlace()); });

    Notebook a = *lib.notebook(lib.notebooks.get()[1].id);
    a.title = "a, edited";
    a.updated = at(40);
    lib.save(a, false);
    // The listener hears the new notebook first (not a save in place), then the edit, which
    // it must no longer take as only that: the list has changed since.
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_FALSE(heard[0]);
    EXPECT_FALSE(heard[1]);

    heard.clear();
    a.title = "a, edited again";
    lib.save(a, false);  // "fresh" went first, so "a" is now third
    ASSERT_EQ(heard.size(), 1u);
    ASSERT_TRUE(heard[0]);
    EXPECT_EQ(heard[0]->id, a.id);
    EXPECT_EQ(heard[0]->index, 2u);
    EXPECT_FALSE(lib.savedInPlace());  // only while it is told

    // A save that changes the notebook's number changes what is counted: told as any change.
    heard.clear();
    a.issue = 9;
    lib.save(a, false);
    lib.sortByRecent();
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_FALSE(heard[0]);
    EXPECT_FALSE(heard[1]);
}

TEST(Library, DeletingRemovesDivesFilesAndCoversDeepestFirst) {
    Store s;
    Notebook top = notebook("top", 1, 10, 1), other = notebook("other", 1, 20, 2);
    Notebook dive = notebook("dive", 2, 11, std::nullopt, top.id);
    Notebook deeper = notebook("deeper", 3, 12, std::nullopt, dive.id);
    fs::create_directories(s.covers());
    for (const auto& n : {top, other, dive, deeper}) {
        s.put(n);
        std::ofstream(s.covers() / (n.id.string() + ".jpg")) << "jpeg";
    }
    std::ofstream(s.covers() / "notes.txt") << "not a cover";
    Library& lib = s.open();
    std::vector<std::vector<std::string>> seen;
    auto sub = lib.notebooks.observe([&] { seen.push_back(titles(lib.notebooks.get())); });

    lib.remove(top.id);
    EXPECT_EQ(titles(lib.notebooks.get()), (std::vector<std::string>{"other"}));
    // One removal at a time, the deepest first.
    EXPECT_EQ(seen, (std::vector<std::vector<std::string>>{{"other", "dive", "top"}, {"other", "top"}, {"other"}}));
    for (const auto& n : {top, dive, deeper}) {
        EXPECT_FALSE(fs::exists(s.fileOf(n.id))) << n.title;
        EXPECT_FALSE(fs::exists(s.covers() / (n.id.string() + ".jpg"))) << n.title;
    }
    EXPECT_TRUE(fs::exists(s.fileOf(other.id)));
    EXPECT_TRUE(fs::exists(s.covers() / (other.id.string() + ".jpg")));
    EXPECT_TRUE(fs::exists(s.covers() / "notes.txt"));
}

TEST(Library, DeletingANotebookThatIsItsOwnAncestorEnds) {
    Store s;
    Notebook a = notebook("a", 1, 10), b = notebook("b", 1, 20);
    a.parent = b.id;
    b.parent = a.id;
    Notebook self = notebook("self", 1, 30);
    self.parent = self.id;
    for (const auto& n : {a, b, self}) s.put(n);
    Library& lib = s.open();
    lib.remove(a.id);
    lib.remove(self.id);
    EXPECT_TRUE(lib.notebooks.get().empty());
    EXPECT_TRUE(fs::is_empty(s.notebooks()));
}

TEST(Library, TwoFilesWithOneIdBothLoadAndDeleteRemovesOnlyTheNamedFile) {
    Store s;
    Notebook n = notebook("named", 1, 20, 1);
    Notebook copy = n;
    copy.title = "copy";
    copy.updated = at(10);
    s.put(n);
    s.put("copy.json", NotebookFile::encode(copy));
    Library& lib = s.open();
    EXPECT_EQ(titles(lib.notebooks.get()), (std::vector<std::string>{"named", "copy"}));
    EXPECT_EQ(lib.notebook(n.id)->title, "named");
    lib.remove(n.id);
    EXPECT_TRUE(lib.notebooks.get().empty());
    EXPECT_FALSE(fs::exists(s.fileOf(n.id)));
    EXPECT_TRUE(fs::exists(s.notebooks() / "copy.json"));
}

namespace {

Notebook withNote(const std::string& title, int64_t issue) {
    Notebook n = notebook(title, 1, 10, issue);
    TextItem t;
    t.text = "a note";
    t.width = 100;
    n.pages[0].items.push_back(PageItem(t));
    return n;
}

}  // namespace

TEST(Library, UnreadableFilesAreSkippedLeftAloneAndNamed) {
    Store s;
    Notebook good = notebook("good", 1, 10, 1);
    s.put(good);
    s.put("garbage.json", "not json at all");
    s.put("noid.json", R"({"title":"no id"})");
    fs::create_directories(s.notebooks() / "folder.json");
    Library& lib = s.open();
    EXPECT_EQ(titles(lib.notebooks.get()), (std::vector<std::string>{"good"}));
    ASSERT_EQ(lib.loadNotes().size(), 3u);
    EXPECT_EQ(lib.loadNotes()[0].file, "folder.json");
    EXPECT_EQ(lib.loadNotes()[0].issues, (std::vector<std::string>{"cannot be read"}));
    EXPECT_EQ(lib.loadNotes()[1].file, "garbage.json");
    EXPECT_EQ(lib.loadNotes()[2].file, "noid.json");
    for (const auto& note : lib.loadNotes()) {
        EXPECT_TRUE(note.skipped);
        EXPECT_NE(s.log.str().find("skipped notebook file " + note.file), std::string::npos) << s.log.str();
    }
    s.scheduler->drain();
    EXPECT_EQ(*Files::read(s.notebooks() / "garbage.json"), "not json at all");
    EXPECT_EQ(*Files::read(s.notebooks() / "noid.json"), R"({"title":"no id"})");
}

TEST(Library, ARepairedFileLoadsAndItsOriginalIsKeptOnceBeforeItIsReplaced) {
    Store s;
    Notebook n = withNote("repaired", 1);
    const std::string original = damaged(n);
    s.put(NotebookFile::fileName(n.id), original);
    const std::string name = NotebookFile::fileName(n.id);
    Library& lib = s.open();
    ASSERT_EQ(titles(lib.notebooks.get()), (std::vector<std::string>{"repaired"}));
    ASSERT_EQ(lib.loadNotes().size(), 1u);
    EXPECT_FALSE(lib.loadNotes()[0].skipped);
    EXPECT_FALSE(lib.loadNotes()[0].issues.empty());
    EXPECT_NE(s.log.str().find("repaired notebook file " + name + ": "), std::string::npos) << s.log.str();
    EXPECT_FALSE(fs::exists(s.notebooks() / (name + ".orig")));  // nothing written yet

    Notebook edited = *lib.notebook(n.id);
    edited.title = "edited";
    lib.save(edited, true);
    s.scheduler->drain();
    EXPECT_EQ(*Files::read(s.notebooks() / (name + ".orig")), original);
    EXPECT_EQ(s.titleOnDisk(n.id), "edited");

    // The file is clean now; a second damaged load must not replace the first original.
    Notebook damagedAgain = withNote("again", 1);
    damagedAgain.id = n.id;
    s.put(name, damaged(damagedAgain));
    Library& again = s.open();
    ASSERT_TRUE(again.notebook(n.id));
    again.save(*again.notebook(n.id), true);
    s.scheduler->drain();
    EXPECT_EQ(*Files::read(s.notebooks() / (name + ".orig")), original);
    EXPECT_EQ(s.titleOnDisk(n.id), "again");
    EXPECT_EQ(again.notebooks.get().size(), 1u);  // the .orig file is never loaded
}

TEST(Library, PressForgetsDeletedCovers) {
    Store s;
    Uuid kept = Uuid::random(), gone = Uuid::random();
    fs::create_directories(s.covers());
    std::ofstream(s.covers() / (kept.string() + ".jpg")) << "x";
    std::ofstream(s.covers() / (gone.string() + ".jpg")) << "x";
    auto press = Press::make(s.data.path, s.scheduler, nullptr);
    EXPECT_EQ(press->printed(), (std::set<Uuid>{kept, gone}));
    s.library = Library::make(s.data.path, s.scheduler, press, &s.log);
    s.library->remove(gone);
    press->forget(Uuid::random());  // no file: nothing happens
    EXPECT_EQ(press->printed(), (std::set<Uuid>{kept}));
    EXPECT_FALSE(fs::exists(s.covers() / (gone.string() + ".jpg")));
}
