// Page flow: content inserted into the middle of a page pushes what lies below it down;
// what then runs past the bottom margin is carried onto a carry page that directly follows,
// and comes back when it fits again. Every item edit goes through the change path without
// an undo step; inserting and removing pages writes the page list directly.
#include "model/NotebookModel.h"

#include "ink/J.h"
#include "model/TutorLink.h"

#include <algorithm>
#include <limits>
#include <set>

namespace nolby {

namespace {

bool validPage(const Notebook& n, int page) { return page >= 0 && page < static_cast<int>(n.pages.size()); }

bool isCarryPage(const Page& p) { return p.carry.value_or(false); }

}  // namespace

double NotebookModel::topMargin() const { return nb->pageH < 700 ? 76 : 104; }
double NotebookModel::bottomMargin() const { return nb->pageH < 700 ? 70 : 108; }

bool NotebookModel::isPageTurn(const PageItem& item) const {
    const BlockItem* b = item.block();
    if (!b) return false;
    // Parsing every block on every reflow is costly; the kind can only read "pto" when the
    // text holds those letters, or hides them behind an escape.
    if (b->json.find("pto") == std::string::npos && b->json.find("\\u") == std::string::npos) return false;
    return J::parse(b->json).value_or(J()).str("t", "") == "pto";
}

double NotebookModel::inkTop(const PageItem& item) {
    // A ringed note counts from its own top, wherever its ring lies.
    if (const TextItem* t = item.text(); t && t->anchor) return t->y - 4;
    const double top = bounds(item).minY();
    // A block's ink starts no higher than the block itself: what its operations report above
    // it is the slack of their bounds (a quote's large opening mark reports 20 points above
    // its block, with no ink there). Counted from there, a block written just under a note's
    // line would stay put while the note's room opens over it.
    if (item.block()) return std::max(top, item.top());
    return top;
}

void NotebookModel::finishWritingOf(int page, const std::vector<Uuid>& items) {
    const std::set<Uuid> ids(items.begin(), items.end());
    for (const auto& job : scribe->jobs())
        if (ids.count(job.item)) {
            // The rest of the page is written at once before its items move.
            scribe->finishPage(nb->pages[page].id);
            return;
        }
}

void NotebookModel::movePlacer(int page, double from, double by) {
    if (!session || session->placing()) return;
    std::shared_ptr<TurnState> turn = session->current();
    if (turn && turn->placer.page == page && from <= turn->placer.y) turn->placer.y += by;
}

void NotebookModel::push(int page, double from, double by) {
    if (!validPage(nb.get(), page) || !(by > 0)) return;
    std::vector<Uuid> moved;
    for (const PageItem& item : nb->pages[page].items) {
        if (isPageTurn(item) || bounds(item).isNull()) continue;
        if (inkTop(item) >= from - 0.5) moved.push_back(item.id());
    }
    if (moved.empty()) return;
    finishWritingOf(page, moved);
    const std::set<Uuid> ids(moved.begin(), moved.end());
    mutate(page, false, [&](std::vector<PageItem>& items) {
        for (PageItem& item : items)
            if (ids.count(item.id())) item = item.shifted(by, from);
    });
    movePlacer(page, from, by);
    carry(page);
}

void NotebookModel::carry(int page) {
    if (!validPage(nb.get(), page)) return;
    const double overflowLine = nb->pageH - bottomMargin() + 6;
    const double top = topMargin();

    struct Flowing {
        const PageItem* item;
        double top, bottom;
    };
    std::vector<Flowing> flowing;
    for (const PageItem& item : nb->pages[page].items) {
        if (isPageTurn(item)) continue;
        Rect b = bounds(item);
        if (b.isNull()) continue;
        flowing.push_back({&item, inkTop(item), b.maxY()});
    }
    double m = kInf;
    for (const Flowing& f : flowing)
        if (f.bottom > overflowLine) m = std::min(m, f.top);
    // No overflow, or overflow that starts at the top of the page: nothing can help it.
    if (m == kInf || m <= top + 1) return;

    std::vector<Uuid> carried;
    std::vector<PageItem> copies;
    double lowest = -kInf;
    for (const Flowing& f : flowing) {
        if (!(f.top >= m - 0.5)) continue;
        carried.push_back(f.item->id());
        lowest = std::max(lowest, f.bottom);
        PageItem copy = f.item->shifted(top - m, -kInf);
        // A ring around words left behind would circle nothing on the new page.
        if (TextItem* t = std::get_if<TextItem>(&copy.value); t && t->anchor && f.item->text()->anchor->minY() < m)
            t->anchor.reset();
        copies.push_back(std::move(copy));
    }
    const double h = lowest - m;
    // `flowing` points into the page; nothing below may read it once the page changes.
    flowing.clear();

    finishWritingOf(page, carried);
    const std::set<Uuid> ids(carried.begin(), carried.end());
    mutate(page, false, [&](std::vector<PageItem>& items) {
        std::erase_if(items, [&](const PageItem& item) { return ids.count(item.id()) > 0; });
    });

    const int q = page + 1;
    if (!(q < static_cast<int>(nb->pages.size()) && isCarryPage(nb->pages[q]))) {
        Page fresh;
        fresh.carry = true;
        nb.modify([&](Notebook& n) { n.pages.insert(n.pages.begin() + q, std::move(fresh)); });
        if (pageIndex.get() > page) pageIndex.set(pageIndex.get() + 1);
        if (session) session->pageInserted(q);
    }
    // Room at the top of the carry page; its own overflow goes on to the page after it.
    push(q, -kInf, h + 12);
    mutate(q, false, [&](std::vector<PageItem>& items) { items.insert(items.begin(), copies.begin(), copies.end()); });
}

void NotebookModel::closeUp(int after) {
    const int p = after, q = after + 1;
    if (!validPage(nb.get(), p) || !validPage(nb.get(), q) || !isCarryPage(nb->pages[q])) return;
    // A note being typed on the carry page holds its room there: the page stays.
    if (editingPage_ && *editingPage_ == nb->pages[q].id) return;

    std::vector<Uuid> returning;
    double t = kInf, u = -kInf;
    for (const PageItem& item : nb->pages[q].items) {
        Rect b = bounds(item);
        if (b.isNull()) continue;
        returning.push_back(item.id());
        t = std::min(t, inkTop(item));
        u = std::max(u, b.maxY());
    }
    if (returning.empty()) return;
    const std::set<Uuid> ids(returning.begin(), returning.end());
    for (const auto& job : scribe->jobs())
        if (ids.count(job.item)) return;  // still being written: a later close-up merges it

    double lowest = -kInf;
    for (const PageItem& item : nb->pages[p].items) {
        if (isPageTurn(item)) continue;
        Rect b = bounds(item);
        if (!b.isNull()) lowest = std::max(lowest, b.maxY());
    }
    const double d = (lowest == -kInf ? topMargin() : lowest) + 22;
    if ((u - t) + d > nb->pageH - bottomMargin()) return;

    // The whole carry page comes back, items without ink too (they were the learner's or
    // the tutor's, and nothing else would keep them), moved as one with the content.
    std::vector<PageItem> back;
    for (const PageItem& item : nb->pages[q].items) back.push_back(item.shifted(d - t, -kInf));
    mutate(p, false, [&](std::vector<PageItem>& items) { items.insert(items.end(), back.begin(), back.end()); });

    const Uuid gone = nb->pages[q].id;
    nb.modify([&](Notebook& n) { n.pages.erase(n.pages.begin() + q); });
    pageVersions.modify([&](std::map<Uuid, int64_t>& v) { v.erase(gone); });
    if (pageIndex.get() > p) pageIndex.set(pageIndex.get() - 1);
    save(false);
}

std::vector<NotebookModel::Displaced> NotebookModel::tidy(const Uuid& pageId) {
    std::vector<Displaced> taken;
    const int restored = pageIndexOf(pageId);
    if (restored < 0) return taken;
    std::set<Uuid> ids;
    for (const PageItem& item : nb->pages[restored].items) ids.insert(item.id());

    for (size_t i = 0; i < nb->pages.size(); ++i) {
        if (static_cast<int>(i) == restored) continue;
        const Page& page = nb->pages[i];
        Displaced d{page.id, static_cast<int>(i), page.carry, {}};
        for (const PageItem& it : page.items)
            if (ids.count(it.id())) d.items.push_back(it);
        if (d.items.empty()) continue;
        nb.modify([&](Notebook& n) {
            std::erase_if(n.pages[i].items, [&](const PageItem& it) { return ids.count(it.id()) > 0; });
        });
        raiseVersion(d.page);
        taken.push_back(std::move(d));
    }

    const int shownIndex = pageIndex.get();
    if (!validPage(nb.get(), shownIndex)) return taken;
    const Uuid shown = nb->pages[shownIndex].id;
    if (session && session->task()) return taken;  // a running turn may still write on them

    // The page shown stays, and so does the page a note is being typed on.
    const auto emptyCarry = [&](const Page& p) {
        return isCarryPage(p) && p.items.empty() && p.id != shown && p.id != editingPage_;
    };
    if (std::any_of(nb->pages.begin(), nb->pages.end(), emptyCarry))
        nb.modify([&](Notebook& n) { std::erase_if(n.pages, emptyCarry); });
    pageIndex.set(pageIndexOf(shown));
    return taken;
}

void NotebookModel::reinstate(const std::vector<Displaced>& displaced) {
    for (const Displaced& d : displaced) {
        std::set<Uuid> present;
        for (const Page& p : nb->pages)
            for (const PageItem& item : p.items) present.insert(item.id());
        std::vector<PageItem> back;
        for (const PageItem& item : d.items)
            if (!present.count(item.id())) back.push_back(item);
        if (back.empty()) continue;

        int at = pageIndexOf(d.page);
        if (at < 0) {
            // Its page went when it emptied: it comes back where it stood.
            at = std::clamp(d.index, 0, static_cast<int>(nb->pages.size()));
            Page page;
            page.id = d.page;
            page.carry = d.carry;
            nb.modify([&](Notebook& n) { n.pages.insert(n.pages.begin() + at, std::move(page)); });
            if (pageIndex.get() >= at) pageIndex.set(pageIndex.get() + 1);
            if (session) session->pageInserted(at);
        }
        nb.modify([&](Notebook& n) {
            auto& items = n.pages[at].items;
            items.insert(items.begin(), back.begin(), back.end());
        });
        raiseVersion(d.page);
    }
}

void NotebookModel::bump(const Uuid& item) {
    for (const Page& p : nb->pages) {
        const bool holds = std::any_of(p.items.begin(), p.items.end(), [&](const PageItem& it) { return it.id() == item; });
        if (holds) raiseVersion(p.id);
    }
}

}  // namespace nolby
