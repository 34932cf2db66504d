// The typing spot, and the gap: while a note is open, what lies below it on its page is
// moved down to start 18 under the note, and moved again as the note grows or shrinks. A
// note that ends with text keeps the room (what overflows is carried on); one that ends
// empty gives it back. The whole note, moves included, is one undo step.
//
// Items only the gap moved are always placed from their copy in `before` by the whole
// amount, never shifted step by step: stroke samples are 32-bit and positions are doubles,
// and adding and taking away the same amounts over and over would leave them a little off.
#include "model/NotebookModel.h"

#include "model/TutorLink.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nolby {

namespace {

// Whether two copies of an item stand in exactly the same place.
bool samePlace(const PageItem& a, const PageItem& b) {
    if (a.value.index() != b.value.index()) return false;
    if (const TextItem* t = a.text()) return t->y == b.text()->y && t->anchor == b.text()->anchor;
    if (const StrokeItem* s = a.stroke()) return s->pts == b.stroke()->pts;
    const BlockItem* k = a.block();
    return k->y == b.block()->y && k->box == b.block()->box;
}

// The item, with everything as it is now, put in the place of `place` (a copy of it).
PageItem placedAs(PageItem item, const PageItem& place) {
    if (TextItem* t = std::get_if<TextItem>(&item.value)) {
        t->y = place.text()->y;
        t->anchor = place.text()->anchor;
    } else if (StrokeItem* s = std::get_if<StrokeItem>(&item.value)) {
        s->pts = place.stroke()->pts;
    } else if (BlockItem* b = std::get_if<BlockItem>(&item.value)) {
        b->y = place.block()->y;
        b->box = place.block()->box;
    }
    return item;
}

std::map<Uuid, const PageItem*> byId(const std::vector<PageItem>& items) {
    std::map<Uuid, const PageItem*> out;
    for (const PageItem& item : items) out.emplace(item.id(), &item);
    return out;
}

}  // namespace

NotebookModel::TypingSpot NotebookModel::typingSpot() {
    const int count = static_cast<int>(nb->pages.size());
    const auto valid = [&](int p) { return p >= 0 && p < count; };
    const double line = nb->pageH - bottomMargin();
    const double pageW = nb->pageW;

    int p = pageIndex.get();
    if (scroll.get()) p = readingPage();
    if (spread.get()) {
        p = readingPage();
        // A full reading page sends typing to the empty facing page.
        const std::vector<int> view = inView();
        if (!view.empty() && valid(p)) {
            const int last = view.back();
            if (last != p && valid(last) && nb->pages[last].items.empty() && !openAsk() && line - lowestInk(p) < 116)
                p = last;
        }
    }
    if (!valid(p)) p = std::clamp(p, 0, count - 1);

    if (std::optional<Ask> question = openAsk())
        return {p, Spot{question->room.minX() + 2, question->room.minY() + 1, question->room.width() - 4}};
    if (!nb->pages[p].items.empty()) {
        const double y = lowestInk(p) + 26;
        if (y + 90 >= line) return {p, std::nullopt};
        return {p, Spot{28, y, pageW - 56}};
    }
    return {p, Spot{28, firstLine(), pageW - 56}};
}

void NotebookModel::writeHere() {
    commitEditing();
    const TypingSpot where = typingSpot();
    if (where.page != pageIndex.get()) pageIndex.set(where.page);
    if (where.spot) {
        editing.set(newNote(where.spot->x, where.spot->y, where.spot->width, false));
        openGap();
        return;
    }
    // No room on the page: a fresh page after it, written straight into the notebook.
    const int at = pageIndex.get() + 1;
    nb.modify([&](Notebook& n) { n.pages.insert(n.pages.begin() + at, Page{}); });
    if (session) session->pageInserted(at);
    std::weak_ptr<NotebookModel> weak = weak_from_this();
    go(at, true, false, [weak] {
        auto self = weak.lock();
        if (!self) return;
        self->editing.set(self->newNote(28, self->firstLine(), self->nb->pageW - 56, false));
        self->openGap();
    });
}

void NotebookModel::openGap() {
    const std::optional<Editing>& open = editing.get();
    if (!open || open->page < 0 || open->page >= static_cast<int>(nb->pages.size())) return;
    const Editing e = *open;
    const Page& page = nb->pages[e.page];

    Gap g;
    g.page = page.id;
    g.cut = std::min(e.below.value_or(kInf), e.y - 2);
    g.top = kInf;
    g.before = page.items;
    std::vector<Uuid> below;
    for (const PageItem& item : page.items) {
        if (item.text() && item.id() == e.id) continue;  // the reopened note itself
        if (isPageTurn(item) || bounds(item).isEmpty()) continue;
        const double top = inkTop(item);
        if (top >= g.cut) {
            below.push_back(item.id());
            g.top = std::min(g.top, top);
        }
    }
    g.ids.insert(below.begin(), below.end());
    gap = std::move(g);
    finishWritingOf(e.page, below);  // what moves must be written whole first
    fitGap();
}

void NotebookModel::joinGap(Gap& g, int page, const std::optional<Uuid>& note) {
    std::set<Uuid> known;
    for (const PageItem& item : g.before) known.insert(item.id());
    // The moved content starts at top + applied (the placer's own rule); with nothing moved
    // yet, anything under the note counts.
    const double from = std::isfinite(g.top) ? g.top + g.applied - 1 : g.cut;
    double least = kInf;
    for (const PageItem& item : nb->pages[page].items) {
        const Uuid& id = item.id();
        if (known.count(id) || g.ids.count(id) || (note && item.text() && id == *note)) continue;
        if (isPageTurn(item) || bounds(item).isEmpty()) continue;
        const double top = inkTop(item);
        if (top < from) continue;
        g.ids.insert(id);
        least = std::min(least, top);
    }
    if (!std::isfinite(g.top) && std::isfinite(least)) g.top = least;  // nothing was moved: applied is 0
}

PageItem NotebookModel::gapPlaced(const PageItem& item, const std::map<Uuid, const PageItem*>& before, const Gap& g,
                                  double was, double to) const {
    auto found = before.find(item.id());
    if (found != before.end()) {
        const PageItem& original = *found->second;
        const PageItem expected = was == 0 ? original : original.shifted(was, g.cut);
        // Only the gap moved it: place it from the original by the whole amount.
        if (samePlace(item, expected)) return placedAs(item, to == 0 ? original : original.shifted(to, g.cut));
    }
    // New since the gap opened, or moved by someone else too: it moves by the difference.
    return item.shifted(to - was, g.cut);
}

void NotebookModel::fitGap() {
    if (!editing.get() || !gap) return;
    const int page = pageIndexOf(gap->page);
    if (page < 0) return;
    const Editing e = *editing.get();
    joinGap(*gap, page, e.id);
    if (!std::isfinite(gap->top)) return;

    const double want = std::max(0.0, e.y + editingHeight(e) + 18 - gap->top);
    const double was = gap->applied;
    if (std::fabs(want - was) <= 0.5) return;
    const double diff = want - was;
    gap->applied = want;
    const Gap g = *gap;
    const std::map<Uuid, const PageItem*> before = byId(g.before);
    mutate(page, false, [&](std::vector<PageItem>& items) {
        for (PageItem& item : items)
            if (g.ids.count(item.id())) item = gapPlaced(item, before, g, was, want);
    });

    // The reply being placed below the moved content moves with it.
    if (!session || session->placing()) return;
    if (std::shared_ptr<TurnState> turn = session->current();
        turn && turn->placer.page == page && turn->placer.y >= g.top + was - 1)
        turn->placer.y += diff;
}

void NotebookModel::closeGap(Gap g, const std::string& text, const std::optional<TextItem>& removed) {
    int page = pageIndexOf(g.page);
    if (page < 0) return;
    if (!text.empty()) {
        carry(page);  // what the note pushed past the bottom margin goes overleaf
    } else {
        joinGap(g, page, std::nullopt);
        double back = g.applied;
        // A cleared margin note also gives back the room it took itself.
        if (removed && removed->about && std::isfinite(g.top))
            back = std::max(g.applied, g.applied + g.top - removed->y);
        if (back > 0.5) {
            const std::map<Uuid, const PageItem*> before = byId(g.before);
            mutate(page, false, [&](std::vector<PageItem>& items) {
                for (PageItem& item : items)
                    if (g.ids.count(item.id())) item = gapPlaced(item, before, g, g.applied, g.applied - back);
            });
        }
    }
    // One undo step for the whole note, moves included. A note that ended empty without
    // removing anything changed nothing of the learner's: no step.
    page = pageIndexOf(g.page);
    const bool changed = page >= 0 && nb->pages[page].items != g.before;
    if (removed || (!text.empty() && changed)) {
        pushUndo({g.page, std::move(g.before), {}});
        redoStack.clear();
    }
}

}  // namespace nolby
