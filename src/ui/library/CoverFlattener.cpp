#include "ui/library/CoverFlattener.h"

#include "platform/Blur.h"
#include "platform/Canvas.h"
#include "platform/DayText.h"
#include "platform/NumberText.h"
#include "press/covers/IssueCover.h"
#include "ui/CairoImage.h"

#include <cmath>
#include <numbers>

namespace nolby {

namespace {

void roundedRect(cairo_t* cr, double w, double h, double r) {
    cairo_new_path(cr);
    cairo_move_to(cr, r, 0);
    cairo_arc(cr, w - r, r, r, -std::numbers::pi / 2, 0);
    cairo_arc(cr, w - r, h - r, r, 0, std::numbers::pi / 2);
    cairo_arc(cr, r, h - r, r, std::numbers::pi / 2, std::numbers::pi);
    cairo_arc(cr, r, r, r, std::numbers::pi, 3 * std::numbers::pi / 2);
    cairo_close_path(cr);
}

// A QImage's pixels as a cairo surface to read from (they share memory; the image must
// outlive it, and nothing draws into it).
cairo_surface_t* surfaceOf(const QImage& image) {
    return cairo_image_surface_create_for_data(const_cast<uchar*>(image.constBits()), CAIRO_FORMAT_ARGB32,
                                               image.width(), image.height(), static_cast<int>(image.bytesPerLine()));
}

}  // namespace

CoverFlattener::CoverFlattener(std::shared_ptr<Scheduler> scheduler, size_t capacity)
    : scheduler_(std::move(scheduler)), capacity_(std::max<size_t>(capacity, 1)),
      self_(std::make_shared<CoverFlattener*>(this)) {}

CoverFlattener::~CoverFlattener() { *self_ = nullptr; }

std::string CoverFlattener::key(const Request& r) {
    return r.notebook.id.string() + "|" + NumberText::shortest(referenceSeconds(r.notebook.updated)) + "|" +
           std::to_string(reinterpret_cast<uintptr_t>(r.art.get())) + "|" + NumberText::shortest(r.size.width()) +
           "x" + NumberText::shortest(r.size.height()) + "@" + NumberText::shortest(r.ratio) + "|" +
           (r.dark ? "dark" : "light") + "|" + NumberText::shortest(r.lean) + (r.printing ? "|printing" : "") + "|" +
           std::to_string(DayText::dayOrdinal(DayText::localDay(r.today)));
}

std::shared_ptr<const FlatCover> CoverFlattener::get(const Request& request, const std::function<void()>& ready) {
    const std::string k = key(request);
    if (auto found = entries_.find(k); found != entries_.end()) {
        const Entry& entry = found->second.first;
        if (!request.art || entry.art.lock() == request.art) {
            order_.splice(order_.begin(), order_, found->second.second);
            return entry.flat;
        }
        order_.erase(found->second.second);  // made from a picture since freed
        entries_.erase(found);
    }
    if (ready) waitingFor_[k].push_back(ready);
    if (running_.count(k)) return nullptr;
    Job& job = queued_[k];
    job.request = request;
    job.asked = frame_;
    job.order = ++asked_;
    pump();
    return nullptr;
}

void CoverFlattener::beginFrame() { ++frame_; }

void CoverFlattener::pump() {
    while (running_.size() < kAtOnce) {
        // The newest request first; entries the last frame did not ask for again have left
        // the view and go. `latest` only ever points at an entry that stays.
        auto latest = queued_.end();
        for (auto it = queued_.begin(); it != queued_.end();) {
            if (it->second.asked + 1 < frame_) {
                waitingFor_.erase(it->first);
                it = queued_.erase(it);
                continue;
            }
            if (latest == queued_.end() || it->second.order > latest->second.order) latest = it;
            ++it;
        }
        if (latest == queued_.end()) return;
        const std::string k = latest->first;
        const Request request = std::move(latest->second.request);
        queued_.erase(latest);
        running_.insert(k);
        std::weak_ptr<CoverFlattener*> self = self_;
        std::weak_ptr<Scheduler> scheduler = scheduler_;
        scheduler_->background([self, scheduler, k, request] {
            auto flat = std::make_shared<const FlatCover>(flatten(request));
            if (auto s = scheduler.lock())
                s->post([self, k, flat, art = request.art] {
                    auto owner = self.lock();
                    if (!owner || !*owner) return;
                    (*owner)->store(k, flat, art);
                });
        });
    }
}

void CoverFlattener::store(const std::string& k, std::shared_ptr<const FlatCover> flat,
                           std::shared_ptr<const Image> art) {
    running_.erase(k);
    if (auto old = entries_.find(k); old != entries_.end()) {
        order_.erase(old->second.second);
        entries_.erase(old);
    }
    order_.push_front(k);
    entries_[k] = {Entry{std::move(flat), art}, order_.begin()};
    while (order_.size() > capacity_) {
        entries_.erase(order_.back());
        order_.pop_back();
    }
    auto waiting = waitingFor_.extract(k);
    if (!waiting.empty())
        for (auto& ready : waiting.mapped())
            if (ready) ready();
    pump();
}

FlatCover CoverFlattener::flatten(const Request& r) {
    FlatCover out;
    const double w = r.size.width(), h = r.size.height();
    if (!(w > 0) || !(h > 0)) return out;
    IssueCover cover{r.notebook, false, r.today};
    IssueCover::Art art;
    art.look.shown.cover = r.art;
    art.printing = r.printing;
    art.pulse = 1;
    out.cover = cairoImage(r.size, r.ratio, [&](cairo_t* cr) {
        roundedRect(cr, w, h, kCorner);
        cairo_clip(cr);
        cover.draw(cr, {w, h}, art);
    });
    if (out.cover.isNull()) return out;

    // At rest: the cover turned by its lean about its centre, over a soft and a tight shadow.
    const QSizeF restSize(w + 2 * kSideMargin, h + kTopMargin + kBottomMargin);
    out.restAt = QPointF(-kSideMargin, -kTopMargin);
    const QImage& coverPixels = out.cover;
    out.rest = cairoImage(restSize, r.ratio, [&](cairo_t* cr) {
        draw::translate(cr, kSideMargin + w / 2, kTopMargin + h / 2);
        draw::rotate(cr, r.lean * std::numbers::pi / 180);
        draw::translate(cr, -w / 2, -h / 2);
        auto shape = [&](cairo_t* c) {
            roundedRect(c, w, h, kCorner);
            cairo_set_source_rgb(c, 0, 0, 0);
            cairo_fill(c);
        };
        // A marked cover is laid over the plain one at rest: it needs no shadows of its own.
        if (!r.printing) {
            drawShadow(cr, {0, 0, w, h}, Color{0, 0, 0, r.dark ? 0.55 : 0.22}, 7, 0, 14, shape);
            drawShadow(cr, {0, 0, w, h}, Color{0, 0, 0, 0.12}, 0.75, 0.5, 1.5, shape);
        }
        cairo_surface_t* s = surfaceOf(coverPixels);
        cairo_scale(cr, 1 / r.ratio, 1 / r.ratio);
        cairo_set_source_surface(cr, s, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_surface_destroy(s);
    });
    return out;
}

QImage CoverFlattener::shadow(QSizeF size, double ratio) {
    const double w = size.width(), h = size.height();
    return cairoImage(QSizeF(w + 2 * kMargin, h + 2 * kMargin), ratio, [&](cairo_t* cr) {
        draw::translate(cr, kMargin, kMargin);
        drawShadow(cr, {0, 0, w, h}, Color{0, 0, 0, 1}, 9, 0, 0, [&](cairo_t* c) {
            roundedRect(c, w, h, kCorner);
            cairo_set_source_rgb(c, 0, 0, 0);
            cairo_fill(c);
        });
    });
}

}  // namespace nolby
