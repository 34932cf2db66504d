// The store's list and its changes: lookups, create, save with its debounce, delete, sort.
#include "library/Library.h"

#include "ink/Ink.h"
#include "notebook/NotebookFile.h"
#include "platform/DataFolder.h"

#include <algorithm>
#include <iostream>
#include <limits>
#include <random>
#include <stdexcept>
#include <system_error>

namespace nolby {

namespace {

std::shared_ptr<Scheduler>& sharedScheduler() {
    static std::shared_ptr<Scheduler> scheduler;
    return scheduler;
}

std::shared_ptr<FolderLock>& sharedLock() {
    static std::shared_ptr<FolderLock> lock;
    return lock;
}

}  // namespace

Library::Library(const std::filesystem::path& dataFolder, std::shared_ptr<Scheduler> scheduler,
                 std::shared_ptr<Press> press, std::ostream* log, std::shared_ptr<FolderLock> lock)
    : dir(dataFolder / "Notebooks"),
      sketches(dataFolder / "Sketches"),
      scheduler_(std::move(scheduler)),
      lock_(std::move(lock)),
      press_(press ? std::move(press) : Press::make(dataFolder, scheduler_, nullptr)),
      log_(log),
      writes_(scheduler_) {
    writes_.onTrouble = [this](const Uuid& id, const std::optional<NotebookWrites::Trouble>& trouble) {
        auto now = unsaved.get();
        if (trouble)
            now[id] = trouble->reason;
        else
            now.erase(id);
        unsaved.set(std::move(now));
    };
    // The first observer: counts every telling of a change, so a save in place is told as
    // one only to the observers of its own telling (a change made while they are called
    // is told as any other, to them and to those called after).
    toldWatch_ = notebooks.observe([this] { ++told_; });
}

std::shared_ptr<Library> Library::make(const std::filesystem::path& dataFolder, std::shared_ptr<Scheduler> scheduler,
                                       std::shared_ptr<Press> press, std::ostream* log,
                                       std::shared_ptr<FolderLock> lock) {
    std::error_code ignored;
    std::filesystem::create_directories(dataFolder / "Notebooks", ignored);
    std::filesystem::create_directories(dataFolder / "Sketches", ignored);
    if (!lock) lock = FolderLock::take(dataFolder);
    std::shared_ptr<Library> library(
        new Library(dataFolder, std::move(scheduler), std::move(press), log, std::move(lock)));
    if (library->owner()) library->clearTemporaries(dataFolder);
    library->load();
    return library;
}

void Library::configure(std::shared_ptr<Scheduler> scheduler, std::shared_ptr<FolderLock> lock) {
    sharedScheduler() = std::move(scheduler);
    sharedLock() = std::move(lock);
}

const std::shared_ptr<Library>& Library::shared() {
    static const std::shared_ptr<Library> library = [] {
        if (!sharedScheduler()) throw std::logic_error("Library::shared() needs Library::configure() first");
        return make(Platform::support(), sharedScheduler(), Press::shared(), defaultLog(), sharedLock());
    }();
    return library;
}

std::string Library::unsavedText(const std::string& title, const std::string& reason, size_t others) {
    std::string what = "\u201C" + title + "\u201D";
    if (others) what += " and " + std::to_string(others) + (others == 1 ? " other notebook" : " other notebooks");
    return "Couldn't save " + what + ": " + reason + ". Your writing is kept open; saving again\u2026";
}

void Library::retrySaves() { writes_.retry(); }

void Library::folderChanged() { writes_.folderChanged(); }

void Library::write(std::shared_ptr<const Notebook> copy) {
    if (!owner()) return;  // another process holds the folder: this store only reads it
    const Uuid id = copy->id;
    writes_.write(std::move(copy), fileOf(id));
}

std::ostream* Library::defaultLog() { return &std::cerr; }

std::filesystem::path Library::fileOf(const Uuid& id) const { return dir / NotebookFile::fileName(id); }

std::optional<Notebook> Library::notebook(const Uuid& id) const {
    for (const NotebookHead& n : notebooks.get())
        if (n.id == id) return whole(n);
    return std::nullopt;
}

std::optional<Notebook> Library::whole(const NotebookHead& head) {
    if (!head.body) return std::nullopt;
    if (head.body->whole) return *head.body->whole;
    if (!head.body->file) return std::nullopt;
    // A clean file (kept only when it decoded without repairs) decodes to the same notebook
    // every time.
    return NotebookFile::decode(*head.body->file).notebook;
}

std::optional<NotebookHead> Library::head(const Uuid& id) const {
    for (const NotebookHead& n : notebooks.get())
        if (n.id == id) return n;
    return std::nullopt;
}

std::vector<NotebookHead> Library::issues() const {
    std::vector<NotebookHead> out;
    for (const NotebookHead& n : notebooks.get())
        if (!n.parent) out.push_back(n);
    return out;
}

size_t Library::issueCount() const {
    return size_t(std::count_if(notebooks->begin(), notebooks->end(), [](const NotebookHead& n) { return !n.parent; }));
}

std::vector<NotebookHead> Library::dives(const Uuid& from) const {
    std::vector<NotebookHead> out;
    for (const NotebookHead& n : notebooks.get())
        if (n.parent == from) out.push_back(n);
    return out;
}

int64_t Library::nextIssue() const {
    int64_t highest = 0;
    for (const NotebookHead& n : notebooks.get())
        if (n.issue) highest = std::max(highest, *n.issue);
    // A file claiming the largest number must not make the next one overflow.
    return highest == std::numeric_limits<int64_t>::max() ? highest : highest + 1;
}

Notebook Library::create(double pageH, double pageW) {
    Notebook n;
    n.pageH = pageH;
    n.pageW = pageW;
    const auto& names = Ink::names();
    std::random_device random;
    n.color = names[std::uniform_int_distribution<size_t>(0, names.size() - 1)(random)];
    n.issue = nextIssue();
    save(n, true);  // not in the list yet: goes first
    return n;
}

std::shared_ptr<const Notebook> Library::put(const Notebook& notebook) {
    auto whole = std::make_shared<const Notebook>(notebook);
    NotebookHead head(*whole);
    head.body = std::make_shared<const NotebookBody>(NotebookBody{whole, nullptr});
    notebooks.modify([&](std::vector<NotebookHead>& list) {
        auto it = std::find_if(list.begin(), list.end(), [&](const NotebookHead& n) { return n.id == notebook.id; });
        if (it != list.end()) {
            // Told to the observers as a save in place while they are called (a change of
            // its parent or number changes counts, so it is told as any other change).
            if (it->parent == head.parent && it->issue == head.issue)
                savedInPlace_ = SavedInPlace{notebook.id, size_t(it - list.begin()), told_ + 1};
            *it = std::move(head);
        } else {
            list.insert(list.begin(), std::move(head));
        }
    });
    savedInPlace_.reset();
    return whole;
}

void Library::cancelPending(const Uuid& id) {
    auto it = pending_.find(id);
    if (it == pending_.end()) return;
    it->second.timer.cancel();
    it->second.copy.reset();
}

void Library::save(const Notebook& notebook, bool now) {
    const Uuid id = notebook.id;
    if (deleted_.count(id)) return;  // a late save must not bring a deleted notebook back
    // The list and the write share one copy: it never changes once made.
    std::shared_ptr<const Notebook> copy = put(notebook);
    cancelPending(id);
    if (now) {
        write(std::move(copy));
        return;
    }
    Pending& p = pending_[id];
    p.copy = std::move(copy);
    p.ticket = ++tickets_;
    // The timer holds no copy: a cancelled one, however long the scheduler keeps it, keeps
    // no notebook alive.
    std::weak_ptr<Library> weak = weak_from_this();
    p.timer = scheduler_->after(debounce, [weak, id, ticket = p.ticket] {
        if (auto self = weak.lock()) self->debounced(id, ticket);
    });
}

void Library::debounced(const Uuid& id, uint64_t ticket) {
    auto it = pending_.find(id);
    if (it == pending_.end() || it->second.ticket != ticket || !it->second.copy) return;  // replaced or cancelled
    write(std::move(it->second.copy));
    it->second.copy.reset();
}

void Library::remove(const Uuid& id) {
    std::set<Uuid> visiting;
    removeChain(id, visiting);
}

void Library::removeChain(const Uuid& id, std::set<Uuid>& visiting) {
    // A damaged file can make a notebook its own ancestor; each id is deleted once.
    if (!visiting.insert(id).second) return;
    std::vector<Uuid> children;
    for (const NotebookHead& n : notebooks.get())
        if (n.parent == id) children.push_back(n.id);
    for (const Uuid& child : children) removeChain(child, visiting);

    deleted_.insert(id);
    cancelPending(id);
    notebooks.modify([&](std::vector<NotebookHead>& list) {
        std::erase_if(list, [&](const NotebookHead& n) { return n.id == id; });
    });
    if (!owner()) return;
    writes_.remove(fileOf(id));
    press_->forget(id);
}

void Library::sortByRecent() {
    notebooks.modify([](std::vector<NotebookHead>& list) {
        std::stable_sort(list.begin(), list.end(),
                         [](const NotebookHead& a, const NotebookHead& b) { return a.updated > b.updated; });
    });
}

std::map<Uuid, std::string> Library::flush() {
    for (auto& [id, p] : pending_) {
        if (!p.copy) continue;
        p.timer.cancel();
        write(std::move(p.copy));
        p.copy.reset();
    }
    std::map<Uuid, std::string> failing;
    for (const auto& [id, trouble] : writes_.flush()) failing[id] = trouble.reason;
    return failing;
}

}  // namespace nolby
