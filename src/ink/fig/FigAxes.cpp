// Coordinate axes: two hand-drawn lines with arrowheads and grey axis names. Axes carry no
// ticks; they take their data range from the plot drawn in about the same box, so that
// they cross where the plotted data has x = 0 and y = 0.
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"

#include <cmath>
#include <optional>

namespace nolby {

namespace {

// Where 0 lies between lo and hi, as a fraction of the way from `from` (lo or hi) to the
// other end: (bh·from) / (hi − lo). Huge ranges overflow that product or difference, so they
// fall back to halved values, which give the same fraction.
double crossing(double length, double from, double lo, double hi) {
    const double v = length * from / (hi - lo);
    if (std::isfinite(v)) return v;
    return length * ((0.5 * from) / (0.5 * hi - 0.5 * lo));
}

}  // namespace

std::optional<Fig::Box> Fig::boxOf(const J& o) const {
    const std::vector<double> box = o.nums("box");
    if (box.size() >= 4) return Box{cl(box[0]), cl(box[1]), cl(box[2]), cl(box[3])};
    if (o.has("x") && o.has("w")) return Box{cl(o.num("x", 0)), cl(o.num("y", 0)), cl(o.num("w", 0)), cl(o.num("h", 30))};
    return std::nullopt;
}

void Fig::axes(const J& o, const std::vector<J>& plots, Color color) {
    const std::optional<Box> box = boxOf(o);
    if (!box) return;
    const double bx = box->x, by = box->y, bw = box->w, bh = box->h;

    // Only the first plot in about the same box lends its ranges, wherever it stands.
    std::optional<Sampled> s;
    for (const J& p : plots) {
        const std::optional<Box> pb = boxOf(p);
        if (!pb) continue;
        if (std::fabs(pb->x - bx) < 4 && std::fabs(pb->y - by) < 4 && std::fabs(pb->w - bw) < 6 &&
            std::fabs(pb->h - bh) < 6) {
            s = sample(p);
            break;
        }
    }
    auto range = [&](const char* key, double Sampled::*field) -> std::optional<double> {
        if (const std::optional<double> v = J::number(o[key])) return v;
        if (s) return (*s).*field;
        return std::nullopt;
    };
    const std::optional<double> x0 = range("x0", &Sampled::x0), x1 = range("x1", &Sampled::x1);
    const std::optional<double> y0 = range("y0", &Sampled::y0), y1 = range("y1", &Sampled::y1);

    // The axes cross at the data's zero when the range spans it, else at the bottom left.
    double ya = by + bh, xa = bx;
    if (y0 && y1 && *y0 < 0 && 0 < *y1) ya = by + crossing(bh, *y1, *y0, *y1);
    if (x0 && x1 && *x0 < 0 && 0 < *x1) xa = bx - crossing(bw, *x0, *x0, *x1);

    const Pen p = pen(color, 2.1 * pw);
    const double left = ox + k * bx - 6 * u, right = ox + k * (bx + bw) + 14 * u, yx = oy + k * ya;
    const double xy = ox + k * xa, bottom = oy + k * (by + bh) + 6 * u, top = oy + k * by - 14 * u;
    Path lines;
    rough.line(lines, left, yx, right, yx, 2);
    rough.line(lines, xy, bottom, xy, top, 2);
    ops.push_back(std::make_shared<StrokeOp>(lines, p, 2, 1));

    Path heads;
    rough.arrowhead(heads, right, yx, 1, 0, 14 * u);
    rough.arrowhead(heads, xy, top, 0, -1, 14 * u);
    ops.push_back(std::make_shared<StrokeOp>(heads, p, 2, 1));

    // The names are grey whatever the axes' colour; blank ones draw nothing.
    text(o.str("xl", ""), bx + bw + 1.5, ya + 6.5, "r", 0.85, Ink::grey, "");
    text(o.str("yl", ""), xa + 2, by - 1, "l", 0.85, Ink::grey, "");
}

}  // namespace nolby
