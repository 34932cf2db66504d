#include "tutor/Snapshot.h"

#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/ops/InkStrokeOp.h"
#include "platform/Canvas.h"
#include "platform/Image.h"
#include "platform/Pict.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <csetjmp>

namespace nolby {

std::optional<Snapshot::Png> Snapshot::render(Size size, double scale, Color background,
                                              const std::function<void(cairo_t*)>& draw) {
    const double pw = std::round(size.width * scale), ph = std::round(size.height * scale);
    if (!std::isfinite(scale) || !(scale > 0) || !(pw >= 1) || !(ph >= 1)) return std::nullopt;
    if (pw > Pict::maxSide || ph > Pict::maxSide || pw * ph > static_cast<double>(Pict::maxPixels)) return std::nullopt;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(pw), static_cast<int>(ph));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return std::nullopt;
    }
    cairo_t* cr = cairo_create(surface);
    draw::scale(cr, scale, scale);
    cairo_rectangle(cr, 0, 0, size.width, size.height);
    draw::setColor(cr, background);
    cairo_fill(cr);
    if (draw) draw(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    std::optional<Png> png = encode(surface);
    cairo_surface_destroy(surface);
    return png;
}

namespace {

void append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Snapshot::Png*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

}  // namespace

std::optional<Snapshot::Png> Snapshot::encode(cairo_surface_t* surface) {
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    if (!data || w <= 0 || h <= 0) return std::nullopt;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return std::nullopt;
    }
    Png out;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return std::nullopt;
    }
    png_set_write_fn(png, &out, append, flushNothing);
    // The pictures are opaque: RGB, compressed for speed (they are made while a turn starts).
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, Z_BEST_SPEED);
    png_write_info(png, info);
    // libpng takes the surface's rows as they lie: a cairo pixel is one native-endian word
    // 0xAARRGGBB, so in memory B G R A on a little-endian machine and A R G B on a big one;
    // the alpha byte is dropped as filler.
    if constexpr (std::endian::native == std::endian::little) {
        png_set_bgr(png);
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    } else {
        png_set_filler(png, 0, PNG_FILLER_BEFORE);
    }
    for (int y = 0; y < h; ++y) png_write_row(png, data + size_t(y) * stride);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

double Snapshot::pictureHeight(NotebookModel& model, int page) {
    const double pageH = model.nb->pageH;
    if (!(pageH > tallPage)) return pageH;
    return std::min(model.lowestInk(page) + 200, pageH);
}

std::optional<Snapshot::Png> Snapshot::page(NotebookModel& model, int page, double scale) {
    const double w = model.nb->pageW, h = pictureHeight(model, page);
    const double s = std::min(maxSide / std::max(w, h), scale);
    const std::vector<InkOpRef> ops = model.settledOps(page);
    std::vector<InkOpRef> typed;
    if (const auto& e = model.editing.get(); e && e->page == page) {
        Hand hand = NotebookModel::noteHand(1);
        typed = hand.write(e->text, e->x, e->y, e->width, NotebookModel::noteSize, Ink::learner, Faces::Face::hand,
                           std::nullopt, Hand::Align::left, true, std::nullopt, 0, 0, 0.5)
                    .ops;
    }
    return render({w, h}, s, Ink::paper, [&](cairo_t* cr) {
        for (const InkOpRef& op : ops) op->draw(cr, 1);
        for (const InkOpRef& op : typed) op->draw(cr, 1);
    });
}

std::optional<Snapshot::Png> Snapshot::newInk(NotebookModel& model, const std::vector<Notebook::Unread>& items,
                                              double scale) {
    Rect r = Rect::null();
    for (const Notebook::Unread& u : items) {
        const Rect b = model.bounds(u.item);
        if (!b.isNull()) r = r.united(b);
    }
    if (r.isNull()) return std::nullopt;
    r = r.insetBy(-12, -12);
    // Long strokes would make a huge picture at three times their size.
    const double s = std::min(maxSide / std::max(r.width(), r.height()), scale);
    return render({r.width(), r.height()}, s, Color{1, 1, 1, 1}, [&](cairo_t* cr) {
        draw::translate(cr, -r.minX(), -r.minY());
        for (const Notebook::Unread& u : items)
            if (const StrokeItem* stroke = u.item.stroke()) InkStrokeOp(*stroke, Ink::ink).draw(cr, 1);
    });
}

}  // namespace nolby
