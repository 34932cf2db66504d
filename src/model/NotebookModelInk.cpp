// The ink of the notebook's items: entries and bounds, the settled operations of a page,
// its raster layers, and what happens when the writer has finished an item.
#include "model/NotebookModel.h"


#include <algorithm>

namespace nolby {

const InkCache::Entry& NotebookModel::entry(const PageItem& item) { return cache->entry(item, geo(), accent()); }

Rect NotebookModel::bounds(const PageItem& item) { return entry(item).bounds; }

std::optional<Uuid> NotebookModel::editingId() const {
    if (const auto& e = editing.get()) return e->id;
    return std::nullopt;
}

namespace {

bool isNoteBeingTyped(const PageItem& item, const std::optional<Uuid>& typing) {
    return typing && item.text() && item.id() == *typing;
}

void appendPrefix(std::vector<InkOpRef>& out, const std::vector<InkOpRef>& ops, int count) {
    const size_t n = std::min(static_cast<size_t>(std::max(count, 0)), ops.size());
    out.insert(out.end(), ops.begin(), ops.begin() + static_cast<std::ptrdiff_t>(n));
}

}  // namespace

std::vector<InkOpRef> NotebookModel::settledOps(int page) {
    std::vector<InkOpRef> out;
    if (page < 0 || page >= static_cast<int>(nb->pages.size())) return out;
    const std::optional<Uuid> typing = editingId();
    for (const PageItem& item : nb->pages[page].items) {
        if (isNoteBeingTyped(item, typing)) continue;
        const std::vector<InkOpRef>& ops = entry(item).ops;
        std::optional<int> drawn = scribe->drawn(item.id());
        if (!drawn) out.insert(out.end(), ops.begin(), ops.end());
        else appendPrefix(out, ops, *drawn);
    }
    return out;
}

std::pair<std::vector<PageLayer>, std::vector<InkOpRef>> NotebookModel::layers(int page, double pixels) {
    std::pair<std::vector<PageLayer>, std::vector<InkOpRef>> out;
    if (page < 0 || page >= static_cast<int>(nb->pages.size())) return out;
    auto& [bitmaps, vectors] = out;
    const std::optional<Uuid> typing = editingId();
    for (const PageItem& item : nb->pages[page].items) {
        if (isNoteBeingTyped(item, typing)) continue;
        std::optional<int> drawn = scribe->drawn(item.id());
        if (drawn) {
            // Being written: what is written so far, as vectors.
            if (*drawn >= 1) appendPrefix(vectors, entry(item).ops, *drawn);
            continue;
        }
        const InkCache::Entry& e = entry(item);
        if (auto bitmap = raster->raster(item.id(), e.key, e.ops, pixels)) bitmaps.push_back({item.id(), *bitmap});
        else vectors.insert(vectors.end(), e.ops.begin(), e.ops.end());  // rendering in the background
    }
    return out;
}

void NotebookModel::written(const Uuid& item) {
    bump(item);
    for (const Page& p : nb->pages)
        for (const PageItem& it : p.items) {
            if (it.id() != item) continue;
            const InkCache::Entry& e = entry(it);
            // Rendered now in the background, so the page view finds the bitmap ready.
            raster->raster(item, e.key, e.ops, scribe->pixels);
            return;
        }
}

double NotebookModel::lowestInk(int page) {
    const double none = nb->pageH < 700 ? 62 : 90;
    if (page < 0 || page >= static_cast<int>(nb->pages.size())) return none;
    std::optional<double> lowest;
    for (const PageItem& item : nb->pages[page].items) {
        Rect b = bounds(item);
        if (b.isEmpty()) continue;
        lowest = lowest ? std::max(*lowest, b.maxY()) : b.maxY();
    }
    return lowest.value_or(none);
}

}  // namespace nolby
