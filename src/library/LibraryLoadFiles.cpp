#include "library/LibraryLoadFiles.h"

#include "platform/Files.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace nolby {

namespace {

// Below this many files the jobs would cost more than they save.
constexpr size_t kFilesPerJob = 16;
constexpr size_t kMostJobs = 7;

LoadedFile loadOne(const std::filesystem::path& file) {
    LoadedFile out;
    out.bytes = Files::read(file);
    if (!out.bytes) return out;
    out.decoded = NotebookFile::decode(*out.bytes);
    if (!out.decoded.notebook) return out;
    out.head = NotebookHead(*out.decoded.notebook);
    if (out.decoded.issues.empty()) out.decoded.notebook.reset();
    return out;
}

// The shared state of one load; jobs that start after it ended find nothing left to take.
struct Loading {
    std::vector<std::filesystem::path> files;
    std::vector<LoadedFile> loaded;
    std::atomic<size_t> next{0};
    std::mutex mutex;
    std::condition_variable done;
    size_t finished = 0;

    // Takes files until none is left.
    void work() {
        for (;;) {
            const size_t i = next.fetch_add(1);
            if (i >= files.size()) return;
            try {
                loaded[i] = loadOne(files[i]);
            } catch (...) {
                // Out of memory while reading: the file is skipped as unreadable and left as it
                // is, and the others still load (a job must not throw, nor leave the load waiting).
                loaded[i] = LoadedFile{};
            }
            std::lock_guard lock(mutex);
            if (++finished == files.size()) done.notify_all();
        }
    }
};

}  // namespace

std::vector<LoadedFile> loadFiles(const std::vector<std::filesystem::path>& files, Scheduler& scheduler) {
    auto loading = std::make_shared<Loading>();
    loading->files = files;
    loading->loaded.resize(files.size());
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t jobs = std::min({files.size() / kFilesPerJob, cores - 1, kMostJobs});
    for (size_t j = 0; j < jobs; ++j) scheduler.background([loading] { loading->work(); });
    loading->work();
    {
        std::unique_lock lock(loading->mutex);
        loading->done.wait(lock, [&] { return loading->finished == loading->files.size(); });
    }
    return std::move(loading->loaded);
}

}  // namespace nolby
