// Big operators with their limits: integral signs with limits beside them, summation-like
// signs with limits beside them inline and above and below in display maths, and named
// operators ("lim", "max", ...) with their limits under and over the name, inline too.
// The signs are drawn by hand and written before their limits.
#include "ink/math/MathInk.h"

#include <algorithm>
#include <iterator>

namespace nolby {

namespace {

double widthOf(const MathInk::BoxRef& b) { return b ? b->w : 0; }

}  // namespace

MathInk::BoxRef MathInk::big(const std::string& name, const MRef& subNode, const MRef& supNode, double s,
                             Color color, bool display) {
    const double ls = std::max(0.6 * s, 8.649);
    BoxRef lower = subNode ? layout(subNode, ls, color, false) : nullptr;
    BoxRef upper = supNode ? layout(supNode, ls, color, false) : nullptr;
    auto box = std::make_shared<Box>();

    if (name == "int" || name == "iint" || name == "oint") {
        const double g = display ? 2.1 * s : 1.4 * s;
        const int signs = name == "iint" ? 2 : 1;
        Path path;
        for (int k = 0; k < signs; ++k) {
            const double ok = 0.275 * s * k;
            // A hook at the top right, the long stroke, a hook at the bottom left.
            rough.curve(path,
                        {{0.5 * s + ok, -0.61 * g}, {0.41 * s + ok, -0.67 * g}, {0.31 * s + ok, -0.56 * g},
                         {0.25 * s + ok, -0.16 * g}, {0.19 * s + ok, 0.24 * g}, {0.09 * s + ok, 0.35 * g},
                         {ok, 0.29 * g}},
                        1, 0.5);
        }
        if (name == "oint") rough.ellipse(path, 0.25 * s, -0.16 * g, 0.32 * s, 0.3 * s, 1);
        box->add(S{std::move(path), color, kStrokeWidth * s}, -1.0);

        // Limits stand beside the sign, in display maths too.
        const double w0 = 0.5 * s + 0.275 * s * (signs - 1);
        double end = w0;
        if (upper) {
            const double x = w0 + 0.08 * s;
            box->add(Kid{upper, x, -0.66 * g + 0.75 * upper->a});
            end = std::max(end, x + upper->w);
        }
        if (lower) {
            const double x = w0 - 0.22 * s;
            box->add(Kid{lower, x, 0.34 * g + 0.55 * lower->a});
            end = std::max(end, x + lower->w);
        }
        box->a = 0.66 * g;
        box->d = 0.34 * g;
        box->w = 0.12 * s + end;
        box->inkR = box->w;
        box->tall = true;
        box->fit();
        return box;
    }

    if (name == "sum" || name == "prod" || name == "bigcup" || name == "bigcap") {
        const double h = display ? 1.35 * s : 0.95 * s;
        const double w = 0.78 * h;
        // Centred on the maths axis.
        const double top = -0.3 * s - 0.52 * h, bottom = -0.3 * s + 0.52 * h;
        Path path;
        if (name == "sum") {
            // A sigma whose bars end in short ticks towards each other at the right.
            const Point pts[] = {{w, top + 0.08 * h}, {0.96 * w, top}, {0, top},
                                 {0.52 * w, (top + bottom) / 2}, {0, bottom}, {0.98 * w, bottom},
                                 {1.02 * w, bottom - 0.1 * h}};
            for (size_t i = 1; i < std::size(pts); ++i)
                rough.lineOnce(path, pts[i - 1].x, pts[i - 1].y, pts[i].x, pts[i].y, false);
        } else if (name == "prod") {
            rough.lineOnce(path, -0.04 * w, top, 1.04 * w, top, false);
            rough.lineOnce(path, 0.18 * w, top, 0.18 * w, bottom, false);
            rough.lineOnce(path, 0.82 * w, top, 0.82 * w, bottom, false);
        } else if (name == "bigcup") {
            rough.curve(path, {{0.08 * w, top}, {0.1 * w, bottom - 0.3 * h}, {0.5 * w, bottom},
                               {0.9 * w, bottom - 0.3 * h}, {0.92 * w, top}},
                        1, 0.4);
        } else {
            rough.curve(path, {{0.08 * w, bottom}, {0.1 * w, top + 0.3 * h}, {0.5 * w, top},
                               {0.9 * w, top + 0.3 * h}, {0.92 * w, bottom}},
                        1, 0.4);
        }

        if (display) {
            // Limits above and below, everything centred on the widest part.
            const double v = std::max({widthOf(upper), w, widthOf(lower)}) + 0.1 * s;
            path = path.transformed(Affine::translation((v - w) / 2, 0));
            box->add(S{std::move(path), color, kStrokeWidth * s}, -1.0);
            if (upper) box->add(Kid{upper, (v - upper->w) / 2, top - 0.14 * s - upper->d});
            if (lower) box->add(Kid{lower, (v - lower->w) / 2, bottom + 0.14 * s + lower->a});
            box->w = v;
            box->a = -top;
            box->d = bottom;
        } else {
            // Inline the limits sit beside the sign, so the line does not grow too tall.
            box->add(S{std::move(path), color, kStrokeWidth * s}, -1.0);
            if (upper) box->add(Kid{upper, w + 0.06 * s, top + 0.5 * upper->a});
            if (lower) box->add(Kid{lower, w + 0.06 * s, bottom + 0.3 * lower->a});
            box->w = w + std::max({widthOf(upper), widthOf(lower), 0.0}) + 0.12 * s;
            box->a = 0.07 * s - top;
            box->d = 0.15 * s + bottom;
        }
        box->inkR = box->w;
        box->tall = true;
        box->fit();
        return box;
    }

    // A named operator: the upright name with its limits under and over it.
    const std::string text = name == "limsup" ? "lim sup" : name == "liminf" ? "lim inf" : name;
    const UnitMetrics m = metrics(text);
    const double nw = m.w * s;
    const double nd = m.ink.isEmpty() ? 0 : s * std::max(0.0, m.ink.maxY());
    box->w = 0.12 * s + std::max({widthOf(upper), widthOf(lower), nw, 0.0});
    box->a = 0.74 * s;
    box->d = std::max(nd, 0.2 * s);
    box->inkR = box->w;
    // Written name first, then the lower limit, then the upper.
    box->add(G{text, (box->w - nw) / 2, 0, s, color}, 0.0);
    if (lower) box->add(Kid{lower, (box->w - lower->w) / 2, std::max(0.28 * s, 0.12 * s + nd) + lower->a}, 1.0);
    if (upper) box->add(Kid{upper, (box->w - upper->w) / 2, -0.82 * s - upper->d}, 2.0);
    box->tall = (lower && lower->tall) || (upper && upper->tall);
    box->fit();
    return box;
}

}  // namespace nolby
