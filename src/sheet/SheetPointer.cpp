#include "sheet/SheetPointer.h"

#include "model/NotebookModel.h"

#include <cmath>

namespace nolby {

bool SheetPointer::inColumn(const SheetLayout& layout, double x) const {
    return x >= layout.x - 8 && x <= layout.x + layout.columnWidth() + 8;
}

void SheetPointer::setSelection(std::optional<SheetWords::Selection> s) {
    selection_ = s;
    host_.selectionChanged();
}

void SheetPointer::clearSelection() {
    if (!selection_) return;
    setSelection(std::nullopt);
}

void SheetPointer::down(Point at, int clicks, bool extend) {
    std::shared_ptr<NotebookModel> model = host_.model();
    const SheetLayout* layout = host_.layout();
    // Above the head, between nothing and below the last slice: no page is pressed.
    std::optional<SheetLayout::PagePoint> hit = model && layout ? layout->pageInside(at) : std::nullopt;
    if (!hit && host_.pressHead(at)) return;
    if (!hit) {
        clearSelection();
        return;
    }
    const int page = hit->index;
    const Point q = hit->pt;
    pressedDive_ = SheetWords::dive(*model, q, page);
    if (pressedDive_) return;  // the release opens it

    const std::optional<int> w = words_.wordUnder(*model, q, page);
    if (!w) {
        clearSelection();
        typing_.draft.clear();
        pressPaper(*model, *layout, at, page, q);
        return;
    }
    if (model->editing.get()) {
        typing_.draft.clear();
        model->commitEditing();
    }
    dragging_ = true;
    clickOnly_ = false;
    const SheetWords::Ref ref{page, *w};
    if (clicks == 2) {
        selection_ = SheetWords::Selection{ref, ref};
    } else if (clicks >= 3) {
        const auto range = words_.blockRange(*model, ref);
        selection_ = range ? SheetWords::Selection{{page, range->first}, {page, range->second}}
                           : SheetWords::Selection{ref, ref};
    } else if (extend && selection_) {
        selection_->focus = ref;
    } else {
        selection_ = SheetWords::Selection{ref, ref};
        clickOnly_ = true;
    }
    host_.selectionChanged();
}

void SheetPointer::pressPaper(NotebookModel& model, const SheetLayout& layout, Point at, int page, Point q) {
    if (!inColumn(layout, at.x)) {
        model.commitEditing();
        return;
    }
    if (std::optional<NotebookModel::Hit> block = model.blockHit(q, page)) {
        // Only a check-in question's answer room (and the 12 points above it) takes a note.
        if (NotebookModel::kind(block->block) == "ask")
            if (std::optional<Rect> room = NotebookModel::room(block->block, model.geo());
                room && q.y >= room->minY() - 12) {
                model.click(q, page);
                return;
            }
        model.commitEditing();
        return;
    }
    const bool lastPage = !layout.slices.empty() && layout.slices.back().page == page;
    if (lastPage && q.y > model.lowestInk(page) + 40) {
        // Well below all ink on the last page: typing later starts at the typing spot.
        if (const auto& e = model.editing.get(); e && e->page == page) {
            if (NotebookModel::editingBox(*e).contains(q)) return;
        }
        model.commitEditing();
        return;
    }
    model.click(q, page);
}

void SheetPointer::dragged(Point to) {
    std::shared_ptr<NotebookModel> model = host_.model();
    const SheetLayout* layout = host_.layout();
    if (!dragging_ || !selection_ || !model || !layout) return;
    std::optional<SheetLayout::PagePoint> hit = layout->pageInside(to);
    if (!hit) return;
    const std::optional<SheetWords::Ref> r = words_.nearestWord(*model, *layout, hit->pt, hit->index);
    if (!r) return;
    if (clickOnly_ && *r == selection_->anchor) return;  // still on the clicked word
    clickOnly_ = false;
    if (*r != selection_->focus) {
        selection_->focus = *r;
        host_.selectionChanged();
    }
}

void SheetPointer::up() {
    if (pressedDive_) {
        const Uuid id = *pressedDive_;
        dragging_ = clickOnly_ = false;
        pressedDive_.reset();
        host_.open(id);
        return;
    }
    const bool plainClick = clickOnly_;
    dragging_ = clickOnly_ = false;
    if (plainClick) clearSelection();
    // The selection bar shows only now, after a drag or a double or triple click.
    host_.publishSelection();
}

SheetPointer::Cursor SheetPointer::cursor(Point at) {
    std::shared_ptr<NotebookModel> model = host_.model();
    const SheetLayout* layout = host_.layout();
    if (!layout) return Cursor::arrow;
    std::optional<SheetLayout::PagePoint> hit = layout->pageInside(at);
    if (!hit) return Cursor::arrow;
    if (model && SheetWords::dive(*model, hit->pt, hit->index)) return Cursor::pointingHand;
    if (inColumn(*layout, at.x) && at.y >= layout->head) return Cursor::iBeam;
    return Cursor::arrow;
}

std::optional<SheetWords::Ref> SheetPointer::wordAt(Point at) {
    std::shared_ptr<NotebookModel> model = host_.model();
    const SheetLayout* layout = host_.layout();
    if (!model || !layout) return std::nullopt;
    std::optional<SheetLayout::PagePoint> hit = layout->pageInside(at);
    if (!hit) return std::nullopt;
    const std::optional<int> w = words_.wordUnder(*model, hit->pt, hit->index);
    if (!w) return std::nullopt;
    return SheetWords::Ref{hit->index, *w};
}

void SheetPointer::menuAt(Point at) {
    const std::optional<SheetWords::Ref> ref = wordAt(at);
    if (!ref) return;
    if (selection_ && selection_->lo() <= *ref && *ref <= selection_->hi()) return;
    setSelection(SheetWords::Selection{*ref, *ref});
}

void SheetPointer::quickLook(Point at) {
    const std::optional<SheetWords::Ref> ref = wordAt(at);
    if (!ref) return;
    setSelection(SheetWords::Selection{*ref, *ref});
    lookUp();
}

// ---- The selection's forms ----

std::vector<SheetWords::Picked> SheetPointer::picked() {
    std::shared_ptr<NotebookModel> model = host_.model();
    const SheetLayout* layout = host_.layout();
    if (!selection_ || !model || !layout) return {};
    return words_.picked(*model, *layout, *selection_);
}

std::string SheetPointer::selectedText() { return SheetWords::selectedText(picked()); }

std::string SheetPointer::phrase() { return SheetWords::phrase(selectedText()); }

std::string SheetPointer::passage() {
    std::shared_ptr<NotebookModel> model = host_.model();
    if (!model) return {};
    return words_.passage(*model, picked());
}

std::vector<Rect> SheetPointer::selectedLines() {
    const SheetLayout* layout = host_.layout();
    if (!layout) return {};
    return SheetWords::selectedLines(*layout, picked());
}

std::vector<Rect> SheetPointer::selectedLines(int onPage) { return SheetWords::linesOnPage(picked(), onPage); }

// ---- Word actions ----

bool SheetPointer::startNote() {
    std::shared_ptr<NotebookModel> model = host_.model();
    if (!model || !selection_) return false;
    const int page = selection_->hi().page;
    auto onPage = [&] {
        std::vector<SheetWords::Picked> out;
        for (SheetWords::Picked& p : picked())
            if (p.page == page) out.push_back(std::move(p));
        return out;
    };
    std::vector<SheetWords::Picked> mine = onPage();
    if (mine.empty()) return false;
    const Uuid block = mine.back().word.block;
    auto blockOn = [&](int p) -> std::optional<PageItem> {
        if (p < 0 || p >= static_cast<int>(model->nb->pages.size())) return std::nullopt;
        for (const PageItem& item : model->nb->pages[p].items)
            if (item.id() == block && item.block()) return item;
        return std::nullopt;
    };
    if (!blockOn(page)) return false;
    const std::string about = phrase();

    model->commitEditing();
    // Closing the note's room may have moved the block: its words are read again.
    if (std::vector<SheetWords::Picked> again = onPage(); !again.empty()) mine = std::move(again);
    std::vector<Rect> boxes;
    for (const SheetWords::Picked& p : mine) boxes.push_back(p.word.rect);
    const std::vector<Rect> lines = SheetWords::lines(boxes);
    Rect anchor = Rect::null();
    for (size_t i = 0; i < lines.size() && i < 3; ++i) anchor = anchor.united(lines[i]);
    anchor = anchor.insetBy(-5, -3);

    if (model->pageIndex.get() != page) model->pageIndex.set(page);
    std::optional<PageItem> item = blockOn(page);
    if (item) {
        const Rect r = model->bounds(*item);
        NotebookModel::Editing e;
        e.page = model->pageIndex.get();
        e.id = Uuid::random();
        e.x = 38;
        e.y = r.maxY() + 12;
        e.width = model->nb->pageW - 62;
        e.isNew = true;
        e.spoken = false;
        e.anchor = anchor;
        e.about = about;
        e.below = r.maxY() - 6;
        model->editing.set(e);
        model->openGap();
    }
    clearSelection();
    typing_.draft.clear();
    typing_.revealCaret = true;
    host_.setNeedsRelayout();
    return model->editing.get().has_value();
}

void SheetPointer::explain() {
    std::shared_ptr<NotebookModel> model = host_.model();
    if (!model || !startNote()) return;
    model->editing.modify([](std::optional<NotebookModel::Editing>& e) {
        if (e) e->text = "explain this more simply";
    });
    host_.setFollowing(true);
    model->commitEditing();
    model->ask();
    host_.haptic();
}

void SheetPointer::goDeeper() {
    if (!selection_) return;
    const int page = selection_->hi().page;
    const std::string words = phrase();
    if (words.empty()) return;
    const std::vector<Rect> rects = selectedLines(page);
    const std::string text = passage();
    clearSelection();
    host_.dive(words, text, page, rects);
}

void SheetPointer::copy() {
    const std::string text = selectedText();
    if (!text.empty()) host_.setClipboardText(text);
}

std::optional<SheetWords::Selection> SheetPointer::allWords() {
    std::shared_ptr<NotebookModel> model = host_.model();
    const SheetLayout* layout = host_.layout();
    if (!model || !layout) return std::nullopt;
    std::optional<SheetWords::Ref> first, last;
    for (const SheetLayout::Slice& s : layout->slices) {
        const auto& list = words_.words(*model, s.page);
        if (list.empty()) continue;
        if (!first) first = SheetWords::Ref{s.page, 0};
        last = SheetWords::Ref{s.page, static_cast<int>(list.size()) - 1};
    }
    if (!first) return std::nullopt;
    return SheetWords::Selection{*first, *last};
}

void SheetPointer::selectAll() {
    if (std::optional<SheetWords::Selection> all = allWords()) setSelection(*all);
}

void SheetPointer::lookUp() {
    std::shared_ptr<NotebookModel> model = host_.model();
    const SheetLayout* layout = host_.layout();
    if (!model || !layout || !selection_) return;
    const std::optional<NotebookModel::Word> w = words_.word(*model, selection_->lo());
    if (!w) return;
    const std::optional<Rect> box = layout->view(w->rect, selection_->lo().page);
    if (!box) return;
    const double size = 17 * layout->scale;
    host_.lookUp(phrase(), {box->minX(), box->maxY() - 0.2 * size}, size);
}

}  // namespace nolby
