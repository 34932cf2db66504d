// Bar charts: one upright bar per value on a common baseline, washed, hatched and outlined
// in its colour, its value written above it and its category label under it.
#include "ink/fig/Fig.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/StrokeOp.h"
#include "platform/TextLine.h"
#include "platform/Unicode.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <memory>
#include <set>

namespace nolby {

namespace {

// The values, left to right; anything that is not a number counts 0.
std::vector<double> barValues(const J& o) {
    std::vector<double> vals;
    if (const nlohmann::json* list = o.arr("vals")) {
        for (const nlohmann::json& e : *list) {
            if (vals.size() == Fig::kMaxBars) break;
            vals.push_back(J::number(&e).value_or(0));
        }
    }
    return vals;
}

}  // namespace

void Fig::bars(const J& o, Color color, double w) {
    const std::vector<double> vals = barValues(o);
    if (vals.empty()) return;
    const double left = ox + cl(o.num("x", 8)) * k, top = oy + cl(o.num("y", 4)) * k;
    const double CW = cl(o.num("w", 84)) * k, CH = cl(o.num("h", boxH - 12)) * k;
    // A chart of no width or height (or a mirrored one) has no slots or room to draw in.
    if (!(CW > 0) || !(CH > 0)) return;
    const double bottom = top + CH;
    const double n = static_cast<double>(vals.size());
    const double slot = CW / n, barW = 0.62 * slot;
    const double room = CH - textSize;  // a text size above is left for the value labels

    double max = o.num("max", *std::max_element(vals.begin(), vals.end()));
    if (max <= 1e-9) max = 1e-9;
    const std::vector<std::string> labels = strings(o["labels"]), cs = strings(o["cs"]);
    const std::vector<int> hlList = ints(o["hl"]);
    const std::set<int> hl(hlList.begin(), hlList.end());
    const std::string hc = o.str("hc", "orange"), plain = o.str("c", "blue");
    const bool show = o.bool_("show", true);
    const double labelSize = 0.8 * textSize;

    for (size_t i = 0; i < vals.size(); ++i) {
        // A value above "max" may rise 5 % over the room, no further.
        double fraction = vals[i] / max;
        fraction = fraction > 0 ? std::min(fraction, 1.05) : 0;
        const double height = room * fraction;
        const double barLeft = left + slot * i + (slot - barW) / 2, barTop = bottom - height;
        // Its own colour first, then the highlight colour, then the chart's.
        const std::string& name = i < cs.size() && !unicode::isBlank(cs[i]) ? cs[i]
                                  : hl.count(static_cast<int>(i)) != 0      ? hc
                                                                            : plain;
        if (height > 2 * u) bar(Rect{barLeft, barTop, barW, height}, name, w);

        // The value is written even over a bar too short to draw.
        if (show) {
            const std::string text = num(vals[i]);
            const double tw = textWidth(unmarked(text), *Faces::font(Faces::Face::hand, labelSize));
            append(hand.write(text, barLeft + barW / 2 - tw / 2, barTop - 1.04 * textSize, tw + labelSize, labelSize,
                              Ink::color(name, Ink::ink), Faces::Face::hand, std::nullopt, Hand::Align::left, true,
                              std::nullopt, 0, 0, 1));
        }
        if (i < labels.size() && !unicode::isBlank(labels[i]))
            fit(labels[i], Rect{left + slot * i, bottom + 4 * u, slot, 1.5 * textSize - 4 * u}, Ink::ink,
                0.85 * textSize, Faces::Face::hand);
    }

    Path base;
    rough.lineOnce(base, left - 6 * u, bottom, left + CW + 6 * u, bottom, false);
    ops.push_back(std::make_shared<StrokeOp>(base, pen(color, w), 1, 1));
}

void Fig::bar(Rect rect, const std::string& name, double w) {
    const double x0 = rect.minX(), y0 = rect.minY(), x1 = rect.maxX(), y1 = rect.maxY();
    Path wash;
    wash.addRect(rect.insetBy(1, 1));  // a bar narrower than 2 points keeps no wash
    if (!wash.isEmpty()) ops.push_back(std::make_shared<FillOp>(wash, washColor(name), BlendMode::multiply, false));
    hatch({{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}}, name, 9 * u, 1.9 * pw, 3.2);

    Path outline;
    rough.lineOnce(outline, x0, y0, x1, y0, false);
    rough.lineOnce(outline, x1, y0, x1, y1, false);
    rough.lineOnce(outline, x1, y1, x0, y1, false);
    rough.lineOnce(outline, x0, y1, x0, y0, false);
    ops.push_back(std::make_shared<StrokeOp>(outline, pen(Ink::color(name, Ink::ink), w), 1, 1));
}

}  // namespace nolby
