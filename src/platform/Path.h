#pragma once
// A vector path: sub-paths of lines, quadratic and cubic curves, optionally closed.
// Built once, then shared read-only by drawing operations on any thread.

#include "platform/Geometry.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace nolby {

class Path {
public:
    enum class Verb : uint8_t { move, line, quad, cubic, close };

    // One path element; `pts` holds 1 point (move, line), 2 (quad: control, end),
    // 3 (cubic: control 1, control 2, end) or none (close).
    struct Element {
        Verb verb;
        Point pts[3];
        int count() const;
        bool operator==(const Element& o) const;
    };

    Path() = default;

    // Inline, and each element written where it is stored: outlines append hundreds per
    // stroke, and an element built aside and copied in costs more than the rest.
    void moveTo(Point p) {
        add(Verb::move).pts[0] = p;
        current_ = start_ = p;
    }
    void lineTo(Point p) {
        add(Verb::line).pts[0] = p;
        current_ = p;
    }
    void quadTo(Point c, Point e) {
        Element& el = add(Verb::quad);
        el.pts[0] = c;
        el.pts[1] = e;
        current_ = e;
    }
    void curveTo(Point c1, Point c2, Point e) {
        Element& el = add(Verb::cubic);
        el.pts[0] = c1;
        el.pts[1] = c2;
        el.pts[2] = e;
        current_ = e;
    }
    // n lines at once to pointAt(0), …, pointAt(n − 1), for builders that make long
    // polylines: the elements are made in one go and each written where it is stored.
    template <class PointAt>
    void linesTo(size_t n, PointAt pointAt) {
        if (n == 0) return;
        const size_t first = elems_.size();
        elems_.resize(first + n);
        Element* e = elems_.data() + first;
        for (size_t i = 0; i < n; ++i) {
            const Point p = pointAt(i);
            e[i].verb = Verb::line;
            e[i].pts[0].x = p.x;
            e[i].pts[0].y = p.y;
        }
        current_ = e[n - 1].pts[0];
    }
    void close();
    // Room for n more elements, for callers that know how many they will add; growth stays
    // geometric when a path is reserved for piece by piece.
    void reserve(size_t n) {
        const size_t need = elems_.size() + n;
        if (need > elems_.capacity()) elems_.reserve(std::max(need, 2 * elems_.capacity()));
    }

    // What a path holds at one moment, to go back to if what follows turns out unusable.
    struct Mark {
        size_t size;
        Point current, start;
    };
    Mark mark() const { return {elems_.size(), current_, start_}; }
    // Drops every element added since the mark (which must come from this path, no
    // element having been removed since).
    void rollback(const Mark& m) {
        elems_.resize(m.size);
        current_ = m.current;
        start_ = m.start;
    }

    void moveTo(double x, double y) {
        Point& p = add(Verb::move).pts[0];
        p.x = x;
        p.y = y;
        current_.x = start_.x = x;
        current_.y = start_.y = y;
    }
    void lineTo(double x, double y) {
        Point& p = add(Verb::line).pts[0];
        p.x = x;
        p.y = y;
        current_.x = x;
        current_.y = y;
    }

    void addRect(const Rect& r);
    void addEllipse(const Rect& r);
    // Corner radii are clamped to half the rectangle's width and height.
    void addRoundedRect(const Rect& r, double rx, double ry);
    void addPath(const Path& other, const Affine& t = Affine::identity());

    Path transformed(const Affine& t) const;

    const std::vector<Element>& elements() const { return elems_; }
    bool isEmpty() const { return elems_.empty(); }
    // The last point added (the start of the sub-path after a close); (0, 0) when empty.
    Point currentPoint() const { return current_; }

    // The exact extent of everything drawn, curves included (their extrema, not their
    // control points); null for a path with no points.
    Rect boundingBox() const;
    // The extent of every point, control points included.
    Rect controlBox() const;

    bool operator==(const Path& o) const { return elems_ == o.elems_; }

private:
    // A new element of the verb, its points zero. Growing is kept out of line so that the
    // common case, room already reserved, inlines into the loops that build outlines.
    [[gnu::always_inline]] Element& add(Verb v) {
        if (elems_.size() == elems_.capacity()) grow();
        Element& e = elems_.emplace_back();
        e.verb = v;
        return e;
    }
    void grow();
    std::vector<Element> elems_;
    Point current_{}, start_{};
};

}  // namespace nolby
