#include "page/ReadingSweep.h"

#include "ink/Ink.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

// A swept line fades while its progress runs from 1 to this, then stays at its floor.
constexpr double kSettled = 1 + 0.45 / 1.2;

}  // namespace

std::vector<ReadingSweep::Underline> ReadingSweep::underlines(double now) const {
    std::vector<Underline> out;
    const double e = now - start;
    if (!std::isfinite(e)) return out;
    for (size_t i = 0; i < lines.size(); ++i) {
        const double p = (e - kStep * static_cast<double>(i)) / kStep;
        if (!(p > 0)) break;  // later lines start later still
        const Rect& line = lines[i];
        Underline u;
        u.line = i;
        u.progress = p;
        const double q = std::min(p, 1.0);
        u.reach = q * q * (3 - 2 * q);
        u.opacity = 0.7 * std::max(1 - 1.2 * std::max(p - 1, 0.0), 0.55);
        const double y0 = line.maxY() + 3.5, run = u.reach * (line.width() + 4);
        u.path.moveTo({line.minX() - 2, y0});
        u.path.quadTo({line.minX() + run * 0.5, y0 + 1.6}, {line.minX() - 2 + run, y0 + 0.6});
        out.push_back(std::move(u));
    }
    return out;
}

void ReadingSweep::draw(cairo_t* cr, double now, double presence) const {
    if (!cr || !(presence > 0)) return;
    const auto marks = underlines(now);
    if (marks.empty()) return;
    draw::Saved saved(cr);
    if (!draw::translate(cr, origin.x, origin.y) || !draw::scale(cr, scale, scale)) return;
    draw::setLineWidth(cr, 1.6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(cr, 10);
    for (const Underline& u : marks) {
        cairo_new_path(cr);
        draw::appendPath(cr, u.path);
        draw::setColor(cr, Ink::pencil.withAlpha(u.opacity * std::min(presence, 1.0)));
        cairo_stroke(cr);
    }
}

bool ReadingSweep::animating(double now) const {
    if (lines.empty() || !std::isfinite(now - start)) return false;
    const double settled = kStep * static_cast<double>(lines.size() - 1) + kStep * kSettled;
    return now - start < settled;
}

}  // namespace nolby
