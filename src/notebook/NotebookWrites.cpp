#include "notebook/NotebookWrites.h"

#include "notebook/NotebookFile.h"
#include "platform/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>

namespace nolby {

// Shared by the main thread and the background jobs; the fields above `told` under `mutex`,
// the rest the main thread's own.
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
    Uuid id;                                  // the notebook's, from its copies
    std::optional<Trouble> trouble;           // why the last try failed; none after a good one

    std::optional<Trouble> told;              // what onTrouble said last
    Timer retry;                              // the next automatic try
    double retryAt = 0;                       // when it falls due
    int failures = 0;                         // tries failed in a row
    double triedAt = 0;                       // when the last failed try was settled
    Files::FolderState failedIn;              // the folder as it was then
};

NotebookWrites::NotebookWrites(std::shared_ptr<Scheduler> scheduler) : scheduler_(std::move(scheduler)) {}

std::shared_ptr<NotebookWrites::Slot> NotebookWrites::slot(const std::filesystem::path& target) {
    auto& s = slots_[target];
    if (!s) s = std::make_shared<Slot>(target);
    return s;
}

void NotebookWrites::start(const std::shared_ptr<Slot>& s) {
    std::weak_ptr<char> alive = alive_;
    // The scheduler weakly: a job waiting in its queue must not keep it alive.
    std::weak_ptr<Scheduler> weakScheduler = scheduler_;
    scheduler_->background([this, s, alive, weakScheduler] {
        if (!run(*s)) return;
        // `this` is touched only on the main thread, and only while it lives.
        if (std::shared_ptr<Scheduler> scheduler = weakScheduler.lock())
            scheduler->post([this, s, alive] {
                if (alive.lock()) settled(s);
            });
    });
}

void NotebookWrites::write(std::shared_ptr<const Notebook> copy, const std::filesystem::path& target) {
    auto s = slot(target);
    {
        std::lock_guard lock(s->mutex);
        if (s->removed) return;
        s->id = copy->id;
        s->latest = std::move(copy);
        ++s->asked;
    }
    start(s);
}

void NotebookWrites::remove(const std::filesystem::path& target) {
    auto s = slot(target);
    {
        std::lock_guard lock(s->mutex);
        s->removed = true;
        s->latest.reset();
        s->trouble.reset();
        // A running write would put the file back after this removal: it removes it itself.
        if (!s->writing) {
            std::error_code ignored;
            std::filesystem::remove(target, ignored);
        }
    }
    s->retry.cancel();
    if (s->told) {
        s->told.reset();
        if (onTrouble) onTrouble(s->id, std::nullopt);
    }
}

void NotebookWrites::keepOriginal(const std::filesystem::path& target, std::shared_ptr<const std::string> bytes) {
    auto s = slot(target);
    std::lock_guard lock(s->mutex);
    s->original = std::move(bytes);
}

void NotebookWrites::retry() {
    for (auto& entry : slots_) {
        const auto& s = entry.second;
        if (!s->told) continue;
        s->retry.cancel();
        start(s);
    }
}

void NotebookWrites::folderChanged() {
    const double now = scheduler_->now();
    for (auto& entry : slots_) {
        const auto& s = entry.second;
        if (!s->told || !s->told->retried) continue;
        if (Files::folderState(s->target.parent_path()) == s->failedIn) continue;  // nothing that matters
        const double due = std::max(now, s->triedAt + folderRetryGap);
        if (s->retry.active() && s->retryAt <= due) continue;
        retryIn(s, due - now);
    }
}

void NotebookWrites::retryIn(const std::shared_ptr<Slot>& s, double seconds) {
    s->retry.cancel();
    s->retryAt = scheduler_->now() + seconds;
    std::weak_ptr<char> alive = alive_;
    s->retry = scheduler_->after(seconds, [this, s, alive] {
        if (alive.lock()) start(s);
    });
}

void NotebookWrites::settled(const std::shared_ptr<Slot>& s) {
    std::optional<Trouble> trouble;
    {
        std::lock_guard lock(s->mutex);
        if (!s->removed) trouble = s->trouble;
    }
    if (trouble) {
        s->triedAt = scheduler_->now();
        s->failedIn = Files::folderState(s->target.parent_path());
        if (trouble->retried)
            retryIn(s, std::min(lastRetry, std::ldexp(firstRetry, std::min(s->failures, 16))));
        else
            s->retry.cancel();  // only a newer copy (or retry()) can help
        ++s->failures;
    } else {
        s->failures = 0;
        s->retry.cancel();
    }
    if (trouble != s->told) {
        s->told = trouble;
        if (onTrouble) onTrouble(s->id, trouble);
    }
}

std::map<Uuid, NotebookWrites::Trouble> NotebookWrites::flush() {
    std::map<Uuid, Trouble> failing;
    for (auto& entry : slots_) {
        const auto& s = entry.second;
        const bool tried = run(*s);  // writes here what no job has taken yet, and tries failing files once more
        {
            std::unique_lock lock(s->mutex);
            s->idle.wait(lock, [&] { return !s->writing; });
        }
        if (tried) settled(s);
        std::lock_guard lock(s->mutex);
        if (s->trouble && !s->removed) failing[s->id] = *s->trouble;
    }
    return failing;
}

namespace {

// The first original stays: a later repair of a rewritten file must not replace it.
std::error_code keep(const std::filesystem::path& target, const std::string& bytes) {
    std::error_code ec;
    const auto orig = NotebookWrites::originalFile(target);
    if (std::filesystem::exists(orig, ec)) return {};
    if (ec) return ec;
    return AtomicFile::tryWrite(orig, bytes);
}

// Writes one copy; why it could not, or none.
std::optional<NotebookWrites::Trouble> attempt(const std::filesystem::path& target, const Notebook& copy,
                                               const std::string* original) {
    const std::string bytes = NotebookFile::encode(copy);
    // A file the next start could not read back would lose the notebook there: never written.
    if (auto why = NotebookFile::unreadable(copy, bytes.size())) return NotebookWrites::Trouble{*why, false};
    if (original)
        if (std::error_code e = keep(target, *original)) return NotebookWrites::Trouble{Files::problem(e)};
    std::error_code e = AtomicFile::tryWrite(target, bytes);
    if (e == std::errc::no_such_file_or_directory) {
        // Its folder was removed under the running app: made again, so the notebook lands.
        std::error_code made;
        std::filesystem::create_directories(target.parent_path(), made);
        if (!made) e = AtomicFile::tryWrite(target, bytes);
    }
    if (e) return NotebookWrites::Trouble{Files::problem(e)};
    return std::nullopt;
}

}  // namespace

bool NotebookWrites::run(Slot& s) {
    std::unique_lock lock(s.mutex);
    // The running writer takes the newest copy too.
    if (s.writing || s.removed || s.written >= s.asked) return false;
    s.writing = true;
    while (!s.removed && s.written < s.asked) {
        const uint64_t seq = s.asked;
        std::shared_ptr<const Notebook> copy = std::move(s.latest);
        std::shared_ptr<const std::string> original = s.original;
        lock.unlock();
        std::optional<Trouble> trouble = attempt(s.target, *copy, original.get());
        lock.lock();
        s.trouble = trouble;
        if (!trouble) {
            if (s.original == original) s.original.reset();
            s.written = seq;
            continue;
        }
        // The old file is whole; this copy waits for the next try, unless a newer one came.
        if (!s.latest) s.latest = std::move(copy);
        if (s.asked == seq) break;  // a newer copy, which came meanwhile, is tried at once
    }
    s.writing = false;
    if (s.removed) {
        std::error_code ignored;
        std::filesystem::remove(s.target, ignored);
    }
    s.idle.notify_all();
    return true;
}

}  // namespace nolby
