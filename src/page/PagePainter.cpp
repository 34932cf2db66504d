#include "page/PagePainter.h"

#include "platform/Canvas.h"
#include "press/Press.h"

#include <cmath>

namespace nolby {

namespace {

// A patch bitmap larger than this is not kept: the patch is drawn as vectors each frame.
constexpr int kMaxPatchSide = 16384;
constexpr double kMaxPatchPixels = 32e6;

// Device pixels per view point of the context's current transform (uniform scales only).
double pixelScaleOf(cairo_t* cr) {
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    return std::sqrt(std::fabs(m.xx * m.yy - m.xy * m.yx));
}

}  // namespace

PagePainter::PagePainter(PageView view, Environment env) : view_(std::move(view)), env_(std::move(env)) {
    pending_->painter = this;
    watch();
    if (env_.scheduler) sync(env_.scheduler->now());
}

PagePainter::~PagePainter() {
    pending_->painter = nullptr;
    watches_.clear();
    if (stage_) InkStage::dismantle(*stage_);
    if (patchBitmap_) cairo_surface_destroy(patchBitmap_);
}

void PagePainter::set(PageView view) {
    if (view == view_) return;
    const bool newModel = view.model != view_.model;
    const bool newPage = newModel || view.index != view_.index;
    view_ = std::move(view);
    if (newModel) resetFor(view_);
    if (newPage) synced_ = false;  // the signs of another page show as they are
    if (env_.scheduler) sync(env_.scheduler->now());
}

void PagePainter::setDisplayScale(double displayScale) {
    if (!std::isfinite(displayScale) || !(displayScale > 0) || displayScale == env_.displayScale) return;
    env_.displayScale = displayScale;
    if (env_.scheduler) sync(env_.scheduler->now());
}

void PagePainter::resetFor(const PageView&) {
    if (stage_) InkStage::dismantle(*stage_);
    stage_.reset();
    back_ = PageBack();
    band_ = CoverBand();
    rasterKey_.reset();
    raster_ = {};
    patchKey_.reset();
    note_.reset();
    noteOps_.clear();
    watch();
}

// ---- Watching

void PagePainter::onChange(std::function<void()> redraw) { redraw_ = std::move(redraw); }

void PagePainter::watch() {
    watches_.clear();
    if (!env_.scheduler) return;
    auto pending = pending_;
    std::shared_ptr<Scheduler> scheduler = env_.scheduler;
    // Observers only ask for a sync: the model may be midway through a change when it
    // tells, so the page is read on the next turn of the loop, once for all that changed.
    auto changed = [pending, scheduler] {
        if (pending->queued || !pending->painter) return;
        pending->queued = true;
        scheduler->post([pending] {
            pending->queued = false;
            PagePainter* p = pending->painter;
            if (!p) return;
            p->sync(p->env_.scheduler->now());
            if (p->redraw_) p->redraw_();
        });
    };
    NotebookModel* m = view_.model.get();
    if (!m) return;
    // Only this notebook's cover: the press working through other notebooks (failing them
    // one by one while offline) changes nothing a page shows.
    if (auto press = std::dynamic_pointer_cast<Press>(env_.press)) watches_.push_back(press->observe(m->nb->id, changed));
    watches_.push_back(m->nb.observe(changed));
    watches_.push_back(m->viewSize.observe(changed));
    watches_.push_back(m->editing.observe(changed));
    watches_.push_back(m->tutor.observe(changed));
    watches_.push_back(m->pageIndex.observe(changed));
    watches_.push_back(m->live.observe(changed));
    watches_.push_back(m->liveVersion.observe(changed));
    watches_.push_back(m->tool.observe(changed));
    watches_.push_back(m->pen.observe(changed));
    watches_.push_back(m->pageVersions.observe(changed));
    watches_.push_back(m->rasterVersion.observe(changed));
    watches_.push_back(m->scribe->version.observe(changed));
}

// ---- Syncing

void PagePainter::sync(double now) {
    syncStage();
    syncRaster();

    std::optional<NoteCanvas> note = view_.note();
    if (note != note_) {
        noteOps_ = note ? note->ops() : std::vector<InkOpRef>{};
        note_ = std::move(note);
    }

    std::optional<ReadingSweep> sweep = view_.sweep();
    std::optional<PageView::Thinking> thinking = view_.thinking();
    if (!synced_) {
        // What a page already shows when it appears is there at once; only later changes
        // enter and leave.
        sweepShown_ = Presence(ReadingSweep::kFade, Presence::kEaseInOut, bool(sweep));
        thinkingShown_ = Presence(ThinkingMark::kEntrance, Presence::kEaseInOut, bool(thinking));
        synced_ = true;
    } else {
        sweepShown_.set(bool(sweep), now);
        thinkingShown_.set(bool(thinking), now);
    }
    // A sign that goes keeps its last look while it leaves.
    if (sweep) sweep_ = std::move(sweep);
    if (thinking) thinking_ = std::move(thinking);
}

void PagePainter::syncStage() {
    if (!view_.live || !view_.model || !env_.scheduler) {
        if (stage_) InkStage::dismantle(*stage_);
        stage_.reset();
        return;
    }
    const InkStage value = view_.stage();
    const InkStage::Environment env{env_.displayScale, env_.scheduler};
    if (!stage_) {
        stage_ = value.make(env);
    } else if (!(value == stageValue_) || stageDisplay_ != env_.displayScale) {
        value.update(*stage_, env);
    }
    stageValue_ = value;
    stageDisplay_ = env_.displayScale;
}

void PagePainter::syncRaster() {
    if (view_.live || !view_.model) {
        rasterKey_.reset();
        raster_ = {};
        return;
    }
    NotebookModel& m = *view_.model;
    const PageGeometry g = view_.geometry();
    RasterKey key{view_.pageId(),  m.version(view_.index), m.rasterVersion.get(), m.scribe->version.get(),
                  m.editingId(),   g.s * env_.displayScale, g};
    if (rasterKey_ == key) return;
    rasterKey_ = key;
    raster_ = view_.rasterInk(env_.displayScale);
    ++layerReads_;
}

// ---- Drawing

void PagePainter::paint(cairo_t* cr, double now) {
    sync(now);
    if (!cr || cairo_status(cr) != CAIRO_STATUS_SUCCESS || !view_.drawable()) return;
    const Size size = view_.viewSize();
    const PageGeometry g = view_.geometry();
    draw::Saved saved(cr);

    const std::optional<PaperView> paper = view_.paperView();
    if (view_.ground || paper) {
        CoverBand::Look look;
        if (paper && paper->opener() && env_.press) look = band_.look(*env_.press, paper->notebook.id, now);
        back_.draw(cr, size, view_.ground, paper, look);
    }

    if (view_.live) {
        if (stage_) stage_->render(cr, now);
    } else {
        drawRaster(cr);
    }

    if (auto stroke = view_.liveStroke()) stroke->draw(cr);
    if (note_) NoteCanvas::draw(cr, noteOps_, g.ox, g.s);
    if (sweep_ && sweepShown_.visible(now)) sweep_->draw(cr, now, sweepShown_.amount(now));
    if (thinking_ && thinkingShown_.visible(now))
        thinking_->mark.draw(cr, thinking_->frame, now, thinkingShown_.amount(now));
}

void PagePainter::drawRaster(cairo_t* cr) {
    for (const PageLayer& layer : raster_.layers) {
        const auto& image = layer.raster.image;
        const Rect f = view_.layerFrame(layer);
        if (!image || image->width() < 1 || image->height() < 1 || !(f.w > 0) || !(f.h > 0)) continue;
        draw::Saved saved(cr);
        // The bitmap stretched to its frame.
        if (!draw::translate(cr, f.x, f.y) || !draw::scale(cr, f.w / image->width(), f.h / image->height())) continue;
        cairo_set_source_surface(cr, image->surface(), 0, 0);
        cairo_paint(cr);
    }
    drawPatch(cr);
}

void PagePainter::drawPatch(cairo_t* cr) {
    const InkPatch& patch = raster_.patch;
    const Rect f = patch.frame();
    const double k = pixelScaleOf(cr);
    if (f.isNull() || !std::isfinite(k) || !(k > 0)) return;

    const PatchKey key{patch, view_.model ? view_.model->version(view_.index) : 0, k};
    if (patchKey_ != key) {
        if (patchBitmap_) cairo_surface_destroy(patchBitmap_);
        patchBitmap_ = nullptr;
        patchKey_ = key;
        const double x0 = std::floor(f.x * k), y0 = std::floor(f.y * k);
        const double w = std::ceil((f.x + f.w) * k) - x0, h = std::ceil((f.y + f.h) * k) - y0;
        if (w >= 1 && h >= 1 && w <= kMaxPatchSide && h <= kMaxPatchSide && w * h <= kMaxPatchPixels) {
            patchBitmap_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(w), int(h));
            if (cairo_surface_status(patchBitmap_) == CAIRO_STATUS_SUCCESS) {
                cairo_t* pcr = cairo_create(patchBitmap_);
                // Device pixel (x0, y0) of the view is the bitmap's corner.
                cairo_translate(pcr, -x0, -y0);
                cairo_scale(pcr, k, k);
                patch.draw(pcr);
                cairo_destroy(pcr);
                cairo_surface_flush(patchBitmap_);
                patchX_ = int(x0);
                patchY_ = int(y0);
                ++patchRenders_;
            } else {
                cairo_surface_destroy(patchBitmap_);
                patchBitmap_ = nullptr;
            }
        }
    }
    if (!patchBitmap_) {
        patch.draw(cr);  // too large to keep: drawn as vectors
        return;
    }
    draw::Saved saved(cr);
    if (!draw::scale(cr, 1 / k, 1 / k)) return;
    cairo_set_source_surface(cr, patchBitmap_, patchX_, patchY_);
    cairo_paint(cr);
}

bool PagePainter::animating(double now) const {
    if (view_.live && stage_ && stage_->animating(now)) return true;
    if (band_.animating(now)) return true;
    if (sweepShown_.animating(now) || (sweep_ && sweepShown_.shown() && sweep_->animating(now))) return true;
    // The thinking mark turns for as long as it shows.
    return thinking_ && (thinkingShown_.shown() || thinkingShown_.visible(now));
}

}  // namespace nolby
