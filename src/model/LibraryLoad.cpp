// Loading the store: leftovers of interrupted writes removed, every notebook file read and
// decoded, damaged files reported, unnumbered issues numbered.
#include "model/Library.h"

#include "model/NotebookFile.h"
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
    std::vector<Notebook> list;
    for (const std::string& name : Files::names(dir)) {
        const std::filesystem::path file = dir / name;
        if (file.extension() != ".json") continue;
        std::optional<std::string> bytes = Files::read(file);
        if (!bytes) {
            loadNotes_.push_back({name, true, {"cannot be read"}});
            continue;
        }
        NotebookFile::Decoded decoded = NotebookFile::decode(*bytes);
        if (!decoded.notebook) {
            loadNotes_.push_back({name, true, std::move(decoded.issues)});
            continue;
        }
        if (!decoded.issues.empty()) {
            // Keep what the reader did not understand until it is safely beside the file.
            if (owner()) writes_.keepOriginal(file, std::make_shared<const std::string>(std::move(*bytes)));
            loadNotes_.push_back({name, false, std::move(decoded.issues)});
        }
        list.push_back(std::move(*decoded.notebook));
    }
    for (const LoadNote& note : loadNotes_) report(note);

    std::stable_sort(list.begin(), list.end(), [](const Notebook& a, const Notebook& b) { return a.updated > b.updated; });
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
    const std::vector<Notebook>& list = notebooks.get();
    // Oldest first by creation; indices, so the notebooks themselves are not copied.
    std::vector<size_t> order(list.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return list[a].created < list[b].created; });
    std::vector<Notebook> numbered;
    for (size_t i : order) {
        if (list[i].issue || list[i].parent) continue;
        Notebook n = list[i];
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
