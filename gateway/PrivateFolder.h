#pragma once
// The folder of the gateway's private files (its state and its secret): made 0700, with its
// parents, when it is missing; a folder that is there is left as it is (it may be one the
// operator chose).

#include <filesystem>
#include <optional>
#include <string>

namespace nolby::service {

// None when the folder is there now; else why it could not be made.
std::optional<std::string> makePrivateFolder(const std::filesystem::path& folder);

}  // namespace nolby::service
