#pragma once
// A disk that fails: one step of every notebook file's write fails with an errno (ENOSPC for
// a full disk, EROFS for a read-only one, ...) while `failing` is set, through the writer's
// fault hook, and the writes tried are counted. Removed when it goes.

#include "platform/AtomicFile.h"

#include <atomic>
#include <filesystem>

namespace nolby::test {

struct FailingDisk {
    AtomicFile::Step step;
    std::atomic<int> error;
    std::atomic<bool> failing{true};
    std::atomic<int> tries{0};

    FailingDisk(AtomicFile::Step s, int e) : step(s), error(e) {
        AtomicFile::setFaultHook([this](AtomicFile::Step at, const std::filesystem::path& target) {
            if (target.extension() != ".json") return 0;
            tries += at == AtomicFile::Step::opened;
            return failing && at == step ? error.load() : 0;
        });
    }
    ~FailingDisk() { AtomicFile::setFaultHook(nullptr); }
    FailingDisk(const FailingDisk&) = delete;
    FailingDisk& operator=(const FailingDisk&) = delete;
};

}  // namespace nolby::test
