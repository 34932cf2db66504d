#pragma once
// A page being written for the stage's tests: a desk on a manual clock with plain paper,
// items put on its page and moved, and probes of the stage's containers and pixels.

#include "WriteDesk.h"
#include "platform/Canvas.h"

#include <cairo.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <string>

namespace nolby::testing {

struct StageDesk : tools::WriteDesk {
    explicit StageDesk(Options options = {}) : WriteDesk(options) { plainPaper = true; }

    std::vector<PageItem>& items() { return model->notebook.pages.front().items; }
    Scribe& writer() { return *model->writer; }

    const PageItem& put(PageItem item) {
        items().push_back(std::move(item));
        return items().back();
    }
    PageItem& item(const Uuid& id) {
        return *std::find_if(items().begin(), items().end(), [&](const PageItem& i) { return i.id() == id; });
    }
    // Page flow's move: the whole item down by dy.
    void move(const Uuid& id, double dy) {
        PageItem& i = item(id);
        i = i.shifted(dy, -std::numeric_limits<double>::infinity());
    }
    const InkStageView::Entry& entry(const Uuid& id) { return stage().items().at(id); }
    bool has(const Uuid& id) { return stage().items().count(id) > 0; }
    // Queues the item's own ink for writing.
    void write(const Uuid& id, int from = 0, bool alongside = false) {
        writer().enqueue(page(), id, model->ops(item(id)), from, alongside);
    }
};

inline TextItem note(double y, std::string text = "a note") {
    TextItem t;
    t.x = 40;
    t.y = y;
    t.width = 300;
    t.text = std::move(text);
    t.size = 17;
    return t;
}

inline BlockItem block(const std::string& json, double y, uint64_t seed = 5) {
    BlockItem b;
    b.json = json;
    b.y = y;
    b.seed = seed;
    return b;
}

// Pixels of a canvas that differ from the paper: ink.
inline bool inked(const Canvas& c, int x, int y) {
    const Color p = c.pixel(x, y);
    auto far = [](double u, double v) { return std::abs(u - v) > 24 / 255.0; };
    return far(p.r, 0xfb / 255.0) || far(p.g, 0xf8 / 255.0) || far(p.b, 0xf1 / 255.0);
}

// The right-most inked pixel column in rows y0..y1, or -1.
inline int rightmostInk(const Canvas& c, int y0, int y1) {
    for (int x = c.pixelWidth() - 1; x >= 0; --x)
        for (int y = y0; y <= y1; ++y)
            if (inked(c, x, y)) return x;
    return -1;
}

inline int inkCount(const Canvas& c) {
    int n = 0;
    for (int y = 0; y < c.pixelHeight(); ++y)
        for (int x = 0; x < c.pixelWidth(); ++x) n += inked(c, x, y);
    return n;
}

}  // namespace nolby::testing
