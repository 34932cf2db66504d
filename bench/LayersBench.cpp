// A painting blooming onto the page: a 700 × 500-pixel layer multiplied onto paper through
// a coarse mask stretched over it, half way through a cross-fade between two mask frames.
// Our renderer against cairo's own group, mask and multiply operator doing the same.
#include "platform/layers/LayerRender.h"
#include "platform/layers/Multiply.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

using namespace nolby;

namespace {

constexpr int W = 700, H = 500;

cairo_surface_t* newSurface(int w, int h) { return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h); }

template <class F>
ImageRef imageOf(int w, int h, F&& pixel) {
    cairo_surface_t* s = newSurface(w, h);
    const int stride = cairo_image_surface_get_stride(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) reinterpret_cast<uint32_t*>(data + y * stride)[x] = pixel(x, y);
    cairo_surface_mark_dirty(s);
    return Image::adopt(s);
}

// A soft opaque painting in washes of colour.
ImageRef painting() {
    return imageOf(W, H, [](int x, int y) {
        uint32_t r = 128 + uint32_t(100 * std::sin(x * 0.013)), g = 128 + uint32_t(90 * std::cos(y * 0.021)),
                 b = 150 + uint32_t(80 * std::sin((x + y) * 0.008));
        return 0xFF000000u | (r << 16) | (g << 8) | b;
    });
}

// A coverage mask on a 120 × 86 grid: white at alpha v, grown out from a point.
ImageRef coverage(double level) {
    return imageOf(120, 86, [level](int x, int y) {
        double d = std::hypot(x - 40.0, y - 30.0) / 100;
        uint32_t v = uint32_t(std::clamp((level - d) / 0.13, 0.0, 1.0) * 255);
        return (v << 24) | (v << 16) | (v << 8) | v;
    });
}

struct Scene {
    LayerRef layer;
    ImageRef art, maskA, maskB;
};

Scene scene() {
    Scene s{std::make_shared<Layer>(), painting(), coverage(0.4), coverage(0.5)};
    s.layer->anchorPoint = {0, 0};
    s.layer->bounds = {0, 0, W, H};
    s.layer->contents = s.art;
    s.layer->compositingFilter = BlendMode::multiply;
    auto mask = std::make_shared<Layer>();
    mask->anchorPoint = {0, 0};
    mask->bounds = {0, 0, W, H};
    KeyframeAnimation flow(KeyPath::contents, {s.maskA, s.maskB});
    flow.beginTime = 0;
    flow.duration = 1;
    flow.fillMode = FillMode::both;
    flow.removedOnCompletion = false;
    mask->add(flow, "flow", 0);
    s.layer->mask = mask;
    return s;
}

cairo_surface_t* paper() {
    cairo_surface_t* p = newSurface(W, H);
    cairo_t* cr = cairo_create(p);
    cairo_set_source_rgb(cr, 0xfb / 255.0, 0xf8 / 255.0, 0xf1 / 255.0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return p;
}

void BM_LayerMultiplyWithStretchedMask(benchmark::State& state) {
    Scene s = scene();
    cairo_surface_t* page = paper();
    cairo_t* cr = cairo_create(page);
    for (auto _ : state) {
        layers::render(cr, *s.layer, 0.5);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(page));
    }
    cairo_destroy(cr);
    cairo_surface_destroy(page);
}
BENCHMARK(BM_LayerMultiplyWithStretchedMask)->Unit(benchmark::kMillisecond);

// The same picture the way cairo alone would draw it: a group holding the painting, the
// two mask frames added into a stretched mask, then the multiply operator.
void BM_CairoMultiplyWithStretchedMask(benchmark::State& state) {
    Scene s = scene();
    cairo_surface_t* page = paper();
    cairo_t* cr = cairo_create(page);
    auto stretched = [](const Image& m, double alpha, cairo_t* c) {
        cairo_save(c);
        cairo_scale(c, double(W) / m.width(), double(H) / m.height());
        cairo_set_source_surface(c, m.surface(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(c), CAIRO_FILTER_BILINEAR);
        cairo_pattern_set_extend(cairo_get_source(c), CAIRO_EXTEND_PAD);
        cairo_set_operator(c, CAIRO_OPERATOR_ADD);
        cairo_paint_with_alpha(c, alpha);
        cairo_restore(c);
    };
    for (auto _ : state) {
        cairo_push_group(cr);
        stretched(*s.maskA, 0.5, cr);
        stretched(*s.maskB, 0.5, cr);
        cairo_pattern_t* mask = cairo_pop_group(cr);
        cairo_push_group(cr);
        cairo_set_source_surface(cr, s.art->surface(), 0, 0);
        cairo_mask(cr, mask);
        cairo_pop_group_to_source(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_MULTIPLY);
        cairo_paint(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        cairo_pattern_destroy(mask);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(page));
    }
    cairo_destroy(cr);
    cairo_surface_destroy(page);
}
BENCHMARK(BM_CairoMultiplyWithStretchedMask)->Unit(benchmark::kMillisecond);

// The compositing step alone: our multiply of 700 × 500 pixels, and cairo's operator.
void BM_MultiplyFastPath(benchmark::State& state) {
    ImageRef art = painting();
    cairo_surface_t* page = paper();
    for (auto _ : state) {
        multiply::composite(reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(page)),
                            cairo_image_surface_get_stride(page),
                            reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(art->surface())),
                            cairo_image_surface_get_stride(art->surface()), W, H);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(page));
    }
    cairo_surface_destroy(page);
}
BENCHMARK(BM_MultiplyFastPath)->Unit(benchmark::kMillisecond);

void BM_MultiplyCairoOperator(benchmark::State& state) {
    ImageRef art = painting();
    cairo_surface_t* page = paper();
    cairo_t* cr = cairo_create(page);
    cairo_set_operator(cr, CAIRO_OPERATOR_MULTIPLY);
    for (auto _ : state) {
        cairo_set_source_surface(cr, art->surface(), 0, 0);
        cairo_paint(cr);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(page));
    }
    cairo_destroy(cr);
    cairo_surface_destroy(page);
}
BENCHMARK(BM_MultiplyCairoOperator)->Unit(benchmark::kMillisecond);

}  // namespace
