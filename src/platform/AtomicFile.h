#pragma once
// Whole-file writes that never leave a half-written file: the bytes go to a temporary file in
// the same folder, are flushed to the disk, and the temporary file is renamed over the target.
// A reader sees either the old content or the new, never a mix.

#include <filesystem>
#include <string_view>

namespace nolby {

struct AtomicFile {
    // True when the target now holds exactly `bytes`. On failure the target keeps its old
    // content and no temporary file is left behind.
    static bool write(const std::filesystem::path& target, std::string_view bytes);
};

}  // namespace nolby
