// Number lines: a hand-drawn line with arrow ends, major ticks with handwritten numbers,
// optional minor ticks and washed ranges with labels. Jumps and marked points, and the
// placement of their labels, are in FigNumberlineMarks.cpp.
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"
#include "platform/Unicode.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <memory>

namespace nolby {

namespace {

// Generated major ticks beyond 60 intervals, and minor ticks beyond 200, would only blacken
// the line; the counts also bound the loops when a tiny span meets the 1e-9 tolerance.
constexpr int kMaxMajorTicks = 61;
constexpr int kMaxMinorTicks = 201;

struct Tick {
    double v;
    std::string label;
};

// The tick list the item gives: numbers, numeric texts, and [v] or [v, label] lists.
std::vector<Tick> givenTicks(const nlohmann::json* list) {
    std::vector<Tick> ticks;
    if (!list || !list->is_array()) return ticks;
    size_t seen = 0;
    for (const nlohmann::json& e : *list) {
        if (seen++ == Fig::kMaxLineTicks) break;
        if (const std::optional<double> v = J::number(&e)) {
            ticks.push_back({*v, Fig::num(*v)});
        } else if (e.is_array() && !e.empty()) {
            const std::optional<double> first = J::number(&e[0]);
            if (!first) continue;
            std::string label = Fig::num(*first);
            if (e.size() > 1) {
                nlohmann::json second = nlohmann::json::array();
                second.push_back(e[1]);
                label = Fig::strings(&second)[0];
            }
            ticks.push_back({*first, label});
        }
    }
    return ticks;
}

}  // namespace

double Fig::NumberScale::pos(double v) const {
    // Values a little outside land on the drawn extension; further out, 8 % beyond the end.
    double t = (v - from) / span;
    t = !(t >= -0.08) ? -0.08 : t > 1.08 ? 1.08 : t;
    return X0 + W * t;
}

Color Fig::rangeInk(const std::string& name) {
    const std::string lower = unicode::lowercased(name);
    // A label in the yellow of its wash would vanish into it.
    if (lower == "yellow" || lower == "gold") return Color::rgba8(184, 134, 11);
    return Ink::color(name, Ink::ink);
}

void Fig::numberline(const J& o, Color color, double w) {
    NumberScale s;
    s.from = o.num("from", 0);
    s.to = o.num("to", 1);
    s.span = s.to - s.from;
    if (!std::isfinite(s.span) || s.to == s.from) return;
    s.lo = std::min(s.from, s.to);
    s.hi = std::max(s.from, s.to);
    s.X0 = ox + cl(o.num("x", 5)) * k;
    s.Y = oy + cl(o.num("y", 16)) * k;
    s.W = cl(o.num("w", 90)) * k;
    s.R = ox + 100 * k;

    lineRanges(o, s);
    lineAxis(o, s, color, w);
    lineTicks(o, s, color, w);
    lineJumps(o, s);
    linePoints(o, s);
}

void Fig::lineRanges(const J& o, NumberScale& s) {
    std::vector<J> ranges = o.objs("ranges");
    if (ranges.size() > kMaxLineRanges) ranges.resize(kMaxLineRanges);
    for (const J& r : ranges) {
        const double a = s.pos(r.num("from", s.from)), b = s.pos(r.num("to", s.from));
        const std::string name = r.str("c", "yellow");
        wash(Rect{std::min(a, b), s.Y - 13 * u, std::fabs(a - b), 26 * u}, name);

        const std::string text = r.str("text", "");
        if (blank(text)) continue;
        const Setting st = setting(text, (a + b) / 2, "c", 0.8);
        const double base = lifted(s, st, s.Y - 18 * u, 4 * u, 2 * u);
        handLine(text, st.left, base - st.size, st.tw + st.size, st.size, rangeInk(name), halo);
        s.labels.push_back(Rect{st.left, base - 0.8 * st.size, st.tw, 1.05 * st.size}.insetBy(-6 * u, -4 * u));
    }
}

double Fig::lifted(const NumberScale& s, const Setting& st, double b, double growX, double growY) const {
    // Bounded too, so a degenerate text size that cannot move the baseline still ends.
    constexpr int kMaxLifts = 64;
    for (int lifts = 0; lifts < kMaxLifts; ++lifts) {
        const Rect candidate = Rect{st.left, b - 0.8 * st.size, st.tw, 1.05 * st.size}.insetBy(-growX, -growY);
        bool hit = false;
        for (const Rect& r : s.labels)
            if (r.intersects(candidate)) {
                hit = true;
                break;
            }
        if (!hit || !(b > s.Y - 200 * u)) break;
        b -= 0.88 * textSize;
    }
    return b;
}

void Fig::lineAxis(const J& o, const NumberScale& s, Color color, double w) {
    const std::string ends = o.str("ends", "<>");
    const bool left = ends.find('<') != std::string::npos, right = ends.find('>') != std::string::npos;
    const double eL = left ? 18 * u : 10 * u, eR = right ? 18 * u : 10 * u;
    const Pen linePen = pen(color, w);
    Path line;
    rough.lineOnce(line, s.X0 - eL, s.Y, s.X0 + s.W + eR, s.Y, false);
    ops.push_back(std::make_shared<StrokeOp>(line, linePen, 1, 1));

    Path heads;
    if (right) rough.arrowhead(heads, s.X0 + s.W + eR, s.Y, 1, 0, 13 * u);
    if (left) rough.arrowhead(heads, s.X0 - eL, s.Y, -1, 0, 13 * u);
    if (!heads.isEmpty()) ops.push_back(std::make_shared<StrokeOp>(heads, linePen, 2, 1));

    const double minor = o.num("minor", 0);
    if (!(minor > 0) || !((s.hi - s.lo) / minor <= 200)) return;
    Path ticks;
    for (int i = 0; i < kMaxMinorTicks; ++i) {
        const double v = s.lo + minor * i;
        if (!(v <= s.hi + 1e-9)) break;
        const double x = s.pos(v);
        rough.lineOnce(ticks, x, s.Y - 5 * u, x, s.Y + 5 * u, false);
    }
    ops.push_back(std::make_shared<StrokeOp>(ticks, pen(Ink::grey, 1.4 * pw), 1, 1));
}

void Fig::lineTicks(const J& o, const NumberScale& s, Color color, double w) {
    std::vector<Tick> ticks = givenTicks(o["ticks"]);
    if (ticks.empty()) {
        const double step = o.num("step", (s.hi - s.lo) / 4);
        const double g = std::fabs(step);
        if (step != 0 && !std::isnan(step) && (s.hi - s.lo) / g <= 60) {
            for (int i = 0; i < kMaxMajorTicks; ++i) {
                const double v = s.lo + g * i;
                if (!(v <= s.hi + 1e-9)) break;
                ticks.push_back({v, num(v)});
            }
        }
    }
    // Left to right on the page, so the thinning of crowded labels works from the left.
    std::stable_sort(ticks.begin(), ticks.end(), [&](const Tick& a, const Tick& b) { return s.pos(a.v) < s.pos(b.v); });

    const double ls = textSize * std::clamp(o.num("size", 0.8), 0.5, 1.6);
    Path path;
    std::vector<InkOpRef> labels;
    std::optional<double> last;  // right end of the last label written
    for (const Tick& t : ticks) {
        if (!(t.v >= s.lo - 1e-9 && t.v <= s.hi + 1e-9)) continue;
        const double x = s.pos(t.v);
        rough.lineOnce(path, x, s.Y - 10 * u, x, s.Y + 10 * u, false);
        if (blank(t.label)) continue;
        const double lw = plainWidth(t.label, ls);
        const double left = x - lw / 2;
        if (last && !(left > *last + 6 * u)) continue;  // would touch the previous number
        const double lx = std::min(std::max(ox - 16 * u, s.R + 16 * u - lw), std::max(left, ox - 16 * u));
        const Hand::Result r = hand.write(t.label, lx, s.Y + 14 * u, ls + lw, ls, color, Faces::Face::hand,
                                          std::nullopt, Hand::Align::left, true, std::nullopt, 0, 0, 1);
        labels.insert(labels.end(), r.ops.begin(), r.ops.end());
        last = x + lw / 2;
    }
    if (!path.isEmpty()) ops.push_back(std::make_shared<StrokeOp>(path, pen(color, w), 1, 1));
    ops.insert(ops.end(), labels.begin(), labels.end());
}

}  // namespace nolby
