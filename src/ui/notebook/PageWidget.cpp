#include "ui/notebook/PageWidget.h"

namespace nolby {

PageWidget::PageWidget(PageView view, std::shared_ptr<Scheduler> scheduler, std::shared_ptr<PressSource> press,
                       QWidget* parent)
    : PageSurface(scheduler ? scheduler->clock() : nullptr, parent),
      painter_(std::move(view), PagePainter::Environment{devicePixelRatioF(), scheduler, std::move(press)}) {
    painter_.onChange([this] { changed(); });
}

void PageWidget::setView(PageView view) {
    painter_.set(std::move(view));
    changed();
}

void PageWidget::paintSurface(cairo_t* cr, Size, double now) {
    // The screen's pixel density is known for certain only when painting.
    painter_.setDisplayScale(devicePixelRatioF());
    painter_.paint(cr, now);
}

}  // namespace nolby
