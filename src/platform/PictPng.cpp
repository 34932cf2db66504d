// PNG through libpng's simplified API, which handles every colour type, bit depth,
// palette and transparency chunk and reports failures instead of aborting.

#include "platform/PictCodecs.h"

#include <png.h>

#include <cstring>

namespace nolby::Pict::detail {

bool isPng(std::span<const uint8_t> bytes) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    return bytes.size() >= 8 && std::memcmp(bytes.data(), signature, 8) == 0;
}

std::shared_ptr<const Image> decodePng(std::span<const uint8_t> bytes) {
    if (!isPng(bytes)) return nullptr;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return nullptr;
    if (!fits(png.width, png.height)) {
        png_image_free(&png);
        return nullptr;
    }
    png.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(png));
    const bool read = png_image_finish_read(&png, nullptr, rgba.data(), 0, nullptr);
    png_image_free(&png);
    if (!read) return nullptr;

    const int w = int(png.width), h = int(png.height);
    cairo_surface_t* s = newSurface(w, h);
    if (!s) return nullptr;
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
        const uint8_t* src = rgba.data() + size_t(y) * w * 4;
        for (int x = 0; x < w; ++x, src += 4) {
            const uint8_t a = src[3];
            row[x] = uint32_t(a) << 24 | uint32_t(premultiply(src[0], a)) << 16 |
                     uint32_t(premultiply(src[1], a)) << 8 | premultiply(src[2], a);
        }
    }
    cairo_surface_mark_dirty(s);
    return Image::adopt(s);
}

std::optional<std::vector<uint8_t>> encodePng(const Image& image) {
    const int w = image.width(), h = image.height();
    cairo_surface_t* s = image.surface();
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    const cairo_format_t format = cairo_image_surface_get_format(s);
    if (!data || w <= 0 || h <= 0 || (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24))
        return std::nullopt;
    // RGB24 leaves the top byte undefined: those pixels are opaque.
    const uint32_t opaqueBits = format == CAIRO_FORMAT_RGB24 ? 0xFF000000u : 0;

    // PNG stores straight alpha.
    std::vector<uint8_t> rgba(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
        uint8_t* dst = rgba.data() + size_t(y) * w * 4;
        for (int x = 0; x < w; ++x, dst += 4) {
            const uint32_t p = row[x] | opaqueBits;
            const uint8_t a = uint8_t(p >> 24);
            dst[0] = unpremultiply(uint8_t(p >> 16), a);
            dst[1] = unpremultiply(uint8_t(p >> 8), a);
            dst[2] = unpremultiply(uint8_t(p), a);
            dst[3] = a;
        }
    }

    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(w);
    png.height = png_uint_32(h);
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, rgba.data(), 0, nullptr) || size == 0) {
        png_image_free(&png);
        return std::nullopt;
    }
    std::vector<uint8_t> out(size);
    const bool written = png_image_write_to_memory(&png, out.data(), &size, 0, rgba.data(), 0, nullptr);
    png_image_free(&png);
    if (!written) return std::nullopt;
    out.resize(size);
    return out;
}

}  // namespace nolby::Pict::detail
