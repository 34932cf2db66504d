#include "platform/Image.h"

namespace nolby {

Image::Image(cairo_surface_t* s)
    : surface_(s), width_(cairo_image_surface_get_width(s)), height_(cairo_image_surface_get_height(s)) {}

Image::~Image() { cairo_surface_destroy(surface_); }

std::shared_ptr<const Image> Image::adopt(cairo_surface_t* surface) {
    if (!surface) return nullptr;
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE || cairo_image_surface_get_width(surface) <= 0 ||
        cairo_image_surface_get_height(surface) <= 0) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    return std::shared_ptr<const Image>(new Image(surface));
}

std::shared_ptr<const Image> Image::fromPng(const std::string& file) {
    return adopt(cairo_image_surface_create_from_png(file.c_str()));
}

}  // namespace nolby
