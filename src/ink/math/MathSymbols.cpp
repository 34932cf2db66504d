// Symbols drawn by hand, so that arrows, set and logic operators and relations look written
// rather than printed, and delimiters stretched around tall content. Every stroke draws
// from the typesetter's sketchy-line generator in the order written here: the order is
// part of the ink.
#include "ink/math/MathInk.h"
#include "ink/math/MathShapes.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace nolby {

namespace {

constexpr std::string_view kPrime = "′";

void lineAt(Rough& rough, Path& path, Point a, Point b, double s) {
    rough.lineOnce(path, a.x * s, a.y * s, b.x * s, b.y * s, false);
}

// One line per pair of consecutive points; closed adds the way back to the first point.
void poly(Rough& rough, Path& path, const std::vector<Point>& pts, bool closed, double s) {
    for (size_t i = 1; i < pts.size(); ++i) lineAt(rough, path, pts[i - 1], pts[i], s);
    if (closed && pts.size() >= 3) lineAt(rough, path, pts.back(), pts.front(), s);
}

void drawStep(Rough& rough, Path& path, const math::Step& step, double s) {
    using K = math::Step::Kind;
    switch (step.kind) {
        case K::line: lineAt(rough, path, step.pts[0], step.pts[1], s); break;
        case K::poly: poly(rough, path, step.pts, false, s); break;
        case K::closedPoly: poly(rough, path, step.pts, true, s); break;
        case K::curve: {
            std::vector<Point> scaled;
            scaled.reserve(step.pts.size());
            for (Point p : step.pts) scaled.push_back({p.x * s, p.y * s});
            rough.curve(path, scaled, 1, step.jitter);
            break;
        }
        case K::ring: {
            const double d = step.diameter * s;
            rough.ellipse(path, step.pts[0].x * s, step.pts[0].y * s, d, d, 1);
            break;
        }
    }
}

// The path of a table shape; a mirrored one draws its original (same draws) and reflects it.
Path shapePath(Rough& rough, const math::Shape& shape, double s) {
    Path path;
    if (!shape.mirrorOf.empty()) {
        if (const math::Shape* original = math::handShape(shape.mirrorOf))
            for (const math::Step& step : original->steps) drawStep(rough, path, step, s);
        return path.transformed(Affine{-1, 0, 0, 1, shape.width * s, 0});
    }
    for (const math::Step& step : shape.steps) drawStep(rough, path, step, s);
    return path;
}

// How many primes the name is made of; 0 when it holds anything else.
int primeCount(const std::string& name) {
    if (name.empty() || name.size() % kPrime.size() != 0) return 0;
    for (size_t k = 0; k < name.size(); k += kPrime.size())
        if (name.compare(k, kPrime.size(), kPrime) != 0) return 0;
    return static_cast<int>(name.size() / kPrime.size());
}

// A symbol box: glyphs written first (keys 0, 1, ...), then all strokes as one piece.
MathInk::BoxRef symbolBox(double width, std::vector<MathInk::G> glyphs, Path path, double s, Color color) {
    auto box = std::make_shared<MathInk::Box>();
    box->w = width * s;
    box->a = 0.39 * s;
    double key = 0;
    for (auto& g : glyphs) box->add(std::move(g), key++);
    if (!path.isEmpty()) box->add(MathInk::S{std::move(path), color, MathInk::kStrokeWidth * s}, key);
    box->inkR = box->w;
    box->fit();
    return box;
}

}  // namespace

MathInk::BoxRef MathInk::drawn(const std::string& name, double s, Color color) {
    if (const math::Shape* shape = math::handShape(name))
        return symbolBox(shape->width, {}, shapePath(rough, *shape, s), s, color);

    if (name == "⋯") {
        const double dot = metrics("·").w;
        std::vector<G> dots;
        for (double x : {0.02, 0.24, 0.46}) dots.push_back(G{"·", x * s, 0, s, color});
        return symbolBox(dot + 0.48, std::move(dots), Path(), s, color);
    }

    if (name == "ℏ") {
        const UnitMetrics h = metrics("h");
        const bool inked = !h.ink.isNull();
        const double m = inked ? h.ink.minX() : 0;
        Path bar;
        rough.lineOnce(bar, (m - 0.04) * s, -0.5 * s, (m + 0.3) * s, -0.64 * s, false);
        BoxRef box = symbolBox(h.w, {G{"h", 0, 0, s, color}}, std::move(bar), s, color);
        if (inked) box->a = std::max(box->a, -h.ink.minY() * s);  // as tall as the letter
        return box;
    }

    if (int n = primeCount(name); n >= 1) {
        Path slashes;
        for (int j = 0; j < n; ++j)
            rough.lineOnce(slashes, (0.15 + 0.13 * j) * s, -0.8 * s, (0.06 + 0.13 * j) * s, -0.52 * s, false);
        return symbolBox(0.13 * n + 0.1, {}, std::move(slashes), s, color);
    }
    return nullptr;
}

MathInk::BoxRef MathInk::tallDelimiter(const std::string& name, double a, double d, double s, Color color) {
    // Centred on the maths axis, reaching at least 0.08 s past the content on both sides.
    const double axis = 0.3 * s;
    const double half = std::max({a - axis, d + axis, 0.5 * s}) + 0.08 * s;
    if (!std::isfinite(half)) return nullptr;
    const double top = -axis - half, bottom = half - axis;
    const double h = bottom - top, mid = top + h / 2;

    double w;
    if (name == "(" || name == ")") w = 0.3 * s + 0.06 * h;
    else if (name == "{" || name == "}") w = 0.42 * s;
    else if (name == "|") w = 0.3 * s;
    else if (name == "‖") w = 0.42 * s;
    else if (name == "[" || name == "]" || name == "⟨" || name == "⟩") w = 0.36 * s;
    else return nullptr;

    // Closing delimiters are the opening ones reflected.
    const bool closing = name == ")" || name == "]" || name == "}" || name == "⟩";
    auto X = [&](double f) { return closing ? w - f * w : f * w; };
    auto line = [&](Path& p, double f1, double y1, double f2, double y2) {
        rough.lineOnce(p, X(f1), y1, X(f2), y2, false);
    };

    Path path;
    if (name == "(" || name == ")") {
        rough.curve(path, {{X(0.86), top}, {X(0.38), top + 0.2 * h}, {X(0.2), mid}, {X(0.38), bottom - 0.2 * h},
                           {X(0.86), bottom}},
                    1, 0.3);
    } else if (name == "[" || name == "]") {
        line(path, 0.8, top, 0.24, top);
        line(path, 0.24, top, 0.24, bottom);
        line(path, 0.24, bottom, 0.8, bottom);
    } else if (name == "{" || name == "}") {
        rough.curve(path, {{X(0.9), top}, {X(0.6), top + 0.03 * h}, {X(0.5), top + 0.13 * h},
                           {X(0.48), mid - 0.1 * h}, {X(0.14), mid}},
                    1, 0.3);
        rough.curve(path, {{X(0.14), mid}, {X(0.48), mid + 0.1 * h}, {X(0.5), bottom - 0.13 * h},
                           {X(0.6), bottom - 0.03 * h}, {X(0.9), bottom}},
                    1, 0.3);
    } else if (name == "⟨" || name == "⟩") {
        line(path, 0.82, top, 0.2, mid);
        line(path, 0.2, mid, 0.82, bottom);
    } else if (name == "|") {
        line(path, 0.5, top, 0.5, bottom);
    } else {  // ‖
        line(path, 0.32, top, 0.32, bottom);
        line(path, 0.68, top, 0.68, bottom);
    }

    auto box = std::make_shared<Box>();
    box->w = w;
    box->a = -top;
    box->d = bottom;
    box->add(S{std::move(path), color, kStrokeWidth * s});
    box->inkR = w;
    box->tall = true;
    box->fit();
    return box;
}

}  // namespace nolby
