#include "page/PageBack.h"

#include "platform/Canvas.h"

#include <cmath>

namespace nolby {

void PageBack::draw(cairo_t* cr, Size view, bool ground, const std::optional<PaperView>& paper,
                    const CoverBand::Look& band) {
    if (!cr || !std::isfinite(view.width) || !std::isfinite(view.height) || view.width < 1 || view.height < 1) return;
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    const double pixelScale = std::sqrt(std::fabs(m.xx * m.yy - m.xy * m.yx));
    if (!std::isfinite(pixelScale) || !(pixelScale > 0)) return;

    Key key{view, pixelScale, ground, paper, band.shown, band.leaving, band.progress};
    if (!bitmap_ || key_ != key) {
        Canvas canvas(view.width, view.height, pixelScale);
        drawPageBack(canvas.cr(), view, ground, paper ? &*paper : nullptr, band);
        cairo_surface_t* surface = cairo_surface_reference(canvas.surface());
        bitmap_ = Image::adopt(surface);
        key_ = key;
        ++renders_;
    }
    if (!bitmap_) return;
    draw::Saved saved(cr);
    // One bitmap pixel per device pixel: no resampling.
    if (!draw::scale(cr, 1 / pixelScale, 1 / pixelScale)) return;
    cairo_set_source_surface(cr, bitmap_->surface(), 0, 0);
    cairo_paint(cr);
}

}  // namespace nolby
