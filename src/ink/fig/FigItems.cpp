// The primitive figure kinds: lines and arrows, boxes, ellipses, polygons, SVG paths and
// dots. Each draws its outline into one path and appends one stroke of it; fills (inside
// `fill`) draw from the figure's pen before the outline does.
#include "ink/SvgPath.h"
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <optional>

namespace nolby {

Pen Fig::pen(Color color, double width) { return Pen::usual(color, width); }

void Fig::line(const J& o, const std::string& kind, Color color, double w) {
    std::vector<Point> pts = points(o, "pts");
    // The end-point keys stand in only for a missing (or wholly unreadable) point list.
    if (pts.empty() && (o.has("x1") || o.has("x2")))
        pts = {at(o.num("x1", 0), o.num("y1", 0)), at(o.num("x2", 0), o.num("y2", 0))};
    if (pts.size() < 2) return;

    const bool dash = o.bool_("dash", false);
    const int passes = dash ? 1 : 2;
    Path path;
    if (o.bool_("smooth", false)) {
        rough.curve(path, pts, passes, 1);
    } else {
        for (size_t i = 1; i < pts.size(); ++i) rough.line(path, pts[i - 1].x, pts[i - 1].y, pts[i].x, pts[i].y, passes);
    }
    Pen p = pen(color, w);
    if (dash) p.dash = std::vector<double>{14 * u, 11 * u};
    ops.push_back(std::make_shared<StrokeOp>(path, p, passes, 1));
    arrows(o.str("arrow", kind == "arrow" ? ">" : ""), pts, color, w);
}

void Fig::box(const J& o, Color color, double w) {
    const Point p0 = at(o.num("x", 0), o.num("y", 0));
    const double x0 = p0.x, y0 = p0.y;
    const double W = cl(o.num("w", 20)) * k, H = cl(o.num("h", 10)) * k;
    const bool rounded = o.bool_("r", true);

    fill(o, {{{x0, y0}, {x0 + W, y0}, {x0 + W, y0 + H}, {x0, y0 + H}}}, rounded, nullptr);
    Path path;
    rough.rect(path, x0, y0, W, H, rounded, 2);
    // "lw" counts pen units, so 2.5 is the figure's own line width.
    const std::optional<double> lw = J::number(o["lw"]);
    const double width = lw ? pw * std::clamp(*lw, 0.3, 10.0) : w;
    ops.push_back(std::make_shared<StrokeOp>(path, pen(color, width), 2, 1));
    inside(o.str("text", ""), Rect{x0, y0, W, H}, o);
}

void Fig::ellipse(const J& o, Color color, double w) {
    const Point c = at(o.num("x", 50), o.num("y", 20));
    double rx = std::fabs(cl(o.num("r", 8)) * k), ry = rx;
    if (o["rx"]) rx = std::fabs(cl(o.num("rx", 8)) * k);
    if (o["ry"]) ry = std::fabs(cl(o.num("ry", 8)) * k);

    // The hatching follows a slightly smaller outline so it stays inside the rough ring.
    std::vector<Point> outline;
    outline.reserve(36);
    for (int i = 0; i < 36; ++i) {
        const double a = i * 2 * std::numbers::pi / 36;
        outline.push_back({c.x + 0.97 * rx * std::cos(a), c.y + 0.97 * ry * std::sin(a)});
    }
    Path washPath;
    washPath.addEllipse(Rect{c.x - rx, c.y - ry, 2 * rx, 2 * ry}.insetBy(0.02 * rx, 0.02 * ry));
    fill(o, {outline}, false, &washPath);

    Path path;
    rough.ellipse(path, c.x, c.y, 2 * rx, 2 * ry, 2);
    ops.push_back(std::make_shared<StrokeOp>(path, pen(color, w), 2, 1));
    inside(o.str("text", ""), Rect{c.x - rx, c.y - ry, 2 * rx, 2 * ry}, o);
}

void Fig::polygon(const J& o, Color color, double w) {
    const std::vector<Point> pts = points(o, "pts");
    if (pts.size() < 3) return;
    fill(o, {pts}, false, nullptr);
    Path path;
    for (size_t i = 0; i + 1 < pts.size(); ++i) rough.line(path, pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y, 2);
    rough.line(path, pts.back().x, pts.back().y, pts.front().x, pts.front().y, 2);
    ops.push_back(std::make_shared<StrokeOp>(path, pen(color, w), 2, 1));
}

void Fig::svgPath(const J& o, Color color, double w) {
    // The reader clamps coordinates and caps the points itself.
    const auto subs = SvgPath::parse(o.str("d", ""), k, k, ox, oy);
    if (subs.empty()) return;

    // Open sub-paths are filled only when the item asks for a fill at all.
    const bool fillOpen = o.has("fill");
    std::vector<std::vector<Point>> fills;
    for (const auto& sub : subs)
        if (sub->closed || fillOpen) fills.push_back(sub->pts);
    fill(o, std::move(fills), false, nullptr);

    Path path;
    for (const auto& sub : subs)
        for (const auto& run : corners(sub->pts)) rough.curve(path, Rough::thin(run, 9 * u), 2, 0.7);
    ops.push_back(std::make_shared<StrokeOp>(path, pen(color, w), 2, 1));
    arrows(o.str("arrow", ""), subs.back()->pts, color, w);
}

void Fig::dot(const J& o, Color color) {
    // A small ring so thick that it reads as a filled dot.
    const double R = std::fabs(cl(o.num("r", 1.2)) * k);
    const Point c = at(o.num("x", 0), o.num("y", 0));
    Path path;
    rough.ellipse(path, c.x, c.y, 1.2 * R, 1.2 * R, 1);
    ops.push_back(std::make_shared<StrokeOp>(path, pen(color, 1.1 * R), 1, 1));
}

}  // namespace nolby
