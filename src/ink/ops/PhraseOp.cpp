#include "ink/ops/PhraseOp.h"

#include "ink/ops/TextOp.h"
#include "platform/Canvas.h"

#include <algorithm>

namespace nolby {

double PhraseOp::travelOf(const std::vector<Run>& runs, std::vector<double>& starts) {
    starts.clear();
    if (runs.empty()) return 0;
    starts.push_back(0);
    for (size_t i = 1; i < runs.size(); ++i) {
        const Run& prev = runs[i - 1];
        double prevEnd = prev.x + prev.glyphs.width;
        // A gap between two runs counts as travel; an overlap does not.
        starts.push_back(starts.back() + prev.glyphs.width + std::max(0.0, runs[i].x - prevEnd));
    }
    return starts.back() + runs.back().glyphs.width;
}

PhraseOp::PhraseOp(std::vector<Run> r, double s, std::optional<Color> h)
    : runs(std::move(r)), size(s), halo(h), travel(travelOf(runs, starts_)) {}

Rect PhraseOp::bounds() const {
    Rect box = Rect::null();
    for (const Run& run : runs)
        box = box.united({run.x - 0.2 * size, run.y - 1.1 * size, run.glyphs.width + 0.4 * size, 1.55 * size});
    return box;
}

double PhraseOp::ease(double x) const {
    x = std::clamp(x, 0.0, 1.0);
    return 0.8 * x + 0.2 * smoothstep(x);
}

void PhraseOp::drawRun(cairo_t* cr, const Run& run) const {
    draw::Saved saved(cr);
    if (draw::translate(cr, run.x, run.y)) fillGlyphs(cr, run.glyphs.path, run.color, halo, size);
}

void PhraseOp::draw(cairo_t* cr, double t) const {
    if (!(t > 0)) return;
    if (t >= 1) {
        for (const Run& run : runs) drawRun(cr, run);
        return;
    }
    const double s = size, soft = 0.85 * s, reach = t * (travel + soft);
    for (size_t i = 0; i < runs.size(); ++i) {
        const Run& run = runs[i];
        double m = reach - starts_[i];
        if (m <= 0) break;
        if (m >= soft + run.glyphs.width) {
            drawRun(cr, run);
            continue;
        }
        // Partly written: the run's own ink in a group, faded out towards the front.
        draw::Saved saved(cr);
        Rect r{run.x - 0.3 * s, run.y - 1.3 * s, run.glyphs.width + 0.6 * s, 1.9 * s};
        double edge = run.x + m;
        draw::clipRect(cr, {r.x, r.y, std::max(edge - r.x, 0.0), r.h});
        draw::clipRect(cr, r);  // the layer is bounded by the run's rectangle
        cairo_push_group(cr);
        drawRun(cr, run);
        // The gradient's ends move with the front, so each draw makes its own: a shared
        // pattern would have to be repositioned, which is not safe across threads.
        cairo_pattern_t* fade = cairo_pattern_create_linear(edge - soft, 0, edge, 0);
        cairo_pattern_add_color_stop_rgba(fade, 0, 0, 0, 0, 1);
        cairo_pattern_add_color_stop_rgba(fade, 1, 0, 0, 0, 0);
        cairo_pattern_set_extend(fade, CAIRO_EXTEND_PAD);
        cairo_set_source(cr, fade);
        cairo_set_operator(cr, CAIRO_OPERATOR_DEST_IN);
        cairo_paint(cr);
        cairo_pattern_destroy(fade);
        cairo_pop_group_to_source(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        cairo_paint(cr);
    }
}

}  // namespace nolby
