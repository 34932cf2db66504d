#pragma once
// The store of every notebook: it loads the notebook files at start, keeps the list the
// shelf, the windows and the tutor read, hands out issue numbers, creates and deletes
// notebooks, and writes each notebook back to its file, debounced so that a burst of
// edits costs one write. Lives on the main thread; encoding and writing run in the
// background.
//
// A notebook, once deleted, stays deleted for the rest of the run: its waiting save is
// dropped, a write already running does not put its file back, and later saves of its id
// (a late painting, a closing window) are ignored.
//
// One process at a time changes a data folder: the store that holds the folder's lock
// (FolderLock). Only that store numbers issues, writes, deletes and clears away what
// interrupted writes left; a store on a folder another process holds only reads it, so it
// never removes a live writer's temporary or hands out a number twice.
//
// A save that cannot be written is never dropped: the notebook is listed in `unsaved` with
// why, its newest copy waits and is tried again (see NotebookWrites), and its old file stays
// whole.
//
// Memory and the main thread: the list holds heads (NotebookHead), never pages, so reading
// it, or handing it to the shelf, copies no page. A notebook loaded from a clean file is kept
// as the file's bytes and decoded when asked for by id (the same notebook each time: a clean
// file decodes alike); one this run saved, or whose file needed repairs, is kept whole. So
// the store takes about the size of its files, and a save costs one copy of the notebook.

#include "notebook/Notebook.h"
#include "notebook/NotebookHead.h"
#include "notebook/NotebookWrites.h"
#include "platform/FolderLock.h"
#include "platform/Image.h"
#include "platform/Observed.h"
#include "platform/Scheduler.h"
#include "press/Press.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace nolby {

class Library : public std::enable_shared_from_this<Library> {
public:
    // Seconds a debounced save waits for the next change before it writes.
    static constexpr double debounce = 0.6;

    // What loading made of one file it could not take as it was.
    struct LoadNote {
        std::string file;                 // the file's name in the "Notebooks" folder
        bool skipped = false;             // true: not loaded; false: loaded after repairs
        std::vector<std::string> issues;  // why, or what was repaired
        bool operator==(const LoadNote&) const = default;
    };

    // A store on `dataFolder`: makes its "Notebooks" and "Sketches" folders (failures
    // ignored), takes the folder's lock (or keeps `lock`, the caller's lock on it), clears
    // away what interrupted writes left when it holds the folder, and loads. Deleting a
    // notebook tells `press` (a press on the same data folder when none is given). Skipped
    // and repaired files are reported on `log` (none: silent).
    static std::shared_ptr<Library> make(const std::filesystem::path& dataFolder,
                                         std::shared_ptr<Scheduler> scheduler,
                                         std::shared_ptr<Press> press = nullptr,
                                         std::ostream* log = defaultLog(),
                                         std::shared_ptr<FolderLock> lock = nullptr);

    // The application hands its scheduler, and the lock it holds on the data folder, over
    // once at start, before the first shared().
    static void configure(std::shared_ptr<Scheduler> scheduler, std::shared_ptr<FolderLock> lock = nullptr);
    // The application's store on the process's data folder, made on first use.
    static const std::shared_ptr<Library>& shared();

    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Every notebook's head, issues and deep dives together; after load() the most recently
    // updated first. set() tells the observers only when the (id, updated) pairs differ.
    Observed<std::vector<NotebookHead>> notebooks;
    const std::filesystem::path dir;       // "Notebooks" in the data folder
    const std::filesystem::path sketches;  // "Sketches" in the data folder

    // A notebook saved again in its place in the list, with the same parent and issue number.
    struct SavedInPlace {
        Uuid id;
        size_t index = 0;  // its place in `notebooks`
        uint64_t telling = 0;
    };
    // While `notebooks` tells its observers of such a save, which one it was; none while it
    // tells of any other change. An observer that keeps what it read of the list can then
    // take just that head: nothing else in the list moved, and no count changed.
    std::optional<SavedInPlace> savedInPlace() const {
        return savedInPlace_ && savedInPlace_->telling == told_ ? savedInPlace_ : std::nullopt;
    }

    // Whether this store may change its folder (it holds the folder's lock). A store that
    // may not reads what is there and changes its list in memory only.
    bool owner() const { return lock_->owns(); }

    // The notebooks whose newest copy is not on the disk, each with why ("the disk is
    // full"); empty while every file holds its notebook's latest copy.
    Observed<std::map<Uuid, std::string>> unsaved;
    // What the learner is told of one: "Couldn't save “<title>”: <reason>. Your writing is
    // kept open; saving again…", with "“<title>” and 2 other notebooks" when `others` fail too.
    static std::string unsavedText(const std::string& title, const std::string& reason, size_t others = 0);
    // Tries every unsaved notebook again now (the learner asked).
    void retrySaves();
    // The "Notebooks" folder changed (the application watches it while saves fail): unsaved
    // notebooks are tried again at once when the change may let them be written.
    void folderChanged();

    // The first notebook with this id, whole (decoded from its file's bytes when the store
    // keeps only those).
    std::optional<Notebook> notebook(const Uuid& id) const;
    // The whole notebook of a head from the list; none for a head without a body.
    static std::optional<Notebook> whole(const NotebookHead& head);
    // The head of the first notebook with this id.
    std::optional<NotebookHead> head(const Uuid& id) const;
    // The notebooks without a parent, in list order.
    std::vector<NotebookHead> issues() const;
    // How many notebooks have no parent.
    size_t issueCount() const;
    // The notebooks whose parent is `from`, in list order.
    std::vector<NotebookHead> dives(const Uuid& from) const;

    // A new notebook of this page size with a random colour and the next issue number, put
    // first in the list and written at once.
    Notebook create(double pageH, double pageW);
    // Replaces the first notebook with its id (or puts it first) and writes its file: now,
    // in the background, or `debounce` seconds after the last of a run of saves. Cheap on
    // the calling thread: one copy of the notebook; encoding happens in the background.
    void save(const Notebook& notebook, bool now);
    // Deletes the notebook, its deep dives first (deepest first), their files and covers.
    void remove(const Uuid& id);
    // Sorts the list by `updated`, newest first, keeping the order of equal dates.
    void sortByRecent();
    // Reads every "*.json" file of `dir` (in name order, so equal dates sort alike on every
    // machine), skipping and reporting those it cannot read, sorts the list and, when it
    // owns the folder, numbers issues that have no number.
    void load();
    // Writes every waiting debounced save at once and waits for running writes (on quit).
    // Returns the notebooks still unsaved, as `unsaved` lists them.
    std::map<Uuid, std::string> flush();

    // The ink image of a sketch file in `sketches`, cached by name; nothing (and not
    // cached) when it is missing or not an image, and nothing without touching the disk
    // for a name that is not a bare file name.
    std::shared_ptr<const Image> loadSketch(const std::string& name);

    // The files the last load() skipped or repaired, in name order.
    const std::vector<LoadNote>& loadNotes() const { return loadNotes_; }

    static std::ostream* defaultLog();

private:
    Library(const std::filesystem::path& dataFolder, std::shared_ptr<Scheduler> scheduler,
            std::shared_ptr<Press> press, std::ostream* log, std::shared_ptr<FolderLock> lock);

    struct Pending {
        Timer timer;
        std::shared_ptr<const Notebook> copy;  // null once written or cancelled
        uint64_t ticket = 0;                   // which save the timer belongs to
    };

    std::filesystem::path fileOf(const Uuid& id) const;
    int64_t nextIssue() const;
    // Puts a copy of `notebook` in the list (replacing the first with its id, or first) and
    // returns that copy, the one its write encodes.
    std::shared_ptr<const Notebook> put(const Notebook& notebook);
    void removeChain(const Uuid& id, std::set<Uuid>& visiting);
    void cancelPending(const Uuid& id);
    void debounced(const Uuid& id, uint64_t ticket);
    void report(const LoadNote& note) const;
    void numberIssues();
    // Removes what writes cut short left in the store's folders (only its owner may: a live
    // writer's temporary looks just the same).
    void clearTemporaries(const std::filesystem::path& dataFolder) const;
    void write(std::shared_ptr<const Notebook> copy);

    std::shared_ptr<Scheduler> scheduler_;
    std::shared_ptr<FolderLock> lock_;
    std::shared_ptr<Press> press_;
    std::ostream* log_;
    NotebookWrites writes_;
    std::map<Uuid, Pending> pending_;
    uint64_t tickets_ = 0;
    std::set<Uuid> deleted_;
    std::map<std::string, std::shared_ptr<const Image>> sketchCache_;
    std::vector<LoadNote> loadNotes_;
    std::optional<SavedInPlace> savedInPlace_;
    uint64_t told_ = 0;  // how many changes `notebooks` has told of
    Subscription toldWatch_;
};

}  // namespace nolby
