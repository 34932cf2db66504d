#include "platform/AtomicFile.h"

#include "platform/Uuid.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <mutex>
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

// The fault hook is swapped under a lock and called on a copy, so a test may change it while
// the store's writes run on other threads.
std::mutex faultMutex;
std::shared_ptr<const AtomicFile::FaultHook> faultHook;

// The errno a test's file system gives the call that reaches `s`; 0 to make the call.
int fault(AtomicFile::Step s, const std::filesystem::path& target) {
    std::shared_ptr<const AtomicFile::FaultHook> hook;
    {
        std::lock_guard lock(faultMutex);
        hook = faultHook;
    }
    return hook ? (*hook)(s, target) : 0;
}

// Runs a system call unless the test's file system fails it; errno holds why it failed.
template <class Call>
bool call(AtomicFile::Step s, const std::filesystem::path& target, Call&& run) {
    if (int e = fault(s, target)) {
        errno = e;
        return false;
    }
    return run();
}

constexpr std::string_view tempSuffix = ".tmp";

}  // namespace

void AtomicFile::setStepHook(StepHook hook) { stepHook() = std::move(hook); }

void AtomicFile::setFaultHook(FaultHook hook) {
    auto shared = hook ? std::make_shared<const FaultHook>(std::move(hook)) : nullptr;
    std::lock_guard lock(faultMutex);
    faultHook = std::move(shared);
}

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
    return !tryWrite(target, bytes, mode);
}

std::error_code AtomicFile::tryWrite(const std::filesystem::path& target, std::string_view bytes, unsigned mode) {
    return put(target, bytes, mode, true);
}

std::error_code AtomicFile::tryCreate(const std::filesystem::path& target, std::string_view bytes, unsigned mode) {
    return put(target, bytes, mode, false);
}

std::error_code AtomicFile::put(const std::filesystem::path& target, std::string_view bytes, unsigned mode, bool replace) {
    std::filesystem::path folder = target.parent_path();
    // A unique hidden name per write, so two writes of one file never share a temporary.
    std::filesystem::path temp =
        folder / ("." + target.filename().string() + "." + Uuid::random().string() + std::string(tempSuffix));
    auto failed = [] { return std::error_code(errno ? errno : EIO, std::system_category()); };
    step(Step::begin, target);
    int fd = -1;
    if (!call(Step::opened, target, [&] {
            fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
            return fd >= 0;
        }))
        return failed();
    step(Step::opened, target);
    std::error_code error;
    if (!call(Step::written, target, [&] { return writeAll(fd, bytes); })) error = failed();
    step(Step::written, target);
    if (!error && !call(Step::synced, target, [&] { return ::fsync(fd) == 0; })) error = failed();
    step(Step::synced, target);
    // Closing can report a write the disk refused late (a full quota on a network folder).
    // The descriptor is freed whatever close() says, so it is closed exactly once.
    const int closeFault = fault(Step::closed, target);
    const bool closed = ::close(fd) == 0 && !closeFault;
    if (closeFault) errno = closeFault;
    if (!closed && !error) error = failed();
    step(Step::closed, target);
    // A link, unlike a rename, refuses to replace a file that is there: of several writers
    // that create one file at once, exactly one succeeds.
    if (!error && !call(Step::renamed, target, [&] {
            return replace ? ::rename(temp.c_str(), target.c_str()) == 0 : ::link(temp.c_str(), target.c_str()) == 0;
        }))
        error = failed();
    if (error || !replace) ::unlink(temp.c_str());
    if (error) return error;
    step(Step::renamed, target);
    syncFolder(folder);
    step(Step::finished, target);
    return {};
}

}  // namespace nolby
