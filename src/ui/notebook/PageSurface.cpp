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
    const double now = clock_->now();
    if (!paintFrame(*this, image_, [&](cairo_t* cr) { paintSurface(cr, {double(width()), double(height())}, now); }))
        return;

    if (animating(now)) {
        if (!frames_.isActive()) frames_.start();
    } else {
        frames_.stop();
    }
}

}  // namespace nolby
