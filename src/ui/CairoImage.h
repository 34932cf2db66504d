#pragma once
// Our painters draw with cairo; Qt shows QImages. A cairo ARGB32 surface and a QImage of
// Format_ARGB32_Premultiplied share one memory layout, so cairo draws straight into the
// image's pixels and nothing is copied.

#include <cairo.h>

#include <QImage>
#include <QRect>
#include <QSizeF>
#include <QWidget>

#include <functional>

namespace nolby {

// Runs `paint` with a cairo context over the image's pixels, its units scaled by `ratio`
// (device pixels per point). Nothing for a null image or one of another format.
void paintWithCairo(QImage& image, double ratio, const std::function<void(cairo_t*)>& paint);

// A transparent image of `size` points at `ratio` device pixels per point (its device pixel
// ratio set), painted by `paint`. A null image when the size is empty or too large.
QImage cairoImage(QSizeF size, double ratio, const std::function<void(cairo_t*)>& paint);

// One frame of a widget drawn by our painters: `frame` (kept between frames, remade only
// when the widget's device-pixel size changes) cleared, painted by `paint` in points, and
// drawn onto `target`. Call from the widget's paintEvent. With a `dirty` rectangle (the
// paint event's, in the widget's coordinates) inside a frame that was kept, only the
// device pixels under it are cleared, painted (the context clipped to them) and shown; the
// rest of the frame stays as it was. False when there was nothing to paint (an empty
// widget, an image that could not be made).
bool paintFrame(QWidget& target, QImage& frame, const std::function<void(cairo_t*)>& paint, const QRect& dirty = {});

}  // namespace nolby
