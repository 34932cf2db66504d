// Pie charts and fraction circles: a sketchy circle cut into slices clockwise from
// 12 o'clock, the shaded slices washed and hatched, and an optional caption under it.
#include "ink/fig/Fig.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/StrokeOp.h"
#include "platform/Unicode.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <optional>
#include <set>

namespace nolby {

namespace {

// A single slice may not outweigh the others by more than this: keeps the sum finite.
constexpr double kMaxPart = 1e9;

// The slice sizes: "parts" when it is a list (empty: no pie), else "n" equal slices.
std::vector<double> sliceSizes(const J& o) {
    std::vector<double> sizes;
    if (const nlohmann::json* parts = o.arr("parts")) {
        for (const nlohmann::json& e : *parts) {
            if (sizes.size() == Fig::kMaxSlices) break;
            // An unreadable size still makes a slice, the size of one.
            const double v = J::number(&e).value_or(1);
            sizes.push_back(v <= 0 ? 0 : std::min(v, kMaxPart));
        }
        return sizes;
    }
    const int n = std::clamp(Fig::int_(o["n"], 4), 1, static_cast<int>(Fig::kMaxSlices));
    return std::vector<double>(static_cast<size_t>(n), 1.0);
}

// "fc" is a colour name or a number's text; anything else leaves the default.
std::string shadeName(const J& o) {
    const nlohmann::json* v = o["fc"];
    if (v && (v->is_string() || v->is_number())) return o.str("fc", "orange");
    return "orange";
}

}  // namespace

void Fig::pie(const J& o, Color color, double w) {
    const std::vector<double> sizes = sliceSizes(o);
    if (sizes.empty()) return;
    const Point centre = at(o.num("x", 50), o.num("y", boxH / 2));
    const double R = std::fabs(cl(o.num("r", 12)) * k);

    double total = 0;
    for (double s : sizes) total += s;
    total = std::max(total, 1e-9);
    const std::vector<int> fillList = ints(o["fill"]);
    const std::set<int> filled(fillList.begin(), fillList.end());
    const std::vector<std::string> cs = strings(o["cs"]);
    const std::string fc = shadeName(o);

    // Each slice draws its own starting edge, the first at 12 o'clock; one slice has none.
    Path dividers;
    double a = -std::numbers::pi / 2;
    for (size_t i = 0; i < sizes.size(); ++i) {
        const double sweep = sizes[i] / total * 2 * std::numbers::pi;
        // A colour given for the slice itself shades it whether or not "fill" names it.
        if (i < cs.size() && !unicode::isBlank(cs[i])) pieSlice(centre, R, a, sweep, cs[i]);
        else if (filled.count(static_cast<int>(i))) pieSlice(centre, R, a, sweep, fc);
        if (sizes.size() >= 2)
            rough.lineOnce(dividers, centre.x, centre.y, centre.x + R * std::cos(a), centre.y + R * std::sin(a), false);
        a = a + sweep;
    }

    Path outline;
    rough.ellipse(outline, centre.x, centre.y, 2 * R, 2 * R, 1);
    ops.push_back(std::make_shared<StrokeOp>(outline, pen(color, w), 1, 1));
    if (!dividers.isEmpty()) ops.push_back(std::make_shared<StrokeOp>(dividers, pen(color, 0.8 * w), 1, 1));

    const std::string caption = o.str("text", "");
    if (unicode::isBlank(caption)) return;
    const double baseline = centre.y + R + 6 * k;
    const Setting st = setting(caption, centre.x, "c", 0.95);
    append(hand.write(caption, st.left, baseline - st.size, st.tw + st.size, st.size, color, Faces::Face::hand,
                      std::nullopt, Hand::Align::left, true, halo, 0, 0, 1));
}

void Fig::pieSlice(Point centre, double radius, double start, double sweep, const std::string& name) {
    // The wash stays just inside the sketchy rim: the centre, then the arc at 0.97 R.
    const int m = std::max(3, static_cast<int>(12 * sweep));
    std::vector<Point> poly{centre};
    poly.reserve(static_cast<size_t>(m) + 2);
    for (int j = 0; j <= m; ++j) {
        const double t = start + sweep * j / m;
        poly.push_back({centre.x + 0.97 * radius * std::cos(t), centre.y + 0.97 * radius * std::sin(t)});
    }
    Path path;
    path.moveTo(poly.front());
    for (size_t i = 1; i < poly.size(); ++i) path.lineTo(poly[i]);
    path.close();
    ops.push_back(std::make_shared<FillOp>(path, washColor(name), BlendMode::multiply, false));
    hatch({poly}, name, 8 * u, 1.8 * pw, 3);
}

}  // namespace nolby
