#pragma once
// One page of an open notebook on screen: a PageSurface that the page's painter draws into,
// paper and ink in one pass. It repaints at up to 120 frames a second while the page
// animates (ink being revealed, a cover arriving, the tutor's signs) and rests otherwise;
// what the page reads of its model is watched, synced on the next turn of the event loop and
// redrawn. It takes no pointer events: clicks reach whatever lies beneath it.
//
// The clock is the scheduler's (in the application, the QtScheduler's media clock).

#include "page/PagePainter.h"
#include "ui/notebook/PageSurface.h"

#include <memory>

namespace nolby {

class PageWidget final : public PageSurface {
public:
    PageWidget(PageView view, std::shared_ptr<Scheduler> scheduler, std::shared_ptr<PressSource> press = nullptr,
               QWidget* parent = nullptr);

    // Shows other fields (another page, model, side ...).
    void setView(PageView view);
    const PageView& view() const { return painter_.view(); }
    PagePainter& painter() { return painter_; }

protected:
    void paintSurface(cairo_t* cr, Size view, double now) override;
    bool animating(double now) const override { return painter_.animating(now); }

private:
    PagePainter painter_;
};

}  // namespace nolby
