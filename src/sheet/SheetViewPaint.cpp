// Drawing the visible part of the sheet in one pass into one surface: the paper behind the
// whole view, the head, each page slice in view through its page painter (ink multiplied
// onto the paper needs the paper beneath it in the same surface), the caret and prompt, and
// the selection multiplied on top like a marker.
#include "sheet/SheetView.h"

#include "page/PaperTexture.h"
#include "platform/Canvas.h"
#include "platform/Path.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

// The pane's paper behind the whole view; it does not scroll. The texture is drawn for the
// view's size taken up to a multiple of 64 points at 2 pixels a point: shown at its own
// scale and cut to the view (rather than stretched by a few per cent), a frame at 2 pixels a
// point copies its pixels instead of resampling them.
void paintPaper(cairo_t* cr, double width, double height) {
    const double w = std::floor(width), h = std::floor(height);
    if (!(w >= 1) || !(h >= 1)) return;
    std::shared_ptr<const Image> paper = PaperTexture::shared().image(static_cast<int>(w), static_cast<int>(h));
    if (!paper || paper->width() < 1 || paper->height() < 1) return;
    draw::Saved saved(cr);
    draw::clipRect(cr, {0, 0, width, height});
    if (!draw::scale(cr, 0.5, 0.5)) return;
    cairo_set_source_surface(cr, paper->surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
}

}  // namespace

void SheetView::paint(cairo_t* cr, double now) {
    if (!cr || cairo_status(cr) != CAIRO_STATUS_SUCCESS) return;
    auto m = model();
    const Rect v = visible();
    paintPaper(cr, v.width(), v.height());
    if (!m || !layout_) return;
    const SheetLayout& l = *layout_;

    draw::Saved saved(cr);
    if (!draw::translate(cr, 0, -v.minY())) return;
    // What the frame redraws, on the sheet: a caret's blink redraws only its bar, and what
    // lies elsewhere is not drawn at all.
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    const Rect dirty{x1, y1, x2 - x1, y2 - y1};

    if (head_ && headHeight_ > 0 && v.minY() < headHeight_ && dirty.intersects({l.x, 0, l.columnWidth(), headHeight_})) {
        draw::Saved inHead(cr);
        draw::clipRect(cr, {l.x, 0, l.columnWidth(), headHeight_});
        if (draw::translate(cr, l.x, 0)) head_->paint(cr, now);
    }

    const bool active = host_ && host_->windowActive();
    marks_.sync(*m, now);
    for (auto& [page, h] : hosts_) {
        if (!h.frame.intersects(v) || !h.frame.intersects(dirty)) continue;
        draw::Saved inSlice(cr);
        draw::clipRect(cr, h.frame);
        const Point origin = h.origin(l.scale);
        if (!draw::translate(cr, origin.x, origin.y)) continue;
        h.painter->paint(cr, now);
        marks_.paint(cr, *m, page, h.painter->view().geometry(), active, now);
    }

    if (!highlight_.empty()) {
        Path path;
        for (const Rect& r : highlight_) path.addRoundedRect(r, 3, 3);
        // The key window's focused sheet shows the active selection colour.
        const Color color = host_ ? host_->selectionColor(active && firstResponder_) : Color{0.8, 0.8, 0.8, 1};
        draw::fillPath(cr, path, color, CAIRO_OPERATOR_MULTIPLY);
    }
}

bool SheetView::contentAnimating(double now) const {
    if (head_ && head_->animating(now)) return true;
    const Rect v = visible();
    for (const auto& [page, h] : hosts_)
        if (h.frame.intersects(v) && h.painter->animating(now)) return true;
    return false;
}

bool SheetView::animating(double now) const {
    auto m = lockModel();
    if (!m) return false;
    return contentAnimating(now) || marks_.animating(*m, host_ && host_->windowActive(), now);
}

std::optional<SheetView::Blink> SheetView::blinkOnly(double now) const {
    auto m = lockModel();
    if (!m || !layout_ || contentAnimating(now) || marks_.promptMoving(now)) return std::nullopt;
    const Rect v = visible();
    const std::optional<SheetMarks::Blink> blink = marks_.blink(*m, host_ && host_->windowActive(), now);
    if (!blink) return std::nullopt;
    const auto shown = hosts_.find(blink->page);
    if (shown == hosts_.end() || !shown->second.frame.intersects(v)) return Blink{Rect{}, blink->wait};
    // Placed as paint() places the page.
    const PageHost& h = shown->second;
    const Point origin = h.origin(layout_->scale);
    const Rect bar = SheetMarks::bar(blink->caret, h.painter->view().geometry());
    const Rect inView{origin.x + bar.x, origin.y + bar.y - v.minY(), bar.w, bar.h};
    // The bar's edges are antialiased, and the slice clips it.
    const Rect slice{h.frame.x, h.frame.y - v.minY(), h.frame.w, h.frame.h};
    const Rect covered = inView.insetBy(-2, -2).intersected(slice);
    return Blink{covered.isNull() ? Rect{} : covered, blink->wait};
}

}  // namespace nolby
