#pragma once
// The per-user configuration folder of the program, where small private files live (the
// gateway's session token, settings): $XDG_CONFIG_HOME (when it is an absolute path), else
// ~/.config, and in it the folder "nolby".

#include <filesystem>
#include <optional>
#include <string>

namespace nolby::Platform {

// The folder for these environment values; touches nothing.
std::filesystem::path configFolder(const std::optional<std::string>& xdgConfigHome,
                                   const std::optional<std::string>& home);

// The folder of this process, read from its environment at each call (nothing is made).
std::filesystem::path configFolder();

}  // namespace nolby::Platform
