#pragma once
// Image files: decoding PNG and JPEG bytes into premultiplied bitmaps, and encoding
// bitmaps back into PNG or JPEG files. No state; safe from any thread.

#include "platform/Image.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace nolby::Pict {

// The file types callers name, as uniform type identifiers.
inline constexpr std::string_view png = "public.png";
inline constexpr std::string_view jpeg = "public.jpeg";

// JPEG quality when the caller gives none (what the cover press uses).
inline constexpr double defaultJpegQuality = 0.9;

// Larger images are refused rather than allowed to exhaust memory.
inline constexpr int maxSide = 32767;                  // the most a cairo surface holds
inline constexpr int64_t maxPixels = int64_t(1) << 26;  // 256 MB of pixels

// The first image of a PNG or JPEG file, decoded at once. Null for anything unreadable
// (empty, truncated, corrupt, unknown or oversized).
std::shared_ptr<const Image> image(std::span<const uint8_t> bytes);

// The image decoded so that its longer side is at most `maxPixel` (never enlarged); JPEGs
// are decoded at a reduced scale where they can be, so large files stay cheap.
std::shared_ptr<const Image> thumbnail(std::span<const uint8_t> bytes, int maxPixel);

// The image as one file of `type` (png or jpeg); nothing for another type or a failure.
// Takes ARGB32 or RGB24 bitmaps. `quality` (0 to 1) applies to JPEG only. JPEG has no
// alpha: translucent pixels come out as their premultiplied colour, that is, over black.
std::optional<std::vector<uint8_t>> encode(const Image& image, std::string_view type,
                                           std::optional<double> quality = std::nullopt);

}  // namespace nolby::Pict
