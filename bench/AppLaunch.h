// What the benches that start the real app share: where it is and the private home it runs in.
#pragma once

#include "TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace nolby::bench {

// The nolby built beside this bench.
inline std::filesystem::path appBeside() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "nolby";
}

// A private home for the app under the temporary folder, removed when this goes: its data,
// settings and a runtime folder only its owner may enter (as the desktop's rules ask).
struct AppHome : TempFolder {
    explicit AppHome(const std::string& prefix) : TempFolder(prefix) {
        std::filesystem::create_directories(path / "data");
        std::filesystem::create_directories(path / "runtime");
        std::filesystem::permissions(path / "runtime", std::filesystem::perms::owner_all);
    }
    // The app's data folder in this home (what it makes of XDG_DATA_HOME).
    std::filesystem::path appData() const { return path / "data" / "app.nolby.Nolby"; }
};

// The apps started from now on keep their data, settings and runtime files under `home`, and
// find no gateway (an address nothing answers at). They run offscreen, or on the display the
// environment names when `keepDisplay` is set and there is one.
inline void homeForApp(const std::filesystem::path& home, bool keepDisplay) {
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home / "runtime").c_str(), 1);
    if (!keepDisplay || (!getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY"))) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("NOLBY_API", "http://127.0.0.1:9/", 1);
}

}  // namespace nolby::bench
