#include "platform/Pict.h"

#include "platform/PictCodecs.h"

#include <algorithm>
#include <cmath>

namespace nolby::Pict {

namespace detail {

bool fits(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= maxSide && height <= maxSide && width * height <= maxPixels;
}

cairo_surface_t* newSurface(int width, int height) {
    if (!fits(width, height)) return nullptr;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS || !cairo_image_surface_get_data(s)) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    cairo_surface_flush(s);
    return s;
}

}  // namespace detail

namespace {

// Resamples the whole image onto a w by h surface; edges are padded so they do not fade.
std::shared_ptr<const Image> resized(const Image& image, int w, int h) {
    cairo_surface_t* s = detail::newSurface(w, h);
    if (!s) return nullptr;
    cairo_t* cr = cairo_create(s);
    cairo_scale(cr, double(w) / image.width(), double(h) / image.height());
    cairo_set_source_surface(cr, image.surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    return Image::adopt(s);
}

}  // namespace

std::shared_ptr<const Image> image(std::span<const uint8_t> bytes) {
    if (detail::isPng(bytes)) return detail::decodePng(bytes);
    if (detail::isJpeg(bytes)) return detail::decodeJpeg(bytes);
    return nullptr;
}

std::shared_ptr<const Image> thumbnail(std::span<const uint8_t> bytes, int maxPixel) {
    if (maxPixel <= 0) return nullptr;
    std::shared_ptr<const Image> full;
    if (detail::isPng(bytes))
        full = detail::decodePng(bytes);
    else if (detail::isJpeg(bytes))
        full = detail::decodeJpeg(bytes, maxPixel);
    if (!full) return nullptr;
    const int w = full->width(), h = full->height(), longSide = std::max(w, h);
    if (longSide <= maxPixel) return full;
    const double scale = double(maxPixel) / longSide;
    const int tw = w >= h ? maxPixel : std::max(1, int(std::lround(w * scale)));
    const int th = h > w ? maxPixel : std::max(1, int(std::lround(h * scale)));
    return resized(*full, tw, th);
}

std::optional<std::vector<uint8_t>> encode(const Image& image, std::string_view type, std::optional<double> quality) {
    if (type == png) return detail::encodePng(image);
    if (type == jpeg) return detail::encodeJpeg(image, quality.value_or(defaultJpegQuality));
    return std::nullopt;
}

}  // namespace nolby::Pict
