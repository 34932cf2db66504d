// The notebook store: loading a shelf of notebooks at launch, and what a debounced save
// costs the main thread (the copy it keeps; encoding and writing run in the background).
#include "MixedNotebooks.h"
#include "library/Library.h"
#include "notebook/NotebookFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

using namespace nolby;
namespace fs = std::filesystem;

namespace {

// A data folder holding 1,000 notebooks of 3 pages, made once and removed at exit.
const fs::path& shelfFolder() {
    static const bench::TempFolder folder("nolby-bench-shelf");
    static const bool written = (bench::writeMixedNotebooks(folder.path, 1000, 3), true);
    (void)written;
    return folder.path;
}

void BM_LoadShelf(benchmark::State& state) {
    auto scheduler = std::make_shared<ManualScheduler>();
    auto lib = Library::make(shelfFolder(), scheduler);
    for (auto _ : state) {
        lib->notebooks.set({});
        lib->load();
        benchmark::DoNotOptimize(lib->notebooks.get().data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(lib->notebooks.get().size()));
    state.counters["KB/notebook"] =
        double(NotebookFile::encode(*lib->notebook(lib->notebooks.get().front().id)).size()) / 1024;
}
BENCHMARK(BM_LoadShelf)->Unit(benchmark::kMillisecond);

void BM_DebouncedSave40Pages(benchmark::State& state) {
    const bench::TempFolder folder("nolby-bench-save");
    const fs::path& data = folder.path;
    auto scheduler = std::make_shared<ManualScheduler>();
    auto lib = Library::make(data, scheduler);
    Notebook n = bench::mixedNotebook(40, 1);
    lib->save(n, false);
    int64_t saves = 0;
    for (auto _ : state) {
        lib->save(n, false);
        if (++saves % 256 == 0) {
            state.PauseTiming();
            scheduler->advance(0);  // clears the cancelled debounce timers
            state.ResumeTiming();
        }
    }
    state.counters["KB/notebook"] = double(NotebookFile::encode(n).size()) / 1024;
}
BENCHMARK(BM_DebouncedSave40Pages)->Unit(benchmark::kMicrosecond);

}  // namespace
