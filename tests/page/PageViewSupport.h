#pragma once
// An open notebook to show in page views: a model on a store in a temporary folder and the
// manual scheduler, a first page of three tutor paragraphs whose ink is primed as plain boxes
// (so pixels can be found exactly), a second page that is empty, and the view measured to
// the page at scale 1. Used by the page painter's tests and the page widget's.

#include "../model/ModelTestSupport.h"
#include "PageTestSupport.h"

#include "page/PagePainter.h"

#include <memory>
#include <vector>

namespace nolby::testing {

struct PageRig : test::ModelRig {
    NotebookModel* m = nullptr;
    std::vector<BlockItem> blocks = {test::paragraph(104), test::paragraph(160), test::paragraph(216)};

    explicit PageRig(Notebook base = Notebook{}) {
        registerFonts();
        Notebook nb = test::notebookOf({{PageItem(blocks[0]), PageItem(blocks[1]), PageItem(blocks[2])}, {}});
        nb.title = base.title;
        nb.issue = base.issue;
        nb.color = base.color;
        m = &open(nb);
        for (const BlockItem& b : blocks) m->cache->prime(b, ops(b), m->geo());
        m->viewSize.set({400, 869});
    }

    // A block's ink: three boxes one under the other, 120 wide and 10 high, from x 30.
    static std::vector<InkOpRef> ops(const BlockItem& b) {
        return {test::box({30, b.y, 120, 10}), test::box({30, b.y + 15, 120, 10}), test::box({30, b.y + 30, 120, 10})};
    }

    const Uuid& page(int i) const { return m->nb->pages[size_t(i)].id; }
    double now() { return scheduler().now(); }

    // The writer starts on a block (its ink from the first box), as the tutor hands it over.
    void write(const BlockItem& b) {
        m->scribe->enqueue(page(0), b.id, ops(b), 0, false);
        m->scribe->pump();
    }

    // A painter of page `index` at 1 pixel per point unless told otherwise.
    std::unique_ptr<PagePainter> painter(int index, bool live = true, bool paper = false, bool ground = false,
                                         double displayScale = 1) {
        PageView v{model, index, live, PaperView::PageSide::single, ground, paper};
        return std::make_unique<PagePainter>(v, PagePainter::Environment{displayScale, store.scheduler, nullptr});
    }

    // The page drawn by `p` at the clock's time (or `t`) on a transparent canvas of the view.
    std::unique_ptr<Canvas> frame(PagePainter& p, std::optional<double> t = std::nullopt) {
        const Size v = m->viewSize.get();
        const double w = std::isfinite(v.width) && v.width >= 1 ? v.width : 50;
        const double h = std::isfinite(v.height) && v.height >= 1 ? v.height : 50;
        auto c = std::make_unique<Canvas>(std::min(w, 2000.0), std::min(h, 2000.0), p.displayScale());
        p.paint(c->cr(), t.value_or(now()));
        EXPECT_EQ(cairo_status(c->cr()), CAIRO_STATUS_SUCCESS);
        return c;
    }
};

// Pixels with any ink (alpha above zero) on a transparent canvas.
inline int opaque(const Canvas& c, Rect area = Rect::null()) {
    int n = 0;
    const int x0 = area.isNull() ? 0 : int(area.minX()), y0 = area.isNull() ? 0 : int(area.minY());
    const int x1 = area.isNull() ? c.pixelWidth() : std::min(int(area.maxX()), c.pixelWidth());
    const int y1 = area.isNull() ? c.pixelHeight() : std::min(int(area.maxY()), c.pixelHeight());
    for (int y = std::max(y0, 0); y < y1; ++y)
        for (int x = std::max(x0, 0); x < x1; ++x) n += c.pixel(x, y).a > 0;
    return n;
}

// The number of bytes that differ between two canvases of one size; -1 for other sizes.
inline int differing(const Canvas& a, const Canvas& b) {
    const auto ba = bytes(a), bb = bytes(b);
    if (ba.size() != bb.size()) return -1;
    int n = 0;
    for (size_t i = 0; i < ba.size(); ++i) n += ba[i] != bb[i];
    return n;
}

}  // namespace nolby::testing
