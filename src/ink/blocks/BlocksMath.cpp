// The maths block: a display formula centred in the column, shrunk to fit, optionally
// boxed, with the labels of its annotated parts written underneath.
#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/blocks/Blocks.h"
#include "ink/ops/StrokeOp.h"
#include "platform/TextLine.h"

#include <algorithm>
#include <cmath>

namespace nolby {

Laid Blocks::math(const J& o, uint64_t seed) const {
    const std::string tex = o.str("tex", "");
    const double W = columnWidth();
    MathInk measuring(seed);
    double size = 21;
    MathInk::Extent e = measuring.measure(tex, size, true);
    if (e.w > 0.94 * W) {
        size = (0.94 * W / e.w) * 21;
        e = measuring.measure(tex, size, true);
    }
    const bool boxed = o.bool_("box", false);
    const double pad = boxed ? 14 : 6;
    const double x = (W - e.w) * 0.5 + kMargin;
    const double y = (e.a + pad) + 3;

    Laid laid;
    std::vector<MathInk::Note> found;
    MathInk drawing(seed);
    drawing.draw(tex, size, Ink::ink, true, x, y, laid.ops, found);
    double bottom = pad + (e.d + y);
    if (boxed) {
        Rough rough(seed + 1, 1, 1.054, 2, 0.62);
        Path box;
        rough.rect(box, std::max(x - 16, 22.0), 2, std::min(e.w + 32, W + 4), bottom - 2, true, 2);
        appendStroke(laid.ops, std::move(box), Pen::usual(accent, 1.6), 2, 1);
    }
    if (!found.empty()) bottom = notes(found, laid.ops, bottom + 6, seed);
    laid.height = bottom + 3;
    return laid;
}

double Blocks::notes(const std::vector<MathInk::Note>& given, std::vector<InkOpRef>& ops, double top,
                     uint64_t seed) const {
    Rough rough(seed + 17, 0.8, 1.054, 2, 0.62);
    double bottom = top;
    std::vector<std::vector<std::pair<double, double>>> rows;

    std::vector<MathInk::Note> sorted = given;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const MathInk::Note& a, const MathInk::Note& b) { return a.box.midX() < b.box.midX(); });
    const double maxW = columnWidth() * 0.46;
    auto font = Faces::font(Faces::Face::hand, kSecondarySize);
    for (const MathInk::Note& n : sorted) {
        const double lw = std::min(maxW, textWidth(n.label, *font));
        Hand measure(seed);
        Hand::Result m = measure.write(n.label, 0, 0, lw + 2, kSecondarySize, n.color, Faces::Face::hand, 16.24);
        const double hl = m.height, wl = m.width;
        const double lx = std::min(std::max(n.box.midX() - wl * 0.5, kMargin), geo.pageW - kMargin - wl);

        // The first row where the label's span overlaps nothing (touching is fine).
        const double s0 = lx - 8, s1 = lx + wl + 8;
        size_t r = 0;
        for (; r < rows.size(); ++r) {
            bool clear = std::none_of(rows[r].begin(), rows[r].end(),
                                      [&](const auto& span) { return s0 < span.second && span.first < s1; });
            if (clear) break;
        }
        if (r == rows.size()) rows.emplace_back();
        rows[r].emplace_back(s0, s1);

        Path bracket;
        rough.curve(bracket,
                    {{n.box.minX() + 1, n.box.maxY() + 3.5}, {n.box.midX(), n.box.maxY() + 5},
                     {n.box.maxX() - 1, n.box.maxY() + 3}},
                    1, 0.4);
        appendStroke(ops, std::move(bracket), Pen::usual(n.color, 1.6), 1, 1);

        const double ly = top + 14 + static_cast<double>(r) * 21.75;
        const Point S{lx + wl * 0.5, ly - 2};
        const Point E{n.box.midX() + (S.x - n.box.midX()) * 0.15, n.box.maxY() + 8};
        if (distance(S, E) > 8) {
            const Point M{(S.x + E.x) * 0.5 + (E.x < S.x ? 8 : -8), (S.y + E.y) * 0.5};
            Path leader;
            rough.curve(leader, {S, M, E}, 1, 0.3);
            appendStroke(ops, std::move(leader), Pen::usual(n.color, 1.3), 1, 1);
            Path head;
            rough.arrowhead(head, E.x, E.y, E.x - M.x, E.y - M.y, 7);
            appendStroke(ops, std::move(head), Pen::usual(n.color, 1.3), 2, 1);
        }
        Hand label(seed + r);
        Hand::Result written = label.write(n.label, lx, ly, wl + 2, kSecondarySize, n.color, Faces::Face::hand, 16.24);
        ops.insert(ops.end(), written.ops.begin(), written.ops.end());
        bottom = std::max(bottom, ly + hl);
    }
    return bottom + 2;
}

}  // namespace nolby
