// Flow charts: steps in boxes, ellipses or bare text, in a row, a column or round a cycle,
// joined by hand-drawn arrows (FigFlowArrows.cpp). Each step is drawn with the arrow that
// leaves it, so the chart is written in the order it is read.
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"
#include "platform/TextLine.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

namespace nolby {

double Fig::FlowChart::angle(size_t i) const {
    // Step 0 at the top, the others following clockwise.
    return -std::numbers::pi / 2 + 2 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n());
}

void Fig::flowRow(FlowChart& c) const {
    // The gap between boxes makes room for the widest arrow label.
    const double n = static_cast<double>(c.n());
    double lw = 0;
    for (size_t i = 0; i + 1 < c.n() && i < c.labels.size(); ++i)
        if (!blank(c.labels[i])) lw = std::max(lw, labelWidth(c.labels[i], 0.72 * textSize));
    const double gap = std::max(7 * k, std::min(24 * k, 14 * u + lw));
    const double BW = std::max(6 * u, (c.area.w - gap * (n - 1)) / n);
    for (size_t i = 0; i < c.n(); ++i)
        c.boxes.push_back({c.area.x + (gap + BW) * static_cast<double>(i), c.area.y, BW, c.area.h});
}

void Fig::flowColumn(FlowChart& c) const {
    const double n = static_cast<double>(c.n());
    const double BH = std::max(6 * u, (c.area.h - 7 * k * (n - 1)) / n);
    const double BW = std::min(60 * k, c.area.w);
    for (size_t i = 0; i < c.n(); ++i)
        c.boxes.push_back(
            {c.area.x + (c.area.w - BW) / 2, c.area.y + (7 * k + BH) * static_cast<double>(i), BW, BH});
}

void Fig::flowCycle(FlowChart& c) const {
    double bw = std::min(34 * k, 0.4 * c.area.w), bh = std::min(12 * k, 0.24 * c.area.h);
    auto place = [&] {
        c.Rx = c.area.w / 2 - bw / 2;
        c.Ry = c.area.h / 2 - bh / 2;
        c.boxes.clear();
        for (size_t i = 0; i < c.n(); ++i) {
            const double a = c.angle(i);
            const double cx = c.Z.x + c.Rx * std::cos(a), cy = c.Z.y + c.Ry * std::sin(a);
            c.boxes.push_back({cx - bw / 2, cy - bh / 2, bw, bh});
        }
    };
    auto crowded = [&] {
        for (size_t i = 0; i < c.n(); ++i) {
            const Rect grown = c.boxes[i].insetBy(-22 * u, -22 * u);
            for (size_t j = i + 1; j < c.n(); ++j)
                if (grown.intersects(c.boxes[j])) return true;
        }
        return false;
    };
    place();
    // Smaller boxes on a wider ring, until they stand apart or get too small to write in.
    for (int shrinks = 0; shrinks < 14 && bh > 1.5 * textSize && crowded(); ++shrinks) {
        bw *= 0.92;
        bh *= 0.92;
        place();
    }
}

void Fig::flowStep(const FlowChart& c, size_t i, double w) {
    const FlowStep& step = c.steps[i];
    const Rect& box = c.boxes[i];
    const Color color = Ink::color(step.color, Ink::ink);
    // Any name washes, "none" included: an unknown name takes the highlighter's own colour.
    if (!step.fill.empty()) c.circle ? washOval(box, step.fill) : wash(box, step.fill);

    Path path;
    if (c.circle) rough.ellipse(path, box.midX(), box.midY(), box.width(), box.height(), 1);
    else if (!c.none) rough.rect(path, box.x, box.y, box.w, box.h, true, 1);
    if (!path.isEmpty()) ops.push_back(std::make_shared<StrokeOp>(path, pen(color, w), 1, 1));

    // An ellipse's text keeps off its curved sides.
    const Rect textBox = c.circle ? box.insetBy(0.07 * box.width(), 0) : box;
    fit(step.text, textBox, color, std::nullopt, Faces::Face::hand);
}

void Fig::flow(const J& o, Color /*color: steps take their own*/, double w) {
    const nlohmann::json* list = o.arr("steps");
    if (!list || list->empty()) return;

    FlowChart c;
    // Plain entries are steps with that text; objects are steps themselves.
    const std::string itemColor = o.str("c", "ink");
    const std::vector<std::string> plain = strings(list);
    const std::vector<J> objects = o.objs("steps");
    size_t object = 0;
    for (size_t i = 0; i < list->size() && c.steps.size() < kMaxFlowSteps; ++i) {
        if ((*list)[i].is_object()) {
            const J& s = objects[object++];
            const std::string own = s.str("c", "");
            c.steps.push_back({s.str("text", ""), own.empty() ? itemColor : own, s.str("fill", "")});
        } else {
            c.steps.push_back({plain[i], itemColor, ""});
        }
    }
    c.labels = strings(o.arr("edges"));

    const std::string dir = o.str("dir", "right");
    c.cycle = dir == "cycle";
    c.column = dir == "down";
    const bool row = !c.cycle && !c.column;
    const double x = cl(o.num("x", 3)), y = cl(o.num("y", 3));
    const double width = cl(o.num("w", 94)), height = cl(o.num("h", row ? 14 : boxH - 6));
    // An area with no room draws nothing, rather than boxes piled up or turned inside out.
    if (!(width > 0) || !(height > 0)) return;
    c.area = {ox + x * k, oy + y * k, width * k, height * k};
    c.Z = {c.area.x + c.area.w / 2, c.area.y + c.area.h / 2};

    if (c.cycle) flowCycle(c);
    else if (c.column) flowColumn(c);
    else flowRow(c);

    const std::string shape = o.str("shape", "box");
    c.circle = shape == "circle";
    c.none = shape == "none";
    c.arrowColor = Ink::color(o.str("ac", "grey"), Ink::ink);

    // A row or column has an arrow between neighbours; a cycle also closes the ring.
    const size_t n = c.n();
    for (size_t i = 0; i < n; ++i) {
        flowStep(c, i, w);
        if (n > 1 && (i + 1 < n || c.cycle)) flowArrow(c, i);
    }
}

}  // namespace nolby
