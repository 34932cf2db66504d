// Accents drawn by hand over (or under, or through) their body, centred on the body's ink.
// The body is written before its mark, and the mark never widens the ink.
#include "ink/math/MathInk.h"

#include <algorithm>

namespace nolby {

namespace {

constexpr double kDotWidth = 0.11;      // a tiny segment this wide reads as a dot

// A short exact segment, so a round-capped stroke of it looks like a dot.
void dotAt(Path& path, double x, double y, double s) {
    path.moveTo(x - 0.008 * s, y + 0.004 * s);
    path.lineTo(x + 0.008 * s, y - 0.004 * s);
}

}  // namespace

MathInk::BoxRef MathInk::accent(const std::string& name, const MRef& bodyNode, double s, Color color,
                                bool display) {
    BoxRef body = layout(bodyNode, s, color, display);
    const double c = (body->inkL + body->inkR) / 2;
    const double t = -(body->a + 0.12 * s);  // just above the body
    double width = kStrokeWidth * 0.9 * s;
    Path mark;

    if (name == "hat" || name == "widehat") {
        const double o = name == "hat" ? 0.2 * s : std::max(0.2 * s, (body->inkR - body->inkL) / 2);
        rough.lineOnce(mark, c - o, t + 0.02 * s, c, t - 0.16 * s, false);
        rough.lineOnce(mark, c, t - 0.16 * s, c + o, t + 0.02 * s, false);
    } else if (name == "bar") {
        rough.lineOnce(mark, body->inkL - 0.02 * s, t, body->inkR + 0.02 * s, t, false);
    } else if (name == "overline") {
        rough.lineOnce(mark, body->inkL + 0.02 * s, t, body->inkR - 0.02 * s, t, false);
    } else if (name == "underline") {
        rough.lineOnce(mark, body->inkL, body->d + 0.08 * s, body->inkR, body->d + 0.08 * s, false);
    } else if (name == "vec" || name == "overrightarrow") {
        const double tip = std::max(body->inkR, c + 0.2 * s) + 0.04 * s;
        rough.lineOnce(mark, std::min(c - 0.2 * s, body->inkL), t, tip, t, false);
        rough.arrowhead(mark, tip, t, 1, 0, 0.16 * s);
    } else if (name == "dot") {
        dotAt(mark, c, t, s);
        width = kDotWidth * s;
    } else if (name == "ddot") {
        dotAt(mark, c - 0.1 * s, t, s);
        dotAt(mark, c + 0.1 * s, t, s);
        width = kDotWidth * s;
    } else if (name == "not") {
        // Through the body, across the maths axis.
        rough.lineOnce(mark, c + 0.15 * s, -0.66 * s, c - 0.15 * s, 0.06 * s, false);
    } else if (name == "tilde" || name == "widetilde") {
        const double h = name == "tilde" ? 0.2 * s : std::max(0.2 * s, (body->inkR - body->inkL) / 2);
        rough.curve(mark, {{c - h, t}, {c - 0.35 * h, t - 0.08 * s}, {c + 0.35 * h, t + 0.02 * s}, {c + h, t - 0.06 * s}},
                    1, 0.3);
    } else {
        return body;  // not an accent: the body alone
    }

    const bool below = name == "underline";
    auto box = std::make_shared<Box>();
    box->w = body->w;
    box->a = below || name == "not" ? body->a : body->a + 0.26 * s;
    box->d = below ? body->d + 0.12 * s : body->d;
    box->inkL = body->inkL;
    box->inkR = body->inkR;
    box->add(Kid{body, 0, 0}, 0.0);
    box->add(S{std::move(mark), color, width}, 1.0);
    box->tall = body->tall;
    box->fit();
    return box;
}

}  // namespace nolby
