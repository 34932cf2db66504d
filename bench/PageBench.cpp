// A whole page frame as the page view paints it, at 2 pixels per point on a 400 × 869 page
// of 30 written items (handwriting and small figures) in an open notebook: the kept paper
// and its furniture, the stage with six strokes part way through their reveals, and the
// tutor's reading sweep; the same page at rest. Then the raster-layer path of that page:
// a frame drawn from the items' cached bitmaps, and the page read again after a change.
#include "OpenModel.h"
#include "ink/Faces.h"
#include "ink/Mag.h"
#include "page/PagePainter.h"
#include "platform/Canvas.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace nolby;
using bench::figure;
using bench::note;
using bench::revealStrokes;

namespace {

constexpr double kStart = 10;  // when the reveals begin

Notebook thirtyItems() {
    Faces::registerFrom();
    Mag::registerFrom();
    Notebook nb;
    nb.title = "Fractions";
    nb.issue = 7;
    nb.pages.assign(1, Page{});
    for (int i = 0; i < 30; ++i) {
        const double y = 110 + 40 * (i / 2);
        if (i % 5 == 4) nb.pages[0].items.push_back(figure(y, uint64_t(i)));
        else nb.pages[0].items.push_back(note(i % 2 ? 210 : 28, y, "a line of handwriting " + std::to_string(i)));
    }
    return nb;
}

struct Page : bench::OpenModel {
    std::unique_ptr<PagePainter> painter;
    Canvas canvas{400, 869, 2};
    int job = 100;

    explicit Page(bool live) : OpenModel(thirtyItems()) {
        model->viewSize.set({400, 869});
        PageView view{model, 0, live, PaperView::PageSide::single, true, true};
        painter = std::make_unique<PagePainter>(view, PagePainter::Environment{2, scheduler, nullptr});
        scheduler->drain();  // bitmaps rendered in the background arrive
        scheduler->manualClock()->set(kStart - 1);
    }

    // The item's first `count` operations revealed as strokes from kStart over `dur` seconds.
    void reveal(const PageItem& item, size_t count, double dur) {
        painter->stage()->add(revealStrokes(*model, 0, item, count, dur, job++, kStart));
    }

    // Six reveals under way (two lines of handwriting, two phrases each, and a figure's two
    // strokes) and the tutor reading two lines.
    void writing() {
        reveal(note(28, 740, "words being written now, on two lines"), 2, 2);
        reveal(note(210, 740, "and more words written here beside them"), 2, 2);
        reveal(figure(790, 99), 2, 2);
        painter->stage()->advance(kStart);
        NotebookModel::TutorStatus t;
        t.reading = NotebookModel::TutorStatus::Reading{0, {{28, 110, 160, 20}, {210, 110, 160, 20}}, kStart};
        model->tutor.set(t);
        scheduler->drain();
    }

    void frame(double t) { painter->paint(canvas.cr(), t); }
};

void BM_PageFrameWhileWriting(benchmark::State& state) {
    Page page(true);
    page.writing();
    state.counters["reveals"] = double(page.painter->stage()->revealing().size());
    page.frame(kStart + 0.8);
    for (auto _ : state) page.frame(kStart + 0.8);
}
BENCHMARK(BM_PageFrameWhileWriting)->Unit(benchmark::kMillisecond);

void BM_PageFrameAtRest(benchmark::State& state) {
    Page page(true);
    page.frame(kStart);
    for (auto _ : state) page.frame(kStart);
}
BENCHMARK(BM_PageFrameAtRest)->Unit(benchmark::kMillisecond);

// The raster-layer path: 30 cached bitmaps stretched to their frames over the kept paper.
void BM_RasterLayersFrame(benchmark::State& state) {
    Page page(false);
    page.frame(kStart);
    state.counters["layers"] = double(page.painter->rasterInk().layers.size());
    for (auto _ : state) page.frame(kStart);
}
BENCHMARK(BM_RasterLayersFrame)->Unit(benchmark::kMillisecond);

// The page read again after a change (the model's layers asked for every item, each found
// in the raster cache), and the frame drawn.
void BM_RasterLayersRead(benchmark::State& state) {
    Page page(false);
    page.frame(kStart);
    for (auto _ : state) {
        page.model->rasterVersion.set(page.model->rasterVersion.get() + 1);
        page.frame(kStart);
    }
    state.counters["reads"] = double(page.painter->layerReads());
}
BENCHMARK(BM_RasterLayersRead)->Unit(benchmark::kMillisecond);

}  // namespace
