#include "tutor/Snapshot.h"

#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/ops/InkStrokeOp.h"
#include "platform/Canvas.h"
#include "platform/Image.h"
#include "platform/Pict.h"

#include <algorithm>
#include <cmath>

namespace nolby {

std::optional<Snapshot::Png> Snapshot::render(Size size, double scale, Color background,
                                              const std::function<void(cairo_t*)>& draw) {
    const double pw = std::round(size.width * scale), ph = std::round(size.height * scale);
    if (!std::isfinite(scale) || !(scale > 0) || !(pw >= 1) || !(ph >= 1)) return std::nullopt;
    if (pw > Pict::maxSide || ph > Pict::maxSide || pw * ph > static_cast<double>(Pict::maxPixels)) return std::nullopt;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(pw), static_cast<int>(ph));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return std::nullopt;
    }
    cairo_t* cr = cairo_create(surface);
    draw::scale(cr, scale, scale);
    cairo_rectangle(cr, 0, 0, size.width, size.height);
    draw::setColor(cr, background);
    cairo_fill(cr);
    if (draw) draw(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    std::shared_ptr<const Image> image = Image::adopt(surface);
    if (!image) return std::nullopt;
    return Pict::encode(*image, Pict::png);
}

double Snapshot::pictureHeight(NotebookModel& model, int page) {
    const double pageH = model.nb->pageH;
    if (!(pageH > tallPage)) return pageH;
    return std::min(model.lowestInk(page) + 200, pageH);
}

std::optional<Snapshot::Png> Snapshot::page(NotebookModel& model, int page, double scale) {
    const double w = model.nb->pageW, h = pictureHeight(model, page);
    const double s = std::min(maxSide / std::max(w, h), scale);
    const std::vector<InkOpRef> ops = model.settledOps(page);
    std::vector<InkOpRef> typed;
    if (const auto& e = model.editing.get(); e && e->page == page) {
        Hand hand(1);
        typed = hand.write(e->text, e->x, e->y, e->width, NotebookModel::noteSize, Ink::learner, Faces::Face::hand,
                           std::nullopt, Hand::Align::left, true, std::nullopt, 0, 0, 0.5)
                    .ops;
    }
    return render({w, h}, s, Ink::paper, [&](cairo_t* cr) {
        for (const InkOpRef& op : ops) op->draw(cr, 1);
        for (const InkOpRef& op : typed) op->draw(cr, 1);
    });
}

std::optional<Snapshot::Png> Snapshot::newInk(NotebookModel& model, const std::vector<Notebook::Unread>& items,
                                              double scale) {
    Rect r = Rect::null();
    for (const Notebook::Unread& u : items) {
        const Rect b = model.bounds(u.item);
        if (!b.isNull()) r = r.united(b);
    }
    if (r.isNull()) return std::nullopt;
    r = r.insetBy(-12, -12);
    // Long strokes would make a huge picture at three times their size.
    const double s = std::min(maxSide / std::max(r.width(), r.height()), scale);
    return render({r.width(), r.height()}, s, Color{1, 1, 1, 1}, [&](cairo_t* cr) {
        draw::translate(cr, -r.minX(), -r.minY());
        for (const Notebook::Unread& u : items)
            if (const StrokeItem* stroke = u.item.stroke()) InkStrokeOp(*stroke, Ink::ink).draw(cr, 1);
    });
}

}  // namespace nolby
