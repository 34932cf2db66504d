#pragma once
// The store's file writes: each notebook file has one slot holding the newest copy asked
// for. A background job encodes and writes whatever copy is newest when it runs and keeps
// going while newer ones arrive, so writes of one file never overlap and the file always
// ends with the latest copy, in whatever order the scheduler runs the jobs. A removed file
// stays removed: nothing writes it again, not even a write that was running at the time.
//
// A file that loaded only after repairs has its original bytes kept beside it, once, as
// "<file name>.orig" before the first write replaces it; when they cannot be kept, the file
// is not replaced.

#include "model/Notebook.h"
#include "platform/Scheduler.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace nolby {

class NotebookWrites {
public:
    explicit NotebookWrites(std::shared_ptr<Scheduler> scheduler);

    // Main thread. Writes `copy` to `target` in the background (nothing once it is removed).
    void write(std::shared_ptr<const Notebook> copy, const std::filesystem::path& target);
    // Main thread. Removes `target` now, or as soon as the write running on it ends, and
    // ignores every later write of it.
    void remove(const std::filesystem::path& target);
    // Main thread. Bytes to keep as "<target>.orig" before the first write replaces them.
    void keepOriginal(const std::filesystem::path& target, std::shared_ptr<const std::string> bytes);
    // Main thread. Writes every copy still waiting for its job on this thread, and waits for
    // the writes running elsewhere; when it returns, every file holds its latest copy.
    void flush();

    static std::filesystem::path originalFile(const std::filesystem::path& target) {
        return target.string() + ".orig";
    }

private:
    struct Slot;
    std::shared_ptr<Slot> slot(const std::filesystem::path& target);
    static void run(const std::shared_ptr<Slot>& slot);

    std::shared_ptr<Scheduler> scheduler_;
    std::map<std::filesystem::path, std::shared_ptr<Slot>> slots_;
};

}  // namespace nolby
