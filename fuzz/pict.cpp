// Arbitrary bytes as an image file: decoding must never crash, and whatever decodes must be
// a sane bitmap that encodes and decodes again at the same size.
#include "platform/Pict.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace nolby;

namespace {

void checkBitmap(const Image& img) {
    fuzz::require(img.width() > 0 && img.height() > 0);
    fuzz::require(int64_t(img.width()) * img.height() <= Pict::maxPixels);
    fuzz::require(cairo_image_surface_get_format(img.surface()) == CAIRO_FORMAT_ARGB32);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    auto img = Pict::image(bytes);
    if (img) {
        checkBitmap(*img);
        // Large pictures are slow to re-encode and teach the fuzzer nothing new.
        if (int64_t(img->width()) * img->height() <= 4096) {
            auto png = Pict::encode(*img, Pict::png);
            fuzz::require(png.has_value());
            auto back = Pict::image(*png);
            fuzz::require(back && back->width() == img->width() && back->height() == img->height());
            fuzz::require(Pict::encode(*img, Pict::jpeg).has_value());
        }
    }
    const int maxPixel = size ? 1 + data[size - 1] % 64 : 1;
    if (auto thumb = Pict::thumbnail(bytes, maxPixel)) {
        checkBitmap(*thumb);
        fuzz::require(thumb->width() <= maxPixel && thumb->height() <= maxPixel);
    }
    return 0;
}
