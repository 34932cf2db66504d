// What the benches that start the real app share: where it is and the private home it runs in.
#pragma once

#include <cstdlib>
#include <filesystem>

namespace nolby::bench {

// The nolby built beside this bench.
inline std::filesystem::path appBeside() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "nolby";
}

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
