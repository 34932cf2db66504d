// Wash fills, hatching and highlighter washes: the colour inside figure shapes. Washes are
// multiply fills, which the draw loop settles under their item's strokes.
#include "ink/fig/Fig.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/StrokeOp.h"
#include "platform/Unicode.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace nolby {

void Fig::fill(const J& o, std::vector<std::vector<Point>> polygons, bool rounded, const Path* washPath) {
    const std::string name = o.str("fill", "");
    if (name.empty() || unicode::lowercased(name) == "none") return;
    std::vector<std::vector<Point>> kept;
    for (auto& poly : polygons)
        if (poly.size() > 2) kept.push_back(std::move(poly));
    if (kept.empty()) return;

    Path path;
    for (auto& poly : kept) {
        if (rounded) {
            const Rect b = bounds(poly);
            const double r = std::min(0.25 * std::min(b.width(), b.height()), 14.0);
            path.addRoundedRect(b, r, r);
            poly = roundedPoly(b, r);  // the hatching follows the rounded corners too
        } else if (!washPath) {
            path.moveTo(poly.front());
            for (size_t i = 1; i < poly.size(); ++i) path.lineTo(poly[i]);
            path.close();
        }
    }
    if (washPath) path.addPath(*washPath);
    auto washOp = std::make_shared<FillOp>(path, washColor(name), BlendMode::multiply, true);
    washOp->pause = 0.12;
    ops.push_back(washOp);
    hatch(kept, name, 10.5 * u, 1.9 * pw, 3.2);
}

void Fig::hatch(const std::vector<std::vector<Point>>& polygons, const std::string& name, double gap, double width,
                double pace) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    double minX = inf, minY = inf, maxX = -inf, maxY = -inf;
    bool any = false;
    for (const auto& poly : polygons)
        for (Point p : poly) {
            any = true;
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    if (!any) return;
    // A stray coordinate must not turn into thousands of hatch strokes.
    if (!(maxX - minX < 3000) || !(maxY - minY < 3000)) return;

    Path path;
    rough.hachure(path, polygons, gap, -41);
    if (path.isEmpty()) return;
    Pen p = pen(Ink::fill(name), width);
    p.blend = BlendMode::multiply;
    ops.push_back(std::make_shared<StrokeOp>(path, p, 1, pace));
}

namespace {

// Highlighter marks sit 1.5 text units inside their cell or node.
std::shared_ptr<FillOp> marker(Rect rect, double inset, Color color, bool oval) {
    const Rect r = rect.insetBy(inset, inset);
    Path path;
    if (oval) path.addEllipse(r);
    else path.addRect(r);
    return std::make_shared<FillOp>(path, color, BlendMode::multiply, false);
}

}  // namespace

void Fig::wash(Rect rect, const std::string& name) { ops.push_back(marker(rect, 1.5 * u, markerColor(name), false)); }

void Fig::washOval(Rect rect, const std::string& name) { ops.push_back(marker(rect, 1.5 * u, markerColor(name), true)); }

}  // namespace nolby
