#include "platform/layers/ShapeLayer.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

// Replaces the context's path by the first `fraction` of `path` by arc length, as line
// segments of cairo's flattening (so curves are measured at the drawing resolution).
void appendPrefix(cairo_t* cr, const Path& path, double fraction) {
    cairo_new_path(cr);
    draw::appendPath(cr, path);
    cairo_path_t* flat = cairo_copy_path_flat(cr);
    cairo_new_path(cr);
    if (flat->status != CAIRO_STATUS_SUCCESS) {
        cairo_path_destroy(flat);
        return;
    }
    // Walks the flattened path, calling segment(from, to) for every straight piece, with
    // moves and closes as they come.
    auto walk = [flat](auto&& move, auto&& segment, auto&& close) {
        Point current{}, start{};
        for (int i = 0; i < flat->num_data; i += flat->data[i].header.length) {
            const cairo_path_data_t* d = &flat->data[i];
            switch (d->header.type) {
                case CAIRO_PATH_MOVE_TO:
                    current = start = {d[1].point.x, d[1].point.y};
                    if (!move(current)) return;
                    break;
                case CAIRO_PATH_LINE_TO: {
                    Point p{d[1].point.x, d[1].point.y};
                    if (!segment(current, p)) return;
                    current = p;
                    break;
                }
                case CAIRO_PATH_CLOSE_PATH:
                    if (!close(current, start)) return;
                    current = start;
                    break;
                case CAIRO_PATH_CURVE_TO: break;  // a flat path has none
            }
        }
    };
    double total = 0;
    walk([](Point) { return true; },
         [&](Point a, Point b) { total += distance(a, b); return true; },
         [&](Point a, Point b) { total += distance(a, b); return true; });
    double left = fraction * total;
    if (total > 0 && left > 0) {
        // Appends the part of a -> b that the remaining length covers; false once it is spent.
        auto along = [&](Point a, Point b) {
            double len = distance(a, b);
            if (len <= left) {
                cairo_line_to(cr, b.x, b.y);
                left -= len;
                return true;
            }
            double u = left / len;
            cairo_line_to(cr, a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u);
            left = 0;
            return false;
        };
        walk([&](Point p) {
                 cairo_move_to(cr, p.x, p.y);
                 return true;
             },
             along,
             [&](Point a, Point b) {
                 if (distance(a, b) <= left) {
                     left -= distance(a, b);
                     cairo_close_path(cr);
                     return true;
                 }
                 return along(a, b);
             });
    }
    cairo_path_destroy(flat);
}

}  // namespace

LayerValue ShapeLayer::value(KeyPath key) const {
    if (key == KeyPath::strokeEnd) return strokeEnd;
    return Layer::value(key);
}

void ShapeLayer::drawContent(cairo_t* cr, double t) const {
    Layer::drawContent(cr, t);
    if (path.isEmpty()) return;
    if (fillColor && fillColor->a > 0) draw::fillPath(cr, path, *fillColor, CAIRO_OPERATOR_OVER, evenOdd);
    double end = presentedNumber(KeyPath::strokeEnd, t);
    if (!strokeColor || !(strokeColor->a > 0) || !(lineWidth > 0) || !(end > 0)) return;
    draw::Saved saved(cr);
    if (end >= 1) {
        cairo_new_path(cr);
        draw::appendPath(cr, path);
    } else {
        appendPrefix(cr, path, end);
    }
    draw::setColor(cr, *strokeColor);
    draw::setLineWidth(cr, lineWidth);
    draw::setCap(cr, lineCap);
    draw::setJoin(cr, lineJoin);
    cairo_set_miter_limit(cr, std::isfinite(miterLimit) && miterLimit >= 1 ? miterLimit : 10);
    draw::setDash(cr, lineDashPattern);
    cairo_stroke(cr);
}

Rect ShapeLayer::drawnExtent(double t) const {
    Rect e = Layer::drawnExtent(t);
    if (path.isEmpty()) return e;
    Rect box = path.controlBox();
    if (box.isNull()) return e;
    double reach = 0;
    if (strokeColor && lineWidth > 0 && std::isfinite(lineWidth)) {
        double factor = lineCap == LineCap::square ? std::sqrt(2.0) : 1;
        if (lineJoin == LineJoin::miter) factor = std::max(factor, std::isfinite(miterLimit) ? miterLimit : 10);
        reach = lineWidth / 2 * factor;
    }
    return e.united(box.insetBy(-reach, -reach));
}

}  // namespace nolby
