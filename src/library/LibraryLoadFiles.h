#pragma once
// Reading and decoding the notebook files of a load, on the main thread and the scheduler's
// background together: start-up waits for the slowest part of the store, and decoding every
// file one after another would make it grow with the whole library.

#include "notebook/NotebookFile.h"
#include "notebook/NotebookHead.h"
#include "platform/Scheduler.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace nolby {

struct LoadedFile {
    std::optional<std::string> bytes;  // none: the file cannot be read
    // What the reader made of it; the notebook itself only when it needed repairs (a clean
    // file's notebook is dropped once its head is taken: its bytes give it back).
    NotebookFile::Decoded decoded;
    std::optional<NotebookHead> head;  // of any notebook decoded, without a body
};

// Every file read and decoded, in the order given. Background jobs share the work when there
// are enough files, but the main thread never waits for one that has not started (a manual
// scheduler runs none until told): it takes every file no job has taken itself, and waits
// only for files a running job is decoding. The results are the same whoever decodes.
std::vector<LoadedFile> loadFiles(const std::vector<std::filesystem::path>& files, Scheduler& scheduler);

}  // namespace nolby
