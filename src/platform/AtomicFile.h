#pragma once
// Whole-file writes that never leave a half-written file: the bytes go to a temporary file in
// the same folder, are flushed to the disk, and the temporary file is renamed over the target.
// A reader sees either the old content or the new, never a mix.

#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>

namespace nolby {

struct AtomicFile {
    // True when the target now holds exactly `bytes`. On failure the target keeps its old
    // content and no temporary file is left behind. `mode` is the new file's permission
    // bits (less the umask); a secret is never readable by others, not even for a moment.
    static bool write(const std::filesystem::path& target, std::string_view bytes, unsigned mode = 0644);
    // The same, saying why a write failed (the system's error); an empty code when the
    // target holds `bytes`.
    static std::error_code tryWrite(const std::filesystem::path& target, std::string_view bytes, unsigned mode = 0644);
    // The same for a file that must not exist yet: when the target is there (or appears
    // while the bytes are written, from another process), it is left as it is and the
    // error is EEXIST.
    static std::error_code tryCreate(const std::filesystem::path& target, std::string_view bytes, unsigned mode = 0644);

    // Whether a file name is the temporary of a write that never finished (a crash between
    // creating it and the rename); such files are safe to remove once no write runs.
    static bool isTemporary(std::string_view fileName);

    // The steps of a write, for tests that stop one part-way (a crash, a race): before
    // anything, after creating the temporary, after writing it, after flushing it to the
    // disk, after closing it, after the rename, and at the end.
    enum class Step { begin, opened, written, synced, closed, renamed, finished };
    using StepHook = std::function<void(Step step, const std::filesystem::path& target)>;
    // Called on the writing thread at every step of every write. Tests only; set it while
    // no write runs.
    static void setStepHook(StepHook hook);

    // A file system that fails, for tests: asked before each system call of a write with
    // the step that call would reach (opened: creating the temporary, written, synced,
    // closed, renamed), it returns 0 to let the call run or an errno (ENOSPC, EROFS, EACCES,
    // ...) to make it fail as the system would. May be set or cleared while writes run.
    using FaultHook = std::function<int(Step step, const std::filesystem::path& target)>;
    static void setFaultHook(FaultHook hook);

private:
    static std::error_code put(const std::filesystem::path& target, std::string_view bytes, unsigned mode, bool replace);
};

}  // namespace nolby
