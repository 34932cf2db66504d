#include "platform/FolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace nolby {

std::shared_ptr<FolderLock> FolderLock::take(const std::filesystem::path& folder) {
    const std::filesystem::path file = folder / fileName;
    // Read-only is enough to lock: a lock file already in a folder that has since become
    // read-only still guards it.
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::shared_ptr<FolderLock>(new FolderLock(folder, -1, State::absent));
    int r;
    do r = ::flock(fd, LOCK_EX | LOCK_NB);
    while (r != 0 && errno == EINTR);
    if (r == 0) return std::shared_ptr<FolderLock>(new FolderLock(folder, fd, State::held));
    const State state = errno == EWOULDBLOCK ? State::busy : State::absent;
    ::close(fd);
    return std::shared_ptr<FolderLock>(new FolderLock(folder, -1, state));
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);  // closing the last descriptor drops the lock
}

}  // namespace nolby
