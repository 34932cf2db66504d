#pragma once
// One process at a time changes a data folder: the one holding the lock on the folder's
// "nolby.lock" file (flock), for as long as its FolderLock lives. The system drops the lock
// when the process ends, however it ends, so a crash never leaves a folder locked.
//
// Within one process, each FolderLock is a lock of its own: a second one taken on a folder
// the first still holds is busy, as it would be in another process.

#include <filesystem>
#include <memory>

namespace nolby {

class FolderLock {
public:
    static constexpr const char* fileName = "nolby.lock";

    enum class State {
        held,    // this process holds the folder
        busy,    // another holds it
        absent,  // no lock file can be opened (a read-only folder): nobody can hold it
    };

    // Tries once, without waiting.
    static std::shared_ptr<FolderLock> take(const std::filesystem::path& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    State state() const { return state_; }
    // Whether this process may change the folder: it holds the lock, or nobody can (a
    // folder where no lock file can be made is one where nothing can be written either).
    bool owns() const { return state_ != State::busy; }
    const std::filesystem::path& folder() const { return folder_; }

private:
    FolderLock(std::filesystem::path folder, int fd, State state)
        : folder_(std::move(folder)), fd_(fd), state_(state) {}
    std::filesystem::path folder_;
    int fd_;
    State state_;
};

}  // namespace nolby
