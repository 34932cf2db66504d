#include "ink/mag/PixelStair.h"

#include "ink/Mag.h"
#include "ink/Rng.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>

namespace nolby {

std::vector<PixelStair::Column> PixelStair::columns(Size size) const {
    std::vector<Column> out;
    if (!(px > 0) || !std::isfinite(px) || !std::isfinite(size.width) || !std::isfinite(size.height)) return out;
    const double across = std::clamp(std::floor(size.width / px), 0.0, double(kMaxColumns));
    const double down = std::clamp(std::floor(size.height / px), 0.0, 1e6);
    const int K = static_cast<int>(across);
    const int F = std::max(static_cast<int>(down), 4);
    Rng rng(seed);
    int h = F;
    for (int i = 0; i <= K; ++i) {
        // The target falls linearly from F cells at the left edge to 3 at the right.
        const int o = static_cast<int>(static_cast<int64_t>(F - 3) * i / std::max(K, 1));
        if (F - o < h && rng.unit() < 0.55) --h;
        if (rng.unit() < 0.08) ++h;
        h = std::clamp(h, 3, F);
        const bool stray = rng.unit() < 0.12;
        out.push_back({h, stray});
    }
    return out;
}

void PixelStair::draw(cairo_t* cr, const Rect& frame) const {
    const std::vector<Column> cols = columns({frame.w, frame.h});
    if (cols.empty()) return;
    draw::Saved saved(cr);
    const Color pale = Color::rgba8(221, 248, 252), blue = Color::rgba8(43, 108, 224);
    auto cell = [&](double x, double y, double w, double h, Color c) {
        Path p;
        p.addRect({frame.x + x, frame.y + y, w, h});
        draw::fillPath(cr, p, c);
    };
    for (size_t i = 0; i < cols.size(); ++i) {
        const double x = px * static_cast<double>(i);
        const int h = cols[i].height;
        cell(x, 0, px + 0.5, px * (h - 2) + 0.5, pale);
        cell(x, px * (h - 2), px + 0.5, px + 0.5, Mag::cyan);
        cell(x, px * (h - 1), px + 0.5, px + 0.5, blue);
        if (cols[i].stray) cell(x, px * (h + 1), px + 0.5, px + 0.5, Mag::cyan.withAlpha(0.85));
    }
}

}  // namespace nolby
