#include "platform/Path.h"

#include <algorithm>
#include <cmath>

namespace nolby {

void Path::grow() { elems_.reserve(std::max<size_t>(8, 2 * elems_.capacity())); }

int Path::Element::count() const {
    switch (verb) {
        case Verb::move:
        case Verb::line: return 1;
        case Verb::quad: return 2;
        case Verb::cubic: return 3;
        case Verb::close: return 0;
    }
    return 0;
}

bool Path::Element::operator==(const Element& o) const {
    if (verb != o.verb) return false;
    for (int i = 0; i < count(); ++i)
        if (!(pts[i] == o.pts[i])) return false;
    return true;
}

void Path::close() {
    if (elems_.empty() || elems_.back().verb == Verb::close) return;
    add(Verb::close);
    current_ = start_;
}

void Path::addRect(const Rect& r) {
    if (r.isNull()) return;
    Rect s = r.standardized();
    moveTo(s.x, s.y);
    lineTo(s.x + s.w, s.y);
    lineTo(s.x + s.w, s.y + s.h);
    lineTo(s.x, s.y + s.h);
    close();
}

namespace {
// Control distance for a quarter circle drawn as one cubic.
constexpr double kArc = 0.5522847498307936;
}

void Path::addEllipse(const Rect& r) {
    if (r.isNull()) return;
    Rect s = r.standardized();
    double rx = s.w / 2, ry = s.h / 2, cx = s.x + rx, cy = s.y + ry;
    double kx = rx * kArc, ky = ry * kArc;
    moveTo(cx + rx, cy);
    curveTo({cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry});
    curveTo({cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy});
    curveTo({cx - rx, cy - ky}, {cx - kx, cy - ry}, {cx, cy - ry});
    curveTo({cx + kx, cy - ry}, {cx + rx, cy - ky}, {cx + rx, cy});
    close();
}

void Path::addRoundedRect(const Rect& r, double rx, double ry) {
    if (r.isNull()) return;
    Rect s = r.standardized();
    rx = std::clamp(rx, 0.0, s.w / 2);
    ry = std::clamp(ry, 0.0, s.h / 2);
    if (!(rx > 0) || !(ry > 0)) {
        addRect(s);
        return;
    }
    double x0 = s.x, y0 = s.y, x1 = s.x + s.w, y1 = s.y + s.h;
    double kx = rx * kArc, ky = ry * kArc;
    moveTo(x0 + rx, y0);
    lineTo(x1 - rx, y0);
    curveTo({x1 - rx + kx, y0}, {x1, y0 + ry - ky}, {x1, y0 + ry});
    lineTo(x1, y1 - ry);
    curveTo({x1, y1 - ry + ky}, {x1 - rx + kx, y1}, {x1 - rx, y1});
    lineTo(x0 + rx, y1);
    curveTo({x0 + rx - kx, y1}, {x0, y1 - ry + ky}, {x0, y1 - ry});
    lineTo(x0, y0 + ry);
    curveTo({x0, y0 + ry - ky}, {x0 + rx - kx, y0}, {x0 + rx, y0});
    close();
}

void Path::addPath(const Path& other, const Affine& t) {
    bool plain = t.isIdentity();
    reserve(other.elems_.size());
    for (const Element& e : other.elems_) {
        Element m = e;
        if (!plain)
            for (int i = 0; i < e.count(); ++i) m.pts[i] = t.apply(e.pts[i]);
        elems_.push_back(m);
        if (m.verb == Verb::move) start_ = m.pts[0];
        if (m.verb == Verb::close) current_ = start_;
        else current_ = m.pts[m.count() - 1];
    }
}

Path Path::transformed(const Affine& t) const {
    Path p;
    p.addPath(*this, t);
    return p;
}

namespace {

struct Extent {
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    bool any = false;
    void add(Point p) {
        x0 = std::fmin(x0, p.x);
        y0 = std::fmin(y0, p.y);
        x1 = std::fmax(x1, p.x);
        y1 = std::fmax(y1, p.y);
        any = true;
    }
    Rect rect() const { return any ? Rect{x0, y0, x1 - x0, y1 - y0} : Rect::null(); }
};

// Roots in (0, 1) of the derivative of a one-dimensional quadratic Bezier.
void quadExtrema(double p0, double p1, double p2, double* ts, int& n) {
    double den = p0 - 2 * p1 + p2;
    if (den != 0) {
        double t = (p0 - p1) / den;
        if (t > 0 && t < 1) ts[n++] = t;
    }
}

// Roots in (0, 1) of the derivative of a one-dimensional cubic Bezier.
void cubicExtrema(double p0, double p1, double p2, double p3, double* ts, int& n) {
    double a = -p0 + 3 * p1 - 3 * p2 + p3;
    double b = 2 * (p0 - 2 * p1 + p2);
    double c = p1 - p0;
    auto keep = [&](double t) {
        if (t > 0 && t < 1) ts[n++] = t;
    };
    if (std::fabs(a) < 1e-12) {
        if (b != 0) keep(-c / b);
        return;
    }
    double disc = b * b - 4 * a * c;
    if (disc < 0) return;
    double sq = std::sqrt(disc);
    keep((-b + sq) / (2 * a));
    keep((-b - sq) / (2 * a));
}

Point quadAt(Point p0, Point c, Point e, double t) {
    double u = 1 - t;
    return p0 * (u * u) + c * (2 * u * t) + e * (t * t);
}

Point cubicAt(Point p0, Point c1, Point c2, Point e, double t) {
    double u = 1 - t;
    return p0 * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) + e * (t * t * t);
}

}  // namespace

Rect Path::boundingBox() const {
    Extent ext;
    Point cur{}, start{};
    for (const Element& e : elems_) {
        switch (e.verb) {
            case Verb::move:
                cur = start = e.pts[0];
                ext.add(cur);
                break;
            case Verb::line:
                ext.add(cur);
                cur = e.pts[0];
                ext.add(cur);
                break;
            case Verb::quad: {
                ext.add(cur);
                double ts[4];
                int n = 0;
                quadExtrema(cur.x, e.pts[0].x, e.pts[1].x, ts, n);
                quadExtrema(cur.y, e.pts[0].y, e.pts[1].y, ts, n);
                for (int i = 0; i < n; ++i) ext.add(quadAt(cur, e.pts[0], e.pts[1], ts[i]));
                cur = e.pts[1];
                ext.add(cur);
                break;
            }
            case Verb::cubic: {
                ext.add(cur);
                double ts[4];
                int n = 0;
                cubicExtrema(cur.x, e.pts[0].x, e.pts[1].x, e.pts[2].x, ts, n);
                cubicExtrema(cur.y, e.pts[0].y, e.pts[1].y, e.pts[2].y, ts, n);
                for (int i = 0; i < n; ++i) ext.add(cubicAt(cur, e.pts[0], e.pts[1], e.pts[2], ts[i]));
                cur = e.pts[2];
                ext.add(cur);
                break;
            }
            case Verb::close:
                cur = start;
                break;
        }
    }
    return ext.rect();
}

Rect Path::controlBox() const {
    Extent ext;
    for (const Element& e : elems_)
        for (int i = 0; i < e.count(); ++i) ext.add(e.pts[i]);
    return ext.rect();
}

}  // namespace nolby
