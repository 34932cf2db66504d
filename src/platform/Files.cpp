#include "platform/Files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
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
    std::string bytes;
    bytes.resize(size_t(st.st_size));
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

}  // namespace nolby::Files
