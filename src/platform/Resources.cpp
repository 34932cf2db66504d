#include "platform/Resources.h"

#include <cstdlib>

namespace nolby::resources {

std::filesystem::path folder() {
    if (const char* env = std::getenv("NOLBY_RESOURCES"); env && *env) return std::filesystem::path(env);
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::path("resources");
    return exe.parent_path().parent_path() / "resources";
}

}  // namespace nolby::resources
