#pragma once
// A decoded bitmap, shared read-only: a cairo ARGB32 (premultiplied) image surface.

#include <cairo.h>

#include <memory>
#include <string>

namespace nolby {

class Image {
public:
    // Takes over the surface; null when it is not a usable image surface.
    static std::shared_ptr<const Image> adopt(cairo_surface_t* surface);
    static std::shared_ptr<const Image> fromPng(const std::string& file);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    cairo_surface_t* surface() const { return surface_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    explicit Image(cairo_surface_t* s);
    cairo_surface_t* surface_;
    int width_, height_;
};

}  // namespace nolby
