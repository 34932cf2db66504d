// Braces with labels, and the small helpers that cells and number lines share: segments
// broken around labels, blank texts, markup-free widths and plain handwritten lines.
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"
#include "platform/TextLine.h"
#include "platform/Unicode.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace nolby {

namespace {

// Samples along a segment of length len: one per 1.5 points, at least 2, at most 600.
int sampleCount(double len) {
    double s = len / 1.5;
    s = s >= 2 ? std::min(s, 600.0) : 2;
    return static_cast<int>(s);
}

}  // namespace

bool Fig::blank(const std::optional<std::string>& text) {
    if (!text) return true;
    for (char32_t c : unicode::toUtf32(*text))
        if (!unicode::isWhitespace(c)) return false;
    return true;
}

double Fig::plainWidth(const std::string& text, double size) {
    return textWidth(unmarked(text), *Faces::font(Faces::Face::hand, size));
}

void Fig::handLine(const std::string& text, double x, double top, double width, double size, Color color,
                   std::optional<Color> halo) {
    append(hand.write(text, x, top, width, size, color, Faces::Face::hand, std::nullopt, Hand::Align::left, true, halo,
                      0, 0, 1));
}

Rect Fig::braceAt(Point a, Point b, const std::string& label, Color color, double width, double depth0, double drop) {
    const Point D = b - a;
    const double len = length(D);
    if (!(len >= 6 * u)) return Rect::null();  // too short to curl (or not a number)

    // Bulge downward, or to the right when (nearly) vertical.
    Point N{-D.y / len, D.x / len};
    if (N.y < 0 || (N.x < 0 && std::fabs(N.y) < 0.1)) N = Point{-N.x, -N.y};
    const double d = std::min(std::max(8 * u, 0.18 * len), depth0);

    auto along = [&](double f, double g) { return Point{a.x + f * D.x + g * d * N.x, a.y + f * D.y + g * d * N.y}; };
    const Point tip = along(0.5, 1);
    Path path;
    rough.curve(path, {a, along(0.04, 0.5), along(0.25, 0.5), along(0.46, 0.55), tip}, 1, 0.3);
    rough.curve(path, {tip, along(0.54, 0.55), along(0.75, 0.5), along(0.96, 0.5), b}, 1, 0.3);
    ops.push_back(std::make_shared<StrokeOp>(path, pen(color, 0.9 * width), 1, 1));

    if (blank(label)) return Rect::null();
    const double ls = 0.86 * textSize;
    const Point mid{a.x + 0.5 * D.x, a.y + 0.5 * D.y};
    const double reach = 7 * u + d + drop;
    const Point anchor{mid.x + reach * N.x, mid.y + reach * N.y};
    const double tw = plainWidth(label, ls);

    // Beside a vertical brace, under (or over) a horizontal one; never past the figure's edges.
    const bool side = std::fabs(N.x) > 0.7;
    double x = side ? (N.x > 0 ? anchor.x + 4 * u : anchor.x - tw - 4 * u) : anchor.x - tw / 2;
    x = std::min(std::max(ox, ox + 100 * k - tw), std::max(x, ox));
    const double f = side ? 0.75 : N.y > 0 ? 0.15 : 1.25;
    const double top = anchor.y - ls * f;

    if (drop > 0) {
        // A label dropped to a lower row is tied back to its brace.
        const Point p{mid.x + (2 * u + d) * N.x, mid.y + (2 * u + d) * N.y};
        Path leader;
        rough.lineOnce(leader, p.x, p.y, p.x, top + 0.15 * ls, false);
        ops.push_back(std::make_shared<StrokeOp>(leader, pen(color, 1.2 * pw), 1, 1));
    }
    handLine(label, x, top, ls + tw, ls, color, halo);
    return Rect{x, top + 0.2 * ls, tw, 1.1 * ls};
}

std::vector<std::pair<Point, Point>> Fig::clear(Point a, Point b, const std::vector<Rect>& around) const {
    std::vector<std::pair<Point, Point>> pieces;
    const Point D = b - a;
    const double len = length(D);
    if (!(len > 0) || !std::isfinite(len)) return pieces;

    const int N = sampleCount(len);
    struct Blocked {
        double start, end;
    };
    std::vector<Blocked> blocked;
    for (const Rect& r : around) {
        if (r.isNull()) continue;
        const Rect grown = r.insetBy(-2 * u, -2 * u);
        // A rectangle is convex, so the segment enters and leaves it at most once.
        bool inside = false;
        double start = 0;
        for (int i = 0; i <= N; ++i) {
            const double t = len * i / N;
            const bool in = grown.contains(Point{a.x + D.x * t / len, a.y + D.y * t / len});
            if (in && !inside) {
                inside = true;
                start = t;
            } else if (!in && inside) {
                blocked.push_back({start, t});
                inside = false;
                break;
            }
        }
        if (inside) blocked.push_back({start, len});
    }
    std::stable_sort(blocked.begin(), blocked.end(), [](const Blocked& x, const Blocked& y) { return x.start < y.start; });

    auto at = [&](double t) { return Point{a.x + D.x * t / len, a.y + D.y * t / len}; };
    double c = 0;
    for (const Blocked& span : blocked) {
        if (span.start - c > 3 * u) pieces.push_back({at(c), at(span.start)});
        c = std::max(c, span.end);
    }
    if (len - c > 3 * u) pieces.push_back({at(c), b});
    return pieces;
}

bool Fig::crosses(Point a, Point b, const std::vector<Rect>& rects) {
    const Point D = b - a;
    const int N = sampleCount(length(D));
    for (int i = 0; i <= N; ++i) {
        const Point p{a.x + D.x * i / N, a.y + D.y * i / N};
        for (const Rect& r : rects)
            if (r.contains(p)) return true;
    }
    return false;
}

}  // namespace nolby
