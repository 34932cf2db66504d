#include "platform/ConfigFolder.h"

#include "platform/DataFolder.h"

#include <cstdlib>

namespace nolby::Platform {

std::filesystem::path configFolder(const std::optional<std::string>& xdgConfigHome,
                                   const std::optional<std::string>& home) {
    if (isUsableFolder(xdgConfigHome)) return std::filesystem::path(*xdgConfigHome) / "nolby";
    std::filesystem::path base = isUsableFolder(home) ? std::filesystem::path(*home) : std::filesystem::path("/tmp");
    return base / ".config" / "nolby";
}

std::filesystem::path configFolder() {
    std::optional<std::string> xdg;
    if (const char* v = std::getenv("XDG_CONFIG_HOME")) xdg = std::string(v);
    return configFolder(xdg, processEnvironment().home);
}

}  // namespace nolby::Platform
