#pragma once
// Private to Pict: the PNG and JPEG codecs and the bitmap helpers they share.

#include "platform/Image.h"

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace nolby::Pict::detail {

// Whether a decoded image of this size may be allocated.
bool fits(int64_t width, int64_t height);

// A fresh ARGB32 surface of this size, or null (size refused or allocation failed).
cairo_surface_t* newSurface(int width, int height);

// Premultiplies one straight-alpha colour component the way cairo's own PNG reader does.
inline uint8_t premultiply(uint8_t c, uint8_t a) {
    unsigned t = unsigned(c) * a + 0x80;
    return uint8_t((t + (t >> 8)) >> 8);
}

// The inverse, rounded; a transparent pixel has no colour left to recover.
inline uint8_t unpremultiply(uint8_t c, uint8_t a) {
    if (a == 0) return 0;
    unsigned v = (unsigned(c) * 255 + a / 2) / a;
    return uint8_t(v > 255 ? 255 : v);
}

bool isPng(std::span<const uint8_t> bytes);
bool isJpeg(std::span<const uint8_t> bytes);

std::shared_ptr<const Image> decodePng(std::span<const uint8_t> bytes);
std::optional<std::vector<uint8_t>> encodePng(const Image& image);

// Decodes at the smallest of the decoder's scales whose longer side still reaches
// `minLongSide` (0: full size).
std::shared_ptr<const Image> decodeJpeg(std::span<const uint8_t> bytes, int minLongSide = 0);
std::optional<std::vector<uint8_t>> encodeJpeg(const Image& image, double quality);

}  // namespace nolby::Pict::detail
