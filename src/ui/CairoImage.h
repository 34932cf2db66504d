#pragma once
// Our painters draw with cairo; Qt shows QImages. A cairo ARGB32 surface and a QImage of
// Format_ARGB32_Premultiplied share one memory layout, so cairo draws straight into the
// image's pixels and nothing is copied.

#include <cairo.h>

#include <QImage>
#include <QSizeF>

#include <functional>

namespace nolby {

// Runs `paint` with a cairo context over the image's pixels, its units scaled by `ratio`
// (device pixels per point). Nothing for a null image or one of another format.
void paintWithCairo(QImage& image, double ratio, const std::function<void(cairo_t*)>& paint);

// A transparent image of `size` points at `ratio` device pixels per point (its device pixel
// ratio set), painted by `paint`. A null image when the size is empty or too large.
QImage cairoImage(QSizeF size, double ratio, const std::function<void(cairo_t*)>& paint);

}  // namespace nolby
