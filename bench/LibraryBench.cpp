// The notebook store: loading a shelf of notebooks at launch, and what a debounced save
// costs the main thread (the copy it keeps; encoding and writing run in the background).
#include "model/Library.h"
#include "model/NotebookFile.h"
#include "platform/AtomicFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

using namespace nolby;
namespace fs = std::filesystem;

namespace {

// A page of mixed content: typed notes, pen strokes and tutor blocks, about 16 KB encoded.
Page mixedPage(int seed) {
    Page page;
    for (int i = 0; i < 8; ++i) {
        TextItem t;
        t.x = 40;
        t.y = 80 + 30 * i;
        t.width = 320;
        t.text = "A note about fractions, {red:three quarters} and $\\frac{3}{4}$, line " + std::to_string(i);
        t.color = "learner";
        t.size = 17;
        t.turn = i;
        page.items.emplace_back(t);
    }
    for (int i = 0; i < 10; ++i) {
        StrokeItem s{{}, "ink", 2.4, "pen"};
        for (int k = 0; k < 60; ++k) {
            s.pts.push_back(float(40 + k * 3.17 + seed));
            s.pts.push_back(float(400 + i * 20 + (k % 7) * 1.3));
            s.pts.push_back(float(0.4 + (k % 5) * 0.1));
        }
        page.items.emplace_back(s);
    }
    for (int i = 0; i < 6; ++i) {
        BlockItem b;
        b.json = R"({"t":"p","text":"The numerator counts the parts we take, the denominator the parts the whole is cut into. )"
                 R"(Three quarters is three of four equal parts.","size":18,"ink":"blue"})";
        b.y = 500 + 40 * i;
        b.h = 36;
        b.seed = 0x9E3779B97F4A7C15ull * uint64_t(i + seed);
        b.turn = 1;
        page.items.emplace_back(b);
    }
    return page;
}

Notebook mixedNotebook(int pages, int64_t issue) {
    Notebook n;
    n.title = "Fractions, issue " + std::to_string(issue);
    n.issue = issue;
    n.plan = R"({"steps":["What a fraction is","Equal parts","Comparing fractions","Adding"],"art":"a baker cutting a pie"})";
    n.learner = "Quick with pictures; mixes up numerator and denominator under pressure.";
    for (int t = 0; t < 4; ++t)
        n.turns.push_back(Turn{ReferenceClock::now(), "3/4 of the circle shaded", "drawing",
                               std::string(1200, 'r') + " (a reply transcript)", t});
    n.pages.clear();
    for (int p = 0; p < pages; ++p) n.pages.push_back(mixedPage(p));
    return n;
}

// A data folder holding 1,000 notebooks of 3 pages, made once.
const fs::path& shelfFolder() {
    static const fs::path folder = [] {
        std::string tmpl = (fs::temp_directory_path() / "nolby-bench-shelf-XXXXXX").string();
        fs::path data = mkdtemp(tmpl.data());
        fs::create_directories(data / "Notebooks");
        for (int i = 0; i < 1000; ++i) {
            Notebook n = mixedNotebook(3, i + 1);
            AtomicFile::write(data / "Notebooks" / NotebookFile::fileName(n.id), NotebookFile::encode(n));
        }
        std::atexit([] { fs::remove_all(shelfFolder()); });
        return data;
    }();
    return folder;
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
        double(NotebookFile::encode(lib->notebooks.get().front()).size()) / 1024;
}
BENCHMARK(BM_LoadShelf)->Unit(benchmark::kMillisecond);

void BM_DebouncedSave40Pages(benchmark::State& state) {
    std::string tmpl = (fs::temp_directory_path() / "nolby-bench-save-XXXXXX").string();
    const fs::path data = mkdtemp(tmpl.data());
    auto scheduler = std::make_shared<ManualScheduler>();
    auto lib = Library::make(data, scheduler);
    Notebook n = mixedNotebook(40, 1);
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
    fs::remove_all(data);
}
BENCHMARK(BM_DebouncedSave40Pages)->Unit(benchmark::kMicrosecond);

}  // namespace
