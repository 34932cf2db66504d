#pragma once
// Reading whole files and listing folders, with failures as empty results rather than
// exceptions: the callers skip what they cannot read and carry on.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace nolby::Files {

// The whole content of a regular file; nothing when it is missing, not a regular file or
// cannot be read to the end.
std::optional<std::string> read(const std::filesystem::path& file);

// The names of the folder's entries (hidden ones included, no recursion), sorted by their
// bytes, so every run and every machine sees them in one order. Empty when the folder
// cannot be listed.
std::vector<std::string> names(const std::filesystem::path& folder);

}  // namespace nolby::Files
