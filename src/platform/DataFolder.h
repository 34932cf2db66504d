#pragma once
// The data folder under which notebooks, sketches and covers live.
//
// The per-user data folder ($XDG_DATA_HOME, else ~/.local/share) plays the part of the
// application-support folder. A sandboxed process (APP_SANDBOX_CONTAINER_ID present, any
// value) already has a folder of its own there; otherwise ours is a subfolder named by the
// application identifier.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace nolby::Platform {

// Names the subfolder when the process is not sandboxed.
inline constexpr const char* applicationIdentifier = "app.nolby.Nolby";

// The environment values the data folder depends on; nullopt means "not set".
struct Environment {
    std::optional<std::string> xdgDataHome;
    std::optional<std::string> home;  // $HOME, or the home folder of the user database
    std::optional<std::string> sandboxContainerId;
};

struct DataFolder {
    std::filesystem::path path;
    bool create = false;  // whether the folder (and its parents) should be made
    bool operator==(const DataFolder&) const = default;
};

// Whether a folder taken from the environment can be used: set, and absolute (a relative one
// would move with the working folder).
bool isUsableFolder(const std::optional<std::string>& dir);

// Where the data folder is for these environment values; touches nothing.
DataFolder dataFolder(const Environment& env);

// This process's environment (HOME falls back to the user database).
Environment processEnvironment();

// The data folder of this process: computed on first use (making it when needed, a
// failure ignored) and then fixed.
const std::filesystem::path& support();

// Whether a name read from a file names one file inside a folder and nothing else: not
// empty, not "." or "..", without "/" (so neither absolute nor reaching into another
// folder) and without a NUL byte (which would cut the name short).
bool isPlainFileName(std::string_view name);

}  // namespace nolby::Platform
