#include "platform/Files.h"

#include <cerrno>
#include <fcntl.h>
#include <cstring>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>

namespace nolby::Files {

std::optional<std::string> read(const std::filesystem::path& file) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    // One byte more than fstat's size, so the read that finds the end needs no larger buffer:
    // a file that kept its size costs one allocation, never a doubled and copied one.
    std::string bytes;
    bytes.resize(size_t(st.st_size) + 1);
    size_t done = 0;
    for (;;) {
        // The file may have grown since fstat: read until the end, whatever its size.
        if (done == bytes.size()) bytes.resize(std::max<size_t>(bytes.size() * 2, 4096));
        ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        done += size_t(n);
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

std::vector<std::string> names(const std::filesystem::path& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) out.push_back(it->path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

FolderState folderState(const std::filesystem::path& folder) {
    FolderState state;
    struct stat st{};
    if (::stat(folder.c_str(), &st) != 0) return state;
    state.exists = true;
    state.mode = st.st_mode;
    state.owner = st.st_uid;
    state.group = st.st_gid;
    struct statvfs vfs{};
    if (::statvfs(folder.c_str(), &vfs) == 0) {
        state.readOnly = (vfs.f_flag & ST_RDONLY) != 0;
        state.freeBytes = uint64_t(vfs.f_bavail) * vfs.f_frsize;
        state.freeFiles = vfs.f_favail;
    }
    return state;
}

std::string problem(const std::error_code& error) {
    if (error.category() == std::system_category() || error.category() == std::generic_category()) {
        switch (error.value()) {
        case ENOSPC:
        case EDQUOT:
            return "the disk is full";
        case EROFS:
            return "the disk is read-only";
        case EACCES:
        case EPERM:
            return "its folder may not be written to";
        case ENOENT:
        case ENOTDIR:
            return "its folder is missing";
        case EIO:
            return "the disk reported an error";
        case EFBIG:
            return "the file is too large for the disk";
        default:
            // The system's own description, which (unlike strerror) never follows the locale.
            if (const char* text = ::strerrordesc_np(error.value())) {
                std::string s = text;
                if (!s.empty() && s[0] >= 'A' && s[0] <= 'Z' && !(s.size() > 1 && s[1] >= 'A' && s[1] <= 'Z'))
                    s[0] = char(s[0] - 'A' + 'a');
                return s;
            }
        }
    }
    return "error " + std::to_string(error.value());
}

}  // namespace nolby::Files
