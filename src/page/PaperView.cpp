#include "page/PaperView.h"

#include "ink/Ink.h"
#include "ink/mag/ChromeText.h"
#include "page/PaperTexture.h"
#include "platform/Canvas.h"
#include "platform/Unicode.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

bool finite(double v) { return std::isfinite(v); }

}  // namespace

PaperView PaperView::forPage(const Notebook& nb, int64_t index, double s, PageSide side, bool ground) {
    const bool low = nb.pageH < 700;
    PaperView p;
    p.pageSize = {nb.pageW, nb.pageH};
    p.scale = s;
    p.number = index + 1;
    p.notebook = nb;
    p.top = s * (low ? 76 : 104);
    if (side == PageSide::single) return p;
    p.furniture = s / 1.1;
    p.headY = s * (low ? 40 : 68);
    p.folioY = s * (nb.pageH - 30);
    p.openerBand = false;
    p.side = side;
    p.ground = ground;
    return p;
}

bool PaperView::opener() const { return openerBand && number == 1 && !notebook.title.empty(); }

std::string PaperView::masthead() const {
    if (notebook.title.empty()) return {};
    const int64_t issue = notebook.issue && *notebook.issue >= 1 ? *notebook.issue : 1;
    return unicode::uppercased("No. " + chrome::zeroPadded(issue, 3)) + "  \u00b7  " +
           unicode::uppercased(notebook.title);
}

std::string PaperView::folioNumber() const { return chrome::zeroPadded(number, 2); }

double PaperView::bandHeight() const { return std::max(top - 18, 70.0); }

void PaperView::drawGround(cairo_t* cr, double W, double H) const {
    // The texture is made for the size taken up to 64 points and squeezed to fit exactly.
    // Sides beyond any texture are cut down before they become ints (and get none).
    auto side = [](double v) { return static_cast<int>(std::min(v, PaperTexture::kMaxSide + 1.0)); };
    auto texture = PaperTexture::shared().image(side(W), side(H));
    if (!texture) return;
    draw::Saved saved(cr);
    cairo_rectangle(cr, 0, 0, W, H);
    cairo_clip(cr);
    if (!draw::scale(cr, W / texture->width(), H / texture->height())) return;
    cairo_set_source_surface(cr, texture->surface(), 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
}

void PaperView::draw(cairo_t* cr, Size offered, const CoverBand::Look& band) const {
    const double W = offered.width, H = offered.height;
    if (!cr || !finite(W) || !finite(H) || W < 1 || H < 1) return;
    if (!finite(top) || !finite(furniture) || (headY && !finite(*headY)) || (folioY && !finite(*folioY))) return;
    if (ground) drawGround(cr, W, H);
    if (opener()) drawBand(cr, W, band);
    drawMasthead(cr, W);
    drawFolio(cr, W, H);
}

void drawPageBack(cairo_t* cr, Size view, bool ground, const PaperView* paper, const CoverBand::Look& band) {
    const double W = view.width, H = view.height;
    if (!cr || !finite(W) || !finite(H) || W < 1 || H < 1) return;
    if (ground) {
        draw::Saved saved(cr);
        cairo_rectangle(cr, 0, 0, W, H);
        draw::setColor(cr, Ink::paper);
        cairo_fill(cr);
    }
    if (paper) paper->draw(cr, view, band);
}

}  // namespace nolby
