#include "PrivateFolder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace nolby::service {

std::optional<std::string> makePrivateFolder(const std::filesystem::path& folder) {
    std::error_code ignored;
    if (folder.empty() || std::filesystem::exists(folder, ignored)) return std::nullopt;
    std::filesystem::create_directories(folder.parent_path(), ignored);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return "cannot make the folder " + folder.string() + ": " + std::strerror(errno);
    return std::nullopt;
}

}  // namespace nolby::service
