// The paper behind a page: a texture cache hit, drawing a new texture size, and a whole
// paper frame (texture, band, masthead with its shadow, folio) at 2 pixels per point, drawn
// anew and from the back kept at the view's pixel size.
#include "ink/Faces.h"
#include "ink/Mag.h"
#include "page/PageBack.h"
#include "page/PaperTexture.h"
#include "page/PaperView.h"
#include "platform/Canvas.h"

#include <benchmark/benchmark.h>

using namespace nolby;

namespace {

void TextureHit(benchmark::State& state) {
    PaperTexture& cache = PaperTexture::shared();
    cache.image(600, 869);
    for (auto _ : state) benchmark::DoNotOptimize(cache.image(600, 869));
}
BENCHMARK(TextureHit);

void TextureNewSize(benchmark::State& state) {
    for (auto _ : state) {
        PaperTexture cache;
        benchmark::DoNotOptimize(cache.image(640, 896));
    }
}
BENCHMARK(TextureNewSize)->Unit(benchmark::kMillisecond);

// Page `index` of a titled notebook at view scale 1: the view is the page, 400 × 869.
const Size kView{400, 869};
PaperView titledPage(int64_t index) {
    Mag::registerFrom();
    Faces::registerFrom();
    Notebook nb;
    nb.title = "Fractions";
    nb.issue = 7;
    return PaperView::forPage(nb, index, 1, PaperView::PageSide::single, true);
}

// Drawn anew at 2×.
void PaperFrame(benchmark::State& state) {
    const PaperView paper = titledPage(state.range(0));
    const Size view = kView;
    Canvas canvas(view.width, view.height, 2);
    PaperTexture::shared().image(400, 869);
    for (auto _ : state) drawPageBack(canvas.cr(), view, true, &paper);
}
BENCHMARK(PaperFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same frame from the back kept at the view's pixel size: what a page pays per frame
// while its ink animates over still paper.
void PaperFrameKept(benchmark::State& state) {
    const std::optional<PaperView> paper = titledPage(state.range(0));
    const Size view = kView;
    Canvas canvas(view.width, view.height, 2);
    PageBack back;
    back.draw(canvas.cr(), view, true, paper);
    for (auto _ : state) back.draw(canvas.cr(), view, true, paper);
}
BENCHMARK(PaperFrameKept)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
