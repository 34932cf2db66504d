#include "sheet/SheetLayout.h"

#include "model/NotebookModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nolby {

namespace {

// Whole points, halves away from zero.
double whole(double v) { return std::round(v); }

bool isPageTurn(const PageItem& item) {
    const BlockItem* block = item.block();
    // Cheap test first: only a block whose JSON names the kind can be one.
    return block && block->json.find("pto") != std::string::npos && NotebookModel::kind(*block) == "pto";
}

// The last page the sheet shows: the last one holding an item, raised to the pages of the
// note being typed, the tutor's thinking mark and the typing spot.
int lastShown(NotebookModel& model, int count, int spotPage) {
    const Notebook& nb = model.nb.get();
    int last = 0;
    for (int p = count - 1; p >= 0; --p)
        if (!nb.pages[p].items.empty()) {
            last = p;
            break;
        }
    if (const auto& e = model.editing.get()) last = std::max(last, e->page);
    if (const auto& mark = model.tutor->thinkingAt) last = std::max(last, mark->page);
    last = std::max(last, spotPage);
    return std::min(last, count - 1);
}

}  // namespace

double SheetLayout::scaleFor(double width, double pageW) {
    const double margin = width < 900 ? 72 : 144;
    const double most = pageW < 560 ? 1.15 : 1.1;
    double q = (width - margin) / pageW;
    if (std::isnan(q)) q = 0.55;
    return std::min(std::max(q, 0.55), most);
}

SheetLayout::SheetLayout(NotebookModel& model, double W, double V, double H) {
    const Notebook& nb = model.nb.get();
    width = W;
    pageW = nb.pageW;
    head = H;
    scale = scaleFor(W, pageW);
    x = whole((W - pageW * scale) / 2);
    if (!std::isfinite(x)) x = 0;

    const int count = static_cast<int>(nb.pages.size());
    if (count == 0) {
        height = std::max(H, V);
        return;
    }

    const NotebookModel::TypingSpot spot = model.typingSpot();
    const int last = lastShown(model, count, spot.page);
    const double T = nb.pageH < 700 ? 76 : 104;
    const double runOut = std::max(V * 0.42 / scale, 160.0);
    const std::optional<NotebookModel::Editing> editing = model.editing.get();
    const std::optional<NotebookModel::TutorStatus::Mark> thinking = model.tutor->thinkingAt;

    const double inf = std::numeric_limits<double>::infinity();
    double Y = H;
    for (int p = 0; p <= last; ++p) {
        double t = inf, b = -inf;
        // Reading an entry touches only the ink cache, never the notebook.
        for (const PageItem& item : nb.pages[p].items) {
            if (isPageTurn(item)) continue;
            const Rect r = model.entry(item).bounds;
            if (r.isNull()) continue;
            t = std::min(t, r.minY());
            b = std::max(b, r.maxY());
        }
        if (editing && editing->page == p) {
            const Rect box = NotebookModel::editingBox(*editing);
            t = std::min(t, editing->anchor ? editing->anchor->minY() : box.minY());
            b = std::max(b, box.maxY());
        }
        if (thinking && thinking->page == p) {
            t = std::min(t, thinking->point.y - 12);
            b = std::max(b, thinking->point.y + 40);
        }
        const bool empty = !(t <= b);
        if (p == last) {
            const double base = empty ? T : b;
            double g = base;
            if (spot.page == p) g = spot.spot ? spot.spot->y : model.lowestInk(p) + 26;
            b = std::max(base, g + 30) + runOut;
            if (empty) t = T;
        } else if (empty) {
            continue;  // empty pages between written ones are left out
        } else {
            b += 10;
        }
        double top;
        if (slices.empty()) top = t > T ? T - 30 : std::max(t - 30, 0.0);
        else top = std::max(t - 10, 0.0);
        slices.push_back({p, top, b - top, Y});
        Y += whole(scale * (b - top));
    }
    height = std::max(Y, V);
}

const SheetLayout::Slice* SheetLayout::sliceOf(int page) const {
    for (const Slice& s : slices)
        if (s.page == page) return &s;
    return nullptr;
}

double SheetLayout::bottom(const Slice& slice) const { return slice.y + whole(scale * slice.height); }

double SheetLayout::columnWidth() const { return whole(pageW * scale); }

std::optional<SheetLayout::PagePoint> SheetLayout::page(Point at) const {
    if (slices.empty()) return std::nullopt;
    const Slice* hit = &slices.front();
    for (const Slice& s : slices)
        if (s.y <= at.y) hit = &s;
    return PagePoint{hit->page, {(at.x - x) / scale, hit->top + (at.y - hit->y) / scale}};
}

std::optional<SheetLayout::PagePoint> SheetLayout::pageInside(Point at) const {
    if (slices.empty() || !(at.y >= head) || !(at.y < bottom(slices.back()))) return std::nullopt;
    return page(at);
}

std::optional<Rect> SheetLayout::view(const Rect& r, int page) const {
    const Slice* s = sliceOf(page);
    if (!s || r.isNull()) return std::nullopt;
    return Rect{x + r.x * scale, sheetY(*s, r.y), scale * r.width(), scale * r.height()};
}

}  // namespace nolby
