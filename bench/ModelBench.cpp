// Page flow in an open notebook: a push in the middle of a full page that carries the
// page's foot onto a new carry page, with the ink of every item already cached and the
// debounced saves the edits ask for (the store's main-thread share: one copy per save).
// Measured in a notebook of 40 pages and, beside it, of 2.
#include "ink/Faces.h"
#include "OpenModel.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace nolby;

namespace {

constexpr int kItemsPerPage = 20;

// Twenty one-line items down a page from the top margin: notes and tutor paragraphs in turn.
Page fullPage(int page) {
    Page p;
    for (int i = 0; i < kItemsPerPage; ++i) {
        const double y = 104 + 32 * i;
        if (i % 2 == 0) {
            TextItem t;
            t.x = 28;
            t.y = y;
            t.width = 340;
            t.text = "note " + std::to_string(i) + " on page " + std::to_string(page) + ": why halves?";
            t.color = "learner";
            t.size = 17;
            t.turn = 1;
            p.items.emplace_back(t);
        } else {
            BlockItem b;
            b.json = R"({"t":"p","text":"Halves are two equal parts, line )" + std::to_string(i) + R"(."})";
            b.y = y;
            b.seed = uint64_t(page) * 1000 + uint64_t(i);
            b.turn = 1;
            p.items.emplace_back(b);
        }
    }
    return p;
}

Notebook fullNotebook(int pages) {
    Notebook n;
    n.pages.clear();
    for (int i = 0; i < pages; ++i) n.pages.push_back(fullPage(i));
    return n;
}

struct Open : bench::OpenModel {
    Notebook original;

    explicit Open(int pages) : OpenModel(fullNotebook(pages)), original(model->nb.get()) {}

    // Back to the notebook as it was, its ink cache in step with it.
    void reset(int page) {
        model->nb.set(original);
        model->pageIndex.set(0);
        for (const PageItem& item : model->nb->pages[page].items) model->bounds(item);
        rest();
    }
};

void BM_PushCarryingOntoANewCarryPage(benchmark::State& state) {
    Faces::registerFrom();
    const int pages = int(state.range(0));
    const int page = pages / 2 - (pages > 2 ? 0 : 1);
    Open open(pages);
    for (auto _ : state) {
        state.PauseTiming();
        open.reset(page);
        state.ResumeTiming();
        open.model->push(page, 400, 60);
        benchmark::DoNotOptimize(open.model->nb->pages.size());
    }
    if (open.model->nb->pages.size() != size_t(pages + 1)) state.SkipWithError("the push carried nothing");
}
BENCHMARK(BM_PushCarryingOntoANewCarryPage)->Arg(40)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
