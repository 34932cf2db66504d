// A whole sheet frame as the window paints it, at 2 pixels per point in a 1000 × 800 view:
// the paper, the slices in view through their live page painters and the caret, while the
// last page is being written (six strokes part way through their reveals); the same view at
// rest; and frames while the view scrolls through three written pages. Each iteration is one
// frame, at the clock time the next frame would be drawn.
#include "OpenModel.h"
#include "ink/Faces.h"
#include "ink/Mag.h"
#include "platform/Canvas.h"
#include "sheet/SheetView.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace nolby;
using bench::note;
using bench::revealStrokes;

namespace {

constexpr double kStart = 10;  // when the reveals begin
constexpr double kFrame = 1.0 / 120;

PageItem paragraph(double y, uint64_t seed) {
    BlockItem b;
    b.json = R"({"t":"p","text":"Air scatters the short blue waves of sunlight far more than the long red ones."})";
    b.y = y;
    b.seed = seed;
    return b;
}

// Three pages of twenty items each: paragraphs and notes.
Notebook threePages() {
    Faces::registerFrom();
    Mag::registerFrom();
    Notebook nb;
    nb.title = "Why the sky is blue";
    nb.pages.assign(3, Page{});
    for (int p = 0; p < 3; ++p)
        for (int i = 0; i < 20; ++i) {
            const double y = 110 + 34 * i;
            nb.pages[p].items.push_back(i % 3 == 2 ? note(28, y, "a line of handwriting " + std::to_string(i))
                                                   : paragraph(y, uint64_t(p * 100 + i)));
        }
    return nb;
}

struct Sheet : bench::OpenModel {
    HeadlessSheetHost host{{1000, 800}};
    std::shared_ptr<SheetView> sheet;
    Canvas canvas{1000, 800, 2};
    int job = 100;

    Sheet() : OpenModel(threePages()) {
        sheet = SheetView::make(model, std::make_shared<SheetState>(), {scheduler, nullptr, 2});
        host.sheet = sheet;
        sheet->setHost(&host);
        sheet->becomeFirstResponder();
        scheduler->runPosted();
        scheduler->drain();
        scheduler->manualClock()->set(kStart - 1);
    }

    // The item's first `count` operations revealed as strokes from kStart over `dur` seconds.
    void reveal(int page, const PageItem& item, size_t count, double dur) {
        PagePainter* painter = sheet->painter(page);
        if (!painter || !painter->stage()) return;
        painter->stage()->add(revealStrokes(*model, page, item, count, dur, job++, kStart));
    }

    // Six reveals under way on the last page, in view.
    void writing() {
        reveal(2, note(28, 790, "words being written now, on two lines"), 2, 2);
        reveal(2, note(210, 790, "and more words written here beside them"), 2, 2);
        reveal(2, paragraph(830, 7), 2, 2);
        sheet->painter(2)->stage()->advance(kStart);
    }

    void frame(double t) { sheet->paint(canvas.cr(), t); }
};

void BM_SheetFrameWhileWriting(benchmark::State& state) {
    Sheet s;
    s.writing();
    double t = kStart + 0.5;
    s.frame(t);
    for (auto _ : state) {
        t += kFrame;
        if (t > kStart + 1.5) t = kStart + 0.5;
        s.frame(t);
    }
    state.counters["reveals"] = double(s.sheet->painter(2)->stage()->revealing().size());
}
BENCHMARK(BM_SheetFrameWhileWriting)->Unit(benchmark::kMillisecond);

void BM_SheetFrameAtRest(benchmark::State& state) {
    Sheet s;
    s.frame(kStart);
    for (auto _ : state) s.frame(kStart);
}
BENCHMARK(BM_SheetFrameAtRest)->Unit(benchmark::kMillisecond);

void BM_SheetFrameScrolling(benchmark::State& state) {
    Sheet s;
    const double end = s.host.document() - 800;
    double y = 0, step = 40;
    s.frame(kStart);
    for (auto _ : state) {
        y += step;
        if (y > end || y < 0) step = -step;
        s.sheet->scrollTo(y, false);
        s.frame(kStart);
    }
    state.counters["pages"] = double(s.sheet->hostedPages().size());
}
BENCHMARK(BM_SheetFrameScrolling)->Unit(benchmark::kMillisecond);

}  // namespace
