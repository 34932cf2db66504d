// The multiply fast path against cairo's own CAIRO_OPERATOR_MULTIPLY, pixel for pixel.
#include "LayerProbe.h"
#include "platform/layers/LayerRender.h"
#include "platform/layers/Multiply.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace nolby;

namespace {

// A premultiplied pixel from a seeded sequence; every few are transparent, opaque, or
// fully white or black, the cases with exact answers.
struct Pixels {
    uint64_t state;
    uint32_t next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        uint32_t r = uint32_t(state >> 33);
        uint32_t kind = r % 8, a = (r >> 3) & 0xFF;
        if (kind == 0) return 0;
        if (kind == 1) a = 255;
        if (kind == 2) return 0xFFFFFFFFu;
        if (kind == 3) return 0xFF000000u;
        auto ch = [&](int shift) { return a ? ((r >> shift) * 2654435761u >> 8) % (a + 1) : 0; };
        return (a << 24) | (ch(5) << 16) | (ch(11) << 8) | ch(17);
    }
};

cairo_surface_t* surface(int w, int h, Pixels& gen) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    const int stride = cairo_image_surface_get_stride(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) reinterpret_cast<uint32_t*>(data + y * stride)[x] = gen.next();
    cairo_surface_mark_dirty(s);
    return s;
}

cairo_surface_t* copyOf(cairo_surface_t* s) {
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    cairo_surface_t* c = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(s);
    std::memcpy(cairo_image_surface_get_data(c), cairo_image_surface_get_data(s),
                size_t(cairo_image_surface_get_stride(s)) * h);
    cairo_surface_mark_dirty(c);
    return c;
}

// Counts pixels that differ; reports the first.
int differences(cairo_surface_t* a, cairo_surface_t* b) {
    cairo_surface_flush(a);
    cairo_surface_flush(b);
    const int w = cairo_image_surface_get_width(a), h = cairo_image_surface_get_height(a);
    const int sa = cairo_image_surface_get_stride(a), sb = cairo_image_surface_get_stride(b);
    int n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t u = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(a) + y * sa)[x];
            uint32_t v = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(b) + y * sb)[x];
            if (u != v && n++ == 0) ADD_FAILURE() << "first difference at (" << x << ", " << y << "): " << std::hex << u << " vs " << v;
        }
    return n;
}

}  // namespace

TEST(Multiply, FastPathMatchesCairoBitForBit) {
    const double opacities[] = {1, 0.5, 0.3, 0.999, 1.0 / 255, 0.001};
    for (int width : {1, 3, 4, 7, 64, 131}) {
        for (double opacity : opacities) {
            SCOPED_TRACE(::testing::Message() << "width " << width << ", opacity " << opacity);
            Pixels gen{uint64_t(width) * 977 + uint64_t(opacity * 1000)};
            const int h = 9;
            cairo_surface_t* src = surface(width, h, gen);
            cairo_surface_t* ours = surface(width, h, gen);
            cairo_surface_t* theirs = copyOf(ours);

            cairo_t* cr = cairo_create(theirs);
            cairo_set_source_surface(cr, src, 0, 0);
            cairo_set_operator(cr, CAIRO_OPERATOR_MULTIPLY);
            if (opacity < 1) cairo_paint_with_alpha(cr, opacity);
            else cairo_paint(cr);
            cairo_destroy(cr);

            cairo_surface_flush(ours);
            multiply::composite(reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(ours)),
                                cairo_image_surface_get_stride(ours),
                                reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(src)),
                                cairo_image_surface_get_stride(src), width, h, multiply::alpha8(opacity));
            cairo_surface_mark_dirty(ours);
            EXPECT_EQ(differences(ours, theirs), 0);
            for (auto* s : {src, ours, theirs}) cairo_surface_destroy(s);
        }
    }
}

TEST(Multiply, ReferenceCases) {
    struct Case {
        uint32_t dst, src;
        uint8_t alpha;
        uint32_t want;
    };
    const Case cases[] = {
        {0xFFFBF8F1, 0xFF1971C2, 255, 0xFF196EB7},  // ink on paper
        {0xFFFBF8F1, 0xFFFFFFFF, 255, 0xFFFBF8F1},  // white leaves it
        {0xFFFBF8F1, 0x00000000, 255, 0xFFFBF8F1},  // nothing leaves it
        {0x00000000, 0x80402010, 255, 0x80402010},  // onto nothing: the source
        {0xFFFBF8F1, 0xFF1971C2, 0, 0xFFFBF8F1},    // at no alpha
    };
    for (const Case& c : cases) EXPECT_EQ(multiply::reference(c.dst, c.src, c.alpha), c.want) << std::hex << c.want;
}

// A multiply layer drawn through the renderer lands exactly where cairo's own group and
// operator would put it, with the fast path and (on a clip cairo cannot list) without it.
TEST(Multiply, LayerMatchesCairoGroupCompositing) {
    Pixels gen{7};
    cairo_surface_t* art = surface(37, 23, gen);
    auto layer = std::make_shared<Layer>();
    layer->anchorPoint = {0, 0};
    layer->bounds = {0, 0, 37, 23};
    layer->position = {5, 4};
    layer->contents = Image::adopt(copyOf(art));
    layer->compositingFilter = BlendMode::multiply;
    layer->opacity = 0.6;

    for (bool fractionalClip : {false, true}) {
        SCOPED_TRACE(fractionalClip ? "fractional clip" : "no clip");
        cairo_surface_t* base = surface(50, 30, gen);
        cairo_surface_t* ours = copyOf(base);
        cairo_surface_t* theirs = copyOf(base);
        auto clip = [&](cairo_t* cr) {
            if (!fractionalClip) return;
            cairo_rectangle(cr, 2.5, 1.5, 40, 25);
            cairo_clip(cr);
        };
        cairo_t* cr = cairo_create(ours);
        clip(cr);
        layers::render(cr, *layer, 0);
        cairo_destroy(cr);

        cr = cairo_create(theirs);
        clip(cr);
        cairo_set_source_surface(cr, art, 5, 4);
        cairo_set_operator(cr, CAIRO_OPERATOR_MULTIPLY);
        cairo_paint_with_alpha(cr, 0.6);
        cairo_destroy(cr);
        EXPECT_EQ(differences(ours, theirs), 0);
        for (auto* s : {base, ours, theirs}) cairo_surface_destroy(s);
    }
    cairo_surface_destroy(art);
}
