#include "platform/AtomicFile.h"

#include "platform/Uuid.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nolby {

namespace {

bool writeAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Makes the rename itself durable; a folder that cannot be synced is not a failed write.
void syncFolder(const std::filesystem::path& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

AtomicFile::StepHook& stepHook() {
    static AtomicFile::StepHook hook;
    return hook;
}

void step(AtomicFile::Step s, const std::filesystem::path& target) {
    if (stepHook()) stepHook()(s, target);
}

constexpr std::string_view tempSuffix = ".tmp";

}  // namespace

void AtomicFile::setStepHook(StepHook hook) { stepHook() = std::move(hook); }

// "." + the target's name + "." + a UUID + ".tmp", as write() makes them.
bool AtomicFile::isTemporary(std::string_view name) {
    constexpr size_t uuidLength = 36;
    if (name.size() < 1 + 1 + uuidLength + tempSuffix.size() + 1 || name.front() != '.' ||
        !name.ends_with(tempSuffix))
        return false;
    std::string_view rest = name.substr(0, name.size() - tempSuffix.size());
    return rest[rest.size() - uuidLength - 1] == '.' && Uuid::parse(rest.substr(rest.size() - uuidLength)).has_value();
}

bool AtomicFile::write(const std::filesystem::path& target, std::string_view bytes, unsigned mode) {
    std::filesystem::path folder = target.parent_path();
    // A unique hidden name per write, so two writes of one file never share a temporary.
    std::filesystem::path temp =
        folder / ("." + target.filename().string() + "." + Uuid::random().string() + std::string(tempSuffix));
    step(Step::begin, target);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0) return false;
    step(Step::opened, target);
    bool ok = writeAll(fd, bytes);
    step(Step::written, target);
    ok = ok && ::fsync(fd) == 0;
    step(Step::synced, target);
    ok = (::close(fd) == 0) && ok;
    step(Step::closed, target);
    if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    step(Step::renamed, target);
    syncFolder(folder);
    step(Step::finished, target);
    return true;
}

}  // namespace nolby
