#pragma once
// Text as a coarse one-bit bitmap scaled up with hard pixel edges: the magazine's retro
// headline type. The bitmap is set in the news face at a size measured in bitmap pixels,
// wrapped at spaces, thresholded to opaque white or nothing, and kept in a small cache;
// drawing tints it and may add red and cyan copies split sideways like mis-registered print.

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/Image.h"

#include <cairo.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace nolby {

struct PixelText {
    std::string text;
    double size = 12;   // nominal text size in points
    double px = 1;      // points per bitmap pixel
    double width = 0;   // points a line may take before wrapping
    Color color;
    double split = 0;   // sideways offset of the red and cyan copies in bitmap pixels; 0: none
    size_t maxLines = 0;  // lines kept (the last cut short with "…"); 0: every line

    // How the bitmap is set: the font size and line pitch in bitmap pixels, and the lines.
    struct Setting {
        double fontSize = 0;
        int lineHeight = 0;
        std::vector<std::string> lines;
    };
    static Setting setting(const std::string& text, double size, double px, double width, size_t maxLines = 0);

    // The bitmap of the text: lines flush left, white where set, clear elsewhere; 2 pixels
    // wider and taller than the text. From the cache when it holds the same text, size,
    // pixel size, width and line limit. Null when the numbers cannot make a bitmap.
    static std::shared_ptr<const Image> raster(const std::string& text, double size, double px, double width,
                                               size_t maxLines = 0);

    // Distinct bitmaps kept; the one used longest ago goes first.
    static constexpr size_t kCacheSize = 256;
    static size_t cached();

    // The view's size in points: the bitmap's pixels times px.
    Size measure() const;
    // Draws the text with its top left at `origin`.
    void draw(cairo_t* cr, Point origin) const;
};

}  // namespace nolby
