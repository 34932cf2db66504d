// The figure's frame, its draw loop and the dispatch of items on their kind.
#include "ink/fig/Fig.h"

#include "ink/Rng.h"
#include "ink/ops/FillOp.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <typeinfo>

namespace nolby {

Fig::Fig(uint64_t seed, double ox, double oy, double k, double boxH, double textSize, double lineWidth)
    : seed(seed),
      ox(ox),
      oy(oy),
      k(k),
      boxH(boxH),
      textSize(textSize),
      lineWidth(lineWidth),
      u(textSize / 23),
      pw(lineWidth / 2.5),
      rough(seed, 1, 1.054, 2, 0.62),
      hand(seed * 3 + 1) {}

double Fig::cl(double v) {
    if (!std::isfinite(v)) return 0;
    if (v <= -kLimit) return -kLimit;
    if (v > kLimit) return kLimit;
    return v;
}

const std::set<std::string>& Fig::widthKinds() {
    static const std::set<std::string> kinds{"rect", "box",  "cells", "numberline", "tree",
                                             "flow", "table", "bars", "axes",       "plot"};
    return kinds;
}

void Fig::draw(const nlohmann::json& items) {
    if (!items.is_array()) return;
    std::vector<J> kept;
    for (const nlohmann::json& e : items) {
        if (!e.is_object()) continue;
        if (kept.size() == kMaxItems) break;
        kept.emplace_back(e);
    }
    // Every axes item sees all the plots of the figure, wherever they stand in the list.
    std::vector<J> plots;
    for (const J& o : kept)
        if (o.str("k", "") == "plot") plots.push_back(o);

    for (const J& o : kept) {
        const size_t start = ops.size();
        if (o.bool_("ruled", false)) {
            // A private straight pen keyed by the item's id: the same ruled item draws the
            // same strokes wherever it stands, and the figure's own pen does not advance.
            const std::string id = o.str("id", o.line());
            Rough own = rough;
            rough = Rough(seed ^ stableHash(id), 0, 1.054, 1, 0.62);
            item(o, plots);
            rough = own;
        } else {
            item(o, plots);
        }
        settle(start);
        // Each item hesitates before it starts; a wash keeps its own shorter pause.
        if (ops.size() > start && ops[start]->pause == 0) ops[start]->pause = 0.24;
    }
}

void Fig::settle(size_t start) {
    std::vector<InkOpRef> washes, others;
    for (size_t i = start; i < ops.size(); ++i) {
        const InkOp& op = *ops[i];
        const bool isWash = typeid(op) == typeid(FillOp) && static_cast<const FillOp&>(op).blend == BlendMode::multiply;
        (isWash ? washes : others).push_back(ops[i]);
    }
    if (washes.empty() || others.empty()) return;
    ops.resize(start);
    ops.insert(ops.end(), washes.begin(), washes.end());
    ops.insert(ops.end(), others.begin(), others.end());
}

void Fig::item(const J& o, const std::vector<J>& plots) {
    const std::string kind = o.str("k", "");
    const Color color = Ink::color(o.str("c", "ink"), Ink::ink);
    const double w = widthKinds().count(kind) ? lineWidth * 1 : lineWidth * std::clamp(o.num("w", 1), 0.4, 3.0);

    if (kind == "line" || kind == "arrow") {
        line(o, kind, color, w);
    } else if (kind == "rect" || kind == "box") {
        box(o, color, w);
    } else if (kind == "circle" || kind == "ellipse") {
        ellipse(o, color, w);
    } else if (kind == "poly" || kind == "polygon") {
        polygon(o, color, w);
    } else if (kind == "path") {
        svgPath(o, color, w);
    } else if (kind == "dot") {
        dot(o, color);
    } else if (kind == "doodle") {
        const Point c = at(o.num("x", 0), o.num("y", 0));
        doodle(o.str("name", "spark"), c.x, c.y, cl(o.num("s", 6)) * k, color, o.optStr("fill"));
    } else if (kind == "text") {
        text(o.str("text", ""), o.num("x", 0), o.num("y", 0), o.str("align", "l"), o.num("size", 1), color,
             o.str("face", ""));
    } else if (kind == "label") {
        label(o, color);
    } else if (kind == "axes") {
        axes(o, plots, color);
    } else if (kind == "plot") {
        plot(o, color, w);
    } else if (kind == "brace") {
        brace(o, color, w);
    } else if (kind == "cells") {
        cells(o, color, w);
    } else if (kind == "numberline") {
        numberline(o, color, w);
    } else if (kind == "pie") {
        pie(o, color, w);
    } else if (kind == "table") {
        table(o, color, w);
    } else if (kind == "bars") {
        bars(o, color, w);
    } else if (kind == "tree") {
        tree(o, color, w);
    } else if (kind == "flow") {
        flow(o, color, w);
    } else if (kind == "dots") {
        dots(o, color);
    }
    // Any other kind draws nothing.
}

}  // namespace nolby
