#pragma once
// The store's file writes: each notebook file has one slot holding the newest copy asked
// for. A background job encodes and writes whatever copy is newest when it runs and keeps
// going while newer ones arrive, so writes of one file never overlap and the file always
// ends with the latest copy, in whatever order the scheduler runs the jobs. A removed file
// stays removed: nothing writes it again, not even a write that was running at the time.
//
// A write that fails (a full disk, a read-only folder, a refused rename, a notebook too
// large to read back) keeps its copy waiting, unless a newer one has come, and is tried
// again: after a pause that doubles from firstRetry up to lastRetry, at once when the
// folder changes in a way that may let it succeed, and whenever retry() is called. The
// old file stays whole meanwhile. Each file's trouble, and its end, is told on the main
// thread through onTrouble.
//
// A file that loaded only after repairs has its original bytes kept beside it, once, as
// "<file name>.orig" before the first write replaces it; when they cannot be kept, the file
// is not replaced.

#include "notebook/Notebook.h"
#include "platform/Files.h"
#include "platform/Scheduler.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace nolby {

class NotebookWrites {
public:
    // Why a notebook's newest copy is not on the disk.
    struct Trouble {
        std::string reason;   // for the learner: "the disk is full"
        bool retried = true;  // false: the same copy can never be written (it is too large)
        bool operator==(const Trouble&) const = default;
    };

    // Seconds between automatic tries of a failing file: the first pause, doubled after each
    // failure up to the last.
    static constexpr double firstRetry = 1, lastRetry = 60;
    // A change of the folder tries a failing file at once, but never sooner than this after
    // its last try: its own failed tries change the folder too.
    static constexpr double folderRetryGap = 1;

    explicit NotebookWrites(std::shared_ptr<Scheduler> scheduler);

    // Main thread, told on the main thread: a notebook's file began failing or fails for
    // another reason (a trouble), or holds its latest copy again, or was removed (none).
    std::function<void(const Uuid& id, const std::optional<Trouble>& trouble)> onTrouble;

    // Main thread. Writes `copy` to `target` in the background (nothing once it is removed).
    void write(std::shared_ptr<const Notebook> copy, const std::filesystem::path& target);
    // Main thread. Removes `target` now, or as soon as the write running on it ends, and
    // ignores every later write of it.
    void remove(const std::filesystem::path& target);
    // Main thread. Bytes to keep as "<target>.orig" before the first write replaces them.
    void keepOriginal(const std::filesystem::path& target, std::shared_ptr<const std::string> bytes);
    // Main thread. Tries every failing file again now.
    void retry();
    // Main thread. The files' folder changed: a failing file is tried again soon when the
    // room on the disk or the folder's permissions changed since it failed.
    void folderChanged();
    // Main thread. Writes every copy still waiting for its job on this thread, and waits for
    // the writes running elsewhere; when it returns, every file holds its latest copy except
    // those returned, by notebook id, each with why it could not be written.
    std::map<Uuid, Trouble> flush();

    static std::filesystem::path originalFile(const std::filesystem::path& target) {
        return target.string() + ".orig";
    }

private:
    struct Slot;
    std::shared_ptr<Slot> slot(const std::filesystem::path& target);
    // Starts a background job that writes the slot's newest copy, then reports back.
    void start(const std::shared_ptr<Slot>& slot);
    // Writes until the slot holds its newest copy or a write fails; true when it tried.
    static bool run(Slot& slot);
    // Main thread, after a job tried: tells the trouble (or its end) and plans the next try.
    void settled(const std::shared_ptr<Slot>& slot);
    void retryIn(const std::shared_ptr<Slot>& slot, double seconds);

    std::shared_ptr<Scheduler> scheduler_;
    std::map<std::filesystem::path, std::shared_ptr<Slot>> slots_;
    // Jobs and timers report back only while this lives (checked on the main thread).
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace nolby
