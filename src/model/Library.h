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

#include "model/Notebook.h"
#include "model/NotebookWrites.h"
#include "model/Press.h"
#include "platform/Image.h"
#include "platform/Observed.h"
#include "platform/Scheduler.h"

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
    // ignored) and loads. Deleting a notebook tells `press` (a press on the same data
    // folder when none is given). Skipped and repaired files are reported on `log` (none:
    // silent).
    static std::shared_ptr<Library> make(const std::filesystem::path& dataFolder,
                                         std::shared_ptr<Scheduler> scheduler,
                                         std::shared_ptr<Press> press = nullptr,
                                         std::ostream* log = defaultLog());

    // The application hands its scheduler over once at start, before the first shared().
    static void configure(std::shared_ptr<Scheduler> scheduler);
    // The application's store on the process's data folder, made on first use.
    static const std::shared_ptr<Library>& shared();

    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Every notebook, issues and deep dives together; after load() the most recently
    // updated first. set() tells the observers only when the (id, updated) pairs differ.
    Observed<std::vector<Notebook>> notebooks;
    const std::filesystem::path dir;       // "Notebooks" in the data folder
    const std::filesystem::path sketches;  // "Sketches" in the data folder

    // The first notebook with this id.
    std::optional<Notebook> notebook(const Uuid& id) const;
    // The notebooks without a parent, in list order.
    std::vector<Notebook> issues() const;
    // The notebooks whose parent is `from`, in list order.
    std::vector<Notebook> dives(const Uuid& from) const;

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
    // machine), skipping and reporting those it cannot read, removes temporaries left by
    // interrupted writes, sorts the list and numbers issues that have no number.
    void load();
    // Writes every waiting debounced save at once and waits for running writes (on quit).
    void flush();

    // The ink image of a sketch file in `sketches`, cached by name; nothing (and not
    // cached) when it is missing or not an image, and nothing without touching the disk
    // for a name that is not a bare file name.
    std::shared_ptr<const Image> loadSketch(const std::string& name);

    // The files the last load() skipped or repaired, in name order.
    const std::vector<LoadNote>& loadNotes() const { return loadNotes_; }

    static std::ostream* defaultLog();

private:
    Library(const std::filesystem::path& dataFolder, std::shared_ptr<Scheduler> scheduler,
            std::shared_ptr<Press> press, std::ostream* log);

    struct Pending {
        Timer timer;
        std::shared_ptr<const Notebook> copy;  // null once written or cancelled
        uint64_t ticket = 0;                   // which save the timer belongs to
    };

    std::filesystem::path fileOf(const Uuid& id) const;
    int64_t nextIssue() const;
    void put(const Notebook& notebook);
    void removeChain(const Uuid& id, std::set<Uuid>& visiting);
    void cancelPending(const Uuid& id);
    void debounced(const Uuid& id, uint64_t ticket);
    void report(const LoadNote& note) const;
    void numberIssues();

    std::shared_ptr<Scheduler> scheduler_;
    std::shared_ptr<Press> press_;
    std::ostream* log_;
    NotebookWrites writes_;
    std::map<Uuid, Pending> pending_;
    uint64_t tickets_ = 0;
    std::set<Uuid> deleted_;
    std::map<std::string, std::shared_ptr<const Image>> sketchCache_;
    std::vector<LoadNote> loadNotes_;
};

}  // namespace nolby
