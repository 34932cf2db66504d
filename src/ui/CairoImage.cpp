#include "ui/CairoImage.h"

#include <QPainter>

#include <cmath>

namespace nolby {

namespace {

constexpr double kMaxSide = 16384;  // cairo's own limit is 32767; no view needs more

}  // namespace

void paintWithCairo(QImage& image, double ratio, const std::function<void(cairo_t*)>& paint) {
    if (image.isNull() || image.format() != QImage::Format_ARGB32_Premultiplied || !paint) return;
    cairo_surface_t* surface = cairo_image_surface_create_for_data(image.bits(), CAIRO_FORMAT_ARGB32, image.width(),
                                                                   image.height(), static_cast<int>(image.bytesPerLine()));
    cairo_t* cr = cairo_create(surface);
    if (std::isfinite(ratio) && ratio > 0) cairo_scale(cr, ratio, ratio);
    paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
}

QImage cairoImage(QSizeF size, double ratio, const std::function<void(cairo_t*)>& paint) {
    if (!(ratio > 0) || !std::isfinite(ratio)) ratio = 1;
    const double w = std::ceil(size.width() * ratio), h = std::ceil(size.height() * ratio);
    if (!(w >= 1) || !(h >= 1) || w > kMaxSide || h > kMaxSide) return {};
    QImage image(static_cast<int>(w), static_cast<int>(h), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    image.fill(Qt::transparent);
    paintWithCairo(image, ratio, paint);
    image.setDevicePixelRatio(ratio);
    return image;
}

bool paintFrame(QWidget& target, QImage& frame, const std::function<void(cairo_t*)>& paint, const QRect& dirty) {
    const double ratio = target.devicePixelRatioF();
    const int w = static_cast<int>(std::ceil(target.width() * ratio));
    const int h = static_cast<int>(std::ceil(target.height() * ratio));
    if (w < 1 || h < 1) return false;
    const bool kept = frame.width() == w && frame.height() == h && frame.format() == QImage::Format_ARGB32_Premultiplied;
    if (!kept) frame = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
    if (frame.isNull()) return false;
    frame.setDevicePixelRatio(ratio);

    // The device pixels a partial repaint redoes: every pixel the dirty rectangle touches.
    QRect pixels(0, 0, w, h);
    if (kept && dirty.isValid()) {
        const int x0 = static_cast<int>(std::floor(dirty.x() * ratio));
        const int y0 = static_cast<int>(std::floor(dirty.y() * ratio));
        const int x1 = static_cast<int>(std::ceil((dirty.x() + dirty.width()) * ratio));
        const int y1 = static_cast<int>(std::ceil((dirty.y() + dirty.height()) * ratio));
        pixels = pixels.intersected(QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1)));
        if (pixels.isEmpty()) return true;
    }
    const bool whole = pixels == QRect(0, 0, w, h);
    if (whole) frame.fill(Qt::transparent);
    paintWithCairo(frame, 1, [&](cairo_t* cr) {
        if (!whole) {
            // Clipped on whole device pixels, so no edge pixel is half cleared and half kept.
            cairo_rectangle(cr, pixels.x(), pixels.y(), pixels.width(), pixels.height());
            cairo_clip(cr);
            cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
            cairo_paint(cr);
            cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        }
        cairo_scale(cr, ratio, ratio);
        paint(cr);
    });
    QPainter painter(&target);
    if (!whole) painter.setClipRect(QRectF(pixels.x() / ratio, pixels.y() / ratio, pixels.width() / ratio, pixels.height() / ratio));
    painter.drawImage(QPointF(0, 0), frame);
    return true;
}

}  // namespace nolby
