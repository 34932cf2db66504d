// Loading the store: leftovers of interrupted writes removed, every notebook file read and
// decoded, damaged files reported, unnumbered issues numbered.
#include "library/Library.h"

#include "library/LibraryLoadFiles.h"
#include "notebook/NotebookFile.h"
#include "platform/AtomicFile.h"
#include "platform/Files.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <ostream>
#include <system_error>

namespace nolby {

void Library::load() {
    loadNotes_.clear();
    std::vector<std::string> names;
    std::vector<std::filesystem::path> files;
    for (std::string& name : Files::names(dir)) {
        std::filesystem::path file = dir / name;
        if (file.extension() != ".json") continue;
        files.push_back(std::move(file));
        names.push_back(std::move(name));
    }
    std::vector<LoadedFile> loaded = loadFiles(files, *scheduler_);
    std::vector<NotebookHead> list;
    list.reserve(loaded.size());
    for (size_t i = 0; i < loaded.size(); ++i) {
        LoadedFile& one = loaded[i];
        const std::string& name = names[i];
        if (!one.bytes) {
            loadNotes_.push_back({name, true, {"cannot be read"}});
            continue;
        }
        if (!one.head) {
            loadNotes_.push_back({name, true, std::move(one.decoded.issues)});
            continue;
        }
        auto body = std::make_shared<NotebookBody>();
        if (one.decoded.issues.empty()) {
            // Clean: the bytes are all the store keeps, and decode back to this notebook.
            body->file = std::make_shared<const std::string>(std::move(*one.bytes));
        } else {
            // Repaired: kept whole, as repaired (repairs may draw fresh ids, so decoding the
            // file again would not give this notebook back).
            body->whole = std::make_shared<const Notebook>(std::move(*one.decoded.notebook));
            // Keep what the reader did not understand until it is safely beside the file.
            if (owner()) writes_.keepOriginal(files[i], std::make_shared<const std::string>(std::move(*one.bytes)));
            loadNotes_.push_back({name, false, std::move(one.decoded.issues)});
        }
        NotebookHead head = std::move(*one.head);
        head.body = std::move(body);
        list.push_back(std::move(head));
    }
    for (const LoadNote& note : loadNotes_) report(note);

    std::stable_sort(list.begin(), list.end(),
                     [](const NotebookHead& a, const NotebookHead& b) { return a.updated > b.updated; });
    notebooks.set(std::move(list));
    // A store that only reads hands out no numbers: the folder's owner does, once.
    if (owner()) numberIssues();
}

void Library::clearTemporaries(const std::filesystem::path& dataFolder) const {
    for (const std::filesystem::path& folder : {dir, sketches, dataFolder / "Covers"})
        for (const std::string& name : Files::names(folder)) {
            if (!AtomicFile::isTemporary(name)) continue;
            // A write that never reached its rename: the file it was to replace is whole.
            std::error_code ignored;
            std::filesystem::remove(folder / name, ignored);
        }
}

void Library::numberIssues() {
    int64_t next = nextIssue();
    const std::vector<NotebookHead>& list = notebooks.get();
    // Oldest first by creation; indices, so the notebooks themselves are not copied.
    std::vector<size_t> order(list.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return list[a].created < list[b].created; });
    std::vector<Notebook> numbered;
    for (size_t i : order) {
        if (list[i].issue || list[i].parent) continue;
        std::optional<Notebook> whole = Library::whole(list[i]);
        if (!whole) continue;  // its file could not be decoded again (out of memory): numbered next start
        Notebook n = std::move(*whole);
        n.issue = next;
        if (next < std::numeric_limits<int64_t>::max()) ++next;
        numbered.push_back(std::move(n));
    }
    for (const Notebook& n : numbered) save(n, true);
}

void Library::report(const LoadNote& note) const {
    if (!log_) return;
    std::ostream& out = *log_;
    if (note.skipped) {
        out << "nolby: skipped notebook file " << note.file;
        for (size_t i = 0; i < note.issues.size(); ++i) out << (i ? "; " : ": ") << note.issues[i];
        out << '\n';
        return;
    }
    for (const std::string& issue : note.issues) out << "nolby: repaired notebook file " << note.file << ": " << issue << '\n';
}

}  // namespace nolby
