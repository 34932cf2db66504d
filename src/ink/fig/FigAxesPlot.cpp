// Plots: the graph of a formula of x as a hand-drawn curve in a box. The curve breaks where
// the formula is undefined and where it leaves the y range, so asymptotes and roots of
// negative numbers never draw a wild line across the box.
#include "ink/Expr.h"
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace nolby {

std::optional<Fig::Sampled> Fig::sample(const J& o) const {
    const std::shared_ptr<const Expr> f = Expr::parse(o.str("f", ""));
    if (!f) return std::nullopt;
    Sampled s;
    s.x0 = o.num("x0", 0);
    s.x1 = o.num("x1", 1);
    const double span = s.x1 - s.x0;
    if (!std::isfinite(span) || span == 0) return std::nullopt;

    s.xs.reserve(kSamples);
    s.ys.reserve(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        const double x = s.x0 + span * i / (kSamples - 1);
        s.xs.push_back(x);
        s.ys.push_back(f->root(x));
    }

    const std::optional<double> y0 = J::number(o["y0"]), y1 = J::number(o["y1"]);
    if (y0 && y1) {
        s.y0 = *y0;
        s.y1 = *y1;
    } else {
        // One given end alone is ignored: the range fits the finite values with 10 % to spare.
        bool any = false;
        double lo = 0, hi = 0;
        for (double y : s.ys) {
            if (!std::isfinite(y)) continue;
            lo = any ? std::min(lo, y) : y;
            hi = any ? std::max(hi, y) : y;
            any = true;
        }
        if (!any) return std::nullopt;
        const double margin = std::max(hi - lo, 1e-6) * 0.1;
        s.y0 = lo - margin;
        s.y1 = hi + margin;
    }
    const double height = s.y1 - s.y0;
    if (!std::isfinite(height) || height == 0) return std::nullopt;
    return s;
}

void Fig::plot(const J& o, Color color, double w) {
    const Box box = boxOf(o).value_or(Box{10, 5, 80, boxH - 10});
    const std::optional<Sampled> s = sample(o);
    if (!s) return;

    // A little slack around the y range, so a curve that just touches it is not cut.
    const double lo = std::min(s->y0, s->y1), hi = std::max(s->y0, s->y1);
    const double margin = (hi - lo) * 0.02;
    const double bottom = lo - margin, top = hi + margin;

    std::vector<std::vector<Point>> runs;
    std::vector<Point> run;
    auto close = [&] {
        // A lone point between two breaks is dropped.
        if (run.size() >= 2) runs.push_back(std::move(run));
        run.clear();
    };
    for (int i = 0; i < kSamples; ++i) {
        const double y = s->ys[i];
        if (!std::isfinite(y) || y < bottom || y > top) {
            close();
            continue;
        }
        const double px = cl(box.x + box.w * (s->xs[i] - s->x0) / (s->x1 - s->x0));
        const double py = cl(box.y + (1 - (y - s->y0) / (s->y1 - s->y0)) * box.h);
        run.push_back({ox + px * k, oy + py * k});
    }
    close();
    if (runs.empty()) return;

    Path path;
    for (const auto& r : runs) rough.curve(path, Rough::thin(r, 5 * u), 1, 0.35);
    ops.push_back(std::make_shared<StrokeOp>(path, pen(color, 1.05 * w), 1, 1));
}

}  // namespace nolby
