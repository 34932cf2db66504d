// The page's print furniture: the masthead line and the folio.
#include "page/PaperView.h"

#include "ink/Mag.h"
#include "ink/mag/ChromeText.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <vector>

namespace nolby {

namespace {

// The chrome's sans: "Futura-Bold" through its system stand-in.
std::shared_ptr<const Font> futuraBold(double size) { return Mag::systemFont(Mag::kFuturaBoldStandIn, size); }

}  // namespace

std::optional<PaperView::MastheadLine> PaperView::mastheadLine(double W) const {
    const std::string text = masthead();
    if (text.empty() || !(furniture > 0)) return std::nullopt;
    const double maxWidth = side == PageSide::single ? W - 200 : W * 0.8;
    if (!(maxWidth > 0)) return std::nullopt;
    MastheadLine m;
    m.line = chrome::line(text, *futuraBold(furniture * 9.5), furniture * 1.5, maxWidth);
    // The line's frame is maxWidth wide and centred on cx; the text sits in it by side.
    const double cx = W * (side == PageSide::single ? 0.5 : side == PageSide::left ? 0.46 : 0.54);
    m.x = cx - m.line.width() / 2;
    if (side == PageSide::left) m.x = cx - maxWidth / 2;
    if (side == PageSide::right) m.x = cx + maxWidth / 2 - m.line.width();
    m.baseline = m.line.baselineCentredOn(headY.value_or(72));
    return m;
}

void PaperView::drawMasthead(cairo_t* cr, double W) const {
    const auto m = mastheadLine(W);
    if (!m) return;
    if (opener()) {
        chrome::shadow(cr, m->line, m->x, m->baseline, Color{0, 0, 0, 0.3}, 3);
        chrome::fill(cr, m->line, m->x, m->baseline, Color{1, 1, 1, 1});
    } else {
        // The plain masthead's shadow is fully transparent: nothing to draw.
        chrome::fill(cr, m->line, m->x, m->baseline, Mag::black.withAlpha(0.42));
    }
}

std::vector<PaperView::FolioPart> PaperView::folio(double W, double H) const {
    if (!(furniture > 0)) return {};
    const double f = furniture;
    const double size = f * 19;
    FolioPart brand{FolioPart::Kind::brand, chrome::line("NOLBY", *futuraBold(f * 8.5), f * 1.6), {},
                    Mag::black.withAlpha(0.45)};
    FolioPart rule{FolioPart::Kind::rule, {}, {}, Mag::black.withAlpha(0.35)};
    FolioPart digits{FolioPart::Kind::number,
                     chrome::line(folioNumber(),
                                  *Mag::ct(Mag::Face::fraunces, size,
                                           {{"wght", 600}, {"SOFT", 100}, {"opsz", std::clamp(size, 9.0, 144.0)},
                                            {"WONK", 1}}),
                                  0),
                     {}, Color::hex(Mag::inks(notebook.color).a)};
    std::vector<FolioPart> row;
    if (side == PageSide::right) row = {brand, rule, digits};
    else row = {digits, rule, brand};

    // One row at its natural size, items f × 7 apart and centred on y, the row centred on cx.
    const double spacing = f * 7;
    auto width = [&](const FolioPart& p) { return p.kind == FolioPart::Kind::rule ? 1.0 : p.text.width(); };
    double total = spacing * static_cast<double>(row.size() - 1);
    for (const FolioPart& p : row) total += width(p);
    const double cx = side == PageSide::right ? W - f * 58 : f * 58;
    const double y = folioY.value_or(H - 53);
    double x = cx - total / 2;
    for (FolioPart& p : row) {
        const double h = p.kind == FolioPart::Kind::rule ? f * 13 : p.text.ascent + p.text.descent;
        p.frame = {x, y - h / 2, width(p), h};
        x += width(p) + spacing;
    }
    return row;
}

void PaperView::drawFolio(cairo_t* cr, double W, double H) const {
    for (const FolioPart& p : folio(W, H)) {
        if (p.kind != FolioPart::Kind::rule) {
            chrome::fill(cr, p.text, p.frame.x, p.frame.y + p.text.ascent, p.color);
            continue;
        }
        draw::Saved saved(cr);
        cairo_rectangle(cr, p.frame.x, p.frame.y, p.frame.w, p.frame.h);
        draw::setColor(cr, p.color);
        cairo_fill(cr);
    }
}

}  // namespace nolby
