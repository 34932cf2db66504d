// The decorations of inline markup, drawn by hand after each line's words: marker strokes
// behind highlights, loose rings, wavy lines and double-pass underlines.
#include "ink/Hand.h"

#include "ink/Ink.h"
#include "ink/ops/StrokeOp.h"
#include "platform/TextLine.h"
#include "platform/Unicode.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

// Maximal runs of consecutive placed tokens that have the flag.
template <class Flag>
std::vector<std::vector<const Hand::Placed*>> runs(const std::vector<Hand::Placed>& placed, Flag flag) {
    std::vector<std::vector<const Hand::Placed*>> groups;
    std::vector<const Hand::Placed*> cur;
    for (const auto& p : placed) {
        if (flag(*p.t)) {
            cur.push_back(&p);
        } else if (!cur.empty()) {
            groups.push_back(std::move(cur));
            cur.clear();
        }
    }
    if (!cur.empty()) groups.push_back(std::move(cur));
    return groups;
}

Pen makePen(Color color, double width, LineCap cap, BlendMode blend = BlendMode::normal) {
    Pen p = Pen::usual(color, width);
    p.cap = cap;
    p.blend = blend;
    return p;
}

double maxBase(const std::vector<const Hand::Placed*>& g) {
    double y = -INFINITY;
    for (const auto* p : g) y = std::max(y, p->base);
    return y;
}

}  // namespace

double Hand::ringEnd(const std::string& text, double a, double b, const Font& font) {
    std::string tr = trimmingTrailing(text, ",.;:!?\u201d\u2019)");
    if (!tr.empty() && unicode::graphemeCount(tr) < unicode::graphemeCount(text)) return a + textWidth(tr, font);
    return b;
}

void Hand::decorate(const std::vector<Placed>& placed, double s, Color color, const Font& font,
                    std::vector<InkOpRef>& ops) {
    const Color red = Ink::color(std::string("red"), Ink::ink);

    for (const auto& g : runs(placed, [](const Tok& t) { return t.hl; })) {
        const Placed &first = *g.front(), &last = *g.back();
        double xa = first.x0 - s * 0.12, xb = last.x1 + s * 0.12;
        double yc = (first.base + last.base) * 0.5 - s * 0.28;
        double u = rnd.unit();
        Path path;
        rough.curve(path,
                    {{xa, yc + s * 0.03}, {(xa + xb) * 0.5, (yc - s * 0.03) + ((u - 0.5) * s) * 0.06},
                     {xb, yc + s * 0.01}},
                    1, 0.6);
        appendStroke(ops, std::move(path), makePen(Ink::marker(first.t->hlColor), s * 0.66, LineCap::butt, BlendMode::multiply),
               1, 1.6, 0.16);
    }

    for (const auto& g : runs(placed, [](const Tok& t) { return t.ring; })) {
        const Placed &first = *g.front(), &last = *g.back();
        double end = ringEnd(last.t->text, last.x0, last.x1, font);
        double cx = (first.x0 + end) * 0.5, cy = (first.base + last.base) * 0.5 - s * 0.3;
        double rx = s * 0.05 + ((end - first.x0) * 0.5 + s * 0.2) * 1.03, ry = s * 0.6;
        std::vector<Point> pts;
        for (int k = 0; k <= 26; ++k) {
            double theta = (k * -6.783185307179586) / 26 - 0.62;
            double u = rnd.unit();
            double r = ((k / 26.0) * 0.06 + 1) + (u - 0.5) * 0.02;
            pts.push_back({cx + std::cos(theta) * (rx * r), cy + std::sin(theta) * (ry * r)});
        }
        Path path;
        rough.curve(path, pts, 1, 0.2);
        appendStroke(ops, std::move(path), makePen(first.t->color.value_or(red), std::max(s * 0.075, 1.3), LineCap::round), 1,
               1.3, 0.18);
    }

    for (const auto& g : runs(placed, [](const Tok& t) { return t.wavy; })) {
        const Placed &first = *g.front(), &last = *g.back();
        double xa = first.x0, xb = last.x1, y = maxBase(g) + s * 0.22;
        std::vector<Point> pts;
        double m = -0.09;
        // Bounded: a wavy line never has more waves than a page is wide.
        for (double x = xa; x < xb && pts.size() < 4096; x += s * 0.32) {
            pts.push_back({x, y + s * m});
            m = -m;
        }
        pts.push_back({xb, y});
        Path path;
        rough.curve(path, pts, 1, 0.25);
        appendStroke(ops, std::move(path), makePen(first.t->color.value_or(red), std::max(s * 0.065, 1.1), LineCap::round), 1,
               1.4, 0.15);
    }

    for (const auto& g : runs(placed, [](const Tok& t) { return t.ul; })) {
        const Placed &first = *g.front(), &last = *g.back();
        double y = maxBase(g) + s * 0.2;
        double u = rnd.unit();
        double x1 = first.x0 - 1.5, x2 = last.x1 + 2.5, y2 = y + (u - 0.5) + (u - 0.5);
        Path path;
        rough.lineOnce(path, x1, y, x2, y2, false);
        if (rough.maxPasses() >= 2) rough.lineOnce(path, x1, y, x2, y2, true);
        appendStroke(ops, std::move(path), makePen(first.t->color.value_or(color), std::max(s * 0.06, 1.0), LineCap::round), 2,
               1.4, 0.12);
    }
}

}  // namespace nolby
