#include "ui/notebook/PageSurface.h"

#include "ui/CairoImage.h"

#include <QPainter>

#include <cmath>

namespace nolby {

PageSurface::PageSurface(std::shared_ptr<const Clock> clock, QWidget* parent)
    : QWidget(parent), clock_(clock ? std::move(clock) : SteadyClock::shared()) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    frames_.setTimerType(Qt::PreciseTimer);
    frames_.setInterval(kFrameMs);
    connect(&frames_, &QTimer::timeout, this, [this] { update(); });
}

void PageSurface::changed() { update(); }

void PageSurface::paintEvent(QPaintEvent*) {
    const double ratio = devicePixelRatioF();
    const int w = static_cast<int>(std::ceil(width() * ratio)), h = static_cast<int>(std::ceil(height() * ratio));
    if (w < 1 || h < 1) return;
    if (image_.width() != w || image_.height() != h || image_.format() != QImage::Format_ARGB32_Premultiplied)
        image_ = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
    if (image_.isNull()) return;
    image_.setDevicePixelRatio(ratio);
    image_.fill(Qt::transparent);

    const double now = clock_->now();
    paintWithCairo(image_, ratio, [&](cairo_t* cr) { paintSurface(cr, {double(width()), double(height())}, now); });

    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), image_);

    if (animating(now)) {
        if (!frames_.isActive()) frames_.start();
    } else {
        frames_.stop();
    }
}

}  // namespace nolby
