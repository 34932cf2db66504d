#include "platform/ConfigFolder.h"

#include "platform/DataFolder.h"

#include <cstdlib>

namespace nolby::Platform {

namespace {

// Relative values would move with the working folder: they do not count.
bool usable(const std::optional<std::string>& dir) { return dir && !dir->empty() && (*dir)[0] == '/'; }

}  // namespace

std::filesystem::path configFolder(const std::optional<std::string>& xdgConfigHome,
                                   const std::optional<std::string>& home) {
    if (usable(xdgConfigHome)) return std::filesystem::path(*xdgConfigHome) / "nolby";
    std::filesystem::path base = usable(home) ? std::filesystem::path(*home) : std::filesystem::path("/tmp");
    return base / ".config" / "nolby";
}

std::filesystem::path configFolder() {
    std::optional<std::string> xdg;
    if (const char* v = std::getenv("XDG_CONFIG_HOME")) xdg = std::string(v);
    return configFolder(xdg, processEnvironment().home);
}

}  // namespace nolby::Platform
