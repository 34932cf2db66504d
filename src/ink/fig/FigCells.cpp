// Cells: a row (or column) of boxed values, an array or a bit pattern, with washed and
// braced groups, highlighted cells, index labels and labelled pointers (FigCellsLabels.cpp).
// An ellipsis value stands for omitted cells and is drawn as grey dots in an open box.
#include "ink/fig/Fig.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/StrokeOp.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <memory>

namespace nolby {

namespace {

// The text without its leading and trailing spaces and tabs (line breaks stay).
std::string trimmedFlat(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    const size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

bool isEllipsis(const std::string& v) {
    const std::string t = trimmedFlat(v);
    return t == "\u2026" || t == "...";
}

}  // namespace

Rect Fig::CellArray::cell(int i) const {
    if (column) return Rect{L, T + ch * i, cw, ch};
    return Rect{L + cw * i, T, cw, ch};
}

void Fig::cells(const J& o, Color color, double w) {
    CellArray a;
    a.vals = strings(o["vals"]);
    if (a.vals.size() > kMaxCells) a.vals.resize(kMaxCells);
    const int n = a.n();
    if (n == 0) return;
    for (const std::string& v : a.vals) a.ellipsis.push_back(isEllipsis(v));

    a.column = o.str("dir", "") == "v";
    // The default height grows with the column; only numbers the item gives are clamped.
    const std::optional<double> h = J::number(o["h"]);
    a.L = ox + cl(o.num("x", 5)) * k;
    a.T = oy + cl(o.num("y", 6)) * k;
    a.W = cl(o.num("w", a.column ? 16 : 90)) * k;
    a.H = (h ? cl(*h) : a.column ? 8.0 * n : 9.0) * k;
    a.cw = a.column ? a.W : a.W / n;
    a.ch = a.column ? a.H / n : a.H;

    for (int i : ints(o["hl"]))
        if (i >= 0 && i < n) a.hl.insert(i);
    a.groups = o.objs("groups");
    if (a.groups.size() > kMaxCellGroups) a.groups.resize(kMaxCellGroups);

    // Ruled cells get exactly straight lines from a pen of their own; braces never do.
    Rough ruledGrid(seed, 0, 1.054, 1, 0.62);
    Rough& grid = o.bool_("ruled", false) ? ruledGrid : rough;
    // "lw" counts pen units, as on boxes; the grid draws at 0.85 of the width.
    const double sw = o["lw"] ? pw * std::clamp(o.num("lw", 2.5), 0.3, 10.0) / 0.85 : w;

    cellWashes(a, o.str("hc", "yellow"));
    cellGrid(a, grid, color, sw);
    cellContents(o, a);
    cellIndexLabels(o, a);
    cellBraces(a, sw);
    cellPointers(o, a, grid);
}

void Fig::washCells(const CellArray& a, int first, int last, const std::string& name) {
    // Padded only at the array's ends, so the wash stays inside the outer frame but covers
    // the separators between cells.
    const double m = 1.5 * u;
    const Rect r = a.cell(first).united(a.cell(last));
    const double startPad = first == 0 ? m : 0, endPad = last == a.n() - 1 ? m : 0;
    const double left = a.column ? m : startPad, right = a.column ? m : endPad;
    const double top = a.column ? startPad : m, bottom = a.column ? endPad : m;
    Path path;
    path.addRect(Rect{r.minX() + left, r.minY() + top, r.width() - left - right, r.height() - top - bottom});
    ops.push_back(std::make_shared<FillOp>(path, markerColor(name), BlendMode::multiply, false));
}

void Fig::cellWashes(const CellArray& a, const std::string& highlight) {
    const int n = a.n();
    for (const J& g : a.groups) {
        std::string name = g.str("c", "");
        if (name.empty()) name = g.str("solid", "");
        if (name.empty()) continue;
        const int from = std::clamp(int_(g["from"], 0), 0, n - 1);
        const int to = std::clamp(int_(g["to"], from), from, n - 1);
        // A group washes around highlighted cells, in runs.
        for (int j = from; j <= to;) {
            if (a.hl.count(j)) {
                ++j;
                continue;
            }
            int end = j;
            while (end + 1 <= to && !a.hl.count(end + 1)) ++end;
            washCells(a, j, end, name);
            j = end + 1;
        }
    }
    for (int i : a.hl) washCells(a, i, i, highlight);
}

void Fig::cellGrid(const CellArray& a, Rough& grid, Color color, double width) {
    const double L = a.L, T = a.T, W = a.W, H = a.H;
    Path path;
    grid.lineOnce(path, L, T, L + W, T, false);
    grid.lineOnce(path, L + W, T, L + W, T + H, false);
    grid.lineOnce(path, L + W, T + H, L, T + H, false);
    grid.lineOnce(path, L, T + H, L, T, false);
    // An ellipsis cell stays open on both sides.
    for (int i = 1; i < a.n(); ++i) {
        if (a.ellipsis[i] || a.ellipsis[i - 1]) continue;
        if (a.column) grid.lineOnce(path, L, T + a.ch * i, L + W, T + a.ch * i, false);
        else grid.lineOnce(path, L + a.cw * i, T, L + a.cw * i, T + H, false);
    }
    ops.push_back(std::make_shared<StrokeOp>(path, pen(color, 0.85 * width), 1, 1));
}

void Fig::cellContents(const J& o, const CellArray& a) {
    const bool print = o.str("face", "") == "print";
    const bool bits = o.bool_("bits", false);
    const Color tc = Ink::color(o.str("tc", "ink"), Ink::ink);
    const double scale = std::clamp(o.num("size", 1), 0.3, 3.0);
    // Sizes from the cell's extent, whatever the sign the tutor gave its height.
    const double ch = std::fabs(a.ch);
    const double vs = std::min(0.6 * ch, textSize * scale);
    const double printSize = o.has("size") ? textSize * scale : ch;

    for (int i = 0; i < a.n(); ++i) {
        const Rect cell = a.cell(i);
        if (a.ellipsis[i]) {
            if (print) printIn("\u2026", cell, Ink::grey, vs);
            else fit("\u00b7\u00b7\u00b7", cell, Ink::grey, vs, Faces::Face::hand);
        } else if (bits) {
            if (trimmedFlat(a.vals[i]) != "1") continue;
            const double inset = 0.2 * std::min(cell.width(), cell.height());
            const Rect square = cell.insetBy(inset, inset);
            if (square.isNull()) continue;
            Path path;
            path.addRect(square);
            ops.push_back(std::make_shared<FillOp>(path, tc, BlendMode::normal, false));
        } else if (print) {
            printIn(a.vals[i], cell, tc, printSize);
        } else {
            fit(a.vals[i], cell, tc, vs, Faces::Face::hand);
        }
    }
}

}  // namespace nolby
