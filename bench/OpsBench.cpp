// Drawing a page's worth of operations, half revealed (the stage's frames while writing)
// and whole (the raster cache and snapshots).
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/Rng.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "ink/ops/WrapOp.h"
#include "platform/Canvas.h"

#include <benchmark/benchmark.h>

using namespace nolby;

namespace {

// A 400 x 869 page: 30 lines of handwritten phrases, a dozen sketchy strokes, a few fills
// and some tilted text, the mix a reply page holds.
std::vector<InkOpRef> page() {
    Faces::registerFrom();
    auto font = Faces::font(Faces::Face::hand, 17);
    const char* words[] = {"the", "area", "of", "a", "circle", "grows", "with", "its", "radius", "squared"};
    std::vector<InkOpRef> ops;
    Rng rng(3);
    for (int line = 0; line < 30; ++line) {
        std::vector<PhraseOp::Run> runs;
        double x = 24, y = 40 + line * 24.14;
        for (int w = 0; w < 7; ++w) {
            GlyphRun g(words[rng.next() % 10], *font);
            double width = g.width;
            runs.push_back({std::move(g), x, y, Ink::ink});
            x += width + 6;
        }
        ops.push_back(std::make_shared<PhraseOp>(runs, 17.0));
    }
    for (int i = 0; i < 12; ++i) {
        Path p;
        p.moveTo(30 + rng.unit() * 300, 100 + rng.unit() * 700);
        for (int k = 0; k < 3; ++k)
            p.curveTo({rng.unit() * 400, rng.unit() * 869}, {rng.unit() * 400, rng.unit() * 869},
                      {rng.unit() * 400, rng.unit() * 869});
        ops.push_back(std::make_shared<StrokeOp>(p, Pen::usual(Color::hex(0x1971c2), 1.8)));
    }
    for (int i = 0; i < 4; ++i) {
        Path box;
        box.addRoundedRect({40.0 + i * 80, 700, 60, 40}, 8, 8);
        ops.push_back(std::make_shared<FillOp>(box, Ink::wash(std::string("yellow")), BlendMode::multiply));
    }
    for (int i = 0; i < 6; ++i)
        ops.push_back(std::make_shared<RotOp>(
            std::make_shared<TextOp>("note", 60.0 + i * 50, 800, *font, Ink::ink), -3, 200, 800));
    return ops;
}

void drawPage(benchmark::State& state, double t) {
    auto ops = page();
    Canvas canvas(400, 869, 2);
    for (auto _ : state) {
        canvas.fill(Ink::paper);
        for (const auto& op : ops) op->draw(canvas.cr(), t);
        cairo_surface_flush(canvas.surface());
    }
    state.counters["ops"] = static_cast<double>(ops.size());
}

}  // namespace

BENCHMARK_CAPTURE(drawPage, half, 0.5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(drawPage, whole, 1.0)->Unit(benchmark::kMillisecond);
