#pragma once
// Reading whole files and listing folders, with failures as empty results rather than
// exceptions: the callers skip what they cannot read and carry on.

#include <filesystem>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace nolby::Files {

// The whole content of a regular file; nothing when it is missing, not a regular file or
// cannot be read to the end.
std::optional<std::string> read(const std::filesystem::path& file);

// The names of the folder's entries (hidden ones included, no recursion), sorted by their
// bytes, so every run and every machine sees them in one order. Empty when the folder
// cannot be listed.
std::vector<std::string> names(const std::filesystem::path& folder);

// What decides whether files can be written into a folder: the room left on its disk,
// whether the disk is mounted read-only, and the folder's owner and permissions. Two states
// differ when something that may let a failed write succeed has changed.
struct FolderState {
    bool exists = false;
    bool readOnly = false;
    uint64_t freeBytes = 0, freeFiles = 0;
    uint32_t mode = 0, owner = 0, group = 0;
    bool operator==(const FolderState&) const = default;
};
FolderState folderState(const std::filesystem::path& folder);

// Why a file could not be written, for the learner: "the disk is full", "the folder is
// read-only", ... Plain English whatever the locale.
std::string problem(const std::error_code& error);

}  // namespace nolby::Files
