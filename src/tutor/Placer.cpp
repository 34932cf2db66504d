// Where a reply's blocks go: below the ink already on a page, or just below the learner's
// question with the page's later content pushed down, moving on to the next page (a fresh
// one inserted when the next holds anything) when the page is full. The placer's position
// is part of the turn state the model sees (model/TutorLink.h): page flow moves it along.
#include "model/NotebookModel.h"
#include "model/TutorLink.h"

#include <algorithm>

namespace nolby {

namespace {

constexpr double kSpanPad = 6;        // ink spans reach this far above and below the ink
constexpr double kBetweenBlocks = 12;  // room left below each block
constexpr double kBelowWriting = 14;   // the reply starts this far below the writing it answers
constexpr double kStartRoom = 60;      // a turn starts where at least this much room is free
constexpr double kKeepWithNext = 120;  // room a heading wants for what follows it
constexpr int kMaxAdvances = 40;

double bottomLine(const NotebookModel& m) { return m.nb->pageH - m.bottomMargin(); }

int pageCount(const NotebookModel& m) { return static_cast<int>(m.nb->pages.size()); }

// The free position below `c` once the spans that reach over it are skipped: a span that
// starts `gap` or more below the position leaves room enough, and ends the scan.
double skipInk(const std::vector<std::pair<double, double>>& spans, double c, double gap) {
    for (const auto& [top, bottom] : spans) {
        if (bottom <= c) continue;
        if (top >= c + gap) break;
        c = bottom;
    }
    return c;
}

}  // namespace

std::vector<std::pair<double, double>> Placer::spans(NotebookModel& model, int page) {
    std::vector<std::pair<double, double>> out;
    if (page < 0 || page >= pageCount(model)) return out;
    // The items are copied: measuring may lay an item out, which must not see the page change.
    const std::vector<PageItem> items = model.nb->pages[page].items;
    for (const PageItem& item : items) {
        const Rect b = model.bounds(item);
        if (b.isNull() || !(b.height() > 0)) continue;
        out.emplace_back(b.minY() - kSpanPad, b.maxY() + kSpanPad);
    }
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return out;
}

double Placer::freeRun(NotebookModel& model, int page, double from) {
    double next = bottomLine(model);
    for (const auto& [top, bottom] : spans(model, page))
        if (top >= from && bottom > from) next = std::min(next, top);
    return next - from;
}

Placer Placer::make(NotebookModel& model, int page, std::optional<double> after, bool insert) {
    Placer p;
    p.page = std::clamp(page, 0, std::max(pageCount(model) - 1, 0));
    const double top = model.topMargin();
    if (!after) {
        p.y = std::max(top, model.lowestInk(p.page) + kBelowWriting);
    } else {
        p.y = std::max(top, *after + kBelowWriting);
        if (insert && p.y + kStartRoom <= bottomLine(model)) {
            p.inserting = true;
            return p;
        }
    }
    p.y = skipInk(spans(model, p.page), p.y, kStartRoom);
    if (p.y + kStartRoom > bottomLine(model)) p.advance(model);
    return p;
}

void Placer::advance(NotebookModel& model) {
    const int next = page + 1;
    const bool taken = next < pageCount(model) && !model.nb->pages[next].items.empty();
    if (taken || next >= pageCount(model)) {
        // The fresh page goes in through the notebook with the page being read kept in view
        // (the note being typed keeps its page by itself).
        model.nb.modify([&](Notebook& n) { n.pages.insert(n.pages.begin() + next, Page{}); });
        if (taken && model.pageIndex.get() >= next) model.pageIndex.set(model.pageIndex.get() + 1);
    }
    page = next;
    y = std::max(model.topMargin(), model.lowestInk(next) + kBelowWriting);
}

Placer::Spot Placer::place(NotebookModel& model, double height, bool keepWithNext) {
    // A page that went meanwhile (page flow closing a carry page up) leaves the placer on the
    // nearest page there is.
    page = std::clamp(page, 0, std::max(pageCount(model) - 1, 0));
    const double top = model.topMargin(), bottom = bottomLine(model);
    const double usable = bottom - top;
    // A heading wants room for what follows it, but never more than a page can give.
    const double need = keepWithNext ? std::min(height + kKeepWithNext, usable) : height;

    if (inserting) {
        if (y + need <= bottom) {
            model.push(page, y - 1, height + kBetweenBlocks);
            const Spot spot{page, y, std::nullopt};
            y += height + kBetweenBlocks;
            return spot;
        }
        // What lies below goes past the bottom line, where page flow carries it overleaf.
        inserting = false;
        model.push(page, y - 1, bottom - y + 24);
    }

    std::optional<int> left;
    for (int advances = 0;; ++advances) {
        const std::vector<std::pair<double, double>> ink = spans(model, page);
        const double c = skipInk(ink, y, std::min(need, usable));
        const bool atTop = c <= top + 1;
        // A block taller than a page's writing area goes at the top of a page and runs past
        // its bottom; an empty page never sends a block on.
        if (c + need <= bottom || (atTop && height > usable) || (atTop && ink.empty())) {
            y = c + height + kBetweenBlocks;
            return {page, c, left};
        }
        if (advances == kMaxAdvances) return {page, y, left};
        if (!left) left = page;
        advance(model);
    }
}

}  // namespace nolby
