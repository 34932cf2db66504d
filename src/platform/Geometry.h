#pragma once
// Points, sizes, rectangles and affine transforms in page points (y grows downward).
//
// Rect follows the desktop platform's rectangle rules that the layouts were tuned against:
// there is a true null rectangle (the result of intersecting disjoint rectangles), union with
// null returns the other rectangle, negative sizes are standardised before use, and a point
// on the min edge is inside while a point on the max edge is outside.

#include <cmath>
#include <limits>

namespace nolby {

struct Point {
    double x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

inline Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
inline Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
inline Point operator*(Point a, double s) { return {a.x * s, a.y * s}; }
inline Point operator*(double s, Point a) { return {a.x * s, a.y * s}; }

// √(x² + y²) as glibc's hypot (2.35 and later, without FMA) computes it, bit for bit: the
// square root of the rounded sum of squares, corrected once towards the exact value. Inline
// it costs a fraction of the library call, which pen outlines make several times a point;
// and its results no longer depend on the machine's maths library. Huge, tiny and
// non-finite arguments (which need scaling or special values) go to std::hypot.
inline double hypotenuse(double x, double y) {
    x = std::fabs(x);
    y = std::fabs(y);
    const double ax = x < y ? y : x, ay = x < y ? x : y;
    if (!(ax <= 0x1p511)) return std::hypot(x, y);  // huge, infinite or NaN
    if (ay < 0x1p-459) return ay == 0 ? ax + ay : std::hypot(x, y);
    if (ay <= ax * 0x1p-54) return ax + ay;
    double h = std::sqrt(ax * ax + ay * ay);
    double t1, t2;
    if (h <= 2.0 * ay) {
        const double delta = h - ay;
        t1 = ax * (2.0 * delta - ax);
        t2 = (delta - 2.0 * (ax - ay)) * delta;
    } else {
        const double delta = h - ax;
        t1 = 2.0 * delta * (ax - 2.0 * ay);
        t2 = (4.0 * delta - ay) * ay + delta * delta;
    }
    h -= (t1 + t2) / (2.0 * h);
    return h;
}

inline double distance(Point a, Point b) { return hypotenuse(b.x - a.x, b.y - a.y); }

// √(dx² + dy²) by sqrt alone: IEEE fixes sqrt to the last bit on every machine. Not always
// hypotenuse's last bit, so the strokes measured with it keep to it.
inline double length(Point d) { return std::sqrt(d.x * d.x + d.y * d.y); }

struct Size {
    double width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    double x = 0, y = 0, w = 0, h = 0;

    static Rect null() {
        const double inf = std::numeric_limits<double>::infinity();
        return {inf, inf, 0, 0};
    }
    bool isNull() const { return std::isinf(x) && x > 0 && std::isinf(y) && y > 0; }
    // Empty: null, or zero width or height.
    bool isEmpty() const { return isNull() || w == 0 || h == 0; }

    // The same rectangle with non-negative width and height.
    Rect standardized() const {
        if (isNull()) return *this;
        Rect r = *this;
        if (r.w < 0) { r.x += r.w; r.w = -r.w; }
        if (r.h < 0) { r.y += r.h; r.h = -r.h; }
        return r;
    }

    double minX() const { Rect s = standardized(); return s.x; }
    double minY() const { Rect s = standardized(); return s.y; }
    double maxX() const { Rect s = standardized(); return s.x + s.w; }
    double maxY() const { Rect s = standardized(); return s.y + s.h; }
    double midX() const { Rect s = standardized(); return s.x + s.w / 2; }
    double midY() const { Rect s = standardized(); return s.y + s.h / 2; }
    double width() const { return std::fabs(w); }
    double height() const { return std::fabs(h); }

    bool contains(Point p) const {
        if (isNull()) return false;
        Rect s = standardized();
        return p.x >= s.x && p.x < s.x + s.w && p.y >= s.y && p.y < s.y + s.h;
    }

    Rect united(const Rect& o) const {
        if (isNull()) return o.standardized();
        if (o.isNull()) return standardized();
        Rect a = standardized(), b = o.standardized();
        double x0 = std::fmin(a.x, b.x), y0 = std::fmin(a.y, b.y);
        double x1 = std::fmax(a.x + a.w, b.x + b.w), y1 = std::fmax(a.y + a.h, b.y + b.h);
        return {x0, y0, x1 - x0, y1 - y0};
    }

    // Null when the two do not overlap; touching edges give a zero-sized rectangle.
    Rect intersected(const Rect& o) const {
        if (isNull() || o.isNull()) return null();
        Rect a = standardized(), b = o.standardized();
        double x0 = std::fmax(a.x, b.x), y0 = std::fmax(a.y, b.y);
        double x1 = std::fmin(a.x + a.w, b.x + b.w), y1 = std::fmin(a.y + a.h, b.y + b.h);
        if (x1 < x0 || y1 < y0) return null();
        return {x0, y0, x1 - x0, y1 - y0};
    }
    bool intersects(const Rect& o) const { return !intersected(o).isNull(); }

    // Shrinks by dx on the left and right, dy on the top and bottom (negative grows);
    // null when the result would have a negative size.
    Rect insetBy(double dx, double dy) const {
        if (isNull()) return *this;
        Rect s = standardized();
        Rect r{s.x + dx, s.y + dy, s.w - 2 * dx, s.h - 2 * dy};
        if (r.w < 0 || r.h < 0) return null();
        return r;
    }
    Rect offsetBy(double dx, double dy) const {
        if (isNull()) return *this;
        return {x + dx, y + dy, w, h};
    }

    bool operator==(const Rect& o) const {
        if (isNull() || o.isNull()) return isNull() == o.isNull();
        return x == o.x && y == o.y && w == o.w && h == o.h;
    }
};

// Maps (x, y) to (a·x + c·y + tx, b·x + d·y + ty), the convention of the drawing layer.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static Affine identity() { return {}; }
    static Affine translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Affine scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static Affine rotation(double radians) {
        double cs = std::cos(radians), sn = std::sin(radians);
        return {cs, sn, -sn, cs, 0, 0};
    }

    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }

    // This transform followed by `then` (points go through *this first).
    Affine concat(const Affine& then) const {
        const Affine& t = then;
        return {a * t.a + b * t.c,       a * t.b + b * t.d,
                c * t.a + d * t.c,       c * t.b + d * t.d,
                tx * t.a + ty * t.c + t.tx, tx * t.b + ty * t.d + t.ty};
    }
    Affine translated(double x, double y) const { return translation(x, y).concat(*this); }
    Affine scaled(double sx, double sy) const { return scaling(sx, sy).concat(*this); }
    Affine rotated(double radians) const { return rotation(radians).concat(*this); }

    bool isIdentity() const { return *this == Affine{}; }
    bool isFinite() const {
        return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d) &&
               std::isfinite(tx) && std::isfinite(ty);
    }
    bool isInvertible() const { double det = a * d - b * c; return isFinite() && det != 0 && std::isfinite(1 / det); }

    bool operator==(const Affine&) const = default;
};

}  // namespace nolby
