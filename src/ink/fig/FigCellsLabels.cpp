// The writing around cells: index labels beside the boxes, braces under (or beside) groups
// with their labels stacked in rows, and labelled pointer arrows that keep clear of both.
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <memory>

namespace nolby {

namespace {

// A label row stops here: labels that overlap every lower row share the last one.
constexpr int kLastBraceRow = 4;

struct Slot {
    int row;
    double lo, hi;
};

// Labels are never pulled left of the figure's origin nor past its right edge, unless
// wider than the figure.
double within(double x, double tw, double ox, double right) { return std::min(std::max(x, ox), std::max(ox, right - tw)); }

}  // namespace

void Fig::cellIndexLabels(const J& o, CellArray& a) {
    std::vector<std::string> labels;
    if (const nlohmann::json* list = o["idx"]; list && list->is_array()) {
        labels = strings(list);
    } else if (o.bool_("idx", false)) {
        for (int i = 0; i < a.n(); ++i) labels.push_back(std::to_string(i));
    }
    const double is = 0.8 * textSize;
    for (int j = 0; j < static_cast<int>(labels.size()) && j < a.n(); ++j) {
        const std::string& label = labels[j];
        if (blank(label) || a.ellipsis[j]) continue;
        const Rect cell = a.cell(j);
        double tw = plainWidth(label, is);
        if (a.column) {
            const double x = cell.minX() - tw - 10 * u;
            handLine(label, x, cell.midY() - 0.7 * is, is + tw, is, Ink::grey, std::nullopt);
            a.indexLabels[j] = Rect{x, cell.midY() - 0.5 * is, tw, is};
        } else {
            // A label wider than its cell shrinks, but stays legible.
            double size = is;
            if (0.96 * a.cw < tw) {
                size = std::max(0.55 * textSize, is * 0.96 * a.cw / tw);
                tw = plainWidth(label, size);
            }
            handLine(label, cell.midX() - tw / 2, cell.minY() - 1.35 * size, size + tw, size, Ink::grey, std::nullopt);
        }
    }
}

void Fig::cellBraces(CellArray& a, double width) {
    const int n = a.n();
    const double ls = 0.86 * textSize;
    std::vector<Slot> slots;
    for (const J& g : a.groups) {
        const std::string label = g.str("label", "");
        if (blank(label) && !g.bool_("brace", false)) continue;
        const int from = std::clamp(int_(g["from"], 0), 0, n - 1);
        const int to = std::clamp(int_(g["to"], from), from, n - 1);
        const Color color = Ink::color(g.str("c", "ink"), Ink::ink);
        const Rect first = a.cell(from), last = a.cell(to);

        Rect box;
        if (a.column) {
            const double x = a.L + a.W + 6 * u;
            box = braceAt({x, first.minY() + 3 * u}, {x, last.maxY() - 3 * u}, label, color, width, 18 * u, 0);
        } else {
            // Labels that would overlap drop to lower rows, 1.25 label heights apart.
            int row = 0;
            if (!blank(label)) {
                const double tw = plainWidth(label, ls);
                const double x = within((first.minX() + last.maxX()) / 2 - tw / 2, tw, ox, ox + 100 * k);
                const double lo = x - 6 * u, hi = x + tw + 6 * u;
                auto taken = [&](int r) {
                    for (const Slot& s : slots)
                        if (s.row == r && s.lo < hi && lo < s.hi) return true;
                    return false;
                };
                while (row < kLastBraceRow && taken(row)) ++row;
                slots.push_back({row, lo, hi});
            }
            const double y = a.T + a.H + 6 * u;
            box = braceAt({first.minX() + 3 * u, y}, {last.maxX() - 3 * u, y}, label, color, width, 18 * u,
                          ls * row * 1.25);
        }
        if (!box.isNull()) a.braceLabels.push_back(box);
    }
}

void Fig::cellPointers(const J& o, CellArray& a, Rough& grid) {
    const double ps = 0.9 * textSize;
    // Pointer labels step down past brace labels and earlier pointer labels, 8 steps at most.
    constexpr int kMaxDrops = 8;
    std::vector<J> pointers = o.objs("ptr");
    if (pointers.size() > kMaxCellPointers) pointers.resize(kMaxCellPointers);

    for (const J& p : pointers) {
        const int at = std::clamp(int_(p["at"], 0), 0, a.n() - 1);
        const Color color = Ink::color(p.str("c", "red"), Ink::ink);
        const Pen pointerPen = pen(color, 2.4 * pw);
        const std::string text = p.str("text", "");
        const double tw = plainWidth(text, ps);
        const Rect cell = a.cell(at);

        Point tip, tail;
        Rect labelBox;
        if (a.column) {
            const auto index = a.indexLabels.find(at);
            tip = index != a.indexLabels.end() ? Point{index->second.minX() - 5 * u, cell.midY()}
                                              : Point{cell.minX() - 4 * u, cell.midY()};
            tail = {std::min(tip.x - 44 * u, cell.minX() - 60 * u), cell.midY()};
        } else {
            tip = {cell.midX(), cell.maxY() + 4 * u};
            tail = {cell.midX(), cell.maxY() + 4 * k + 6 * u + (a.groups.empty() ? 0 : 5 * k)};
            if (!blank(text)) {
                auto candidate = [&] { return Rect{cell.midX() - tw / 2 - 2 * u, tail.y + 2 * u, tw + 4 * u, 1.3 * ps}; };
                auto collides = [&](const Rect& r) {
                    for (const auto* list : {&a.braceLabels, &a.pointerLabels})
                        for (const Rect& other : *list)
                            if (other.intersects(r)) return true;
                    return false;
                };
                for (int drops = 0; drops < kMaxDrops && collides(candidate()); ++drops) tail.y += 0.8 * ps;
                labelBox = candidate();
            }
        }

        Path shaft;
        for (const auto& [from, to] : clear(tail, tip, a.braceLabels)) grid.lineOnce(shaft, from.x, from.y, to.x, to.y, false);
        ops.push_back(std::make_shared<StrokeOp>(shaft, pointerPen, 1, 1));
        Path head;
        grid.arrowhead(head, tip.x, tip.y, tip.x - tail.x, tip.y - tail.y, 13 * u);
        ops.push_back(std::make_shared<StrokeOp>(head, pointerPen, 2, 1));

        if (blank(text)) continue;
        if (a.column) {
            handLine(text, std::max(ox - 16 * u, tail.x - tw - 8 * u), tail.y - 0.7 * ps, ps + tw, ps, color, std::nullopt);
        } else {
            handLine(text, within(cell.midX() - tw / 2, tw, ox, ox + 100 * k), tail.y + 2 * u, ps + tw, ps, color,
                     std::nullopt);
            a.pointerLabels.push_back(labelBox);
        }
    }
}

}  // namespace nolby
