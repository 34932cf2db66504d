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

bool paintFrame(QWidget& target, QImage& frame, const std::function<void(cairo_t*)>& paint) {
    const double ratio = target.devicePixelRatioF();
    const int w = static_cast<int>(std::ceil(target.width() * ratio));
    const int h = static_cast<int>(std::ceil(target.height() * ratio));
    if (w < 1 || h < 1) return false;
    if (frame.width() != w || frame.height() != h || frame.format() != QImage::Format_ARGB32_Premultiplied)
        frame = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
    if (frame.isNull()) return false;
    frame.setDevicePixelRatio(ratio);
    frame.fill(Qt::transparent);
    paintWithCairo(frame, ratio, paint);
    QPainter painter(&target);
    painter.drawImage(QPointF(0, 0), frame);
    return true;
}

}  // namespace nolby
