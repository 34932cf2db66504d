#include "ink/ops/StrokeOp.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>

namespace nolby {

StrokeOp::StrokeOp(Path p, Pen pn, int passes, double pace)
    : path(std::move(p)), pen(std::move(pn)), passes_(passes), paceValue_(pace) {
    lines_ = flatten(path, 1.2);
    // Callers clamp their geometry; a stray non-finite point must still not poison the
    // total length or reach cairo.
    std::erase_if(lines_, [](const Polyline& l) {
        return std::any_of(l.begin(), l.end(), [](Point p) { return !std::isfinite(p.x) || !std::isfinite(p.y); });
    });
    lens_.reserve(lines_.size());
    for (const Polyline& l : lines_) {
        lens_.push_back(polyLength(l));
        total_ += lens_.back();
    }
    Rect box = path.boundingBox();
    bounds_ = box.isNull() ? box : box.insetBy(-pen.width, -pen.width);
}

Rect StrokeOp::bounds() const { return bounds_; }

double StrokeOp::ease(double x) const {
    x = std::clamp(x, 0.0, 1.0);
    if (lines_.size() > 6) return x;
    return 0.3 * x + 0.7 * smoothstep(x);
}

namespace {

void addPolyline(cairo_t* cr, const Polyline& line) {
    cairo_move_to(cr, line[0].x, line[0].y);
    for (size_t i = 1; i < line.size(); ++i) cairo_line_to(cr, line[i].x, line[i].y);
}

// The first `remaining` points of length along the polyline.
void addPartial(cairo_t* cr, const Polyline& line, double remaining) {
    cairo_move_to(cr, line[0].x, line[0].y);
    double walked = 0;
    for (size_t i = 1; i < line.size(); ++i) {
        double seg = distance(line[i - 1], line[i]);
        if (walked + seg < remaining) {
            cairo_line_to(cr, line[i].x, line[i].y);
            walked += seg;
            continue;
        }
        double f = seg > 0 ? (remaining - walked) / seg : 0;
        Point p = line[i - 1] + (line[i] - line[i - 1]) * f;
        cairo_line_to(cr, p.x, p.y);
        return;
    }
}

}  // namespace

void StrokeOp::draw(cairo_t* cr, double t) const {
    if (!(t > 0)) return;
    draw::Saved saved(cr);
    draw::setColor(cr, pen.color);
    draw::setLineWidth(cr, pen.width);
    draw::setCap(cr, pen.cap);
    draw::setJoin(cr, pen.join);
    draw::setBlend(cr, pen.blend);
    draw::setDash(cr, pen.dash.value_or(std::vector<double>{}));
    cairo_new_path(cr);
    if (t >= 1) {
        draw::appendPath(cr, path);
    } else {
        double remaining = t * total_;
        for (size_t i = 0; i < lines_.size() && remaining > 0; ++i) {
            if (lens_[i] <= remaining) {
                addPolyline(cr, lines_[i]);
                remaining -= lens_[i];
            } else {
                addPartial(cr, lines_[i], remaining);
                remaining = 0;
            }
        }
    }
    cairo_stroke(cr);
}

void appendStroke(std::vector<InkOpRef>& ops, Path path, const Pen& pen, int passes, double pace, double pause) {
    auto op = std::make_shared<StrokeOp>(std::move(path), pen, passes, pace);
    op->pause = pause;
    ops.push_back(std::move(op));
}

}  // namespace nolby
