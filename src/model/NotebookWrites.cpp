#include "model/NotebookWrites.h"

#include "model/NotebookFile.h"
#include "platform/AtomicFile.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>

namespace nolby {

// Shared by the main thread and the background jobs; every field under `mutex`.
struct NotebookWrites::Slot {
    explicit Slot(std::filesystem::path t) : target(std::move(t)) {}
    const std::filesystem::path target;
    std::mutex mutex;
    std::condition_variable idle;             // told when `writing` goes false
    std::shared_ptr<const Notebook> latest;   // the newest copy not yet written
    uint64_t asked = 0, written = 0;          // sequence numbers of copies
    bool writing = false;                     // a job (or flush) is writing this file
    bool removed = false;
    std::shared_ptr<const std::string> original;  // to keep before the first replacement
};

NotebookWrites::NotebookWrites(std::shared_ptr<Scheduler> scheduler) : scheduler_(std::move(scheduler)) {}

std::shared_ptr<NotebookWrites::Slot> NotebookWrites::slot(const std::filesystem::path& target) {
    auto& s = slots_[target];
    if (!s) s = std::make_shared<Slot>(target);
    return s;
}

void NotebookWrites::write(std::shared_ptr<const Notebook> copy, const std::filesystem::path& target) {
    auto s = slot(target);
    {
        std::lock_guard lock(s->mutex);
        if (s->removed) return;
        s->latest = std::move(copy);
        ++s->asked;
    }
    scheduler_->background([s] { run(s); });
}

void NotebookWrites::remove(const std::filesystem::path& target) {
    auto s = slot(target);
    std::lock_guard lock(s->mutex);
    s->removed = true;
    s->latest.reset();
    // A running write would put the file back after this removal: it removes it itself.
    if (s->writing) return;
    std::error_code ignored;
    std::filesystem::remove(target, ignored);
}

void NotebookWrites::keepOriginal(const std::filesystem::path& target, std::shared_ptr<const std::string> bytes) {
    auto s = slot(target);
    std::lock_guard lock(s->mutex);
    s->original = std::move(bytes);
}

void NotebookWrites::flush() {
    for (auto& entry : slots_) {
        const auto& slot = entry.second;
        run(slot);  // writes here what no job has taken yet
        std::unique_lock lock(slot->mutex);
        slot->idle.wait(lock, [&] { return !slot->writing; });
    }
}

namespace {

// The first original stays: a later repair of a rewritten file must not replace it.
bool keep(const std::filesystem::path& target, const std::string& bytes) {
    std::error_code ec;
    const auto orig = NotebookWrites::originalFile(target);
    if (std::filesystem::exists(orig, ec)) return true;
    return !ec && AtomicFile::write(orig, bytes);
}

}  // namespace

void NotebookWrites::run(const std::shared_ptr<Slot>& s) {
    std::unique_lock lock(s->mutex);
    if (s->writing || s->removed) return;  // the running writer takes the newest copy too
    s->writing = true;
    while (!s->removed && s->written < s->asked) {
        const uint64_t seq = s->asked;
        std::shared_ptr<const Notebook> copy = std::move(s->latest);
        std::shared_ptr<const std::string> original = s->original;
        lock.unlock();
        const bool kept = !original || keep(s->target, *original);
        // Failures are ignored: the file keeps its old content and a later save tries again.
        if (kept) AtomicFile::write(s->target, NotebookFile::encode(*copy));
        lock.lock();
        if (kept && s->original == original) s->original.reset();
        s->written = seq;
    }
    s->writing = false;
    if (s->removed) {
        std::error_code ignored;
        std::filesystem::remove(s->target, ignored);
    }
    s->idle.notify_all();
}

}  // namespace nolby
