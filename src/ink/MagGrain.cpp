#include "ink/Mag.h"

#include "ink/Rng.h"
#include "platform/Canvas.h"

namespace nolby::Mag {

namespace {

constexpr int kSide = 192;

std::shared_ptr<const Image> makeGrain() {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSide, kSide);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgba(cr, 128 / 255.0, 128 / 255.0, 128 / 255.0, 1);
    cairo_paint(cr);
    Rng rng(23);
    // Half as many specks as pixels, four draws each in this order.
    for (int i = 0; i < kSide * kSide / 2; ++i) {
        double u1 = rng.unit(), u2 = rng.unit(), u3 = rng.unit(), u4 = rng.unit();
        double tone = u1 > 0.5 ? 176 / 255.0 : 80 / 255.0;
        double alpha = 0.18 + 0.3 * u2;
        int x = static_cast<int>(u3 * kSide), y = static_cast<int>(u4 * kSide);
        // The speck positions count up from the bottom row; cairo's rows count down.
        draw::setColor(cr, Color{tone, tone, tone, alpha});
        cairo_rectangle(cr, x, kSide - 1 - y, 1, 1);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    return Image::adopt(surface);
}

}  // namespace

std::shared_ptr<const Image> grain() {
    // One tile per thread: cairo sets a source surface's pixman image up for each draw, so
    // covers flattened side by side on worker threads must not share one (two threads
    // drawing from the same surface at once corrupted the drawing and aborted the app).
    static thread_local const std::shared_ptr<const Image> tile = makeGrain();
    return tile;
}

}  // namespace nolby::Mag
