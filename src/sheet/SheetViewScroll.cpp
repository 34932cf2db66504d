// The sheet moving: the scroll notification, glides on the media clock, the opening
// position, the caret kept in view, following the tutor's pen, and wheel and swipe gestures.
#include "sheet/SheetView.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

constexpr double kGlideSeconds = 0.5;
constexpr double kGlideTick = 1.0 / 120;
// A wheel that reports no gesture phases: this much quiet ends its gesture.
constexpr double kWheelQuiet = 0.12;

// Cubic ease-in-out.
double eased(double t) {
    if (t < 0.5) return 4 * t * t * t;
    const double u = 2 - 2 * t;
    return 1 - u * u * u / 2;
}

}  // namespace

void SheetView::scrolled() {
    place();
    const Rect v = visible();
    state_->scrollY.set(v.minY());
    // Scrolling to the end resumes following.
    if (layout_ && layout_->height - v.maxY() < 60 && !state_->following.get()) state_->following.set(true);
    publishSelection();
    repaint();
}

double SheetView::maxScroll() const {
    if (!host_) return 0;
    const double height = layout_ ? layout_->height : 0;
    return std::max(height - host_->viewportSize().height, 0.0);
}

void SheetView::scrollTo(double y, bool animated) {
    if (!host_) return;
    double target = std::clamp(std::isfinite(y) ? y : 0.0, 0.0, maxScroll());
    glide_.cancel();
    const double from = host_->scrollPosition();
    if (!animated || !(std::fabs(target - from) > 1)) {
        host_->setScrollPosition(target);
        return;
    }
    const double start = env_.scheduler->now();
    std::weak_ptr<SheetView> weak = weak_from_this();
    auto timer = std::make_shared<Timer>();
    *timer = env_.scheduler->every(kGlideTick, [weak, timer, start, from, target] {
        auto self = weak.lock();
        if (!self || !self->host_) {
            timer->cancel();
            return;
        }
        const double t = (self->env_.scheduler->now() - start) / kGlideSeconds;
        if (t >= 1) {
            // Cancelled before landing, so the notification sees no glide running.
            timer->cancel();
            self->host_->setScrollPosition(target);
            return;
        }
        self->host_->setScrollPosition(from + (target - from) * eased(t));
    });
    glide_ = *timer;
}

void SheetView::placeInitially() {
    auto m = model();
    if (placed_ || !m || !layout_) return;
    // A head lays out before the opening position can be known; without one there is
    // nothing to wait for.
    if (head_ && !headMeasured_) return;
    placed_ = true;
    const SheetLayout& l = *layout_;
    if (m->isEmptyNotebook() || l.slices.empty()) return;
    const SheetLayout::Slice& last = l.slices.back();
    const double ink = m->lowestInk(last.page);
    const double y = l.sheetY(last, ink);
    // The last written line shows 62 % down the view.
    scrollTo(y - 0.62 * host_->viewportSize().height, false);
}

void SheetView::showCaret() {
    auto m = model();
    if (!m || !layout_ || !host_) return;
    const std::optional<NotebookModel::Editing>& e = m->editing.get();
    if (!e) return;
    const std::optional<Rect> caret = layout_->view(NotebookModel::caret(*e), e->page);
    if (!caret) return;
    const Rect v = visible();
    if (v.maxY() < caret->maxY() + 80) scrollTo(caret->maxY() + 80 - v.height(), true);
    else if (v.minY() > caret->minY() - 60) scrollTo(caret->minY() - 60, true);
}

// ---- The pen

std::optional<double> SheetView::penY() {
    auto m = model();
    if (!m || !layout_ || layout_->slices.empty()) return std::nullopt;
    const SheetLayout& l = *layout_;
    for (const SheetLayout::Slice& s : l.slices) {
        for (const PageItem& item : m->nb->pages[s.page].items) {
            const std::optional<int> drawn = m->scribe->drawn(item.id());
            if (!drawn) continue;
            const InkCache::Entry& entry = m->entry(item);
            if (*drawn < 0 || *drawn >= static_cast<int>(entry.ops.size())) continue;
            const InkOpRef& op = entry.ops[*drawn];
            const Rect b = op ? op->bounds() : Rect::null();
            if (b.isNull()) continue;
            return l.sheetY(s, b.maxY());
        }
    }
    return std::nullopt;
}

void SheetView::followPen() {
    auto m = model();
    if (!m || !inWindow_ || !host_) return;
    const Rect v = visible();
    std::optional<double> pen;
    if (m->scribe->busy.get()) {
        pen = penY();
    } else if (m->tutor->thinking && m->tutor->thinkingAt && layout_) {
        const NotebookModel::TutorStatus::Mark& at = *m->tutor->thinkingAt;
        if (const SheetLayout::Slice* s = layout_->sliceOf(at.page))
            pen = layout_->sheetY(*s, at.point.y) + 30;
    }
    const bool below = pen && v.maxY() - 20 < *pen;
    state_->writingBelow.set(below && !state_->following.get());
    if (state_->following.get() && pen && !dragging() && !gliding() && *pen > v.minY() + 0.72 * v.height())
        scrollTo(*pen - 0.4 * v.height(), true);
}

void SheetView::catchUp() {
    state_->following.set(true);
    const double h = visible().height();
    if (const std::optional<double> pen = penY()) scrollTo(*pen - 0.4 * h, true);
    else scrollTo(layout_ ? layout_->height : 0, true);
}

// ---- Wheel and swipe

bool SheetView::wheel(const Wheel& e) {
    const double now = env_.scheduler->now();
    Wheel::Phase phase = e.phase;
    if (phase == Wheel::Phase::none) {
        // Without phases, a pause of 120 ms separates one gesture from the next; the end
        // of the gesture is judged when the quiet is over.
        if (lastWheel_ < 0 || now - lastWheel_ >= kWheelQuiet) phase = Wheel::Phase::began;
        lastWheel_ = now;
        quiet_.cancel();
        std::weak_ptr<SheetView> weak = weak_from_this();
        quiet_ = env_.scheduler->after(kWheelQuiet, [weak] {
            if (auto self = weak.lock()) self->swipeEnded();
        });
    }
    if (phase == Wheel::Phase::began) swipe_ = {};
    if (phase != Wheel::Phase::momentum) {
        // The fingers' own travel, whichever way the content follows them.
        const double s = e.inverted ? 1 : -1;
        swipe_.width += e.dx * s;
        swipe_.height += e.dy * s;
    }
    if (e.phase == Wheel::Phase::ended && swipeEnded()) return true;
    if (e.dy > 0.5 && state_->following.get()) state_->following.set(false);
    glide_.cancel();
    return false;
}

bool SheetView::swipeEnded() {
    lastWheel_ = -1;
    // A rightward swipe, mostly horizontal, closes a deep dive.
    if (!actions_ || !actions_->close || !(swipe_.width > 110) || !(swipe_.width > 2 * std::fabs(swipe_.height)))
        return false;
    swipe_ = {};
    actions_->close();
    return true;
}

}  // namespace nolby
