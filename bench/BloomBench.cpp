// Preparing a painting's bloom, in the writer's background pre-render: the budget is a few
// milliseconds for a full-size painting, so the painting's stroke is ready soon after it
// arrives.
#include "writing/Bloom.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>

using namespace nolby;

namespace {

// A 1200 x 900 painting: washes of colour on white paper with dark ink lines over them.
std::shared_ptr<const Image> painting() {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1200, 900);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    const double washes[][6] = {{300, 300, 260, 0.35, 0.55, 0.85}, {800, 420, 320, 0.9, 0.6, 0.25},
                                {520, 700, 220, 0.3, 0.7, 0.4}};
    for (const auto& w : washes) {
        cairo_arc(cr, w[0], w[1], w[2], 0, 2 * M_PI);
        cairo_set_source_rgba(cr, w[3], w[4], w[5], 0.6);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.12);
    cairo_set_line_width(cr, 4);
    for (int i = 0; i < 12; ++i) {
        cairo_move_to(cr, 80 + i * 90, 120);
        cairo_curve_to(cr, 200 + i * 70, 400, 40 + i * 95, 600, 120 + i * 85, 820);
    }
    cairo_stroke(cr);
    cairo_destroy(cr);
    return Image::adopt(s);
}

void BM_BloomMake(benchmark::State& state) {
    auto img = painting();
    uint64_t seed = 7919;
    for (auto _ : state) {
        auto b = Bloom::make(*img, seed);
        benchmark::DoNotOptimize(b);
    }
}
BENCHMARK(BM_BloomMake)->Unit(benchmark::kMillisecond);

}  // namespace
