// Tables: a hand-ruled grid with handwritten cells. Columns share the table's width in
// proportion to their widest text; a header row sits over a heavier rule; chosen cells
// get highlighter washes.
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"
#include "platform/TextLine.h"
#include "platform/Unicode.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

namespace nolby {

namespace {

using Rows = std::vector<std::vector<std::string>>;

// The list entries among the first entries of "rows", each cut short and turned into text.
Rows tableRows(const J& o) {
    Rows rows;
    const nlohmann::json* list = o.arr("rows");
    if (!list) return rows;
    size_t seen = 0;
    for (const nlohmann::json& e : *list) {
        if (seen++ == Fig::kMaxTableRows) break;
        if (!e.is_array()) continue;
        std::vector<std::string> cells = Fig::strings(&e);
        if (cells.size() > Fig::kMaxTableCells) cells.resize(Fig::kMaxTableCells);
        rows.push_back(std::move(cells));
    }
    return rows;
}

// Column widths in proportion to each column's widest text (as written, without markup)
// plus a margin of 1.2 font sizes; together they fill `width` exactly.
std::vector<double> columnWidths(const Rows& rows, size_t n, double fontSize, double width) {
    const auto font = Faces::font(Faces::Face::hand, fontSize);
    std::vector<double> natural(n, 0);
    for (size_t c = 0; c < n; ++c) {
        double widest = 0;
        for (const auto& row : rows)
            if (c < row.size() && !row[c].empty()) widest = std::max(widest, textWidth(Fig::unmarked(row[c]), *font));
        natural[c] = widest + 1.2 * fontSize;
    }
    double sum = 0;
    for (double v : natural) sum += v;
    for (double& v : natural) v = width * v / sum;
    return natural;
}

// The table index a highlight pair names, rounded half away from zero; none for a value
// that is not a number.
std::optional<double> index(const nlohmann::json& v) {
    const std::optional<double> n = J::number(&v);
    if (!n) return std::nullopt;
    return std::round(*n);
}

}  // namespace

void Fig::table(const J& o, Color color, double w) {
    const Rows rows = tableRows(o);
    size_t n = 0;
    for (const auto& row : rows) n = std::max(n, row.size());
    if (n == 0) return;

    const double left = ox + cl(o.num("x", 3)) * k, top = oy + cl(o.num("y", 3)) * k;
    const double W = cl(o.num("w", 94)) * k, H = cl(o.num("rh", 8)) * k;
    // With no width or row height there are no cells to share out or write in.
    if (!(W > 0) || !(H > 0)) return;
    const double right = left + W, bottom = top + H * static_cast<double>(rows.size());
    const double F = std::min(0.6 * H, textSize * std::clamp(o.num("size", 0.95), 0.3, 3.0));
    const bool head = o.bool_("head", true);

    const std::vector<double> widths = columnWidths(rows, n, F, W);
    std::vector<double> starts(n, left);
    for (size_t c = 1; c < n; ++c) starts[c] = starts[c - 1] + widths[c - 1];
    auto cell = [&](size_t r, size_t c) { return Rect{starts[c], top + H * static_cast<double>(r), widths[c], H}; };

    // Highlights, one by one; malformed or outside pairs are skipped.
    if (const nlohmann::json* hl = o.arr("hl")) {
        const std::string hc = o.str("hc", "yellow");
        size_t seen = 0;
        for (const nlohmann::json& e : *hl) {
            if (seen++ == kMaxTableMarks) break;
            if (!e.is_array() || e.size() < 2) continue;
            const double r = index(e[0]).value_or(-1);
            const std::optional<double> c = index(e[1]);
            if (!c || !(r >= 0 && r < static_cast<double>(rows.size()) && *c >= 0 && *c < static_cast<double>(n)))
                continue;
            wash(cell(static_cast<size_t>(r), static_cast<size_t>(*c)), hc);
        }
    }

    // The frame, clockwise from the top-left corner, then the column rules.
    Path frame;
    rough.lineOnce(frame, left, top, right, top, false);
    rough.lineOnce(frame, right, top, right, bottom, false);
    rough.lineOnce(frame, right, bottom, left, bottom, false);
    rough.lineOnce(frame, left, bottom, left, top, false);
    for (size_t c = 1; c < n; ++c) rough.lineOnce(frame, starts[c], top, starts[c], bottom, false);
    ops.push_back(std::make_shared<StrokeOp>(frame, pen(color, 0.85 * w), 1, 1));

    Path rules;
    for (size_t r = 1; r < rows.size(); ++r) {
        const double y = top + H * static_cast<double>(r);
        rough.lineOnce(rules, left, y, right, y, false);
    }
    if (!rules.isEmpty()) ops.push_back(std::make_shared<StrokeOp>(rules, pen(Ink::faint, 1.6 * pw), 1, 1));

    if (head && rows.size() >= 2) {
        Path rule;
        rough.line(rule, left, top + H, right, top + H, 2);
        ops.push_back(std::make_shared<StrokeOp>(rule, pen(color, w), 1, 1));
    }

    // "colc" colours body cells only; with no header it colours the first row too.
    const std::vector<std::string> colc = strings(o["colc"]);
    const Color headColor = Ink::color(o.str("hcol", "ink"), Ink::ink);
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < n; ++c) {
            const std::string text = c < rows[r].size() ? rows[r][c] : std::string();
            if (unicode::isBlank(text)) continue;
            const Color ink = r == 0 && head ? headColor
                                             : Ink::color(c < colc.size() ? std::optional(colc[c]) : std::nullopt,
                                                          Ink::ink);
            fit(text, cell(r, c), ink, F, Faces::Face::hand);
        }
}

}  // namespace nolby
