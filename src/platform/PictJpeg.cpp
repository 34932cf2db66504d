// JPEG through the TurboJPEG API. Decoding writes straight into the cairo surface: an
// opaque ARGB32 pixel in memory order is B, G, R, 0xFF on little-endian machines.

#include "platform/PictCodecs.h"

#include <turbojpeg.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace nolby::Pict::detail {

namespace {

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr int opaquePixels = TJPF_BGRA;
constexpr int ignoredAlphaPixels = TJPF_BGRX;
#else
constexpr int opaquePixels = TJPF_ARGB;
constexpr int ignoredAlphaPixels = TJPF_XRGB;
#endif

// Owns a TurboJPEG handle.
struct Handle {
    tjhandle h;
    explicit Handle(tjhandle handle) : h(handle) {}
    ~Handle() {
        if (h) tjDestroy(h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
};

// The scaled size to decode at: the smallest the decoder offers whose longer side still
// reaches minLongSide, so the final resampling only ever shrinks.
void scaledSize(int w, int h, int minLongSide, int& sw, int& sh) {
    sw = w;
    sh = h;
    if (minLongSide <= 0) return;
    int count = 0;
    tjscalingfactor* factors = tjGetScalingFactors(&count);
    if (!factors) return;
    for (int i = 0; i < count; ++i) {
        const int fw = TJSCALED(w, factors[i]), fh = TJSCALED(h, factors[i]);
        if (fw > w || fh > h || fw < 1 || fh < 1) continue;
        if (std::max(fw, fh) >= minLongSide && int64_t(fw) * fh < int64_t(sw) * sh) {
            sw = fw;
            sh = fh;
        }
    }
}

}  // namespace

bool isJpeg(std::span<const uint8_t> bytes) {
    return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

std::shared_ptr<const Image> decodeJpeg(std::span<const uint8_t> bytes, int minLongSide) {
    if (!isJpeg(bytes) || bytes.size() >= ULONG_MAX - 2) return nullptr;
    // Some writers leave off the end marker after complete data. Supplying it keeps those
    // files readable while a file cut short still runs into the marker mid-scan and fails.
    std::vector<uint8_t> completed;
    if (bytes.size() < 2 || bytes[bytes.size() - 2] != 0xFF || bytes.back() != 0xD9) {
        completed.reserve(bytes.size() + 2);
        completed.assign(bytes.begin(), bytes.end());
        completed.push_back(0xFF);
        completed.push_back(0xD9);
        bytes = completed;
    }
    Handle tj(tjInitDecompress());
    if (!tj.h) return nullptr;
    auto* src = const_cast<unsigned char*>(bytes.data());
    const auto size = static_cast<unsigned long>(bytes.size());
    int w = 0, h = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(tj.h, src, size, &w, &h, &subsampling, &colorspace) != 0) return nullptr;
    if (!fits(w, h)) return nullptr;
    int sw = w, sh = h;
    scaledSize(w, h, minLongSide, sw, sh);

    cairo_surface_t* s = newSurface(sw, sh);
    if (!s) return nullptr;
    // Any complaint, a truncated file's warning included, refuses the image: a half-grey
    // picture is no better than none.
    if (tjDecompress2(tj.h, src, size, cairo_image_surface_get_data(s), sw, cairo_image_surface_get_stride(s), sh,
                      opaquePixels, 0) != 0) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    cairo_surface_mark_dirty(s);
    return Image::adopt(s);
}

std::optional<std::vector<uint8_t>> encodeJpeg(const Image& image, double quality) {
    cairo_surface_t* s = image.surface();
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const cairo_format_t format = cairo_image_surface_get_format(s);
    if (!data || image.width() <= 0 || image.height() <= 0 ||
        (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24))
        return std::nullopt;
    if (!std::isfinite(quality)) quality = 0.9;
    const int q = std::clamp(int(std::lround(quality * 100)), 1, 100);

    Handle tj(tjInitCompress());
    if (!tj.h) return std::nullopt;
    unsigned char* out = nullptr;
    unsigned long size = 0;
    // The alpha byte is ignored, so translucent pixels keep their premultiplied colour.
    const int rc = tjCompress2(tj.h, data, image.width(), cairo_image_surface_get_stride(s), image.height(),
                               ignoredAlphaPixels, &out, &size, TJSAMP_420, q, 0);
    std::optional<std::vector<uint8_t>> result;
    if (rc == 0 && out && size > 0) result = std::vector<uint8_t>(out, out + size);
    if (out) tjFree(out);
    return result;
}

}  // namespace nolby::Pict::detail
